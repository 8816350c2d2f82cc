#include "runchart.h"

#include <qwt_graphic.h>
#include <qwt_legend.h>
#include <qwt_plot_grid.h>
#include <qwt_plot_zoneitem.h>
#include <qwt_scale_engine.h>
#include <qwt_symbol.h>

#include <QEvent>
#include <QVector>

#include <algorithm>

namespace {

constexpr double LINE_WIDTH = 1.5;
constexpr int MARK_SIZE = 5;
constexpr double HEADROOM = 1.05; // a line at the top stays clear of the frame
constexpr int EDGE_PX = 10;       // kept clear around the plot, legend included
// A piece of a second this short (a run's end) has a rate too noisy to draw.
constexpr double SHORTEST_RATE_S = 0.25;
// Room for one time label and the space after it; never more than Qwt's own count.
constexpr int TIME_LABEL_PX = 50;
constexpr int MOST_TIME_STEPS = 8;
const QColor OUTAGE_SHADE{0xf0, 0xa0, 0x40, 70}; // light enough for the grid to show through

// Each curve's value for an entry; below 0: no point that second.
using EntryValue = double (*)(const TimelineEntry &);

double errorsOf(const TimelineEntry &e)
{
    return double(e.framingErrors + e.compareFailed + e.noReply + e.txErrors) +
           double(std::max<qint64>(0, e.bitErrors)); // the bit error test's, in its mode
}

double endOf(const std::vector<TimelineEntry> &entries)
{
    return entries.empty() ? 0 : entries.back().startS + entries.back().seconds;
}

// Counts over the time the entry covered, so that a run's last, partial
// second shows the rate it had rather than a drop.
double rate(const TimelineEntry &e, quint64 count)
{
    return e.lengthS >= SHORTEST_RATE_S ? double(count) / e.lengthS : -1;
}

// Its legend entry a swatch of its shade, as the curves' are of their colour.
class OutageZone : public QwtPlotZoneItem
{
public:
    QwtGraphic legendIcon(int, const QSizeF &size) const override
    {
        return defaultIcon(brush(), size);
    }
};

} // namespace

RunChart::RunChart(QWidget *parent) : QwtPlot(parent)
{
    setCanvasBackground(Qt::white);
    enableAxis(yRight);
    setContentsMargins(EDGE_PX, EDGE_PX, EDGE_PX, EDGE_PX);
    auto *grid = new QwtPlotGrid;
    grid->setMajorPen(Qt::lightGray, 0, Qt::DotLine);
    grid->attach(this);
    addCurves();
    insertLegend(new QwtLegend, BottomLegend);
    nameTexts();
    showRecent(Timeline());
}

// The rates on the left axis, the round trips on the right. The sent frames
// are dashed over the received ones, which often match them: where the two
// coincide, both colours still show.
void RunChart::addCurves()
{
    received = addCurve(RECEIVED_COLOR, QwtPlotCurve::Lines, yLeft);
    sent = addCurve(SENT_COLOR, QwtPlotCurve::Lines, yLeft);
    QPen dashed(SENT_COLOR, LINE_WIDTH);
    dashed.setDashPattern({3, 3}); // gaps as long as dashes: the received line shows in them
    sent->setPen(dashed);
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
        {sent, [](const TimelineEntry &e) { return rate(e, e.txPackets); }},
        {received, [](const TimelineEntry &e) { return rate(e, e.rxPackets); }},
        {errors,
         [](const TimelineEntry &e) {
             return errorsOf(e) > 0 ? rate(e, quint64(errorsOf(e))) : -1;
         }},
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
    for (int axis : {yLeft, yRight})
        scaleFromZero(axis);
    markOutages(first, last);
}

