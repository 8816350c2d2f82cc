// A run against a device that goes away and comes back, as a flaky adapter does: each outage on
// the record, the counts going on across it.
#include "linktest.h"

#include <QtTest>

class TestReconnect : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

private slots:
    void outagesOnTheRecord_data()
    {
        QTest::addColumn<QString>("vanish"); // the device's, from the time it printed its path
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("away"); // each outage's length in ms, "never" when not back
        QTest::addColumn<double>("runS");  // the time the run took, within a second
        const QString run = "--send answer --compare --tag --reply-timeout 100 --duration ";
        QTest::newRow("away twice") << "800:300,2300:1000" << run + "4 --reconnect"
                                    << "300 1000" << 4.0;
        QTest::newRow("never back") << "800:never" << run + "2 --reconnect"
                                    << "never" << 2.0;
        QTest::newRow("not reconnecting") << "800:300" << run + "4"
                                          << "" << 1.0;
    }
    void outagesOnTheRecord()
    {
        QFETCH(QString, vanish);
        QFETCH(QString, options);
        QFETCH(QString, away);
        QFETCH(double, runS);
        const QString link = workDir.filePath("device");
        PeerProcess peer({"--link", link, "--vanish", vanish});
        const Run window =
            runToEnd(PAKTO_WINDOW_PATH,
                     QString("--port %1 --open %1 --report r.json").arg(link).split(' ') +
                         options.split(' '),
                     workDir.path());
        peer.stop();
        const Run json = readReport(readFile(workDir.filePath("r.json")));
        QVERIFY2(json.exitCode == 0 && window.exitCode == 1, qPrintable(window.err));
        QCOMPARE(json.value("reasons").split(' ').filter("port_lost").size(), 1);
        QVERIFY(qAbs(json.value("duration_run").toDouble() - runS) < 1);
        const QStringList lengths = away.split(' ', Qt::SkipEmptyParts);
        QCOMPARE(json.count("outages"), quint64(lengths.size()));
        quint64 givenUp = 0;
        double awayMs = 0;
        for (int n = 0; n < lengths.size(); ++n) {
            const QStringList outage = json.value(QString("outage_%1").arg(n + 1)).split(' ');
            const QString length = outage.value(5);
            QVERIFY2(lengths[n] == "never" ? length == "None"
                                           : qAbs(length.toDouble() - lengths[n].toDouble()) < 150,
                     qPrintable(outage.join(' ')));
            givenUp += outage.value(7).toULongLong();
            awayMs += length.toDouble();
        }
        // One frame is in flight at a time: at each loss it had left (given up by the outage) or
        // not (a send error). After the last return frames are answered again.
        QCOMPARE(json.count("no_reply"), lengths.isEmpty() ? json.count("no_reply") : givenUp);
        QCOMPARE(json.count("no_reply") + json.count("tx_errors"),
                 quint64(qMax(1, lengths.size())));
        QCOMPARE(json.count("last_rx_packets") > 0, !away.endsWith("never"));
        QVERIFY(away.endsWith("never") || qAbs(json.value("outage_ms").toDouble() - awayMs) < 1);
    }
};

QTEST_GUILESS_MAIN(TestReconnect)
#include "tst_reconnect.moc"
