// The chart of the run over time, and the window's box that shows it.
#include "runchart.h"
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <qwt_legend.h>
#include <qwt_plot_grid.h>
#include <qwt_scale_engine.h>
#include <qwt_symbol.h>

#include <QEvent>
#include <QVector>

#include <algorithm>

namespace {

constexpr double LINE_WIDTH = 1.5;
constexpr double WIDE_LINE_WIDTH = 3; // under another line that may hide it
constexpr int MARK_SIZE = 5;

// Each curve's value for an entry; below 0: no point that second.
using EntryValue = double (*)(const TimelineEntry &);

double errorsOf(const TimelineEntry &e)
{
    return double(e.framingErrors + e.compareFailed + e.noReply + e.txErrors);
}

double endOf(const std::vector<TimelineEntry> &entries)
{
    return entries.empty() ? 0 : entries.back().startS + entries.back().seconds;
}

// Rates start at 0, so that a fall to a few frames a second looks like one.
void startAtZero(QwtPlot &plot, int axis)
{
    QwtScaleEngine *engine = plot.axisScaleEngine(axis);
    engine->setReference(0);
    engine->setAttribute(QwtScaleEngine::IncludeReference);
}

} // namespace

RunChart::RunChart(QWidget *parent) : QwtPlot(parent)
{
    setCanvasBackground(Qt::white);
    enableAxis(yRight);
    startAtZero(*this, yLeft);
    startAtZero(*this, yRight);
    auto *grid = new QwtPlotGrid;
    grid->setMajorPen(Qt::lightGray, 0, Qt::DotLine);
    grid->attach(this);
    addCurves();
    insertLegend(new QwtLegend, RightLegend);
    nameTexts();
    showRecent(Timeline());
}

// The rates on the left axis, the sent frames wide and light under the
// received ones, which often match them; the round trips on the right.
void RunChart::addCurves()
{
    sent = addCurve(QColor(0x9e, 0xc5, 0xe8), QwtPlotCurve::Lines, yLeft);
    sent->setPen(sent->pen().color(), WIDE_LINE_WIDTH);
    received = addCurve(QColor(0x1f, 0x5f, 0x9f), QwtPlotCurve::Lines, yLeft);
    errors = addCurve(QColor(0xc0, 0x20, 0x20), QwtPlotCurve::Sticks, yLeft);
    errors->setSymbol(new QwtSymbol(QwtSymbol::Ellipse, errors->pen().color(), errors->pen(),
                                    QSize(MARK_SIZE, MARK_SIZE)));
    rttP50 = addCurve(QColor(0x30, 0x90, 0x30), QwtPlotCurve::Lines, yRight);
    rttP99 = addCurve(QColor(0xe0, 0x80, 0x10), QwtPlotCurve::Lines, yRight);
}

QwtPlotCurve *RunChart::addCurve(const QColor &color, QwtPlotCurve::CurveStyle style, int yAxis)
{
    auto *curve = new QwtPlotCurve;
    curve->setPen(color, LINE_WIDTH);
    curve->setStyle(style);
    curve->setYAxis(yAxis);
    curve->setRenderHint(QwtPlotItem::RenderAntialiased);
    curve->attach(this);
    return curve;
}

void RunChart::showRecent(const Timeline &timeline)
{
    const std::vector<TimelineEntry> &entries = timeline.entries();
    const double from = std::max(0.0, endOf(entries) - RECENT_S);
    plot(std::lower_bound(entries.begin(), entries.end(), from,
                          [](const TimelineEntry &e, double s) { return e.startS < s; }),
         entries.end());
    setAxisScale(xBottom, from, from + RECENT_S);
    replot();
}

void RunChart::showWhole(const Timeline &timeline)
{
    plot(timeline.entries().begin(), timeline.entries().end());
    setAxisScale(xBottom, 0, std::max(1.0, endOf(timeline.entries())));
    replot();
}

// Merged entries cover several seconds: their counts become rates per second.
void RunChart::plot(Entries first, Entries last)
{
    const std::pair<QwtPlotCurve *, EntryValue> series[] = {
        {sent, [](const TimelineEntry &e) { return double(e.txPackets) / e.seconds; }},
        {received, [](const TimelineEntry &e) { return double(e.rxPackets) / e.seconds; }},
        {errors,
         [](const TimelineEntry &e) { return errorsOf(e) > 0 ? errorsOf(e) / e.seconds : -1; }},
        {rttP50, [](const TimelineEntry &e) { return e.rttP50Ms; }},
        {rttP99, [](const TimelineEntry &e) { return e.rttP99Ms; }}};
    for (const auto &[curve, value] : series) {
        QVector<QPointF> points;
        for (Entries e = first; e != last; ++e) {
            if (value(*e) >= 0)
                points << QPointF(e->startS, value(*e));
        }
        curve->setSamples(points);
    }
}

void RunChart::changeEvent(QEvent *event)
{
    QwtPlot::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        nameTexts();
}

void RunChart::nameTexts()
{
    setAxisTitle(xBottom, tr("时间 (秒)"));
    setAxisTitle(yLeft, tr("帧/秒"));
    setAxisTitle(yRight, tr("毫秒"));
    sent->setTitle(tr("发送"));
    received->setTitle(tr("正确接收"));
    errors->setTitle(tr("错误"));
    rttP50->setTitle(tr("时延 p50"));
    rttP99->setTitle(tr("时延 p99"));
}

// Drawn once a second, and only while it can be seen: a hidden chart costs nothing.
void MainWindow::redrawChart()
{
    if (ui->plot_chart->isVisible())
        ui->plot_chart->showRecent(ledger.timeline());
}

void MainWindow::on_cb_chart_clicked(bool checked)
{
    ui->plot_chart->setVisible(checked);
    redrawChart();
}
