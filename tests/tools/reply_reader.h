// Decodes what the peer sends with the codec and names each event, so that a
// whole exchange compares as one list: "echo 2" (a body sent, back unchanged),
// "extra 1" (with two more bytes), "echo 3 corrupt" (one byte changed),
// "frame ?", "short", "long", "crc", "7d", and "skip" for a run of bytes the
// decoder discarded while hunting.
#pragma once

#include "codec/ppp_frame.h"

#include <QByteArray>
#include <QStringList>
#include <QVector>

#include <vector>

class ReplyReader
{
public:
    explicit ReplyReader(const QVector<QByteArray> &sentBodies);

    void feed(const QByteArray &bytes);
    const QStringList &events() const { return seen; }

private:
    void feedByte(uint8_t byte);
    QString nameFrame(const QByteArray &body) const;

    QVector<QByteArray> sent;
    DecoderState state{};
    std::vector<uint8_t> frame;
    int skipped = 0;
    QStringList seen;
};
