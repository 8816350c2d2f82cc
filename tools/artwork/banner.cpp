#include "artwork.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>

namespace {

constexpr int ADVERT_WIDTH = 840;
constexpr int BANNER_HEIGHT = 112;
constexpr int BACKGROUND_TILE_WIDTH = 64;

struct Advert {
    QColor accent;
    const char *chineseHeadline;
    const char *chineseLine;
    const char *englishHeadline;
    const char *englishLine;
    const char *frameSketch; // the kind of traffic the advert is about; no figure a user could take for a result
};

const Advert ADVERTS[ADVERT_COUNT] = {
    {QColor(0x2d, 0x9c, 0xdb), "应答式发送",
     "每收到一个正确应答，立即发出下一帧，测出链路真实的往返能力", "Answer-driven sending",
     "Every good reply sends the next frame: see what the link really carries",
     "TX 7E 5A 01 .. 7E   RX 7E 5A 01 .. 7E"},
    {QColor(0xe0, 0x8e, 0x2b), "FCS-16 逐帧校验", "分别统计 CRC 错误、7D 转义错误、超长帧与超短帧",
     "FCS-16 checks on every frame", "CRC, 7D escape, too-long and too-short errors counted apart",
     "7D 5E  7D 5D  FCS 3B 4F"},
    {QColor(0x3c, 0xb3, 0x71), "收发比较", "每个应答都与尚未应答的发送帧比对，比较失败一目了然",
     "Reply comparison", "Each reply is matched against the frames still outstanding",
     "TX == RX ?   OK / FAIL"},
    {QColor(0x9b, 0x59, 0xb6), "定时发送", "按毫秒周期连续发送，实时显示发送速率与运行时间",
     "Timed sending", "Send at any period in milliseconds, with live send rate and run time",
     "TX ... TX ... TX ...  period"},
    {QColor(0xd3, 0x54, 0x54), "数据保存至文件",
     "收发的每一帧带毫秒时间戳写入文本文件，便于离线分析", "Capture to a file",
     "Every frame sent and received, one text line with a millisecond stamp",
     "[ TX stamp, length ]  7E .. 7E"},
    {QColor(0x16, 0xa0, 0x85), "模拟设备",
     "没有硬件？pakto-peer 扮演链路对端，并可按需注入各类错误", "Simulated device",
     "No hardware? pakto-peer plays the far end and injects faults on demand",
     "echo  raw  extra  --pty"},
};

QFont textFont(bool english, int pixelSize, bool bold)
{
    QFont font(english ? QStringLiteral("DejaVu Sans") : QStringLiteral("WenQuanYi Micro Hei"));
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    return font;
}

// The strip's own band: shaded only from top to bottom, so it repeats
// seamlessly along any width.
void drawBand(QPainter &p, int width)
{
    QLinearGradient shade(0, 0, 0, BANNER_HEIGHT);
    shade.setColorAt(0, QColor(0x1b, 0x33, 0x56));
    shade.setColorAt(1, QColor(0x0a, 0x16, 0x2a));
    p.fillRect(0, 0, width, BANNER_HEIGHT, shade);
    p.fillRect(0, 0, width, 2, QColor(0x2d, 0x74, 0xcc));
}

// The accent fades out to the right, so the advert's edge is the band itself
// and the strip beside it reads as its continuation.
void drawBackdrop(QPainter &p, const QColor &accent)
{
    drawBand(p, ADVERT_WIDTH);
    QColor faded = accent.darker(220);
    faded.setAlpha(0);
    QLinearGradient shade(0, 0, ADVERT_WIDTH, 0);
    shade.setColorAt(0, QColor(0x10, 0x22, 0x3e, 235));
    shade.setColorAt(0.6, accent.darker(220));
    shade.setColorAt(1, faded);
    p.fillRect(0, 2, ADVERT_WIDTH, BANNER_HEIGHT - 2, shade);
    p.fillRect(0, 0, 6, BANNER_HEIGHT, accent);
}

void drawFrameSketch(QPainter &p, const Advert &advert)
{
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setPixelSize(15);
    p.setFont(mono);
    p.setPen(QColor(255, 255, 255, 110));
    p.drawText(QRect(ADVERT_WIDTH - 436, 80, 420, 24), Qt::AlignRight | Qt::AlignVCenter,
               QString::fromUtf8(advert.frameSketch));
}

void drawWords(QPainter &p, const Advert &advert, bool english)
{
    const int left = 122;
    p.setPen(Qt::white);
    p.setFont(textFont(english, 30, true));
    p.drawText(QRect(left, 12, ADVERT_WIDTH - left - 16, 42), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(english ? advert.englishHeadline : advert.chineseHeadline));
    p.setPen(QColor(0xdc, 0xe6, 0xf2));
    p.setFont(textFont(english, 17, false));
    p.drawText(QRect(left, 52, ADVERT_WIDTH - left - 16, 28), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromUtf8(english ? advert.englishLine : advert.chineseLine));
}

} // namespace

QImage drawBannerBackground()
{
    QImage tile(BACKGROUND_TILE_WIDTH, BANNER_HEIGHT, QImage::Format_RGB32);
    QPainter p(&tile);
    drawBand(p, BACKGROUND_TILE_WIDTH);
    return tile;
}

QImage drawAdvert(int index, bool english)
{
    const Advert &advert = ADVERTS[index];
    QImage image(ADVERT_WIDTH, BANNER_HEIGHT, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    drawBackdrop(p, advert.accent);
    p.drawImage(QRect(20, 12, 88, 88), drawIcon());
    drawWords(p, advert, english);
    drawFrameSketch(p, advert);
    return image;
}
