// Frame decoder: each state transition, streams with errors, round trips through
// the encoder, and state that survives split and interleaved feeding.
#include "codec/ppp_frame.h"

#include <QtTest>

#include <random>

namespace {

// Literal frames, so the decoder is checked without trusting the encoder.
const QByteArray FRAME_A = QByteArray::fromHex("7E017D5E02D6D57E"); // body 01 7E 02
const QByteArray FRAME_B = QByteArray::fromHex("7E607D5E937E");     // body 60
const QByteArray FRAME_C = QByteArray::fromHex("7E555555F5D47E");   // body 55 55 55
const QByteArray FRAME_D = QByteArray::fromHex("7E7D5D1A587E");     // body 7D
const QByteArray BODY_A = QByteArray::fromHex("017E02");
const QByteArray BODY_B = QByteArray::fromHex("60");
const QByteArray BODY_C = QByteArray::fromHex("555555");
const QByteArray BODY_D = QByteArray::fromHex("7D");

constexpr char GUARD = char(0xA5);
constexpr int GUARD_BYTES = 16;

// One decoder over its own state and a receive buffer followed by guard bytes.
// Keeps the non-zero results and the body of every good frame.
struct Receiver {
    explicit Receiver(int capacity) : capacity(capacity), buf(capacity + GUARD_BYTES, GUARD) {}

    int feed(uint8_t byte)
    {
        const int r =
            ppp_frame_decode(state, byte, reinterpret_cast<uint8_t *>(buf.data()), capacity);
        if (r != 0)
            results << QString::number(r);
        if (r > 0)
            bodies << buf.left(r);
        return r;
    }
    void feed(const QByteArray &bytes)
    {
        for (char c : bytes)
            feed(uint8_t(c));
    }
    bool guardIntact() const { return buf.mid(capacity) == QByteArray(GUARD_BYTES, GUARD); }

    int capacity;
    QByteArray buf;
    DecoderState state{};
    QStringList results;
    QByteArrayList bodies;
};

QByteArray encoded(const QByteArray &body)
{
    QByteArray frame(FRAME_BUF_SIZE, '\0');
    frame.resize(ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                                  reinterpret_cast<uint8_t *>(frame.data()), FRAME_BUF_SIZE));
    return frame;
}

// Random body whose bytes come from alphabet with the given percentage, else
// from all 256 values.
QByteArray randomBody(std::mt19937 &rng, int minLen, int maxLen, const QByteArray &alphabet,
                      int percent)
{
    QByteArray body(std::uniform_int_distribution<int>(minLen, maxLen)(rng), '\0');
    for (char &c : body) {
        if (int(rng() % 100) < percent)
            c = alphabet.at(int(rng() % uint(alphabet.size())));
        else
            c = char(rng() & 0xFF);
    }
    return body;
}

// Good frames, frames with one byte changed, noise and stray flags, some frames
// longer than a 600-byte buffer.
QByteArray mixedStream(std::mt19937 &rng)
{
    QByteArray stream;
    for (int i = 0; i < 300; ++i) {
        QByteArray frame = encoded(randomBody(rng, 1, 1000, "\x7D\x7E", 20));
        switch (rng() % 4) {
        case 0:
            frame[1 + int(rng() % uint(frame.size() - 2))] = char(rng() & 0xFF);
            break;
        case 1:
            frame.prepend(randomBody(rng, 1, 20, "\x7E", 10));
            break;
        }
        stream += frame;
    }
    return stream;
}

} // namespace

