// The session's pcapng capture: an interface for each port and line it is
// opened on, a packet for each frame that left, arrived or was refused.
#include "clock.h"
#include "linksession.h"
#include "pcapng.h"
#include "serial/portaccess.h"
#include "shell/texts.h"

namespace {

// "115200 baud 8N1, flow control none": the line as engineers write it.
QString lineDescription(const LineSetting &line)
{
    return QStringLiteral("%1 baud %2%3%4, flow control %5")
        .arg(line.baud)
        .arg(line.dataBits())
        .arg(line.word(PARITY).left(1).toUpper())
        .arg(line.stopBits())
        .arg(line.word(FLOW_CONTROL));
}

quint32 refusalFlags(int decodeResult)
{
    switch (decodeResult) {
    case FRAME_BAD_FCS:
        return pcapng::CRC_ERROR | pcapng::FCS_LENGTH_2;
    case FRAME_TOO_LONG:
        return pcapng::TOO_LONG;
    case FRAME_TOO_SHORT:
        return pcapng::TOO_SHORT;
    default:
        return pcapng::SYMBOL_ERROR; // an escape followed by what none may follow
    }
}

} // namespace

bool LinkSession::startPcap(const QString &path, bool replaceNow)
{
    QString why;
    if (!pcap->open(path, why)) {
        emit warning(Texts::tr("错误"), Texts::tr("无法打开文件 %1：%2").arg(path, why));
        return false;
    }
    if (replaceNow)
        pcap->empty();
    beginPcap();
    return true;
}

void LinkSession::sharePcap(std::shared_ptr<PcapCapture> capture)
{
    pcap = std::move(capture);
    beginPcap();
}

// Frames queued before the capture started left unseen by it.
void LinkSession::beginPcap()
{
    pcapLeaving.clear();
    pcapUnseen = counts.queuedFrames();
    describePcapInterface();
}

bool LinkSession::stopPcap()
{
    const bool flushed = flushPcap();
    pcap->close();
    return flushed;
}

void LinkSession::describePcapInterface()
{
    if (pcap->isOpen() && portOpen)
        pcapInterface = pcap->interfaceOf(devicePath(port.portName()), lineDescription(openedLine));
}

// Kept until it leaves the port's queue: a frame dropped at a close was never sent.
void LinkSession::pcapQueued(const quint8 *body, int length)
{
    if (!pcap->isOpen())
        return;
    QByteArray frame(reinterpret_cast<const char *>(body), length + 2);
    ppp_fcs_trailer(body, length, reinterpret_cast<quint8 *>(frame.data()) + length);
    pcapLeaving.push_back(std::move(frame));
}

void LinkSession::pcapLeft(int frames)
{
    const int unseen = qMin(frames, pcapUnseen);
    pcapUnseen -= unseen;
    for (int i = unseen; i < frames && !pcapLeaving.empty(); ++i) {
        const QByteArray frame = std::move(pcapLeaving.front());
        pcapLeaving.pop_front();
        pcapPacket(pcapng::OUTBOUND | pcapng::FCS_LENGTH_2,
                   reinterpret_cast<const quint8 *>(frame.constData()), frame.size());
    }
}

void LinkSession::pcapDiscarded()
{
    pcapLeaving.clear();
    pcapUnseen = 0;
}

// A good frame's FCS follows its body in the buffer.
void LinkSession::pcapReceived(quint16 length)
{
    pcapPacket(pcapng::INBOUND | pcapng::FCS_LENGTH_2, rxFrameBuf, length + 2);
}

void LinkSession::pcapRefused(int decodeResult, int stored)
{
    pcapPacket(pcapng::INBOUND | refusalFlags(decodeResult), rxFrameBuf, stored);
}

void LinkSession::pcapPacket(quint32 flags, const quint8 *bytes, int length)
{
    QString why;
    if (pcap->isOpen() && !pcap->packet(pcapInterface, clockMs(), flags, bytes, length, why))
        failPcap(why);
}

bool LinkSession::flushPcap()
{
    QString why;
    if (!pcap->isOpen() || pcap->flush(why))
        return true;
    failPcap(why);
    return false;
}

// Closed before the warning, as the text capture is.
void LinkSession::failPcap(const QString &why)
{
    pcap->close();
    pcapLeaving.clear();
    emit pcapStopped();
    emit warning(Texts::tr("错误"),
                 Texts::tr("无法写入文件 %1：%2，已停止保存").arg(pcap->path(), why));
}
