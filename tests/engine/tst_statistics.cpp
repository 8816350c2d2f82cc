// The statistics panel: its text for the counts a session holds, what a clean start and the
// one-second tick leave in it; the round trips' percentiles.
#include "engine/statisticspanel.h"
#include "sessionlink.h"

#include <random>

Q_DECLARE_METATYPE(TrafficCounters)

const QString ZERO =
    "发送包数 = 0\n接收包数 = 0\n\n发送速率 = 0 bps\n发送字节 = 0\n发送线路字节 = 0\n接收字节 = 0";

class TestStatistics : public QObject
{
    Q_OBJECT

private slots:
    void panel_data()
    {
        QTest::addColumn<TrafficCounters>("counters"); // a send rate from cntTxBytes * 8
        QTest::addColumn<QString>("facts"); // runS=S, note, open: a second of 115200 baud's bytes
        QTest::addColumn<QString>("expected"); // comparison on if it shows
        const auto row = [](const char *name, TrafficCounters c, const QString &expected,
                            const char *facts = "") {
            QTest::newRow(name) << c << QString(facts) << expected;
        };
        // clang-format off
        const TrafficCounters all{.cntTxPackets = 1, .cntTxBytes = 8, .cntTxErrors = 2, .cntTxLineBytes = 9,
            .cntRxPackets = 3, .cntRxBytes = ~0ull, .cnt7dErrors = 4, .cntCrcErrors = 5,
            .cntLongErrors = 6, .cntShortErrors = 7, .cntCmpOk = 10, .cntCmpFail = 11,
            .cntNoReply = 13, .cntAnswered = 10, .cntLate = 14, .cntUnexpected = 15,
            .cntAmbiguous = 16, .cntBeforeCleanStart = 17, .cntRunSeconds = 12};
        row("every counter, comparison on, round trips", all,
            "计时 = 12 秒\n\n发送包数 = 1\n  发送错误 = 2\n接收包数 = 3\n  7D错误 = 4\n  CRC错误 = 5\n  超长 = 6\n  超短 = 7\n\n"
            "发送速率 = 64 bps\n发送字节 = 8\n发送线路字节 = 9\n接收字节 = 18446744073709551615\n\n比较成功 = 10\n比较失败 = 11\n"
            "未应答 = 13\n迟到应答 = 14\n多余帧 = 15\n清零前所发帧的应答 = 17\n往返时延 最小 0.512 / 平均 1.064 / 最大 2.004 ms (16 个无法确定)");
        row("a measured run time, to a tenth; the payload cut", {.cntRunSeconds = 7},
            "计时 = 8.0 秒\n\n" + ZERO + "\n\n载荷 5000 字节，只发送前 4096 字节",
            "note runS=7.96");
        const char *const unpaced = "串口未按 115200 波特限速";
        for (const auto &[name, tx, rx, use] :
             {std::tuple{"sent beyond the baud", 13000, 0, unpaced},
              {"received beyond the baud", 0, 13000, unpaced},
              {"within the baud: the shares", 11400, 5700, " 发 99.0% 收 49.5%"}})
            row(name, {.cntTxLineBytes = quint64(tx), .cntRxBytes = quint64(rx)},
                QString(ZERO)
                        .replace("线路字节 = 0", QString("线路字节 = %1").arg(tx))
                        .replace("接收字节 = 0", QString("接收字节 = %1").arg(rx)) +
                    "\n线路利用率" + (use[0] == ' ' ? "" : "：") + use,
                "open");
        row("not compared: what became of the replies on a paragraph of its own",
            {.cntNoReply = 2, .cntUnexpected = 3}, ZERO + "\n\n未应答 = 2\n多余帧 = 3");
        // The rate: packet bits sent since the tick before.
        for (const auto &[bytes, rate] : {std::pair<quint64, const char *>{124, "992 bps"}, {125, "1 Kbps"},
                                          {124999, "999.992 Kbps"}, {125000, "1 Mbps"}, {187500, "1.5 Mbps"}})
            row(rate, {.cntTxBytes = bytes},
                QString(ZERO).replace("0 bps", rate).replace("发送字节 = 0\n", QString("发送字节 = %1\n").arg(bytes)));
        // clang-format on
    }
    void panel()
    {
        QFETCH(TrafficCounters, counters);
        QFETCH(QString, facts);
        QFETCH(QString, expected);
        LinkSession session; // a payload longer than a packet, for the note
        SessionSettings settings;
        settings.payload = QByteArray(facts.contains("note") ? 5000 : 8, 0);
        session.configure(settings);
        PanelFacts given = panelFacts(session);
        given.counters = counters;
        given.sendRateBps = counters.cntTxBytes * 8;
        for (const double ms : {0.512, 2.0041, 0.6771})
            given.roundTrips.add(ms);
        given.comparing = expected.contains("比较成功");
        given.runS = facts.contains("runS=") ? facts.section("runS=", 1).toDouble() : -1;
        given.portOpen = facts.contains("open");
        given.baud = 115200;
        given.lastSecond = {counters.cntTxLineBytes, counters.cntRxBytes, 1000};
        QCOMPARE(statisticsPanel(given), expected);
    }

    // A clean start zeroes counters and round trips; a mode's one-second tick counts its run
    // time; the line warnings and the capture follow the counts while the port is open.
    void sessionPanel()
    {
        SessionLink link;
        link.settings.compare = true;
        QVERIFY(link.open());
        link.session.sendOne();
        QCOMPARE(link.sent(1).size(), 1);
        QVERIFY(link.deliver(frameOf(link.settings.payload)));
        QCOMPARE(link.counters().cntCmpOk, 1u);
        link.session.cleanStart();
        QCOMPARE(statisticsPanel(panelFacts(link.session)),
                 ZERO + "\n\n比较成功 = 0\n比较失败 = 0");
        link.settings.compare = false;
        link.settings.periodMs = 1000000; // sends nothing in the test
        link.apply();
        QVERIFY(link.session.startCapture("capture.txt", true));
        QVERIFY(link.session.start(SendMode::Timed));
        QTRY_COMPARE(statisticsPanel(panelFacts(link.session)).section('\n', 0, 1),
                     "计时 = 1 秒\n");
        QVERIFY(statisticsPanel(panelFacts(link.session)).endsWith("\n\n保存至文件: capture.txt"));
    }

    // The histogram's percentiles against the exact ones of the sorted samples: within 1%,
    // for one sample, equal ones, and log-normal spreads around 1 ms and from us to seconds.
    void roundTripPercentiles()
    {
        std::mt19937 random(7);
        for (const auto &[spread, count] :
             {std::pair{1.0, 1}, {0.0, 500}, {0.5, 10000}, {2.0, 3001}}) {
            std::lognormal_distribution<> draw(1, spread);
            LatencyHistogram histogram;
            std::vector<double> samples(static_cast<size_t>(count));
            for (double &sample : samples)
                histogram.add(sample = spread > 0 ? draw(random) : M_E);
            std::sort(samples.begin(), samples.end());
            for (const double p : {0.0, 50.0, 90.0, 99.0, 99.9, 100.0}) {
                const double exact = samples[size_t(qMax(1.0, std::ceil(p * count / 100)) - 1)];
                QVERIFY2(std::abs(histogram.percentile(p) - exact) <= 0.01 * exact,
                         qPrintable(QStringLiteral("p%1 of %2 samples").arg(p).arg(count)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestStatistics)
#include "tst_statistics.moc"
