// FCS-16: known register values, the good-frame residue, and every table entry.
#include "codec/ppp_frame.h"

#include <QtTest>

namespace {

uint16_t fcsOf(const QByteArray &bytes)
{
    return ppp_fcs16(reinterpret_cast<const uint8_t *>(bytes.constData()), bytes.size());
}

// Bit-at-a-time CRC-16/X.25 register, independent of any table.
uint16_t bitwiseFcs(const QByteArray &bytes)
{
    uint16_t fcs = 0xFFFF;
    for (char c : bytes) {
        fcs ^= uint8_t(c);
        for (int bit = 0; bit < 8; ++bit)
            fcs = (fcs & 1) ? (fcs >> 1) ^ 0x8408 : fcs >> 1;
    }
    return fcs;
}

} // namespace

class TstFcs16 : public QObject
{
    Q_OBJECT

private slots:
    void registerValue_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("complemented");

        QTest::newRow("nothing leaves the initial value") << QByteArray() << 0x0000;
        QTest::newRow("check value over 123456789") << QByteArray("123456789") << 0x906E;
        QTest::newRow("body 01 7E 02") << QByteArray::fromHex("017E02") << 0xD5D6;
        QTest::newRow("body 60") << QByteArray::fromHex("60") << 0x937E;
    }
    void registerValue()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(int, complemented);
        QCOMPARE(int(uint16_t(~fcsOf(bytes))), complemented);
    }

    void goodFrameResidue_data()
    {
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("check string") << QByteArray("123456789");
        QTest::newRow("single byte") << QByteArray::fromHex("60");
        QTest::newRow("flag and escape bytes") << QByteArray::fromHex("7D7E7D7E");
        QTest::newRow("zeros") << QByteArray(64, '\0');
        QTest::newRow("ones") << QByteArray(4096, '\xFF');
    }
    void goodFrameResidue()
    {
        QFETCH(QByteArray, body);
        const uint16_t fcs = ~fcsOf(body);
        body.append(char(fcs & 0xFF)).append(char(fcs >> 8));
        QCOMPARE(int(fcsOf(body)), 0xF0B8);
    }

    // A single byte from 0xFFFF reaches table entry (byte ^ 0xFF), so all 256 bytes
    // cover every entry; a longer run checks the shift between look-ups.
    void matchesBitwiseCrc()
    {
        QByteArray all;
        for (int b = 0; b < 256; ++b) {
            const QByteArray one(1, char(b));
            QCOMPARE(fcsOf(one), bitwiseFcs(one));
            all.append(char(b));
        }
        QCOMPARE(fcsOf(all), bitwiseFcs(all));
    }
};

QTEST_APPLESS_MAIN(TstFcs16)
#include "tst_fcs16.moc"
