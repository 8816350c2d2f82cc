// The real program, run headless, against the simulated device: what the
// window counts must be exactly what the device says it put on the wire.
#include "peer_process.h"
#include "window_run.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

// Runs the window against a fresh peer started with peerOptions, then stops
// the peer and takes its report.
struct LinkRun {
    WindowRun window;
    QMap<QString, quint64> peer;
    bool peerStarted = false;
};

LinkRun runAgainstPeer(const QString &workDir, const QStringList &peerOptions,
                       const QStringList &windowOptions)
{
    LinkRun run;
    PeerProcess peer;
    run.peerStarted = peer.startPty(peerOptions);
    if (!run.peerStarted)
        return run;
    const QString device = peer.ptyPath();
    run.window = runWindow(workDir, QStringList{"--port", device, "--open", device} + windowOptions);
    if (peer.stop(SIGTERM))
        run.peer = peer.report();
    return run;
}

const QStringList TIMED_RUN = {"--send", "timed", "--period", "10", "--compare", "--tag", "--duration", "1"};

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanRuns_data();
    void cleanRuns();
    void faultsCountedAsPutOnTheWire_data();
    void faultsCountedAsPutOnTheWire();
    void refusedRuns_data();
    void refusedRuns();
    void lostDeviceEndsTheRun();

private:
    std::unique_ptr<QTemporaryDir> workDir;
};

void TestEndToEnd::init()
{
    workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(workDir->isValid());
}

void TestEndToEnd::cleanRuns_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("sent"); // 0: any number above 0

    QTest::newRow("answer-driven, compared")
        << QStringList{"--send", "answer", "--compare", "--duration", "1"} << 0;
    QTest::newRow("answer-driven, stops after --frames")
        << QStringList{"--send", "answer", "--compare", "--frames", "300", "--duration", "30"} << 300;
    QTest::newRow("answer-driven, tagged, shown and captured")
        << QStringList{"--send", "answer", "--compare", "--tag", "--show", "--capture", "capture.txt",
                       "--duration", "1"}
        << 0;
    QTest::newRow("timed, at 9600 baud")
        << QStringList{"--send", "timed", "--period", "5", "--baud", "9600", "--compare", "--duration", "1"} << 0;
    QTest::newRow("once") << QStringList{"--send", "once", "--compare", "--duration", "0.5"} << 1;
    QTest::newRow("answer-driven, not compared") << QStringList{"--send", "answer", "--duration", "0.5"} << 0;
}

// Every frame comes back: nothing to count but frames, and no settings file
// left behind.
void TestEndToEnd::cleanRuns()
{
    QFETCH(QStringList, options);
    QFETCH(int, sent);

    const LinkRun run = runAgainstPeer(workDir->path(), {"--mode", "echo"}, options);
    QVERIFY(run.peerStarted);
    QVERIFY2(run.window.exitCode == 0, qPrintable(run.window.err));
    const quint64 frames = run.window.count(panel::SENT);
    if (sent != 0)
        QCOMPARE(frames, quint64(sent));
    QVERIFY(frames > 0);
    QCOMPARE(run.peer.value("frames_received"), frames);
    QCOMPARE(run.window.count(panel::RECEIVED), frames);
    QCOMPARE(run.window.count(panel::RECEIVED_BYTES), run.peer.value("bytes_sent"));
    const quint64 comparedOk = options.contains("--compare") ? frames : 0;
    QCOMPARE(run.window.count(panel::COMPARED_OK), comparedOk);
    for (const QString &error : {panel::SEND_ERRORS, panel::ESCAPE_ERRORS, panel::CRC_ERRORS, panel::TOO_LONG,
                                 panel::TOO_SHORT, panel::COMPARE_FAILED})
        QVERIFY2(run.window.count(error) == 0, qPrintable(run.window.out));
    QVERIFY(!QFile::exists(QDir(workDir->path()).filePath("dv-ppp.ini")));
}

// Timed sending keeps going whatever comes back, so every spoiled reply and
// its knock-on errors reach the counters. The peer's wire_ lines are what a
// decoder starting from the hunt counts; the comparison fails once for each
// reply that is a good frame but no sent one.
void TestEndToEnd::faultsCountedAsPutOnTheWire_data()
{
    QTest::addColumn<QStringList>("peerOptions");
    QTest::addColumn<QString>("faultCounter");   // empty: no fault injected
    QTest::addColumn<QString>("compareFailures"); // peer counter they equal; empty: none
    QTest::addColumn<int>("exitCode");

    const QStringList every3 = {"--every", "3"};
    QTest::newRow("bad-fcs: crc, then short") << QStringList{"--fault", "bad-fcs"} + every3 << "fault_bad_fcs" << ""
                                              << 1;
    QTest::newRow("bad-escape: 7d, then short")
        << QStringList{"--fault", "bad-escape"} + every3 << "fault_bad_escape" << "" << 1;
    QTest::newRow("drop: nothing to count") << QStringList{"--fault", "drop"} + every3 << "fault_drop" << "" << 0;
    QTest::newRow("duplicate: the copy fails the comparison")
        << QStringList{"--fault", "duplicate"} + every3 << "fault_duplicate" << "fault_duplicate" << 1;
    QTest::newRow("corrupt: fails the comparison")
        << QStringList{"--fault", "corrupt"} + every3 << "fault_corrupt" << "fault_corrupt" << 1;
    QTest::newRow("short: two short errors") << QStringList{"--fault", "short"} + every3 << "fault_short" << ""
                                             << 1;
    QTest::newRow("oversize: too long, then short")
        << QStringList{"--fault", "oversize"} + every3 << "fault_oversize" << "" << 1;
    QTest::newRow("noise: only bytes") << QStringList{"--fault", "noise"} + every3 << "fault_noise" << "" << 0;
    QTest::newRow("random bad-fcs") << QStringList{"--fault", "bad-fcs", "--rate", "0.3", "--seed", "7"}
                                    << "fault_bad_fcs" << "" << 1;
    QTest::newRow("extra mode: two more bytes compare") << QStringList{"--mode", "extra"} << "" << "" << 0;
}

