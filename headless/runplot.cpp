#include "runplot.h"
#include "widgets/runchart.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <qwt_plot_renderer.h>

namespace {

const QSize PICTURE_SIZE(1200, 600);

bool endsWith(const QString &path, const char *suffix)
{
    return path.endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// On white, without the widget's own frame and background; the renderer
// leaves the chart's margins out with its background, so they are kept here.
void render(RunChart &chart, QPaintDevice &device)
{
    QwtPlotRenderer renderer;
    renderer.setDiscardFlag(QwtPlotRenderer::DiscardBackground);
    renderer.setDiscardFlag(QwtPlotRenderer::DiscardCanvasFrame);
    QPainter painter(&device);
    const QRect area(QPoint(0, 0), PICTURE_SIZE);
    painter.fillRect(area, Qt::white);
    renderer.render(&chart, &painter, area.marginsRemoved(chart.contentsMargins()));
}

QByteArray svgOf(RunChart &chart)
{
    QBuffer svg;
    QSvgGenerator generator;
    generator.setOutputDevice(&svg);
    generator.setSize(PICTURE_SIZE);
    generator.setViewBox(QRect(QPoint(0, 0), PICTURE_SIZE));
    render(chart, generator);
    return svg.data();
}

QByteArray pngOf(RunChart &chart)
{
    QImage image(PICTURE_SIZE, QImage::Format_RGB32);
    render(chart, image);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    return image.save(&png, "PNG") ? png.data() : QByteArray();
}

} // namespace

bool isPlotFileName(const QString &path)
{
    return endsWith(path, ".svg") || endsWith(path, ".png");
}

QByteArray plotOf(const Timeline &timeline, const QString &path, const QString &title)
{
    RunChart chart;
    chart.setTitle(title);
    chart.showWhole(timeline);
    return endsWith(path, ".svg") ? svgOf(chart) : pngOf(chart);
}
