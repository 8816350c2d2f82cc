// The pcapng capture of a real run against the simulated device, as Wireshark's reader and the
// dissector read it.
#include "linktest.h"
#include "pseudoterminal.h"

#include <QtTest>

// tshark's packet flags, in the order of its fields below, and the report's counter of each.
const QStringList FLAG_COUNTERS = {"crc_errors", "long_errors", "short_errors", "escape_errors"};
// What the dissector makes of each kind's FCS: good, bad, or none (1 or 2 bytes stored).
const QMap<QString, QString> FCS_OK = {{"tx_packets", "1"},  {"rx_packets", "1"},
                                       {"crc_errors", "0"},  {"long_errors", "0"},
                                       {"short_errors", ""}, {"escape_errors", ""}};

class TestPcap : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable("tshark").isEmpty())
            QSKIP("tshark is missing: scripts/install-deps.sh installs it");
    }

    // One packet a frame sent and received, one a frame refused with its error flag as often as
    // the counter says, time never going back, the port and line on the interface, the SIDs sent.
    void packetsMatchTheReport_data()
    {
        QTest::addColumn<QString>("fault"); // every third reply
        QTest::addColumn<QString>("counter");
        QTest::newRow("bad FCS") << "bad-fcs"
                                 << "crc_errors";
        QTest::newRow("bad escape") << "bad-escape"
                                    << "escape_errors";
        QTest::newRow("oversize") << "oversize"
                                  << "long_errors";
        QTest::newRow("short") << "short"
                               << "short_errors";
        QTest::newRow("drop") << "drop"
                              << "no_reply";
    }
    void packetsMatchTheReport()
    {
        QFETCH(QString, fault);
        QFETCH(QString, counter);
        PeerProcess peer({"--fault", fault, "--every", "3"});
        const QString options = "--port %1 --open %1 --send answer --tag --compare --reply-timeout "
                                "50 --duration 1 --pcap c.pcapng --report r.json";
        const Run window =
            runToEnd(PAKTO_WINDOW_PATH, options.arg(peer.path).split(' '), workDir.path());
        peer.stop();
        const Run json = readReport(readFile(workDir.filePath("r.json")));
        QVERIFY2(json.count(counter) > 0 && window.exitCode == 1, qPrintable(window.err));
        QProcess tshark;
        tshark.start("tshark", {"-r", workDir.filePath("c.pcapng"),
                                "-X", "lua_script:" PAKTO_SOURCE_DIR "/tools/wireshark/pakto.lua",
                                "-T", "fields",
                                "-e", "frame.packet_flags_direction",
                                "-e", "frame.packet_flags_crc_error",
                                "-e", "frame.packet_flags_packet_too_error",
                                "-e", "frame.packet_flags_packet_too_short_error",
                                "-e", "frame.packet_flags_symbol_error",
                                "-e", "frame.time_delta",
                                "-e", "frame.interface_name",
                                "-e", "frame.interface_description",
                                "-e", "pakto.sid",
                                "-e", "pakto.fcs_ok"});
        const Run read = finish(tshark);
        QVERIFY2(read.exitCode == 0 && !read.err.contains("Lua"), qPrintable(read.err));
        QMap<QString, QString> fcsOk; // by the report's counter of each kind
        QString sids;
        for (const QString &line : read.out.split('\n', Qt::SkipEmptyParts)) {
            const QStringList field = line.split('\t');
            QString kind = field[0].endsWith('2') ? "tx_packets" : "rx_packets";
            for (int flag = 0; flag < FLAG_COUNTERS.size(); ++flag)
                kind = field[1 + flag] == "1" ? FLAG_COUNTERS[flag] : kind;
            fcsOk[kind] += field[9] + ' ';
            QVERIFY2(!field[5].startsWith('-'), qPrintable(line));
            QCOMPARE(field[6] + ", " + field[7],
                     peer.path + ", 115200 baud 8N1, flow control none");
            sids += kind == "tx_packets" ? field[8] : "";
        }
        for (const QString &kind : FCS_OK.keys())
            QVERIFY2(fcsOk[kind] == (FCS_OK[kind] + ' ').repeated(int(json.count(kind))),
                     qPrintable(kind + ": " + fcsOk[kind]));
        QCOMPARE(sids, QString("12").repeated(int(json.count("tx_packets") / 2)) +
                           (json.count("tx_packets") % 2 ? "1" : ""));
    }

    // Against a device that reads nothing, frames still queued at the close are send errors, and
    // no packet: the outbound packets are the frames that left.
    void unsentFramesAreNoPackets()
    {
        PseudoTerminal device; // never read
        const Run window = runToEnd(
            PAKTO_WINDOW_PATH,
            QString("--port %1 --open %1 --send stream --one-way --duration 0.3 --pcap u.pcapng "
                    "--report u.json")
                .arg(device.slavePath())
                .split(' '),
            workDir.path());
        const Run json = readReport(readFile(workDir.filePath("u.json")));
        QVERIFY2(json.count("tx_errors") > 0, qPrintable(window.err + json.out));
        QProcess tshark;
        tshark.start("tshark", {"-r", workDir.filePath("u.pcapng"), "-Y",
                                "frame.packet_flags_direction == 2"});
        QCOMPARE(quint64(finish(tshark).out.count('\n')), json.count("tx_packets"));
    }

    // A run killed outright has written all but its last second, though its buffer never filled.
    void killedRunKeepsItsPackets()
    {
        PeerProcess peer({});
        QProcess run;
        run.setWorkingDirectory(workDir.path());
        run.start(PAKTO_WINDOW_PATH, QString("--port %1 --open %1 --send timed --period 100 "
                                             "--duration 9 --pcap k.pcapng")
                                         .arg(peer.path)
                                         .split(' '));
        QTest::qWait(2500);
        run.kill();
        run.waitForFinished();
        QProcess tshark;
        tshark.start("tshark", {"-r", workDir.filePath("k.pcapng"), "-T", "fields", "-e",
                                "frame.time_relative"});
        const Run read = finish(tshark);
        QVERIFY2(read.exitCode == 0, qPrintable(read.err));
        QVERIFY2(read.out.split('\n', Qt::SkipEmptyParts).last().toDouble() >= 0.9,
                 qPrintable(read.out.right(100)));
    }
};

QTEST_GUILESS_MAIN(TestPcap)
#include "tst_pcap.moc"