class TstFrameDecode : public QObject
{
    Q_OBJECT

private slots:
    // One byte from a given state: its result, the next state and what is stored.
    void transition_data()
    {
        QTest::addColumn<int>("inFrame");
        QTest::addColumn<int>("escapePending");
        QTest::addColumn<QByteArray>("stored"); // count is its size
        QTest::addColumn<int>("capacity");
        QTest::addColumn<int>("byte");
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("inFrameAfter");
        QTest::addColumn<int>("escapeAfter");        // only checked inside a frame
        QTest::addColumn<QByteArray>("storedAfter"); // only checked inside a frame

        const QByteArray good = QByteArray::fromHex("017E02D6D5");
        const QByteArray bad = QByteArray::fromHex("017E02D6D4");
        const QByteArray two = QByteArray::fromHex("0102");
        const QByteArray three = QByteArray::fromHex("010203");
        const QByteArray none;

        QTest::newRow("hunt, flag opens an empty frame")
            << 0 << 1 << three << 16 << 0x7E << 0 << 1 << 0 << none;
        QTest::newRow("hunt, data discarded")
            << 0 << 0 << none << 16 << 0x41 << 0 << 0 << 0 << none;
        QTest::newRow("hunt, escape discarded")
            << 0 << 0 << none << 16 << 0x7D << 0 << 0 << 0 << none;

        QTest::newRow("frame, escape becomes pending")
            << 1 << 0 << two << 16 << 0x7D << 0 << 1 << 1 << two;
        QTest::newRow("frame, flag after nothing is short")
            << 1 << 0 << none << 16 << 0x7E << FRAME_TOO_SHORT << 1 << 0 << none;
        QTest::newRow("frame, flag after two bytes is short")
            << 1 << 0 << two << 16 << 0x7E << FRAME_TOO_SHORT << 1 << 0 << none;
        QTest::newRow("frame, flag closes a good frame")
            << 1 << 0 << good << 16 << 0x7E << 3 << 0 << 0 << none;
        QTest::newRow("frame, flag closes a bad FCS")
            << 1 << 0 << bad << 16 << 0x7E << FRAME_BAD_FCS << 1 << 0 << none;
        QTest::newRow("frame, data stored")
            << 1 << 0 << two << 16 << 0x41 << 0 << 1 << 0 << two + "\x41";
        QTest::newRow("frame, control byte stored as is")
            << 1 << 0 << two << 16 << 0x11 << 0 << 1 << 0 << two + "\x11";
        QTest::newRow("frame, data fills the last place")
            << 1 << 0 << two << 3 << 0x41 << 0 << 1 << 0 << two + "\x41";
        QTest::newRow("frame, data with the buffer full")
            << 1 << 0 << three << 3 << 0x41 << FRAME_TOO_LONG << 0 << 0 << none;

        QTest::newRow("escaped, second escape is bad")
            << 1 << 1 << two << 16 << 0x7D << FRAME_BAD_ESCAPE << 0 << 0 << none;
        QTest::newRow("escaped, flag drops it, short")
            << 1 << 1 << two << 16 << 0x7E << FRAME_TOO_SHORT << 1 << 0 << none;
        QTest::newRow("escaped, flag drops it, good frame")
            << 1 << 1 << good << 16 << 0x7E << 3 << 0 << 0 << none;
        QTest::newRow("escaped, flag drops it, bad FCS")
            << 1 << 1 << bad << 16 << 0x7E << FRAME_BAD_FCS << 1 << 0 << none;
        QTest::newRow("escaped, 5E stores a flag")
            << 1 << 1 << two << 16 << 0x5E << 0 << 1 << 0 << two + "\x7E";
        QTest::newRow("escaped, 5D stores an escape")
            << 1 << 1 << two << 16 << 0x5D << 0 << 1 << 0 << two + "\x7D";
        QTest::newRow("escaped, 5E with the buffer full")
            << 1 << 1 << three << 3 << 0x5E << FRAME_TOO_LONG << 0 << 0 << none;
        QTest::newRow("escaped, 31 is not taken for 11")
            << 1 << 1 << two << 16 << 0x31 << FRAME_BAD_ESCAPE << 0 << 0 << none;
    }
    void transition()
    {
        QFETCH(int, inFrame);
        QFETCH(int, escapePending);
        QFETCH(QByteArray, stored);
        QFETCH(int, capacity);
        QFETCH(int, byte);
        QFETCH(int, result);
        QFETCH(int, inFrameAfter);
        QFETCH(int, escapeAfter);
        QFETCH(QByteArray, storedAfter);

        Receiver rx(capacity);
        rx.buf.replace(0, stored.size(), stored);
        rx.state = {inFrame, escapePending, stored.size()};
        QCOMPARE(rx.feed(uint8_t(byte)), result);
        QCOMPARE(rx.state.inFrame, inFrameAfter);
        if (inFrameAfter) {
            QCOMPARE(rx.state.escapePending, escapeAfter);
            QCOMPARE(rx.buf.left(rx.state.count), storedAfter);
        }
        if (result > 0)
            QCOMPARE(rx.bodies, QByteArrayList{stored.left(result)});
        QVERIFY(rx.guardIntact());
    }

