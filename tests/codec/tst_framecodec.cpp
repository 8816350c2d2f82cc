// The frame codec: exact frames and refusals, the decoder's results and the state it leaves.
#include "codec/ppp_frame.h"

#include <QtTest>

const QByteArray GUARD(16, char(0xA5)); // past the capacity: must survive every byte

const auto in = [](const QByteArray &b) { return reinterpret_cast<const uint8_t *>(b.data()); };
const auto out = [](QByteArray &b) { return reinterpret_cast<uint8_t *>(b.data()); };

class TstFrameCodec : public QObject
{
    Q_OBJECT

private slots:
    void encode_data()
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
    void encode()
    {
        QFETCH(QByteArray, body);
        QFETCH(int, capacity);
        QFETCH(QByteArray, frame);
        QByteArray buf = QByteArray(capacity, '\0') + GUARD;
        QCOMPARE(ppp_frame_encode(in(body), body.size(), out(buf), capacity), frame.size());
        QCOMPARE(buf.left(frame.size()), frame);
        QCOMPARE(buf.mid(capacity), GUARD);
    }

    void encodeRefusesWithoutWriting()
    {
        QByteArray buf = GUARD;
        QCOMPARE(ppp_frame_encode(in(buf), -1, out(buf), 100), 0);
        QCOMPARE(ppp_frame_encode(in(buf), 1, nullptr, FRAME_BUF_SIZE), 0);
        QCOMPARE(buf, GUARD);
    }

    // A new decoder's results, then "/", the state left (hunt, frame, escaped) and bytes held.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("log");
        const auto row = [](const char *name, const char *stream, const char *log, int cap = 64) {
            QTest::newRow(name) << QByteArray::fromHex(stream) << cap << QString(log);
        };
        // clang-format off
        row("junk; 01 7E 02, 60, 55 55 55, 7D back to back; 11 as is, 7E 7D, escape pending",
            "007D5E 7E017D5E02D6D57E 7E607D5E937E 7E555555F5D47E 7E7D5D1A587E 7E01117D5E7D5D7D", "017E02 60 555555 7D / escaped 01117E7D");
        row("flag runs are empty frames; two bytes, a bad FCS, then a good frame", "7E7E7E7E7E01027E 017D5E02D6D47E 7E 7E7E555555F5D47E", "-1 -3 555555 / frame");
        row("frames sharing flags all decode; bytes between frames are a frame of their own", "7E017D5E02D6D57E 555555F5D47E 607D5E937E 0102 7E AABBCC 7E", "017E02 555555 60 -1 -3 / frame");
        row("7D 31 is not taken for 11, 7D 7D: each skips to the next flag", "7E017D31 02037E 7E017D7D 02037E 7E555555F5D47E 7E017D31 0203", "-4 -4 555555 -4 / hunt");
        row("7D 7E after a good frame, a bad FCS, two bytes; a lone escape is an empty frame", "7E017D5E02D6D57D7E 7E017D5E02D6D47D7E 01027D7E 7D7E", "017E02 -3 -1 / frame");
        row("buffer filled exactly; overflow on an escaped byte skips to the next", "7E555555F5D47E 7E01020304057D5E 7E 7E607D5E937E", "555555 -2 60 / frame", 5);
        // clang-format on
    }
    void decode()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, capacity);
        QFETCH(QString, log);
        DecoderState s{};
        QByteArray buf = QByteArray(capacity, '\0') + GUARD;
        QStringList got; // each good body in hex, else the error
        for (char c : stream)
            if (const int r = ppp_frame_decode(s, uint8_t(c), out(buf), capacity))
                got << (r > 0 ? buf.left(r).toHex().toUpper() : QString::number(r));
        const char *state = !s.inFrame ? "hunt" : s.escapePending ? "escaped" : "frame";
        got << "/" << state << buf.left(s.inFrame ? s.count : 0).toHex().toUpper();
        QCOMPARE(got.join(' ').trimmed(), log);
        QCOMPARE(buf.mid(capacity), GUARD);
    }
};

QTEST_APPLESS_MAIN(TstFrameCodec)
#include "tst_framecodec.moc"