// The zones of the last drawing are reused, so that the window's redraw each
// second makes none while the outages stay; the legend keeps one entry, the
// first zone's, while there is any.
void RunChart::markOutages(Entries first, Entries last)
{
    const QVector<QwtInterval> spans = outageSpans(first, last);
    const QwtPlotItemList zones = itemList(QwtPlotItem::Rtti_PlotZone);
    for (int i = spans.size(); i < zones.size(); ++i)
        delete zones[i]; // detaches itself
    for (int i = 0; i < spans.size(); ++i) {
        QwtPlotItem *zone = i < zones.size() ? zones[i] : addOutageZone(i == 0);
        static_cast<QwtPlotZoneItem *>(zone)->setInterval(spans[i]);
    }
}

// An entry with an outage is shaded whole: when in its time the port went is
// not kept. Neighbours make one span.
QVector<QwtInterval> RunChart::outageSpans(Entries first, Entries last)
{
    QVector<QwtInterval> spans;
    for (Entries e = first; e != last; ++e) {
        if (e->outageMs <= 0)
            continue;
        if (!spans.isEmpty() && spans.back().maxValue() >= e->startS)
            spans.back().setMaxValue(e->startS + e->lengthS);
        else
            spans << QwtInterval(e->startS, e->startS + e->lengthS);
    }
    return spans;
}

QwtPlotItem *RunChart::addOutageZone(bool inLegend)
{
    auto *zone = new OutageZone;
    zone->setOrientation(Qt::Vertical); // across the time axis
    zone->setBrush(OUTAGE_SHADE);
    zone->setItemAttribute(QwtPlotItem::Legend, inLegend);
    zone->setTitle(tr("断线"));
    zone->attach(this);
    return zone;
}

// Each axis from 0 to a round number above what it shows now: autoscaling
// would keep a stale scale once an axis has no point, and centre an all-zero
// one on 0.
void RunChart::scaleFromZero(int axis)
{
    double top = 0;
    for (const QwtPlotItem *item : itemList(QwtPlotItem::Rtti_PlotCurve)) {
        const auto *curve = static_cast<const QwtPlotCurve *>(item);
        if (curve->yAxis() == axis && curve->dataSize() > 0)
            top = std::max(top, curve->maxYValue());
    }
    double bottom = 0, step = 0;
    top = top > 0 ? top * HEADROOM : 1;
    QwtScaleEngine *engine = axisScaleEngine(axis);
    engine->autoScale(axisMaxMajor(axis), bottom, top, step);
    setAxisScaleDiv(axis,
                    engine->divideScale(0, top, axisMaxMajor(axis), axisMaxMinor(axis), step));
}

// As many time labels as fit the canvas: a narrow chart would run them together.
void RunChart::resizeEvent(QResizeEvent *event)
{
    QwtPlot::resizeEvent(event);
    const int steps = std::clamp(canvas()->width() / TIME_LABEL_PX, 2, MOST_TIME_STEPS);
    if (steps == axisMaxMajor(xBottom))
        return;
    setAxisMaxMajor(xBottom, steps);
    replot();
}

void RunChart::changeEvent(QEvent *event)
{
    QwtPlot::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        nameTexts();
}

void RunChart::nameTexts()
{
    nameAxis(xBottom, tr("时间 (秒)"));
    nameAxis(yLeft, tr("帧/秒"));
    nameAxis(yRight, tr("毫秒"));
    sent->setTitle(tr("发送"));
    received->setTitle(tr("正确接收"));
    errors->setTitle(tr("错误"));
    rttP50->setTitle(tr("时延 p50"));
    rttP99->setTitle(tr("时延 p99"));
    for (QwtPlotItem *zone : itemList(QwtPlotItem::Rtti_PlotZone))
        zone->setTitle(tr("断线"));
}

// In a regular weight: the Chinese fonts have no bold, and the one Qt makes
// up smears each glyph over its neighbours once a title is turned on its side.
void RunChart::nameAxis(int axis, const QString &text)
{
    QwtText title(text);
    QFont font = axisTitle(axis).font();
    font.setBold(false);
    title.setFont(font);
    setAxisTitle(axis, title);
}