    // Whole streams: the non-zero results in order and the bodies delivered.
    void stream_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("results");
        QTest::addColumn<QByteArrayList>("bodies");

        QByteArray badFcs = FRAME_A;
        badFcs[6] = char(0xD4);
        QByteArray escapeBeforeFlag = FRAME_A;
        escapeBeforeFlag.insert(7, '\x7D');
        const QByteArray tail = QByteArray::fromHex("02037E");

        QTest::newRow("frames back to back")
            << FRAME_A + FRAME_B + FRAME_C + FRAME_D << 64 << "3 1 3 1"
            << QByteArrayList{BODY_A, BODY_B, BODY_C, BODY_D};
        QTest::newRow("bytes before the first flag discarded")
            << QByteArray::fromHex("00117D7D5E55") + FRAME_A << 64 << "3" << QByteArrayList{BODY_A};
        QTest::newRow("two flags") << QByteArray(2, '\x7E') << 64 << "-1" << QByteArrayList();
        QTest::newRow("run of five flags")
            << QByteArray(5, '\x7E') << 64 << "-1 -1 -1 -1" << QByteArrayList();
        QTest::newRow("two bytes between flags")
            << QByteArray::fromHex("7E01027E") << 64 << "-1" << QByteArrayList();
        QTest::newRow("shared flag loses the second frame")
            << FRAME_A + FRAME_C.mid(1) + FRAME_B << 64 << "3 -1 1"
            << QByteArrayList{BODY_A, BODY_B};
        QTest::newRow("bad FCS then a good frame")
            << badFcs + FRAME_C << 64 << "-3 -1 3" << QByteArrayList{BODY_C};
        QTest::newRow("7D 7D skips the frame") << QByteArray::fromHex("7E017D7D") + tail + FRAME_C
                                               << 64 << "-4 -1 3" << QByteArrayList{BODY_C};
        QTest::newRow("7D 31 skips the frame") << QByteArray::fromHex("7E017D31") + tail + FRAME_C
                                               << 64 << "-4 -1 3" << QByteArrayList{BODY_C};
        QTest::newRow("escape before the closing flag dropped")
            << escapeBeforeFlag << 64 << "3" << QByteArrayList{BODY_A};
        QTest::newRow("overflow skips to the next frame")
            << FRAME_C + FRAME_B << 4 << "-2 -1 1" << QByteArrayList{BODY_B};
        QTest::newRow("frame filling the buffer exactly")
            << FRAME_C << 5 << "3" << QByteArrayList{BODY_C};
    }
    void stream()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, capacity);
        QFETCH(QString, results);
        QFETCH(QByteArrayList, bodies);

        Receiver rx(capacity);
        rx.feed(stream);
        QCOMPARE(rx.results.join(' '), results);
        QCOMPARE(rx.bodies, bodies);
        QVERIFY(rx.guardIntact());
    }

    // Nothing is reported before the closing flag, which delivers the body.
    void frameEndsOnClosingFlag_data()
    {
        QTest::addColumn<QByteArray>("frame");
        QTest::addColumn<QByteArray>("body");

        QTest::newRow("01 7E 02") << FRAME_A << BODY_A;
        QTest::newRow("60, the smallest frame") << FRAME_B << BODY_B;
    }
    void frameEndsOnClosingFlag()
    {
        QFETCH(QByteArray, frame);
        QFETCH(QByteArray, body);

        Receiver rx(FRAME_BUF_SIZE);
        for (int i = 0; i < frame.size() - 1; ++i)
            QCOMPARE(rx.feed(uint8_t(frame.at(i))), 0);
        QCOMPARE(rx.feed(uint8_t(frame.back())), body.size());
        QCOMPARE(rx.bodies, QByteArrayList{body});
    }

    void roundTrip_data()
    {
        QTest::addColumn<uint>("seed");
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("minLen");
        QTest::addColumn<int>("maxLen");
        QTest::addColumn<QByteArray>("alphabet");
        QTest::addColumn<int>("percent");

        QTest::newRow("bodies rich in flags and escapes")
            << 1u << 2000 << 1 << 4095 << QByteArray("\x7D\x7E") << 30;
        QTest::newRow("uniform bodies") << 2u << 500 << 1 << 4095 << QByteArray() << 0;
        QTest::newRow("short bodies")
            << 3u << 3000 << 1 << 8 << QByteArray("\x7D\x7E\x5D\x5E") << 50;
        QTest::newRow("4095 escapes") << 4u << 1 << 4095 << 4095 << QByteArray("\x7D") << 100;
        QTest::newRow("4095 flags") << 5u << 1 << 4095 << 4095 << QByteArray("\x7E") << 100;
    }
    void roundTrip()
    {
        QFETCH(uint, seed);
        QFETCH(int, count);
        QFETCH(int, minLen);
        QFETCH(int, maxLen);
        QFETCH(QByteArray, alphabet);
        QFETCH(int, percent);

        std::mt19937 rng(seed);
        Receiver rx(FRAME_BUF_SIZE); // one decoder for all frames, as on the line
        for (int i = 0; i < count; ++i) {
            const QByteArray body = randomBody(rng, minLen, maxLen, alphabet, percent);
            const QByteArray frame = encoded(body);
            QVERIFY(!frame.isEmpty());
            rx.results.clear();
            rx.bodies.clear();
            rx.feed(frame.left(frame.size() - 1));
            QVERIFY(rx.results.isEmpty());
            QCOMPARE(rx.feed(uint8_t(frame.back())), body.size());
            QCOMPARE(rx.bodies.first(), body);
        }
        QVERIFY(rx.guardIntact());
    }

    // Chunk boundaries must not matter, and two decoders fed in turn must not share
    // anything: each gives what one uninterrupted pass gives.
    void interleavedChunks_data()
    {
        QTest::addColumn<uint>("seed");
        QTest::addColumn<int>("maxChunk");

        QTest::newRow("single bytes") << 11u << 1;
        QTest::newRow("chunks up to 16 bytes") << 12u << 16;
        QTest::newRow("chunks up to 4096 bytes") << 13u << 4096;
    }
    void interleavedChunks()
    {
        QFETCH(uint, seed);
        QFETCH(int, maxChunk);

        std::mt19937 rng(seed);
        const QByteArray stream = mixedStream(rng);
        Receiver whole(600);
        whole.feed(stream);
        QVERIFY(whole.bodies.size() > 50);
        QVERIFY(whole.results.contains(QString::number(FRAME_TOO_LONG)));

        Receiver first(600), second(600);
        int at[2] = {0, 0};
        std::uniform_int_distribution<int> chunk(1, maxChunk);
        while (at[0] < stream.size() || at[1] < stream.size()) {
            for (int i = 0; i < 2; ++i) {
                const int n = chunk(rng);
                (i ? second : first).feed(stream.mid(at[i], n));
                at[i] += n;
            }
        }
        for (const Receiver *rx : {&first, &second}) {
            QCOMPARE(rx->results, whole.results);
            QCOMPARE(rx->bodies, whole.bodies);
            QVERIFY(rx->guardIntact());
        }
    }

    // The program's own decoder starts hunting and keeps a frame across calls.
    void programStateCarriesOver()
    {
        uint8_t buf[FRAME_BUF_SIZE];
        const QByteArray firstRead = QByteArray::fromHex("0102") + FRAME_A.left(3);
        const QByteArray secondRead = FRAME_A.mid(3);
        for (char c : firstRead)
            QCOMPARE(ppp_frame_decode(uint8_t(c), buf, FRAME_BUF_SIZE), 0);
        for (int i = 0; i < secondRead.size() - 1; ++i)
            QCOMPARE(ppp_frame_decode(uint8_t(secondRead.at(i)), buf, FRAME_BUF_SIZE), 0);
        QCOMPARE(ppp_frame_decode(uint8_t(secondRead.back()), buf, FRAME_BUF_SIZE), 3);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(buf), 3), BODY_A);
    }
};

QTEST_APPLESS_MAIN(TstFrameDecode)
#include "tst_framedecode.moc"
