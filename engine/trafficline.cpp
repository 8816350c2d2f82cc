#include "trafficline.h"
#include "shell/texts.h"

TrafficLabels translatedTrafficLabels()
{
    return {Texts::tr("发"), Texts::tr("收"), Texts::tr("字节"), Texts::tr("比较失败")};
}

void appendHex(QString &line, const quint8 *bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    const int start = line.size();
    line.resize(start + 3 * count);
    QChar *out = line.data() + start;
    for (int i = 0; i < count; ++i, out += 3) {
        out[0] = QLatin1Char(' ');
        out[1] = QLatin1Char(digits[bytes[i] >> 4]);
        out[2] = QLatin1Char(digits[bytes[i] & 0x0F]);
    }
}

void appendTrafficHeader(QString &line, const TrafficLabels &labels, quint16 count,
                         TrafficDirection direction, double stampMs)
{
    line += QStringLiteral("[ ");
    line += direction == TrafficDirection::Sent ? labels.sent : labels.received;
    line += QLatin1Char(' ');
    line += QString::number(stampMs, 'f', 3);
    line += QStringLiteral("ms , ");
    line += QString::number(count);
    line += labels.bytes;
    line += QStringLiteral(" ]");
}

QString captureLine(const TrafficLabels &labels, const quint8 *bytes, quint16 count,
                    TrafficDirection direction, double stampMs)
{
    QString line;
    appendTrafficHeader(line, labels, count, direction, stampMs);
    line += QLatin1Char(' ');
    appendHex(line, bytes, count);
    return line;
}
