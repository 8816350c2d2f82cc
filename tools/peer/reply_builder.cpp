#include "reply_builder.h"

#include "codec/ppp_frame.h"

#include <utility>

namespace {

constexpr char FLAG = char(PPP_FLAG);
constexpr char ESCAPE = char(PPP_ESCAPE);
constexpr char ESCAPE_XOR = char(PPP_ESCAPE_XOR);
// Follows 0x7D where only 0x5D or 0x5E may: the tool must not read it as 0x11.
constexpr char INVALID_ESCAPED = 0x31;
// Two bytes appended in extra mode; the tool's comparison ignores them.
const QByteArray EXTRA_BYTES = QByteArrayLiteral("\x55\xAA");
// Unstuffed body of an oversize frame: with its FCS it overflows the tool's
// FRAME_BUF_SIZE buffer by two bytes.
constexpr int OVERSIZE_BODY = FRAME_BUF_SIZE;
constexpr int NOISE_LENGTH = 16;

QByteArray stuffed(const QByteArray &bytes)
{
    QByteArray out;
    out.reserve(bytes.size() * 2);
    for (char byte : bytes) {
        if (byte == FLAG || byte == ESCAPE)
            out.append(ESCAPE).append(char(byte ^ ESCAPE_XOR));
        else
            out.append(byte);
    }
    return out;
}

// Body followed by its complemented FCS-16, low byte first.
QByteArray withFcs(const QByteArray &body)
{
    const auto *bytes = reinterpret_cast<const uint8_t *>(body.constData());
    const uint16_t fcs = uint16_t(~ppp_fcs16(bytes, body.size()));
    return body + char(fcs & 0xFF) + char(fcs >> 8);
}

QByteArray framed(const QByteArray &content)
{
    return FLAG + stuffed(content) + FLAG;
}

QByteArray goodFrame(const QByteArray &body)
{
    return framed(withFcs(body));
}

QByteArray badFcsFrame(const QByteArray &body)
{
    QByteArray content = withFcs(body);
    content.back() = char(~content.back());
    return framed(content);
}

QByteArray badEscapeFrame(const QByteArray &body)
{
    const QByteArray content = withFcs(body);
    const char invalid[] = {ESCAPE, INVALID_ESCAPED};
    return FLAG + stuffed(content.left(1)) + QByteArray(invalid, 2) + stuffed(content.mid(1)) +
           FLAG;
}

// Fewer than the three bytes the smallest frame holds between its flags.
QByteArray shortFrame(const QByteArray &body)
{
    return framed(withFcs(body).left(2));
}

QByteArray oversizeFrame(const QByteArray &body)
{
    QByteArray big = body.repeated(OVERSIZE_BODY / body.size() + 1);
    big.truncate(OVERSIZE_BODY);
    return goodFrame(big);
}

// The middle byte rather than the first, which may be the tool's tag.
QByteArray corrupted(QByteArray body)
{
    const int middle = body.size() / 2;
    body[middle] = char(~body.at(middle));
    return body;
}

int framesFor(Fault fault)
{
    switch (fault) {
    case Fault::Drop:
        return 0;
    case Fault::Duplicate:
        return 2;
    default:
        return 1;
    }
}

} // namespace

ReplyBuilder::ReplyBuilder(ReplyMode mode, FlagStyle flags, quint32 noiseSeed)
    : mode(mode), flags(flags), noiseGenerator(noiseSeed)
{
}

Reply ReplyBuilder::build(const QByteArray &received, Fault fault)
{
    QByteArray body = fault == Fault::Corrupt ? corrupted(received) : received;
    if (mode == ReplyMode::Extra)
        body += EXTRA_BYTES;
    return {withFlagStyle(wireFor(body, fault)), fault, framesFor(fault)};
}

QByteArray ReplyBuilder::wireFor(const QByteArray &body, Fault fault)
{
    switch (fault) {
    case Fault::BadFcs:
        return badFcsFrame(body);
    case Fault::BadEscape:
        return badEscapeFrame(body);
    case Fault::Drop:
        return QByteArray();
    case Fault::Duplicate:
        return goodFrame(body).repeated(2);
    case Fault::Short:
        return shortFrame(body);
    case Fault::Oversize:
        return oversizeFrame(body);
    case Fault::Noise:
        return noise() + goodFrame(body);
    default:
        return goodFrame(body);
    }
}

// Every frame of wire comes with its own two flags; two flags in a row only
// ever meet between frames.
QByteArray ReplyBuilder::withFlagStyle(QByteArray wire)
{
    if (wire.isEmpty() || flags == FlagStyle::Own)
        return wire;
    if (flags == FlagStyle::Idle)
        return FLAG + wire;
    wire.replace(QByteArray(2, FLAG), QByteArray(1, FLAG));
    if (std::exchange(flagSent, true) && wire.startsWith(FLAG))
        wire.remove(0, 1);
    return wire;
}

// Any byte but the flag, so that all of it lies between two flags: the previous
// reply's closing flag and this frame's opening one.
QByteArray ReplyBuilder::noise()
{
    QByteArray bytes;
    for (int i = 0; i < NOISE_LENGTH; ++i) {
        const quint32 value = noiseGenerator.bounded(255u);
        bytes.append(char(value >= quint8(FLAG) ? value + 1 : value));
    }
    return bytes;
}
