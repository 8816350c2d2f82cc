// The real program, run headless, against the simulated device: what the
// window counts must be exactly what the device says it put on the wire.
#include "linktest.h"

#include <QTemporaryDir>
#include <QtTest>

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void countsMatchThePeer_data();
    void countsMatchThePeer();
    void lostDeviceEndsTheRun();
    void refusedInvocations_data();
    void refusedInvocations();

private:
    QTemporaryDir workDir;
};

// Timed sending goes on whatever comes back, so every spoiled reply and its knock-on
// errors reach the counters; the comparison fails once for each duplicate or corrupt one.
void TestEndToEnd::countsMatchThePeer_data()
{
    QTest::addColumn<QString>("peerOptions");
    QTest::addColumn<QString>("windowOptions");
    const QString timed = "--send timed --period 10 --compare --tag --duration 1";
    QTest::newRow("answer-driven, tagged, shown and captured")
        << "" << "--send answer --compare --tag --show --capture capture.txt --duration 1";
    QTest::newRow("answer-driven up to --frames") << "" << "--send answer --compare --frames 300 --duration 30";
    QTest::newRow("timed at 9600 baud, not compared") << "" << "--send timed --period 5 --baud 9600 --duration 1";
    QTest::newRow("once") << "" << "--send once --compare --duration 0.5";
    QTest::newRow("extra mode: two more bytes compare") << "--mode extra" << timed;
    QTest::newRow("bad-fcs: crc, then short") << "--fault bad-fcs --every 3" << timed;
    QTest::newRow("bad-escape: 7d, then short") << "--fault bad-escape --every 3" << timed;
    QTest::newRow("drop: nothing to count") << "--fault drop --every 3" << timed;
    QTest::newRow("duplicate: the copy fails the comparison") << "--fault duplicate --every 3" << timed;
    QTest::newRow("corrupt: fails the comparison") << "--fault corrupt --every 3" << timed;
    QTest::newRow("short: two short errors") << "--fault short --every 3" << timed;
    QTest::newRow("oversize: too long, then short") << "--fault oversize --every 3" << timed;
    QTest::newRow("noise: only bytes") << "--fault noise --every 3" << timed;
}

// Each panel count equals the peer's; exit code 1 exactly when an error was
// counted; a headless run leaves no settings file behind.
void TestEndToEnd::countsMatchThePeer()
{
    QFETCH(QString, peerOptions);
    QFETCH(QString, windowOptions);

    PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
    const Run window = runToEnd(PAKTO_WINDOW_PATH, QStringList{"--port", peer.path, "--open", peer.path}
                                                       + windowOptions.split(' '), workDir.path());
    const Run report = peer.stop();
    QCOMPARE(report.exitCode, 0);
    const QVector<QPair<QString, QString>> sameCounts = {
        {panel::SENT, "frames_received"}, {panel::RECEIVED, "wire_good_frames"}, {panel::BYTES, "bytes_sent"},
        {panel::TOO_SHORT, "wire_short_errors"}, {panel::TOO_LONG, "wire_long_errors"},
        {panel::CRC_ERRORS, "wire_crc_errors"}, {panel::ESCAPE_ERRORS, "wire_7d_errors"}};
    for (const auto &same : sameCounts)
        QVERIFY2(window.count(same.first) == report.count(same.second), qPrintable(window.out + report.out));
    const quint64 frames = window.count(panel::SENT), received = window.count(panel::RECEIVED),
                  failed = window.count(panel::COMPARE_FAILED);
    const quint64 limit = windowOptions.contains("once") ? 1 : windowOptions.section("--frames ", 1).section(' ', 0, 0).toULongLong();
    QVERIFY(limit == 0 ? frames > 0 : frames == limit);
    const quint64 errors = failed + window.count(panel::SEND_ERRORS) + window.count(panel::CRC_ERRORS)
        + window.count(panel::ESCAPE_ERRORS) + window.count(panel::TOO_LONG) + window.count(panel::TOO_SHORT);
    const quint64 faults = report.count("fault_" + peerOptions.section(' ', 1, 1).replace('-', '_'));
    QVERIFY(peerOptions.startsWith("--fault") ? faults > 0 : received == frames && errors == 0);
    const bool failsComparison = peerOptions.contains("duplicate") || peerOptions.contains("corrupt");
    QCOMPARE(failed, failsComparison ? faults : quint64(0));
    QCOMPARE(window.count(panel::COMPARED_OK), windowOptions.contains("--compare") ? received - failed : quint64(0));
    QVERIFY2(window.exitCode == (errors > 0 ? 1 : 0), qPrintable(window.out + window.err));
    QVERIFY(!QFile::exists(workDir.filePath("dv-ppp.ini")));
}

// The peer leaves after 50 frames: the run ends there with 1, not in a minute.
void TestEndToEnd::lostDeviceEndsTheRun()
{
    PeerProcess peer({"--mode", "echo", "--frames", "50"});
    const Run window = runToEnd(PAKTO_WINDOW_PATH, {"--port", peer.path, "--open", peer.path, "--send", "answer",
                                                    "--compare", "--duration", "60"}, workDir.path());
    QCOMPARE(peer.stop(0).exitCode, 0);
    QCOMPARE(window.exitCode, 1);
    QVERIFY2(window.err.contains("串口已断开"), qPrintable(window.err));
    QCOMPARE(window.count(panel::COMPARED_OK), quint64(50));
}

// Usage errors, ports and files that will not open: exit code 2, why on stderr.
void TestEndToEnd::refusedInvocations_data()
{
    QTest::addColumn<QString>("invocation");
    QTest::addColumn<QString>("complaint");
    const QString open = "pakto --port /dev/nowhere --open /dev/nowhere --send answer --duration 1";
    QTest::newRow("peer: unknown option") << "pakto-peer --pty --bogus" << "bogus";
    QTest::newRow("peer: port that will not open") << "pakto-peer --port /dev/nowhere" << "/dev/nowhere";
    QTest::newRow("window: no --open") << "pakto --send answer --duration 1" << "--open is missing";
    QTest::newRow("window: port that will not open") << open << "串口打开失败";
    QTest::newRow("window: capture file that will not open") << open + " --capture no/such/c.txt" << "无法打开文件";
}

void TestEndToEnd::refusedInvocations()
{
    QFETCH(QString, invocation);
    QFETCH(QString, complaint);

    QStringList words = invocation.split(' ');
    const Run run = runToEnd(words.takeFirst() == "pakto" ? PAKTO_WINDOW_PATH : PAKTO_PEER_PATH, words, workDir.path());
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.out.isEmpty() && run.err.contains(complaint), qPrintable(run.out + run.err));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
