#include "filenames.h"

#include <QTextCodec>

namespace {

constexpr ushort KEPT_BYTE_BASE = 0xDC00; // bytes 0x80 to 0xFF: U+DC80 to U+DCFF
constexpr ushort LOWEST_KEPT = 0xDC80;
constexpr ushort HIGHEST_KEPT = 0xDCFF;

// The length of the valid UTF-8 sequence that starts the bytes; 0 for none:
// a stray or overlong byte, a surrogate, or a code point beyond U+10FFFF.
int sequenceLength(const uchar *bytes, int available)
{
    const uchar lead = bytes[0];
    const int length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (length < 2)
        return length;
    if (length > available)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((bytes[i] & 0xC0) != 0x80)
            return 0;
    }
    const uchar second = bytes[1];
    const bool outside = (lead == 0xE0 && second < 0xA0) || (lead == 0xED && second >= 0xA0) ||
                         (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second >= 0x90);
    return outside ? 0 : length;
}

bool isKeptByte(const QChar *text, int at)
{
    const ushort unit = text[at].unicode();
    return unit >= LOWEST_KEPT && unit <= HIGHEST_KEPT &&
           (at == 0 || !text[at - 1].isHighSurrogate());
}

class ByteKeepingUtf8 : public QTextCodec
{
public:
    QByteArray name() const override { return "UTF-8, every byte kept"; }
    int mibEnum() const override { return 0; }

protected:
    // Runs of valid UTF-8 decode as usual; each byte between them is kept.
    QString convertToUnicode(const char *in, int length, ConverterState *) const override
    {
        const auto *bytes = reinterpret_cast<const uchar *>(in);
        QString text;
        for (int at = 0; at < length;) {
            const int start = at;
            for (int step; at < length && (step = sequenceLength(bytes + at, length - at)) > 0;)
                at += step;
            text += QString::fromUtf8(in + start, at - start);
            if (at < length)
                text += QChar(ushort(KEPT_BYTE_BASE + bytes[at++]));
        }
        return text;
    }

    QByteArray convertFromUnicode(const QChar *in, int length, ConverterState *) const override
    {
        QByteArray bytes;
        int start = 0;
        for (int at = 0; at < length; ++at) {
            if (!isKeptByte(in, at))
                continue;
            bytes += QString::fromRawData(in + start, at - start).toUtf8();
            bytes += char(in[at].unicode() - KEPT_BYTE_BASE);
            start = at + 1;
        }
        return bytes + QString::fromRawData(in + start, length - start).toUtf8();
    }
};

} // namespace

// Qt owns every codec once it is made and deletes them at exit.
void keepFileNameBytes()
{
    if (QTextCodec::codecForLocale()->mibEnum() == QTextCodec::codecForName("UTF-8")->mibEnum())
        QTextCodec::setCodecForLocale(new ByteKeepingUtf8);
}

QString shownFileName(QString name)
{
    for (int at = 0; at < name.size(); ++at) {
        if (isKeptByte(name.constData(), at))
            name[at] = QChar::ReplacementCharacter;
    }
    return name;
}
