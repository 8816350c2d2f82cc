// Frame decoder: its state table, stream edge cases, seeded round trips, split feeding.
#include "codec/ppp_frame.h"

#include <QtTest>

#include <random>

namespace {

const QByteArray GUARD(16, char(0xA5)); // past the capacity: must survive every byte

// A decoder over its own state or the program's, with a buffer followed by GUARD.
// Logs each non-zero result: a good frame's body in hex, else the error number.
struct Receiver {
    int capacity;
    bool programState = false;
    DecoderState state{};
    QByteArray buf = QByteArray(capacity, '\0') + GUARD;
    QStringList log{};

    void feed(const QByteArray &bytes)
    {
        auto *b = reinterpret_cast<uint8_t *>(buf.data());
        for (char c : bytes) {
            const int r = programState ? ppp_frame_decode(uint8_t(c), b, capacity)
                                       : ppp_frame_decode(state, uint8_t(c), b, capacity);
            if (r != 0)
                log << (r > 0 ? QString(buf.left(r).toHex().toUpper()) : QString::number(r));
        }
    }
    bool guardIntact() const { return buf.mid(capacity) == GUARD; }
};

} // namespace

class TstFrameDecode : public QObject
{
    Q_OBJECT

private slots:
    // Byte streams into a new decoder: what is logged, then "/" and the state left
    // behind: hunt, or frame or escaped (escape pending) and the stored bytes.
    void decode_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("capacity");
        QTest::addColumn<QString>("log");

        const auto row = [](const char *name, const char *stream, const char *log, int cap = 64) {
            QTest::newRow(name) << QByteArray::fromHex(stream) << cap << QString(log);
        };
        row("01 7E 02, 60, 55 55 55 and 7D back to back",
            "7E017D5E02D6D57E 7E607D5E937E 7E555555F5D47E 7E7D5D1A587E",
            "017E02 60 555555 7D / hunt");
        row("bytes before the first flag", "00117D7D5E55 7E017D5E02D6D57E", "017E02 / hunt");
        row("after a good frame a flag opens one", "7E017D5E02D6D57E 7E", "017E02 / frame");
        row("five flags give four short", "7E7E7E7E7E", "-1 -1 -1 -1 / frame");
        row("flag after two bytes", "7E01027E", "-1 / frame");
        row("bad FCS, its flag opens a frame", "7E017D5E02D6D47E 7E555555F5D47E",
            "-3 -1 555555 / hunt");
        row("shared flag loses the second frame", "7E017D5E02D6D57E 555555F5D47E 7E607D5E937E",
            "017E02 -1 60 / hunt");
        row("control byte stored as is, escape", "7E01117D", "/ escaped 0111");
        row("5E and 5D after an escape", "7E017D5E7D5D", "/ frame 017E7D");
        row("7D 7D skips the frame", "7E017D7D 02037E 7E555555F5D47E", "-4 -1 555555 / hunt");
        row("7D 31 is not taken for 11", "7E017D31", "-4 / hunt");
        row("7D 7E after two bytes", "7E01027D7E", "-1 / frame");
        row("7D 7E after a good frame", "7E017D5E02D6D57D7E", "017E02 / hunt");
        row("7D 7E after a bad FCS", "7E017D5E02D6D47D7E", "-3 / frame");
        row("frame filling the buffer exactly", "7E555555F5D47E", "555555 / hunt", 5);
        row("overflow skips to the next frame", "7E555555F5D47E 7E607D5E937E", "-2 -1 60 / hunt",
            4);
        row("escaped byte with the buffer full", "7E017D5E", "-2 / hunt", 1);
    }
    void decode()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, capacity);
        QFETCH(QString, log);

        Receiver rx{capacity};
        rx.feed(stream);
        const char *names[] = {"hunt", "frame", "escaped"};
        rx.log << "/" << names[rx.state.inFrame ? 1 + rx.state.escapePending : 0];
        if (rx.state.inFrame && rx.state.count > 0)
            rx.log << rx.buf.left(rx.state.count).toHex().toUpper();
        QCOMPARE(rx.log.join(' '), log);
        QVERIFY(rx.guardIntact());
    }

    // Seeded bodies, half their bytes 0x7D or 0x7E, after the all-0x7D and all-0x7E ones.
    void randomStreams()
    {
        std::mt19937 rng(1);
        QByteArray stream, frame(FRAME_BUF_SIZE, '\0');
        QStringList bodies;
        for (int i = 0; i < 3000; ++i) {
            QByteArray body(i < 2 ? 4095 : 1 + int(rng() % (rng() % 2 ? 8 : 4095)), '\0');
            for (char &c : body)
                c = char(i < 2 ? 0x7D + i : rng() % 2 ? 0x7D + rng() % 2 : rng());
            bodies << body.toHex().toUpper();
            stream += frame.left(
                ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.data()), body.size(),
                                 reinterpret_cast<uint8_t *>(frame.data()), FRAME_BUF_SIZE));
        }
        // Round trip: nothing is logged before a closing flag, which delivers the body.
        Receiver whole{FRAME_BUF_SIZE};
        whole.feed(stream);
        QCOMPARE(whole.log, bodies);

        // Damaged and too long frames: the program's decoder and one of its own, fed in
        // turn in random chunks, each log what one uninterrupted pass logs.
        for (int i = 0; i < 300; ++i)
            stream[int(rng() % uint(stream.size()))] = char(rng());
        Receiver damaged{600}, program{600, true}, own{600};
        damaged.feed(stream);
        QVERIFY(damaged.log.contains("-2") && damaged.log.contains("-3") &&
                damaged.log.contains("-4"));
        for (int at[2] = {0, 0}; at[0] < stream.size() || at[1] < stream.size();) {
            for (int i = 0; i < 2; ++i) {
                const int n = 1 + int(rng() % (rng() % 2 ? 16 : 4096));
                (i ? own : program).feed(stream.mid(at[i], n));
                at[i] += n;
            }
        }
        QCOMPARE(program.log, damaged.log);
        QCOMPARE(own.log, damaged.log);
        QVERIFY(whole.guardIntact() && damaged.guardIntact() && program.guardIntact() &&
                own.guardIntact());
    }
};

QTEST_APPLESS_MAIN(TstFrameDecode)
#include "tst_framedecode.moc"
