// Several links in one run, each against its own simulated device: each link's counts, reasons,
// JUnit suite and capture are its own, and the run adds them up.
#include "linktest.h"

#include <QtTest>

// Each testsuite's name, then its failures' and errors' types sorted, "|" between suites.
static QString suites(const QByteArray &xml)
{
    QStringList suites, types;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd()) {
        if (reader.readNext() == QXmlStreamReader::EndElement && reader.name() == "testsuite") {
            types.sort();
            suites.last() += types.join('+');
            types.clear();
        } else if (reader.isStartElement() && reader.name() == "testsuite")
            suites << reader.attributes().value("name") + ':';
        else if (reader.isStartElement() &&
                 (reader.name() == "failure" || reader.name() == "error"))
            types << reader.attributes().value("type").toString();
    }
    return suites.join('|');
}

class TestLinks : public QObject
{
    Q_OBJECT

private slots:
    // A reply timeout long enough for a busy machine, short enough for a few spoiled replies.
    void eachLinkItsOwn_data()
    {
        QTest::addColumn<QString>("devices"); // pakto-peer's options for each link, ";" between
        QTest::addColumn<QString>("reasons"); // each link's, a pattern; the same order
        QTest::addColumn<QString>("run");     // the run's further options
        QTest::newRow("one link spoiling replies") << ";--fault bad-fcs --every 3"
                                                   << ";framing_errors no_reply"
                                                   << "";
        // The frame in flight at the loss is unanswered, or unsent.
        QTest::newRow("a device leaving mid-run") << ";--frames 50;"
                                                  << ";(tx_errors )?(no_reply )?port_lost;"
                                                  << "";
        QTest::newRow("a device away for 300 ms, waited for")
            << "--vanish 200:300;"
            << "(tx_errors )?(no_reply )?port_lost;"
            << "--reconnect";
    }
    void eachLinkItsOwn()
    {
        QFETCH(QString, devices);
        QFETCH(QString, reasons);
        QFETCH(QString, run);
        QTemporaryDir dir;
        std::vector<std::unique_ptr<PeerProcess>> peers;
        QStringList options =
            QString(
                "--send answer --compare --tag --reply-timeout 200 --duration 1 "
                "--capture c.txt --pcap p.pcapng --junit j.xml --report r.json --metrics m.prom")
                .split(' ') +
            run.split(' ', Qt::SkipEmptyParts);
        for (const QString &device : devices.split(';')) {
            // A device that vanishes comes back on another terminal, behind the same link.
            const QString link = dir.filePath(QString("device%1").arg(peers.size() + 1));
            const bool vanishes = device.contains("--vanish");
            peers.push_back(std::make_unique<PeerProcess>(
                device.split(' ', Qt::SkipEmptyParts) +
                (vanishes ? QStringList{"--link", link} : QStringList())));
            if (vanishes)
                peers.back()->path = link;
            options << "--port" << peers.back()->path << "--open" << peers.back()->path;
        }
        int polls = 0, partial = 0; // a scraper's reads of the metrics while the run goes on
        const Run window = runToEnd(PAKTO_WINDOW_PATH, options, dir.path(), [&](QProcess &run) {
            while (!run.waitForFinished(20)) {
                const QByteArray text = readFile(dir.filePath("m.prom"));
                polls += !text.isEmpty();
                partial += !text.isEmpty() && !text.contains("\npakto_round_trip_seconds_count{"
                                                             "port=\"" +
                                                             peers.back()->path.toUtf8() + "\"} ");
            }
        });
        QVERIFY(polls > 10 && partial == 0);
        const QByteArray metrics = readFile(dir.filePath("m.prom"));
        QVERIFY(metrics.contains("\npakto_run_running 0\n"));
        for (const auto &peer : peers)
            peer->stop();
        const Run json = readReport(readFile(dir.filePath("r.json")));
        QVERIFY2(json.exitCode == 0 && window.exitCode == 1, qPrintable(json.err + window.err));
        QStringList junit, ports;
        quint64 lostSent = 0;
        for (int link = 1; link <= int(peers.size()); ++link) {
            const QString key = QString("link%1_").arg(link);
            QStringList words = json.value(key + "reasons").split(' ', Qt::SkipEmptyParts);
            QVERIFY2(QRegularExpression('^' + reasons.section(';', link - 1, link - 1) + '$')
                         .match(words.join(' '))
                         .hasMatch(),
                     qPrintable(key + words.join(' ')));
            words.sort();
            ports << peers[size_t(link - 1)]->path;
            junit << ports.last() + " answer:" + words.join('+');
            QCOMPARE(json.value(key + "capture"), QString("c-%1.txt").arg(link));
            QVERIFY(!readFile(dir.filePath(json.value(key + "capture"))).isEmpty());
            lostSent += words.contains("port_lost") ? json.count(key + "tx_packets") : 0;
            QVERIFY(metrics.contains(QString("\npakto_tx_packets_total{port=\"%1\"} %2\n")
                                         .arg(ports.last(), json.value(key + "tx_packets"))
                                         .toUtf8()));
        }
        // The others go on to the end, past a device that left; one that came back goes on too,
        // and only its own outage is counted.
        for (int link = 1; link <= int(peers.size()); ++link) {
            const QString key = QString("link%1_").arg(link);
            const bool away = devices.section(';', link - 1, link - 1).contains("--vanish");
            QVERIFY(json.value(key + "reasons").contains("port_lost") ||
                    json.count(key + "tx_packets") > lostSent);
            QCOMPARE(json.count(key + "outages"), quint64(away));
            QVERIFY(!away || json.count(key + "answered") > json.count("answered") / 4);
        }
        QVERIFY(qAbs(json.value("duration_run").toDouble() - 1) < 0.1);
        QVERIFY2(
            window.out.contains(QString("合计：发送包数 = %1，").arg(json.count("tx_packets"))),
            qPrintable(window.out));
        QCOMPARE(suites(readFile(dir.filePath("j.xml"))), junit.join('|'));
        QProcess tshark; // one capture file, each link's frames on its own interface
        tshark.start("tshark", {"-r", dir.filePath("p.pcapng"), "-T", "fields", "-e",
                                "frame.interface_name"});
        const QStringList named = finish(tshark).out.split('\n', Qt::SkipEmptyParts);
        QVERIFY(QStandardPaths::findExecutable("tshark").isEmpty() ||
                QSet<QString>(named.begin(), named.end()) ==
                    QSet<QString>(ports.begin(), ports.end()));
    }
};

QTEST_GUILESS_MAIN(TestLinks)
#include "tst_links.moc"
