// The run over time, one point a second: frames sent and good frames
// received per second, errors per second where there were any, and the
// second's round-trip p50 and p99 on an axis of their own; the seconds the
// port was away are shaded. The window shows its last minute; a headless run
// draws the whole run to a file.
#pragma once

#include "engine/timeline.h"

#include <qwt_interval.h>
#include <qwt_plot.h>
#include <qwt_plot_curve.h>

#include <QVector>

class RunChart : public QwtPlot
{
    Q_OBJECT

public:
    static constexpr double RECENT_S = 60;
    static inline const QColor SENT_COLOR{0x8e, 0x44, 0xad};
    static inline const QColor RECEIVED_COLOR{0x1f, 0x5f, 0x9f};

    explicit RunChart(QWidget *parent = nullptr);

    // The entries of the last RECENT_S seconds, on an axis that spans them.
    void showRecent(const Timeline &timeline);
    void showWhole(const Timeline &timeline);

protected:
    void changeEvent(QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    using Entries = std::vector<TimelineEntry>::const_iterator;

    void addCurves();
    QwtPlotCurve *addCurve(const QColor &color, QwtPlotCurve::CurveStyle style, int yAxis);
    void plot(Entries first, Entries last);
    void markOutages(Entries first, Entries last);
    static QVector<QwtInterval> outageSpans(Entries first, Entries last);
    QwtPlotItem *addOutageZone(bool inLegend);
    void scaleFromZero(int axis);
    void nameTexts();
    void nameAxis(int axis, const QString &text);

    QwtPlotCurve *sent;
    QwtPlotCurve *received;
    QwtPlotCurve *errors;
    QwtPlotCurve *rttP50;
    QwtPlotCurve *rttP99;
};
