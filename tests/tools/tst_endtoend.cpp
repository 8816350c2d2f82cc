// The real program, run headless, against the simulated device: what the
// window counts must be exactly what the device says it put on the wire.
#include "linktest.h"

#include <QTemporaryDir>
#include <QtTest>

namespace {

// Each count of the statistics panel and the count of the peer's report it equals.
const QVector<QPair<QString, QString>> SAME_COUNTS = {
    {panel::SENT, "frames_received"},      {panel::RECEIVED, "wire_good_frames"},
    {panel::TOO_SHORT, "wire_short_errors"}, {panel::TOO_LONG, "wire_long_errors"},
    {panel::CRC_ERRORS, "wire_crc_errors"},  {panel::ESCAPE_ERRORS, "wire_7d_errors"},
    {panel::BYTES, "bytes_sent"}};

} // namespace

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

// Timed sending goes on whatever comes back, so every spoiled reply and its
// knock-on errors reach the counters as the peer's wire_ lines count them. The
// comparison fails once for each duplicate or corrupt reply.
void TestEndToEnd::countsMatchThePeer_data()
{
    QTest::addColumn<QString>("peerOptions");
    QTest::addColumn<QString>("windowOptions");
    QTest::addColumn<bool>("failsComparison");
    QTest::addColumn<int>("sent"); // 0: any number above 0
    const auto row = [](const char *name, const QString &peerOptions, bool failsComparison = false,
                        const QString &windowOptions = "--send timed --period 10 --compare --tag --duration 1",
                        int sent = 0) { QTest::newRow(name) << peerOptions << windowOptions << failsComparison << sent; };
    row("answer-driven, tagged, shown and captured", "", false,
        "--send answer --compare --tag --show --capture capture.txt --duration 1");
    row("answer-driven up to --frames", "", false, "--send answer --compare --frames 300 --duration 30", 300);
    row("timed at 9600 baud, not compared", "", false, "--send timed --period 5 --baud 9600 --duration 1");
    row("once", "", false, "--send once --compare --duration 0.5", 1);
    row("extra mode: two more bytes compare", "--mode extra");
    row("bad-fcs: crc, then short", "--fault bad-fcs --every 3");
    row("bad-escape: 7d, then short", "--fault bad-escape --every 3");
    row("drop: nothing to count", "--fault drop --every 3");
    row("duplicate: the copy fails the comparison", "--fault duplicate --every 3", true);
    row("corrupt: fails the comparison", "--fault corrupt --every 3", true);
    row("short: two short errors", "--fault short --every 3");
    row("oversize: too long, then short", "--fault oversize --every 3");
    row("noise: only bytes", "--fault noise --every 3");
}

// Exit code 1 exactly when an error was counted; a headless run leaves no
// settings file behind.
void TestEndToEnd::countsMatchThePeer()
{
    QFETCH(QString, peerOptions);
    QFETCH(QString, windowOptions);
    QFETCH(bool, failsComparison);
    QFETCH(int, sent);

    PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
    const Run window = runToEnd(PAKTO_WINDOW_PATH, QStringList{"--port", peer.path, "--open", peer.path}
                                                       + windowOptions.split(' '), workDir.path());
    const Run report = peer.stop();
    QCOMPARE(report.exitCode, 0);
    for (const auto &same : SAME_COUNTS)
        QVERIFY2(window.count(same.first) == report.count(same.second), qPrintable(window.out + report.out));
    const quint64 frames = window.count(panel::SENT), received = window.count(panel::RECEIVED),
                  failed = window.count(panel::COMPARE_FAILED);
    QVERIFY(sent == 0 ? frames > 0 : frames == quint64(sent));
    const quint64 errors = failed + window.count(panel::CRC_ERRORS) + window.count(panel::ESCAPE_ERRORS)
        + window.count(panel::TOO_LONG) + window.count(panel::TOO_SHORT);
    const quint64 faults = report.count("fault_" + peerOptions.section(' ', 1, 1).replace('-', '_'));
    QVERIFY(peerOptions.startsWith("--fault") ? faults > 0 : received == frames && errors == 0);
    QCOMPARE(failed, failsComparison ? faults : quint64(0));
    QCOMPARE(window.count(panel::COMPARED_OK), windowOptions.contains("--compare") ? received - failed : quint64(0));
    QCOMPARE(window.count(panel::SEND_ERRORS), quint64(0));
    QVERIFY2(window.exitCode == (errors > 0 ? 1 : 0), qPrintable(window.out + window.err));
    QVERIFY(!QFile::exists(workDir.filePath("dv-ppp.ini")));
}

// The peer leaves after 50 frames; the window closes the dead port and ends the
// run there with 1 instead of sending into nothing for a minute.
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

// Usage errors and ports or files that cannot be opened: exit code 2, the reason
// on stderr, nothing on stdout.
void TestEndToEnd::refusedInvocations_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("complaint");
    const QString window = PAKTO_WINDOW_PATH, peer = PAKTO_PEER_PATH, open = "--port /dev/nowhere --open /dev/nowhere ";
    QTest::newRow("peer: unknown option") << peer << "--pty --bogus" << "bogus";
    QTest::newRow("peer: port that will not open") << peer << "--port /dev/nowhere" << "/dev/nowhere";
    QTest::newRow("window: no --open") << window << "--send answer --duration 1" << "--open is missing";
    QTest::newRow("window: port that will not open") << window << open + "--send answer --duration 1" << "串口打开失败";
    QTest::newRow("window: capture file that will not open")
        << window << open + "--send answer --capture no/such/folder/c.txt --duration 1" << "无法打开文件";
}

void TestEndToEnd::refusedInvocations()
{
    QFETCH(QString, program);
    QFETCH(QString, arguments);
    QFETCH(QString, complaint);

    const Run run = runToEnd(program, arguments.split(' '), workDir.path());
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(complaint), qPrintable(run.err));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
