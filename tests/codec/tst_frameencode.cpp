// Frame encoder: exact frames, the capacity bound, and every refusal.
#include "codec/ppp_frame.h"

#include <QtTest>

namespace {

constexpr char GUARD = char(0xA5);
constexpr int GUARD_BYTES = 16;

// Encodes into a buffer of capacity bytes followed by guard bytes; the guard
// must survive whatever the encoder does.
struct Encoded {
    int result;
    QByteArray buffer;
    bool guardIntact;
};

Encoded encode(const QByteArray &body, int capacity)
{
    QByteArray buffer(capacity + GUARD_BYTES, GUARD);
    const int result =
        ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                         reinterpret_cast<uint8_t *>(buffer.data()), capacity);
    return {result, buffer, buffer.mid(capacity) == QByteArray(GUARD_BYTES, GUARD)};
}

// A bodyLen-byte body whose frame is exactly frameLen bytes: its leading 0x7E bytes
// stuff to two each, and the last byte is picked so that the FCS needs no stuffing.
QByteArray bodyWithFrameLength(int bodyLen, int frameLen)
{
    const int escapes = frameLen - 4 - bodyLen;
    QByteArray body = QByteArray(escapes, '\x7E') + QByteArray(bodyLen - escapes, '\x00');
    for (int last = 0; last < 0x7D; ++last) {
        body[bodyLen - 1] = char(last);
        const uint16_t fcs =
            ~ppp_fcs16(reinterpret_cast<const uint8_t *>(body.constData()), bodyLen);
        const auto plain = [](int b) { return b != 0x7D && b != 0x7E; };
        if (plain(fcs & 0xFF) && plain(fcs >> 8))
            return body;
    }
    return {};
}

} // namespace

class TstFrameEncode : public QObject
{
    Q_OBJECT

private slots:
    void frame_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QByteArray>("frame"); // empty: refused with 0

        const QByteArray flagBody = QByteArray::fromHex("017E02");
        const QByteArray flagFrame = QByteArray::fromHex("7E017D5E02D6D57E");
        QTest::newRow("flag in body") << flagBody << 100 << flagFrame;
        QTest::newRow("low FCS byte stuffed")
            << QByteArray::fromHex("60") << 100 << QByteArray::fromHex("7E607D5E937E");
        QTest::newRow("high FCS byte stuffed as 7D 5D")
            << QByteArray::fromHex("19") << 100 << QByteArray::fromHex("7E19387D5D7E");
        QTest::newRow("high FCS byte stuffed as 7D 5E")
            << QByteArray::fromHex("2A") << 100 << QByteArray::fromHex("7E2A207D5E7E");
        QTest::newRow("escapes and flags only") << QByteArray::fromHex("7D7E7D7E") << 100
                                                << QByteArray::fromHex("7E7D5D7D5E7D5D7D5E92677E");
        QTest::newRow("control characters and 5D 5E pass unescaped")
            << QByteArray::fromHex("1113001F205D5E") << 100
            << QByteArray::fromHex("7E1113001F205D5EB6427E");

        // The 8-byte frame of 01 7E 02 against shrinking buffers.
        QTest::newRow("one byte to spare") << flagBody << 9 << flagFrame;
        QTest::newRow("frame as long as the buffer") << flagBody << 8 << QByteArray();
        QTest::newRow("no room for the closing flag") << flagBody << 7 << QByteArray();
        QTest::newRow("full inside an escape pair") << flagBody << 3 << QByteArray();
        QTest::newRow("full after the first body byte") << flagBody << 2 << QByteArray();
        QTest::newRow("full inside a stuffed FCS byte")
            << QByteArray::fromHex("60") << 3 << QByteArray();
    }
    void frame()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, capacity);
        QFETCH(QByteArray, frame);

        const Encoded out = encode(body, capacity);
        QCOMPARE(out.result, frame.size());
        if (!frame.isEmpty())
            QCOMPARE(out.buffer.left(out.result), frame);
        QVERIFY(out.guardIntact);
    }

    void refusedWithoutWriting_data()
    {
        QTest::addColumn<int>("len");
        QTest::addColumn<int>("capacity");

        QTest::newRow("empty body") << 0 << 100;
        QTest::newRow("negative length") << -1 << 100;
        QTest::newRow("capacity 1") << 1 << 1;
        QTest::newRow("capacity 0") << 1 << 0;
        QTest::newRow("negative capacity") << 1 << -5;
    }
    void refusedWithoutWriting()
    {
        QFETCH(int, len);
        QFETCH(int, capacity);
        const uint8_t body[] = {0x60};
        QByteArray buffer(GUARD_BYTES, GUARD);
        QCOMPARE(ppp_frame_encode(body, len, reinterpret_cast<uint8_t *>(buffer.data()), capacity),
                 0);
        QCOMPARE(buffer, QByteArray(GUARD_BYTES, GUARD));
    }

    void nullDestinationRefused()
    {
        const uint8_t body[] = {0x60};
        QCOMPARE(ppp_frame_encode(body, 1, nullptr, FRAME_BUF_SIZE), 0);
    }

    void transmitBufferLimit_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("frameLen"); // 0: refused

        QTest::newRow("frame of 8195 bytes") << bodyWithFrameLength(4100, 8195) << 8195;
        QTest::newRow("longest frame, 8196 bytes") << bodyWithFrameLength(4100, 8196) << 8196;
        QTest::newRow("frame of 8197 bytes refused") << bodyWithFrameLength(4100, 8197) << 0;
        QTest::newRow("frame of 8198 bytes refused") << bodyWithFrameLength(4100, 8198) << 0;
        QTest::newRow("4096 flags, FCS unstuffed, fit") << QByteArray(4096, '\x7E') << 8196;
        QTest::newRow("5000 flags run past the buffer") << QByteArray(5000, '\x7E') << 0;
    }
    void transmitBufferLimit()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, frameLen);
        QVERIFY(!body.isEmpty());

        const Encoded out = encode(body, FRAME_BUF_SIZE);
        QCOMPARE(out.result, frameLen);
        QVERIFY(out.guardIntact);
        if (frameLen > 0) {
            QCOMPARE(out.buffer.at(0), '\x7E');
            QCOMPARE(out.buffer.at(frameLen - 1), '\x7E');
        }
    }
};

QTEST_APPLESS_MAIN(TstFrameEncode)
#include "tst_frameencode.moc"
