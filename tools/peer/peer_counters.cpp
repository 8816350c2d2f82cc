#include "peer_counters.h"

namespace {

QString line(const QString &name, quint64 value)
{
    return QStringLiteral("%1: %2\n").arg(name).arg(value);
}

QString faultCounterName(Fault fault)
{
    return QStringLiteral("fault_") + faultName(fault).replace(QLatin1Char('-'), QLatin1Char('_'));
}

} // namespace

void PeerCounters::noteSent(const Reply &reply)
{
    repliesSent += quint64(reply.frames);
    bytesSent += quint64(reply.wire.size());
    bitsFlipped += reply.bitsFlipped;
    bytesDropped += reply.bytesDropped;
    if (reply.fault != Fault::None)
        ++injected[reply.fault];
    wire.feed(reply.wire);
}

void PeerCounters::noteReturned()
{
    ++timesReturned;
    wire.startHunting();
}

QString PeerCounters::report() const
{
    QString text = line("frames_received", framesReceived) + line("replies_sent", repliesSent) +
                   line("bytes_received", bytesReceived) + line("bytes_sent", bytesSent) +
                   line("bits_flipped", bitsFlipped) + line("bytes_dropped", bytesDropped);
    for (Fault fault : INJECTABLE_FAULTS) {
        const auto found = injected.find(fault);
        text += line(faultCounterName(fault), found == injected.end() ? 0 : found->second);
    }
    const WireCounts &seen = wire.counts();
    return text + line("wire_good_frames", seen.goodFrames) +
           line("wire_short_errors", seen.shortErrors) + line("wire_long_errors", seen.longErrors) +
           line("wire_crc_errors", seen.crcErrors) + line("wire_7d_errors", seen.escapeErrors) +
           line("vanished", timesVanished) + line("returned", timesReturned);
}
