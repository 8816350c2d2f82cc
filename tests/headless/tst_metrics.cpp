// The run's figures as Prometheus reads them, and their file replaced whole.
#include "engine/latencyhistogram.h"
#include "headless/metricsfile.h"
#include "workdir.h"

#include <QtTest>

// Up: round trips at chosen times from two histograms. Down: a name to escape, not UTF-8.
static QByteArray twoLinks()
{
    LatencyHistogram trips, more;
    for (const double ms : {0.0625, 0.75, 1.984375, 31.25, 7000.0}) // the third within 1% of 2 ms
        (ms < 1 ? trips : more).add(ms);
    trips.merge(more);
    const QJsonObject counts{{"tx_packets", 120}, {"send_rate_bps", 9600}};
    const LinkMetrics up{QStringLiteral("/dev/pts/3"), counts, 0.25, 0.5, &trips, true};
    const LinkMetrics down{QStringLiteral("a\"b\\c\n") + QChar(0xdcff), {{"tx_packets", 7}}};
    return metricsText({up, down}, 12.5, true);
}

class TestMetrics : public QObject
{
    Q_OBJECT

private slots:
    void promtoolFindsNothingToSay()
    {
        QProcess check;
        check.setProcessChannelMode(QProcess::MergedChannels);
        check.start(QStringLiteral("promtool"), {"check", "metrics"});
        if (!check.waitForStarted())
            QSKIP("promtool is missing: scripts/install-deps.sh installs it");
        check.write(twoLinks());
        check.closeWriteChannel();
        QVERIFY(check.waitForFinished());
        QCOMPARE(check.readAll() + QByteArray::number(check.exitCode()), QByteArray("0"));
    }

    void pinsTheLinesDashboardsRead_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<int>("times");
        const QByteArray up = "{port=\"/dev/pts/3\"", down = "{port=\"a\\\"b\\\\c\\n\xef\xbf\xbd\"";
        const QByteArray bucket = "pakto_round_trip_seconds_bucket" + up + ",le=";
        QTest::newRow("a count, its label escaped") << "pakto_tx_packets_total" + down + "} 7" << 1;
        QTest::newRow("the send rate no count") << "pakto_send_rate_bps_total" + up + "} 9600" << 0;
        QTest::newRow("line use") << "pakto_line_use_ratio" + up + ",direction=\"tx\"} 0.25" << 1;
        QTest::newRow("unknown") << "pakto_line_use_ratio" + down + ",direction=\"tx\"} -1" << 0;
        QTest::newRow("buckets cumulative") << bucket + "\"0.002\"} 3" << 1;
        QTest::newRow("all in +Inf") << bucket + "\"+Inf\"} 5" << 1;
        QTest::newRow("sum") << "pakto_round_trip_seconds_sum" + up + "} 7.034046875" << 1;
        QTest::newRow("count") << "pakto_round_trip_seconds_count" + up + "} 5" << 1;
        QTest::newRow("link down") << "pakto_link_up" + down + "} 0" << 1;
    }
    void pinsTheLinesDashboardsRead()
    {
        QFETCH(QByteArray, line);
        QFETCH(int, times);
        QCOMPARE(twoLinks().split('\n').count(line), times);
    }

    void replacesTheFileWhole()
    {
        const TestWorkDir dir;
        QString why;
        QFile old(dir.filePath(QStringLiteral("m.prom"))), now(old.fileName());
        QVERIFY(writeMetricsFile(old.fileName(), "old", why) && old.open(QIODevice::ReadOnly));
        QVERIFY(writeMetricsFile(old.fileName(), "new", why) && now.open(QIODevice::ReadOnly));
        QCOMPARE(old.readAll() + now.readAll(), QByteArray("oldnew")); // a reader's stays
        QVERIFY(!writeMetricsFile(dir.filePath(QStringLiteral("none/m.prom")), "new", why));
        QCOMPARE(why, QStringLiteral("No such file or directory"));
        QCOMPARE(dir.entries(), QStringList{QStringLiteral("m.prom")}); // nothing left beside it
    }
};

QTEST_GUILESS_MAIN(TestMetrics)
#include "tst_metrics.moc"
