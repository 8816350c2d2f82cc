// The statistics panel as the window's own timers leave it: the text on the 300 ms refresh,
// the run time and the send rate on the one-second tick.
#include "engine/runchart.h"
#include "enginelink.h"

#include <qwt_plot_curve.h>

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
        QTest::addColumn<QString>("action");           // a send mode held on, or a button clicked
        QTest::addColumn<QString>("expected");         // comparison on if it shows
        const auto row = [](const char *name, TrafficCounters c, const char *action,
                            const QString &expected) {
            QTest::newRow(name) << c << action << expected;
        };
        // clang-format off
        const TrafficCounters all{.cntTxPackets = 1, .cntTxBytes = 8, .cntTxErrors = 2, .cntTxLineBytes = 9,
            .cntRxPackets = 3, .cntRxBytes = ~0ull, .cnt7dErrors = 4, .cntCrcErrors = 5,
            .cntLongErrors = 6, .cntShortErrors = 7, .cntCmpOk = 10, .cntCmpFail = 11,
            .cntNoReply = 13, .cntAnswered = 10, .cntLate = 14, .cntUnexpected = 15,
            .cntAmbiguous = 16, .cntRunSeconds = 12};
        // clang-format on
        row("every counter, comparison on, round trips", all, "",
            "计时 = 12 秒\n\n发送包数 = 1\n  发送错误 = 2\n接收包数 = 3\n  7D错误 = 4\n"
            "  CRC错误 = 5\n  超长 = 6\n  超短 = 7\n\n发送速率 = 64 bps\n发送字节 = "
            "8\n发送线路字节 = 9\n"
            "接收字节 = 18446744073709551615\n\n比较成功 = 10\n比较失败 = 11\n未应答 = 13\n"
            "迟到应答 = 14\n多余帧 = 15\n往返时延 = 0.512 / 1.064 / 2.004 ms (16 个无法确定)");
        row("not compared: what became of the replies on a paragraph of its own",
            {.cntNoReply = 2, .cntUnexpected = 3}, "", ZERO + "\n\n未应答 = 2\n多余帧 = 3");
        row("cleared: counters and round trips", all, "btn_cntClear",
            ZERO + "\n\n比较成功 = 0\n比较失败 = 0");
        row("timed on: the tick counts the run time", {}, "btn_txAuto", "计时 = 1 秒\n\n" + ZERO);
        // The rate: packet bits sent since the tick before.
        for (const auto &[bytes, rate] : {std::pair<quint64, const char *>{124, "992 bps"},
                                          {125, "1 Kbps"},
                                          {124999, "999.992 Kbps"},
                                          {125000, "1 Mbps"},
                                          {187500, "1.5 Mbps"}})
            row(rate, {.cntTxBytes = bytes}, "",
                QString(ZERO)
                    .replace("0 bps", rate)
                    .replace("发送字节 = 0\n", QString("发送字节 = %1\n").arg(bytes)));
    }
    void panel()
    {
        QFETCH(TrafficCounters, counters);
        QFETCH(QString, action);
        QFETCH(QString, expected);
        EngineLink link;
        link.counters() = counters;
        Probe::sendRate(link.window) = counters.cntTxBytes * 8;
        for (const double ms : {0.512, 2.0041, 0.6771})
            Probe::roundTrips(link.window).add(ms);
        link.ui->cb_trxCmp->setChecked(expected.contains("比较成功"));
        if (auto *button = link.window.findChild<QAbstractButton *>(action))
            button->isCheckable() ? button->setChecked(true) : button->click();
        QTRY_COMPARE(link.ui->txt_info->toPlainText(), expected);
    }

    // The shown chart draws the ledger's seconds on the one-second tick; 清零 clears it at once.
    void chartFollowsTheLedger()
    {
        EngineLink link;
        link.window.show();
        const auto points = [&link] {
            size_t count = 0;
            for (const QwtPlotItem *item :
                 link.ui->plot_chart->itemList(QwtPlotItem::Rtti_PlotCurve))
                count += static_cast<const QwtPlotCurve *>(item)->dataSize();
            return count;
        };
        QVERIFY(link.open());
        link.ui->btn_txAuto->click();
        QTRY_VERIFY(points() > 0);
        link.ui->btn_cntClear->click();
        QCOMPARE(points(), size_t(0));
    }

    // What the chart draws of a timeline: counts per second, every error kind together where
    // there were any, round trips where taken; the window's span is the last minute.
    void chartPoints_data()
    {
        // "t seconds tx rx framing compared noReply txErrors p50 p99", ';'-separated
        QTest::addColumn<QString>("entries");
        QTest::addColumn<bool>("recent");
        QTest::addColumn<QString>("expected"); // "from..to sent|received|errors|p50|p99"
        // clang-format off
        QTest::newRow("a second, every error kind") << "0 1 10 9 1 2 3 4 0.5 2" << false << "0..1 0:10|0:9|0:10|0:0.5|0:2";
        QTest::newRow("merged seconds: per second") << "0 2 10 8 2 0 0 0 -1 -1" << false << "0..2 0:5|0:4|0:1||";
        QTest::newRow("clean, no round trip") << "0 1 7 7 0 0 0 0 -1 -1;1 1 8 8 0 0 0 0 -1 -1" << false << "0..2 0:7,1:8|0:7,1:8|||";
        QTest::newRow("the window: the last minute") << "0 1 5 5 0 0 0 0 -1 -1;100 1 7 7 0 0 0 0 -1 -1" << true << "41..101 100:7|100:7|||";
        // clang-format on
    }
    void chartPoints()
    {
        QFETCH(QString, entries);
        QFETCH(bool, recent);
        QFETCH(QString, expected);
        Timeline timeline;
        for (const QString &entry : entries.split(';')) {
            QVector<double> f;
            for (const QString &field : entry.split(' '))
                f << field.toDouble();
            timeline.add({f[0], int(f[1]), quint64(f[2]), quint64(f[3]), quint64(f[4]),
                          quint64(f[5]), quint64(f[6]), 0, 0, quint64(f[7]), -1, 0, 0, f[8], f[9]});
        }
        RunChart chart;
        recent ? chart.showRecent(timeline) : chart.showWhole(timeline);
        const QwtInterval span = chart.axisInterval(QwtPlot::xBottom);
        QStringList curves;
        for (const QwtPlotItem *item : chart.itemList(QwtPlotItem::Rtti_PlotCurve)) {
            const auto *curve = static_cast<const QwtPlotCurve *>(item);
            QStringList points;
            for (size_t i = 0; i < curve->dataSize(); ++i)
                points << QString("%1:%2").arg(curve->sample(i).x()).arg(curve->sample(i).y());
            curves << points.join(',');
        }
        QCOMPARE(QString("%1..%2 ").arg(span.minValue()).arg(span.maxValue()) + curves.join('|'),
                 expected);
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

QTEST_MAIN(TestStatistics)
#include "tst_statistics.moc"
