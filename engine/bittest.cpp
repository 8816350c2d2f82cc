// The bit error test: the sequence as a raw stream that keeps the port's queue
// full, and every byte that comes back through the checker instead of the
// frame decoder.
#include "linksession.h"
#include "shell/texts.h"

namespace {
constexpr qint64 STREAM_CHUNK = 4096; // bytes made and written at once
constexpr int BYTE_BITS = 8;
} // namespace

// A clean start, as every start; a character of fewer than 8 bits would cut
// the sequence, so the line must carry whole bytes.
bool LinkSession::startBitErrorTest()
{
    if (openedLine.dataBits() != BYTE_BITS) {
        emit refused(Texts::tr("错误"), Texts::tr("误码测试需要 8 个数据位"));
        return false;
    }
    stop();
    restartMeasurement();
    streamOut = std::make_unique<PrbsGenerator>(current.prbs);
    streamIn = std::make_unique<PrbsChecker>(current.prbs);
    setMode(SendMode::BitErrorTest);
    fillStream();
    return true;
}

void LinkSession::fillStream()
{
    char chunk[STREAM_CHUNK];
    while (portOpen && streamOut && sending == SendMode::BitErrorTest) {
        const qint64 room = transmitQueueLimit() - port.bytesToWrite();
        if (room <= 0)
            return;
        const qint64 length = qMin(room, STREAM_CHUNK);
        streamOut->fill(reinterpret_cast<uint8_t *>(chunk), size_t(length));
        const qint64 accepted = port.write(chunk, length);
        if (accepted <= 0)
            return;
        counts.streamQueued(accepted);
    }
}

void LinkSession::checkStream(const QByteArray &bytes)
{
    streamIn->feed(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    counts.bitsChecked(streamIn->bitsCompared(), streamIn->bitErrors(), streamIn->syncLosses());
    fillStream();
}
