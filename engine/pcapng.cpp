#include "pcapng.h"

#include <QtEndian>

namespace pcapng {
namespace {

constexpr quint32 SECTION_HEADER = 0x0A0D0D0A;
constexpr quint32 INTERFACE_DESCRIPTION = 1;
constexpr quint32 ENHANCED_PACKET = 6;
constexpr quint32 BYTE_ORDER_MAGIC = 0x1A2B3C4D;
constexpr quint16 OPT_END = 0;
constexpr quint16 SHB_USERAPPL = 4;
constexpr quint16 IF_NAME = 2;
constexpr quint16 IF_DESCRIPTION = 3;
constexpr quint16 IF_TSRESOL = 9;
constexpr quint16 EPB_FLAGS = 2;
constexpr char NANOSECONDS = 9; // 10^-9 s a tick

template <typename T> void put(QByteArray &out, T value)
{
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&little), sizeof little);
}

void padToWord(QByteArray &out)
{
    out.append((4 - out.size() % 4) % 4, '\0');
}

void putOption(QByteArray &out, quint16 code, const QByteArray &value)
{
    put(out, code);
    put(out, quint16(value.size()));
    out.append(value);
    padToWord(out);
}

void endOptions(QByteArray &out)
{
    put(out, OPT_END);
    put(out, quint16(0));
}

// The block's type, its body, and its total length before and after.
QByteArray block(quint32 type, const QByteArray &body)
{
    const quint32 total = quint32(12 + body.size());
    QByteArray out;
    out.reserve(int(total));
    put(out, type);
    put(out, total);
    out.append(body);
    put(out, total);
    return out;
}

} // namespace

QByteArray sectionHeader(const QString &application)
{
    QByteArray body;
    put(body, BYTE_ORDER_MAGIC);
    put(body, quint16(1)); // version 1.0
    put(body, quint16(0));
    put(body, qint64(-1)); // the section's length is not known in advance
    putOption(body, SHB_USERAPPL, application.toUtf8());
    endOptions(body);
    return block(SECTION_HEADER, body);
}

QByteArray interfaceDescription(const QString &name, const QString &description)
{
    QByteArray body;
    put(body, LINKTYPE_USER0);
    put(body, quint16(0));
    put(body, quint32(0)); // no snapshot length: every byte kept
    putOption(body, IF_NAME, name.toUtf8());
    putOption(body, IF_DESCRIPTION, description.toUtf8());
    putOption(body, IF_TSRESOL, QByteArray(1, NANOSECONDS));
    endOptions(body);
    return block(INTERFACE_DESCRIPTION, body);
}

QByteArray enhancedPacket(quint32 interface, quint64 stampNs, quint32 flags, const quint8 *bytes,
                          int length)
{
    QByteArray body;
    body.reserve(length + 40);
    put(body, interface);
    put(body, quint32(stampNs >> 32));
    put(body, quint32(stampNs));
    put(body, quint32(length)); // captured
    put(body, quint32(length)); // on the line
    body.append(reinterpret_cast<const char *>(bytes), length);
    padToWord(body);
    QByteArray flagsWord;
    put(flagsWord, flags);
    putOption(body, EPB_FLAGS, flagsWord);
    endOptions(body);
    return block(ENHANCED_PACKET, body);
}

} // namespace pcapng
