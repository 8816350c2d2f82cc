// The ledger alone: event sequences and the counts they leave, its three invariants checked
// after every event.
#include "engine/ledger.h"

#include <QtTest>

class TestLedger : public QObject
{
    Q_OBJECT

private slots:
    // Events: q<hex> a frame queued, s<hex> queued and left, d the queue drained, f a failed
    // send, r<hex> a good frame, t<ms> the clock moves on and expired packets are given up,
    // k a second's tick (logs R and the rate), x the port closes, z a clean start, end the end of
    // a run, fill as many unique frames as the ledger keeps. Replies log what each frame was (A
    // answer, F failed, L late, U unexpected, O one-way, B before the clean start; + when it
    // ended the wait for the last frame sent), timeouts log T when they ended that wait.
    // u<f,o,p,b,bo> the UART's counts as the driver gives them, u- a failed read of them.
    void events_data()
    {
        QTest::addColumn<QString>("rules"); // compare, one-way, timeout <ms>
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("expected"); // the log, "|", the counts
        // clang-format off
        const char *const rows[][4] = {
            {"silent device, not compared: no reply for each at the end", "", "s01 s02 s03 end", "| tx=3 noreply=3"},
            {"timeout without comparison: no reply at once, the late frame late", "timeout 20", "s01 t19 t20 r01", "T L | tx=1 rx=1 noreply=1 late=1"},
            {"without comparison, the late reply of a given-up frame answers no later one", "timeout 20", "s01 t20 s01 r01 t40", "T L T | tx=2 rx=1 noreply=2 late=1"},
            {"twice answered without comparison: the second unexpected", "", "s01 r01 r01", "A+ U | tx=1 rx=2 answered=1 unexpected=1"},
            {"twice answered, compared: the second a failure that ends no wait", "compare", "s01 r01 r01", "A+ F | tx=1 rx=2 answered=1 ok=1 failed=1 trips=1"},
            {"identical packets, one lost: no sample while two could match", "compare", "s11 r11 s11 s11 r11 end", "A+ A+ | tx=3 rx=2 answered=2 ok=2 noreply=1 ambiguous=1 trips=1"},
            {"no round trip measured yet: a reply a given-up packet could own is late", "compare timeout 5", "s11 t5 s11 r11", "T L | tx=2 rx=1 noreply=1 late=1 out=1"},
            {"a given-up frame far beyond the round trips measured claims no reply", "compare timeout 5", "s11 r11 s11 t5 s11 r11", "A+ T A+ | tx=3 rx=2 answered=2 ok=2 noreply=1 trips=2"},
            {"a given-up frame is forgotten a second after, no round trip measured", "timeout 5", "s11 t5 t1006 s11 r11", "T A+ | tx=2 rx=1 answered=1 noreply=1"},
            {"the memory of given-up frames keeps the newest", "compare timeout 10", "fill s00 t10 raa0000 r00", "T F L | tx=1025 rx=2 failed=1 noreply=1025 late=1"},
            {"late reply to a given-up packet sends nothing; the answer after it does", "compare timeout 20", "s01 t20 s02 r01 r02", "T L A+ | tx=2 rx=2 answered=1 ok=1 noreply=1 late=1 trips=1"},
            {"a corrupted answer ends the wait; its packet is given up by the next answer", "compare", "s01 r09 s02 r02", "F+ A+ | tx=2 rx=2 answered=1 ok=1 failed=1 noreply=1 trips=1"},
            {"a device suffix of two bytes matches, one does not", "compare", "s1122 r1122ee r1122eeff", "F+ A | tx=1 rx=2 answered=1 ok=1 failed=1 trips=1"},
            {"the reply to the second of three gives the first up", "compare", "s1122 s3344 s5566 r3344", "A+ | tx=3 rx=1 answered=1 ok=1 noreply=1 trips=1 out=1"},
            {"a clean start: replies to the frames before count apart", "compare", "s01 s02 r01 z r02 s03 r03", "A+ B A+ | tx=1 rx=1 answered=1 ok=1 before=1 trips=1"},
            {"a clean start, not compared: the frames before answered first", "timeout 5", "s01 s01 t5 z r01 r01 s01 r01", "T B B A+ | tx=1 rx=1 answered=1 before=2"},
            {"a full ledger gives the oldest up; its reply is late", "compare", "fill s00 raa0000", "L | tx=1025 rx=1 noreply=1 late=1 out=1024"},
            {"queued frames never time out; at the close they are send errors", "timeout 20", "s01 q02 q03 t100 x", "| tx=1 err=2 noreply=1"},
            {"a send error and the close: each frame counted once", "compare timeout 10", "f q01 t50 d t60 q02 x", "T | tx=1 err=2 noreply=1"},
            {"the rate counts only bytes that left, never below 0", "", "q0102 k d k q03 x k", "R0 R16 R0 | tx=1 err=1 out=1"},
            {"a frame still queued is not answered, compared or not", "compare", "s01 r01 q01 r01 d r01", "A+ F A+ | tx=2 rx=3 answered=2 ok=2 failed=1 trips=2"},
            {"in order, a frame still queued is not answered", "", "s01 r01 q01 r01 d r01", "A+ U A+ | tx=2 rx=3 answered=2 unexpected=1"},
            {"one-way: frames only counted", "one-way", "s01 r01 r02 end", "O O | tx=1 rx=2"},
            {"UART: the increase since the first read, across the wrap; a failed read keeps it", "", "u4294967295,0,0,0,9 u1,2,3,4,9 u-", "| uart=2,2,3,4,0"},
            {"UART: a clean start takes a new baseline", "", "u1,0,0,0,0 u3,0,0,0,0 z u7,1,0,0,0 u9,1,0,0,1", "| uart=2,0,0,0,1"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void events()
    {
        QFETCH(QString, rules);
        QFETCH(QString, events);
        QFETCH(QString, expected);
        Ledger ledger;
        const bool comparing = rules.contains("compare");
        ledger.setExpectingReplies(!rules.contains("one-way"));
        ledger.setReplyTimeoutMs(rules.section("timeout ", 1).toInt());
        QStringList log;
        quint64 built = 0, unwritten = 0;
        double nowMs = 0;
        QStringList tokens = events.split(' ');
        if (tokens.first() == "fill") {
            tokens.removeFirst();
            for (int i = OUTSTANDING_LIMIT - 1; i >= 0; --i)
                tokens.prepend(QString("saa%1").arg(i, 4, 16, QChar('0')));
        }
        for (const QString &token : tokens) {
            const QByteArray bytes = QByteArray::fromHex(token.mid(1).toLatin1());
            if (token[0] == 'q' || token[0] == 's') {
                auto packet = std::make_unique<Packet>();
                packet->length = quint16(bytes.size());
                memcpy(packet->bytes, bytes.constData(), size_t(bytes.size()));
                ledger.sent(std::move(packet), bytes.size() + 4, nowMs);
                unwritten = token[0] == 'q' ? unwritten + bytes.size() + 4 : 0;
                ledger.queueDrained(qint64(unwritten), nowMs);
                ++built;
            } else if (token == "d") {
                ledger.queueDrained(qint64(unwritten = 0), nowMs);
            } else if (token == "f") {
                ledger.sendFailed();
                ++built;
            } else if (token[0] == 'r') {
                const auto [reply, ended] =
                    ledger.goodFrame(reinterpret_cast<const quint8 *>(bytes.constData()),
                                     quint16(bytes.size()), comparing, nowMs + 1);
                log << QString("AFLUOB"[int(reply)]) + (ended ? "+" : "");
            } else if (token[0] == 't' && token != "end") {
                nowMs = token.mid(1).toDouble();
                if (ledger.giveUpExpired(nowMs))
                    log << "T";
            } else if (token == "k") {
                ledger.tick(false, nowMs);
                log << QString("R%1").arg(ledger.sendRateBps());
            } else if (token == "x") {
                ledger.queueDiscarded();
                unwritten = 0;
            } else if (token[0] == 'u') {
                const QStringList n = token.mid(1).split(',');
                ledger.uartCounted(n.size() < 5 ? std::nullopt
                                                : std::optional<UartErrors>(
                                                      {n[0].toUInt(), n[1].toUInt(), n[2].toUInt(),
                                                       n[3].toUInt(), n[4].toUInt()}));
            } else if (token == "z") {
                ledger.restart(nowMs);
                built = 0;
            } else {
                ledger.giveUpAll(nowMs);
            }
            const TrafficCounters &c = ledger.counters();
            QCOMPARE(c.cntTxPackets + c.cntTxErrors, built);
            if (ledger.expectsReplies()) {
                QCOMPARE(c.cntTxPackets,
                         c.cntAnswered + c.cntNoReply + quint64(ledger.outstanding()));
                QCOMPARE(c.cntRxPackets,
                         c.cntAnswered + c.cntCmpFail + c.cntLate + c.cntUnexpected);
            }
        }
        // Then the counts by short names, only those not 0, then "out=" and "rate=" where not 0.
        const TrafficCounters &c = ledger.counters();
        // clang-format off
        const std::pair<const char *, quint64> counts[] = {{"tx", c.cntTxPackets}, {"err", c.cntTxErrors},
            {"rx", c.cntRxPackets}, {"answered", c.cntAnswered}, {"ok", c.cntCmpOk}, {"failed", c.cntCmpFail},
            {"noreply", c.cntNoReply}, {"late", c.cntLate}, {"unexpected", c.cntUnexpected},
            {"ambiguous", c.cntAmbiguous}, {"before", c.cntBeforeCleanStart},
            {"trips", ledger.roundTrips().count()}, {"out", quint64(ledger.outstanding())},
            {"rate", ledger.sendRateBps()}};
        // clang-format on
        log << "|";
        for (const auto &[name, value] : counts)
            if (value != 0)
                log << QString("%1=%2").arg(name).arg(value);
        if (const std::optional<UartErrors> u = ledger.uartErrors())
            log << QString::asprintf("uart=%u,%u,%u,%u,%u", u->frame, u->overrun, u->parity, u->brk,
                                     u->bufOverrun);
        QCOMPARE(log.join(' '), expected);
    }

    // A day's seconds are kept as they are; one more halves the entries, which keep every count
    // and the larger round trip of each pair; later seconds fill entries of two.
    void timelineStaysBounded()
    {
        Timeline timeline;
        TimelineEntry second;
        for (size_t i = 0; i <= Timeline::MOST_ENTRIES + 2; ++i) {
            second.txPackets = i;
            second.txErrors = i % 2;
            second.lengthS = i % 2 ? 1 : 0.5;
            second.rttP99Ms = double(i % 3);
            timeline.add(second);
            QCOMPARE(timeline.stepS(), i < Timeline::MOST_ENTRIES ? 1 : 2);
        }
        const std::vector<TimelineEntry> &entries = timeline.entries();
        QCOMPARE(entries.size(), Timeline::MOST_ENTRIES / 2 + 2);
        QCOMPARE(entries[1].txPackets + entries[1].seconds, 2u + 3u + 2u);
        QCOMPARE(entries[1].rttP99Ms, 2.0);
        QCOMPARE(entries[1].txErrors, 1u);
        QCOMPARE(entries[1].lengthS, 1.5);
        QCOMPARE(entries.back().txPackets, quint64(Timeline::MOST_ENTRIES + 2));
    }
};

QTEST_APPLESS_MAIN(TestLedger)
#include "tst_ledger.moc"
