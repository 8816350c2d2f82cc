#include "payload.h"
#include "shell/texts.h"

#include <cstring>
#include <ctime>
#include <new>

namespace {

// qrand() draws from the sequence qsrand() seeds, which QRandomGenerator
// would not follow. Qt 5.15 marks both deprecated; they stay so that qrand()
// remains the one generator.
int seededRandom()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return qrand();
    QT_WARNING_POP
}

void fillRandom(quint8 *bytes, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = quint8(randomByte());
}

// The lengths fitted to the room, the longest never below the shortest.
int fillPayload(const SessionSettings &settings, quint8 *payload, int room)
{
    if (settings.random) {
        const int shortest = qBound(0, settings.lengthMin, room);
        const int length = randomLength(shortest, qBound(shortest, settings.lengthMax, room));
        fillRandom(payload, length);
        return length;
    }
    const int length = qMin(int(settings.payload.size()), room);
    std::memcpy(payload, settings.payload.constData(), size_t(length));
    return length;
}

} // namespace

std::unique_ptr<Packet> PayloadBuilder::build(const SessionSettings &settings)
{
    std::unique_ptr<Packet> packet(new (std::nothrow) Packet);
    if (!packet)
        return nullptr;
    int tagLength = 0;
    if (settings.tag) {
        packet->bytes[0] = PACKET_TAG;
        packet->bytes[1] = takeSid(settings.sidMin, settings.sidMax);
        tagLength = PACKET_TAG_LENGTH;
    }
    const int room = PACKET_CAPACITY - tagLength;
    packet->length = quint16(tagLength + fillPayload(settings, packet->bytes + tagLength, room));
    return packet;
}

quint8 PayloadBuilder::takeSid(quint8 sidMin, quint8 sidMax)
{
    const quint8 sid = qMin(qMax(nextSid, sidMin), sidMax); // the maximum wins a crossed range
    const quint8 next = quint8(sid + 1);
    nextSid = next > sidMax ? sidMin : next;
    return sid;
}

QString emptyPacketProblem(const SessionSettings &settings)
{
    if (settings.tag)
        return QString();
    if (settings.random && settings.lengthMin <= 0)
        return Texts::tr("未启用标签时最短长度为 0：会产生空包");
    if (!settings.random && settings.payload.isEmpty())
        return Texts::tr("未启用标签时载荷为空：每个包都是空的");
    return QString();
}

void reseedRandomPayloads()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    qsrand(uint(time(nullptr)));
    QT_WARNING_POP
}

int randomLength(int shortest, int longest)
{
    return shortest + seededRandom() % (longest - shortest + 1);
}

int randomByte()
{
    return seededRandom() % 256;
}