void TestEndToEnd::faultsCountedAsPutOnTheWire()
{
    QFETCH(QStringList, peerOptions);
    QFETCH(QString, faultCounter);
    QFETCH(QString, compareFailures);
    QFETCH(int, exitCode);

    const LinkRun run = runAgainstPeer(workDir->path(), peerOptions, TIMED_RUN);
    QVERIFY(run.peerStarted);
    const WindowRun &window = run.window;
    const QMap<QString, quint64> &peer = run.peer;
    QVERIFY2(window.exitCode == exitCode, qPrintable(window.out + window.err));
    if (!faultCounter.isEmpty())
        QVERIFY2(peer.value(faultCounter) > 0, qPrintable(faultCounter));
    QCOMPARE(window.count(panel::SENT), peer.value("frames_received"));
    QCOMPARE(window.count(panel::RECEIVED), peer.value("wire_good_frames"));
    QCOMPARE(window.count(panel::TOO_SHORT), peer.value("wire_short_errors"));
    QCOMPARE(window.count(panel::TOO_LONG), peer.value("wire_long_errors"));
    QCOMPARE(window.count(panel::CRC_ERRORS), peer.value("wire_crc_errors"));
    QCOMPARE(window.count(panel::ESCAPE_ERRORS), peer.value("wire_7d_errors"));
    QCOMPARE(window.count(panel::RECEIVED_BYTES), peer.value("bytes_sent"));
    const quint64 failures = compareFailures.isEmpty() ? 0 : peer.value(compareFailures);
    QCOMPARE(window.count(panel::COMPARE_FAILED), failures);
    QCOMPARE(window.count(panel::COMPARED_OK), window.count(panel::RECEIVED) - failures);
}

void TestEndToEnd::refusedRuns_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint"); // part of what stderr says

    const QStringList run = {"--port", "/dev/pts/nowhere", "--open", "/dev/pts/nowhere"};
    QTest::newRow("no --duration") << run + QStringList{"--send", "answer"} << "--duration is missing";
    QTest::newRow("no --open") << QStringList{"--send", "answer", "--duration", "1"} << "--open is missing";
    QTest::newRow("no --send") << run + QStringList{"--duration", "1"} << "--send is missing";
    QTest::newRow("unknown send mode") << run + QStringList{"--send", "often", "--duration", "1"}
                                       << "unknown send mode 'often'";
    QTest::newRow("zero duration") << run + QStringList{"--send", "answer", "--duration", "0"} << "--duration";
    QTest::newRow("period without timed sending")
        << run + QStringList{"--send", "answer", "--period", "10", "--duration", "1"} << "--period goes with";
    QTest::newRow("period of letters") << run + QStringList{"--send", "timed", "--period", "ten", "--duration", "1"}
                                       << "--period needs a whole number";
    QTest::newRow("baud of 0") << run + QStringList{"--send", "answer", "--baud", "0", "--duration", "1"}
                               << "--baud needs a whole number";
    QTest::newRow("unknown option") << run + QStringList{"--send", "answer", "--duration", "1", "--fast"}
                                    << "fast";
    QTest::newRow("stray argument") << run + QStringList{"--send", "answer", "--duration", "1", "now"}
                                    << "unexpected argument 'now'";
    QTest::newRow("port not listed") << QStringList{"--open", "/dev/pts/nowhere", "--send", "answer", "--duration", "1"}
                                     << "no port '/dev/pts/nowhere' is listed";
    QTest::newRow("port that will not open") << run + QStringList{"--send", "answer", "--duration", "1"}
                                             << "串口打开失败";
    QTest::newRow("capture file that will not open")
        << run + QStringList{"--send", "answer", "--capture", "no/such/folder/capture.txt", "--duration", "1"}
        << "无法打开文件";
}

void TestEndToEnd::refusedRuns()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);

    const WindowRun run = runWindow(workDir->path(), arguments);
    QCOMPARE(run.exitCode, 2);
    QVERIFY2(run.err.contains(complaint), qPrintable(run.err));
    QVERIFY(run.panelCounts.isEmpty());
}

// The peer leaves after 50 frames; the window closes the dead port, and the
// run ends there with 1 instead of sending into nothing for a minute.
void TestEndToEnd::lostDeviceEndsTheRun()
{
    const LinkRun run = runAgainstPeer(workDir->path(), {"--mode", "echo", "--frames", "50"},
                                       {"--send", "answer", "--compare", "--duration", "60"});
    QVERIFY(run.peerStarted);
    QCOMPARE(run.window.exitCode, 1);
    QVERIFY2(run.window.err.contains("串口已断开"), qPrintable(run.window.err));
    QCOMPARE(run.window.count(panel::RECEIVED), quint64(50));
    QCOMPARE(run.window.count(panel::COMPARED_OK), quint64(50));
}

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
