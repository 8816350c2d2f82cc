// The blocks of a pcapng file that a capture of serial frames needs: one
// section header, an interface description per port, an enhanced packet per
// frame. Little-endian throughout; readers follow the byte-order magic.
#pragma once

#include <QByteArray>
#include <QString>

namespace pcapng {

// LINKTYPE_USER0: the frames are ours, and a dissector of ours reads them.
constexpr quint16 LINKTYPE_USER0 = 147;

// The enhanced packet's flags word: direction, FCS length, link-layer errors.
enum PacketFlag : quint32 {
    INBOUND = 1u,
    OUTBOUND = 2u,
    FCS_LENGTH_2 = 2u << 5,
    CRC_ERROR = 1u << 24,
    TOO_LONG = 1u << 25,
    TOO_SHORT = 1u << 26,
    SYMBOL_ERROR = 1u << 31,
};

QByteArray sectionHeader(const QString &application);
// Time stamps in nanoseconds; packets of any length are kept whole.
QByteArray interfaceDescription(const QString &name, const QString &description);
QByteArray enhancedPacket(quint32 interface, quint64 stampNs, quint32 flags, const quint8 *bytes,
                          int length);

} // namespace pcapng
