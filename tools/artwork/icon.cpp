#include "artwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

// A serial plug's face: a rounded trapezoid with two rows of pins, under a
// frame flag byte, on a deep blue tile.
void drawTile(QPainter &p)
{
    QLinearGradient sky(0, 0, 0, 128);
    sky.setColorAt(0, QColor(0x1f, 0x5f, 0xb0));
    sky.setColorAt(1, QColor(0x0b, 0x2a, 0x5a));
    p.setPen(Qt::NoPen);
    p.setBrush(sky);
    p.drawRoundedRect(QRectF(4, 4, 120, 120), 22, 22);
}

void drawPlug(QPainter &p)
{
    QPainterPath shell;
    shell.moveTo(22, 58);
    shell.lineTo(106, 58);
    shell.lineTo(96, 100);
    shell.lineTo(32, 100);
    shell.closeSubpath();
    p.setPen(QPen(QColor(0xe8, 0xee, 0xf6), 4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(QColor(0x2d, 0x74, 0xcc));
    p.drawPath(shell);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xff, 0xd2, 0x4a));
    for (int pin = 0; pin < 5; ++pin)
        p.drawEllipse(QPointF(38 + pin * 13, 72), 4.5, 4.5);
    for (int pin = 0; pin < 4; ++pin)
        p.drawEllipse(QPointF(44.5 + pin * 13, 87), 4.5, 4.5);
}

void drawFlag(QPainter &p)
{
    QFont font(QStringLiteral("DejaVu Sans Mono"));
    font.setPixelSize(34);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0xff, 0xff, 0xff));
    p.drawText(QRectF(4, 10, 120, 42), Qt::AlignCenter, QStringLiteral("7E"));
}

} // namespace

QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // The design is laid out on a 128-pixel grid; other sizes scale it.
    p.scale(size / qreal(ICON_DESIGN_SIZE), size / qreal(ICON_DESIGN_SIZE));
    drawTile(p);
    drawPlug(p);
    drawFlag(p);
    return image;
}
