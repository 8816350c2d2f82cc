#include "reply_reader.h"

namespace {

constexpr uint8_t FLAG = 0x7E;

int differingBytes(const QByteArray &a, const QByteArray &b)
{
    int differing = 0;
    for (int i = 0; i < a.size(); ++i)
        differing += a[i] != b[i];
    return differing;
}

QString errorName(int result)
{
    switch (result) {
    case FRAME_TOO_SHORT: return "short";
    case FRAME_TOO_LONG: return "long";
    case FRAME_BAD_FCS: return "crc";
    case FRAME_BAD_ESCAPE: return "7d";
    default: return QString("result %1").arg(result);
    }
}

} // namespace

ReplyReader::ReplyReader(const QVector<QByteArray> &sentBodies) : sent(sentBodies), frame(FRAME_BUF_SIZE)
{
}

void ReplyReader::feed(const QByteArray &bytes)
{
    for (char byte : bytes)
        feedByte(uint8_t(byte));
}

void ReplyReader::feedByte(uint8_t byte)
{
    if (!state.inFrame && byte != FLAG) {
        ++skipped;
    } else if (skipped > 0) {
        seen << "skip";
        skipped = 0;
    }
    const int result = ppp_frame_decode(state, byte, frame.data(), FRAME_BUF_SIZE);
    if (result > 0)
        seen << nameFrame(QByteArray(reinterpret_cast<const char *>(frame.data()), result));
    else if (result < 0)
        seen << errorName(result);
}

QString ReplyReader::nameFrame(const QByteArray &body) const
{
    for (int k = 0; k < sent.size(); ++k) {
        const QByteArray &original = sent[k];
        const bool extra = body.size() == original.size() + 2;
        if (!extra && body.size() != original.size())
            continue;
        const int differing = differingBytes(body.left(original.size()), original);
        if (differing <= 1)
            return QString("%1 %2%3").arg(extra ? "extra" : "echo").arg(k + 1).arg(differing ? " corrupt" : "");
    }
    return "frame ?";
}
