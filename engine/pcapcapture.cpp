#include "pcapcapture.h"
#include "clock.h"
#include "pcapng.h"

#include <QCoreApplication>

#include <chrono>
#include <cmath>

namespace {
// A buffer this full goes out before its second is up.
constexpr int FLUSH_BYTES = 1 << 16;
} // namespace

bool PcapCapture::open(const QString &path, QString &why)
{
    close();
    if (!file.open(path, why))
        return false;
    startWallNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                      std::chrono::system_clock::now().time_since_epoch())
                      .count();
    startClockMs = clockMs();
    buffer = pcapng::sectionHeader(QCoreApplication::applicationName() + QLatin1Char(' ') +
                                   QCoreApplication::applicationVersion());
    return true;
}

void PcapCapture::empty()
{
    file.empty();
    begun = true;
}

quint32 PcapCapture::interfaceOf(const QString &port, const QString &line)
{
    const QString key = port + QLatin1Char('\n') + line;
    int index = interfaces.indexOf(key);
    if (index < 0) {
        index = interfaces.size();
        interfaces << key;
        buffer += pcapng::interfaceDescription(port, line);
    }
    return quint32(index);
}

bool PcapCapture::packet(quint32 interface, double clockMs, quint32 flags, const quint8 *bytes,
                         int length, QString &why)
{
    const qint64 stampNs = startWallNs + std::llround((clockMs - startClockMs) * 1e6);
    buffer += pcapng::enhancedPacket(interface, quint64(stampNs), flags, bytes, length);
    begun = true;
    return buffer.size() < FLUSH_BYTES || flush(why);
}

// Until the first packet, an earlier file stays as it was.
bool PcapCapture::flush(QString &why)
{
    if (!begun || buffer.isEmpty())
        return true;
    QByteArray blocks;
    blocks.swap(buffer);
    return file.writeBytes(blocks, why);
}

void PcapCapture::close()
{
    file.close();
    buffer.clear();
    interfaces.clear();
    begun = false;
}
