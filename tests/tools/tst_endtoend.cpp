// The real program, headless, against the simulated device: the window counts what the device put
// on the wire, and its JSON report says what its panel says.
#include "linktest.h"

#include <QtTest>

#include <array>
#include <sys/stat.h>

class TestEndToEnd : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

    Run runWindow(const QString &device, const QString &options)
    {
        QFile::remove(workDir.filePath("r.json"));
        return runToEnd(PAKTO_WINDOW_PATH,
                        QString("--port %1 --open %1 %2").arg(device, options).split(' '),
                        workDir.path());
    }

private slots:
    // Timed sending goes on whatever comes back, so every spoiled reply and its knock-on reaches
    // the counters.
    void countsMatchThePeer_data()
    {
        QTest::addColumn<QString>("peerOptions");
        QTest::addColumn<QString>("windowOptions"); // r.json takes the report unless it says
        const QString timed = "--send timed --period 10 --compare --tag --duration 1",
                      answer = "--send answer --compare --duration 1";
        // clang-format off
        QTest::newRow("answer: show, capture") << "" << answer + " --tag --show --capture c";
        QTest::newRow("answer-driven up to --frames, report on stdout") << "" << "--send answer --compare --frames 300 --duration 30 --report -";
        QTest::newRow("answer-driven up to --frames, every reply twice") << "--fault duplicate --every 1" << "--send answer --frames 300 --duration 30";
        QTest::newRow("timed at 9600 baud, not compared") << "" << "--send timed --period 5 --baud 9600 --duration 1";
        QTest::newRow("once") << "" << "--send once --compare --duration 0.5";
        QTest::newRow("report on a full disk fails the run") << "" << "--send once --duration 0.5 --report /dev/full";
        QTest::newRow("extra mode: two more bytes compare") << "--mode extra" << timed;
        QTest::newRow("replies 400 ms late, all let in") << "--delay 400" << timed;
        QTest::newRow("capture on a full disk fails the run") << "" << "--send answer --frames 50 --capture /dev/full --duration 5";
        QTest::newRow("answer, replies dropped: sends on after the reply timeout") << "--fault drop --every 3" << answer + " --reply-timeout 50";
        QTest::newRow("answer, replies dropped, not compared: fewer received fails") << "--fault drop --every 3" << "--send answer --reply-timeout 50 --duration 1";
        // clang-format on
        for (const char *flags : {"shared", "idle"}) {
            QTest::addRow("timed, replies with %s flags", flags)
                << QString("--flags ") + flags << timed;
            QTest::addRow("answer-driven, %s flags", flags)
                << QString("--flags ") + flags << answer;
        }
        for (auto fault : {"bad-fcs", "bad-escape", "drop", "duplicate", "corrupt", "short",
                           "oversize", "noise"})
            QTest::addRow("timed, fault %s", fault)
                << QString("--fault %1 --every 3").arg(fault) << timed;
    }

    void countsMatchThePeer()
    {
        QFETCH(QString, peerOptions);
        QFETCH(QString, windowOptions);
        PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
        const bool toStdout = windowOptions.contains("--report -"),
                   unwritable = windowOptions.contains("--report /dev");
        const Run window = runWindow(peer.path, windowOptions.contains("--report")
                                                    ? windowOptions
                                                    : windowOptions + " --report r.json");
        const Run device = peer.stop(),
                  report = readReport(toStdout ? window.out.toUtf8()
                                               : readFile(workDir.filePath("r.json")));
        QVERIFY2((report.exitCode == 0) != unwritable, qPrintable(report.err + window.err));
        using namespace panel;
        // clang-format off
        for (const auto &[label, key, tally] : QVector<std::array<QString, 3>>{
                 {SENT, "tx_packets", "frames_received"}, {RECEIVED, "rx_packets", "wire_good_frames"},
                 {BYTES, "rx_bytes", "bytes_sent"}, {TOO_SHORT, "short_errors", "wire_short_errors"},
                 {TOO_LONG, "long_errors", "wire_long_errors"}, {CRC_ERRORS, "crc_errors", "wire_crc_errors"},
                 {ESCAPE_ERRORS, "escape_errors", "wire_7d_errors"}, {SEND_ERRORS, "tx_errors", ""},
                 {COMPARED_OK, "compare_ok", ""}, {COMPARE_FAILED, "compare_failed", ""}, {NO_REPLY, "no_reply", ""}}) {
            QVERIFY2(tally.isEmpty() || window.count(label) == device.count(tally), qPrintable(label + window.out + device.out));
            QVERIFY2(unwritable || report.count(key) == window.count(label), qPrintable(key + window.out + report.out));
        }
        // clang-format on
        const quint64 frames = window.count(SENT), received = window.count(RECEIVED),
                      failed = window.count(COMPARE_FAILED);
        const quint64 limit = windowOptions.contains("once") ? 1
                                                             : QRegularExpression("--frames (\\d+)")
                                                                   .match(windowOptions)
                                                                   .captured(1)
                                                                   .toULongLong();
        QVERIFY(limit == 0 ? frames > 0 : frames == limit);
        const quint64 errors = failed + window.count(SEND_ERRORS) + window.count(CRC_ERRORS) +
                               window.count(NO_REPLY) + window.count(ESCAPE_ERRORS) +
                               window.count(TOO_LONG) + window.count(TOO_SHORT);
        const quint64 faults =
            device.count("fault_" + peerOptions.section(' ', 1, 1).replace('-', '_'));
        QVERIFY(peerOptions.startsWith("--fault")
                    ? faults > 1
                    : received == frames && errors == 0); // answer-driven: no stall
        const bool compared = windowOptions.contains("--compare"),
                   unanswered = !peerOptions.contains(QRegularExpression("duplicate|noise"));
        QCOMPARE(window.count(NO_REPLY), compared && unanswered ? faults : 0);
        QCOMPARE(failed, compared && peerOptions.contains(QRegularExpression("duplicate|corrupt"))
                             ? faults
                             : 0);
        QCOMPARE(window.count(COMPARED_OK), compared ? received - failed : 0);
        const bool repliesMissing = windowOptions.contains("answer") && received < frames;
        const int exitCode =
            errors > 0 || repliesMissing || windowOptions.contains("/dev/full") ? 1 : 0;
        QVERIFY2(window.exitCode == exitCode, qPrintable(window.out + window.err));
        QVERIFY(device.exitCode == 0 && !QFile::exists(workDir.filePath("dv-ppp.ini")));
        if (!unwritable) {
            QCOMPARE(report.count("round_trips"), window.count(COMPARED_OK));
            QCOMPARE(report.count("exit_code"), quint64(exitCode));
            QCOMPARE(report.value("reasons").isEmpty(), exitCode == 0);
        }
    }

    // The peer leaves after 50 frames: the run ends there with 1, not in a minute.
    void lostDeviceEndsTheRun()
    {
        PeerProcess peer({"--mode", "echo", "--frames", "50"});
        const Run window = runWindow(peer.path, "--send answer --compare --duration 60");
        QCOMPARE(peer.stop(0).exitCode, 0);
        QCOMPARE(window.exitCode, 1);
        QVERIFY2(window.err.contains("串口已断开"), qPrintable(window.err));
        QCOMPARE(window.count(panel::COMPARED_OK), 50);
    }

    // A signal mid-run stops sending, lets the replies in, prints the panel; a second one ends it
    // at once.
    void interruptedRun_data()
    {
        QTest::addColumn<QVector<int>>("signalNumbers");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("SIGINT") << QVector<int>{SIGINT} << 130;
        QTest::newRow("SIGTERM") << QVector<int>{SIGTERM} << 143;
        QTest::newRow("SIGINT, then SIGTERM at once") << QVector<int>{SIGINT, SIGTERM} << 143;
    }
    void interruptedRun()
    {
        QFETCH(QVector<int>, signalNumbers);
        QFETCH(int, exitCode);
        PeerProcess peer({});
        QProcess window;
        window.setWorkingDirectory(workDir.path());
        const QString capture = workDir.filePath(QTest::currentDataTag());
        window.start(
            PAKTO_WINDOW_PATH,
            QString(
                "--port %1 --open %1 --send answer --compare --duration 60 --report - --capture")
                    .arg(peer.path)
                    .split(' ')
                << capture);
        QTRY_VERIFY(readFile(capture).count('\n') > 100);
        for (const int signalNumber : signalNumbers)
            ::kill(pid_t(window.processId()), signalNumber);
        const Run run{window.waitForFinished(10000) ? window.exitCode() : -1,
                      {},
                      window.readAllStandardError()};
        const Run report = readReport(window.readAllStandardOutput());
        const quint64 sent = run.count(panel::SENT);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(report.value("reasons"), signalNumbers.size() > 1 ? "" : "interrupted");
        QVERIFY(signalNumbers.size() > 1 ? sent == 0
                                         : sent > 50 && run.count(panel::COMPARED_OK) == sent);
        QVERIFY(signalNumbers.size() > 1 || readFile(capture).count('\n') == int(2 * sent));
    }

    // Refused at the start: exit code 2, why on stderr, a report past the command line only.
    void refusedInvocations_data()
    {
        QTest::addColumn<QString>("invocation");
        QTest::addColumn<QString>("complaint");
        QTest::addColumn<QString>("reason"); // in the report; empty: no report
        const QString open = PAKTO_WINDOW_PATH
            " --port /dev/nowhere --open /dev/nowhere --send answer --duration 1 --capture c";
        // clang-format off
        QTest::newRow("peer: unknown option") << PAKTO_PEER_PATH " --pty --bogus" << "bogus" << "";
        QTest::newRow("peer: port that will not open") << PAKTO_PEER_PATH " --port /dev/nowhere" << "/dev/nowhere" << "";
        QTest::newRow("window: no --open") << PAKTO_WINDOW_PATH " --send answer --duration 1 --report r.json" << "--open is missing" << "";
        QTest::newRow("window: port that will not open, capture kept") << open + " --report r.json" << "串口打开失败" << "port_open_failed";
        QTest::newRow("window: settings file a FIFO") << open + " --report r.json" << "dv-ppp.ini: not a regular file" << "settings_refused";
        QTest::newRow("window: report to a FIFO is not waited for") << open + " --report dv-ppp.ini" << "cannot write the report to dv-ppp.ini" << "";
        // clang-format on
    }

    void refusedInvocations()
    {
        QFETCH(QString, invocation);
        QFETCH(QString, complaint);
        QFETCH(QString, reason);
        const QString settings = workDir.filePath("dv-ppp.ini"), capture = workDir.filePath("c");
        QFile yesterday(capture);
        QVERIFY(yesterday.open(QIODevice::WriteOnly) && yesterday.write("kept\n") == 5);
        yesterday.close();
        QFile::remove(workDir.filePath("r.json"));
        QVERIFY(!QString(QTest::currentDataTag()).contains("FIFO") ||
                mkfifo(qPrintable(settings), 0600) == 0);
        const Run run = runToEnd(invocation.section(' ', 0, 0),
                                 invocation.section(' ', 1).split(' '), workDir.path());
        QFile::remove(settings);
        QCOMPARE(run.exitCode, 2);
        QVERIFY2(run.out.isEmpty() && run.err.contains(complaint), qPrintable(run.out + run.err));
        QCOMPARE(readFile(capture), QByteArray("kept\n"));
        QCOMPARE(readReport(readFile(workDir.filePath("r.json"))).value("reasons"), reason);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
