// FCS-16 and the frame encoder: exact frames, the capacity bound, every refusal.
#include "codec/ppp_frame.h"

#include <QtTest>

const QByteArray GUARD(16, char(0xA5)); // past the capacity: must survive every call

class TstFrameEncode : public QObject
{
    Q_OBJECT

private slots:
    void fcs16()
    {
        const auto fcsOf = [](const QByteArray &bytes) {
            return ppp_fcs16(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
        };
        QCOMPARE(uint16_t(~fcsOf("123456789")), uint16_t(0x906E));          // the check value
        QCOMPARE(fcsOf("123456789\x6E\x90"), uint16_t(0xF0B8)); // and the good-frame residue
        // One byte from 0xFFFF reaches table entry (byte ^ 0xFF): each against a bitwise CRC.
        for (int b = 0; b < 256; ++b) {
            uint16_t bitwise = 0xFFFF ^ b;
            for (int bit = 0; bit < 8; ++bit)
                bitwise = (bitwise & 1) ? (bitwise >> 1) ^ 0x8408 : bitwise >> 1;
            QCOMPARE(fcsOf(QByteArray(1, char(b))), bitwise);
        }
    }

    void frame_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QByteArray>("frame"); // empty: refused
        const auto row = [](const char *name, auto body, int cap, auto frame) {
            QTest::newRow(name) << QByteArray::fromHex(body) << cap << QByteArray::fromHex(frame);
        };
        row("flag in body", "017E02", 100, "7E017D5E02D6D57E");
        row("low FCS byte stuffed", "60", 100, "7E607D5E937E");
        row("high FCS byte stuffed", "19", 100, "7E19387D5D7E");
        row("escapes and flags only", "7D7E7D7E", 100, "7E7D5D7D5E7D5D7D5E92677E");
        row("control bytes and 5D 5E unescaped", "1113001F205D5E", 100, "7E1113001F205D5EB6427E");
        row("empty body refused", "", 100, "");
        row("capacity 1", "60", 1, "");
        row("full inside an escape pair", "017E02", 3, "");
        row("full inside a stuffed FCS byte", "60", 3, "");
        const QByteArray flags = QByteArray("7E").repeated(4096);
        const QByteArray stuffed = "7E" + QByteArray("7D5E").repeated(4096);
        row("4096 flags, the longest frame: 8196 bytes", flags, FRAME_BUF_SIZE, stuffed + "DEE47E");
        row("4096 flags and 00, 8197 bytes: refused", flags + "00", FRAME_BUF_SIZE, "");
        row("the same, a byte to spare", flags + "00", FRAME_BUF_SIZE + 1, stuffed + "006FCF7E");
    }
    void frame()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, capacity);
        QFETCH(QByteArray, frame);
        QByteArray buf = QByteArray(capacity, '\0') + GUARD;
        QCOMPARE(ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                                  reinterpret_cast<uint8_t *>(buf.data()), capacity),
                 frame.size());
        QCOMPARE(buf.left(frame.size()), frame);
        QCOMPARE(buf.mid(capacity), GUARD);
    }

    void refusedWithoutWriting()
    {
        QByteArray buf = GUARD;
        auto *dst = reinterpret_cast<uint8_t *>(buf.data());
        QCOMPARE(ppp_frame_encode(dst, -1, dst, 100), 0); // the body read is the guard's first byte
        QCOMPARE(ppp_frame_encode(dst, 1, dst, -5), 0);
        QCOMPARE(ppp_frame_encode(dst, 1, nullptr, FRAME_BUF_SIZE), 0);
        QCOMPARE(buf, GUARD);
    }
};

QTEST_APPLESS_MAIN(TstFrameEncode)
#include "tst_frameencode.moc"
