// The real program, headless, against the simulated device: the window counts what the device put
// on the wire.
#include "linktest.h"

#include <QtTest>

#include <sys/stat.h>

class TestEndToEnd : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

private slots:
    // Timed sending goes on whatever comes back, so every spoiled reply and its knock-on reaches
    // the counters.
    void countsMatchThePeer_data()
    {
        QTest::addColumn<QString>("peerOptions");
        QTest::addColumn<QString>("windowOptions");
        const QString timed = "--send timed --period 10 --compare --tag --duration 1";
        QTest::newRow("answer: show, capture") << "" << "--send answer --compare --tag --show --capture c --duration 1";
        QTest::newRow("answer-driven up to --frames") << "" << "--send answer --compare --frames 300 --duration 30";
        QTest::newRow("answer-driven up to --frames, every reply twice") << "--fault duplicate --every 1"
                                                                        << "--send answer --frames 300 --duration 30";
        QTest::newRow("timed at 9600 baud, not compared") << "" << "--send timed --period 5 --baud 9600 --duration 1";
        QTest::newRow("once") << "" << "--send once --compare --duration 0.5";
        QTest::newRow("extra mode: two more bytes compare") << "--mode extra" << timed;
        QTest::newRow("replies 400 ms late, all let in") << "--delay 400" << timed;
        QTest::newRow("capture on a full disk fails the run") << "" << "--send answer --frames 50 --capture /dev/full --duration 5";
        QTest::newRow("answer, replies dropped: sends on after the reply timeout")
            << "--fault drop --every 3" << "--send answer --compare --reply-timeout 50 --duration 1";
        QTest::newRow("answer, replies dropped, not compared: fewer received fails")
            << "--fault drop --every 3" << "--send answer --reply-timeout 50 --duration 1";
        for (auto fault : {"bad-fcs", "bad-escape", "drop", "duplicate", "corrupt", "short", "oversize", "noise"})
            QTest::addRow("timed, fault %s", fault) << QString("--fault %1 --every 3").arg(fault) << timed;
    }

    void countsMatchThePeer()
    {
        QFETCH(QString, peerOptions);
        QFETCH(QString, windowOptions);
        PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
        const Run window = runToEnd(PAKTO_WINDOW_PATH,
                                    QStringList{"--port", peer.path, "--open", peer.path} +
                                        windowOptions.split(' '),
                                    workDir.path());
        const Run report = peer.stop();
        using namespace panel;
        for (const auto &[label, name] :
             QVector<QPair<QString, QString>>{{SENT, "frames_received"},
                                              {RECEIVED, "wire_good_frames"},
                                              {BYTES, "bytes_sent"},
                                              {TOO_SHORT, "wire_short_errors"},
                                              {TOO_LONG, "wire_long_errors"},
                                              {CRC_ERRORS, "wire_crc_errors"},
                                              {ESCAPE_ERRORS, "wire_7d_errors"}})
            QVERIFY2(window.count(label) == report.count(name),
                     qPrintable(window.out + report.out));
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
            report.count("fault_" + peerOptions.section(' ', 1, 1).replace('-', '_'));
        QVERIFY(peerOptions.startsWith("--fault")
                    ? faults > 1
                    : received == frames && errors == 0); // answer-driven too: no stall
        const bool compared = windowOptions.contains("--compare"),
                   unanswered = !peerOptions.contains(QRegularExpression("duplicate|noise"));
        QCOMPARE(window.count(NO_REPLY), compared && unanswered ? faults : 0);
        QCOMPARE(window.out.contains("round trip ms: p50 "), window.count(COMPARED_OK) > 0);
        QCOMPARE(failed,
                 compared && peerOptions.contains(QRegularExpression("duplicate|corrupt")) ? faults : 0);
        QCOMPARE(window.count(COMPARED_OK), compared ? received - failed : 0);
        const bool repliesMissing = windowOptions.contains("answer") && received < frames;
        QVERIFY2(window.exitCode ==
                     (errors > 0 || repliesMissing || windowOptions.contains("/dev/full") ? 1 : 0),
                 qPrintable(window.out + window.err));
        QVERIFY(report.exitCode == 0 && !QFile::exists(workDir.filePath("dv-ppp.ini")));
    }

    // The peer leaves after 50 frames: the run ends there with 1, not in a minute.
    void lostDeviceEndsTheRun()
    {
        PeerProcess peer({"--mode", "echo", "--frames", "50"});
        const Run window = runToEnd(PAKTO_WINDOW_PATH,
                                    {"--port", peer.path, "--open", peer.path, "--send", "answer",
                                     "--compare", "--duration", "60"},
                                    workDir.path());
        QVERIFY2(peer.stop(0).exitCode == 0 && window.exitCode == 1 &&
                     window.err.contains("串口已断开") && window.count(panel::COMPARED_OK) == 50,
                 qPrintable(window.out + window.err));
    }

    // A signal mid-run stops sending, lets the replies in, prints the panel; a second one ends it at once.
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
        window.start(PAKTO_WINDOW_PATH, {"--port", peer.path, "--open", peer.path, "--send", "answer", "--compare",
                                         "--capture", capture, "--duration", "60"});
        QVERIFY(window.waitForStarted() && window.processId() > 0);
        QTRY_VERIFY(readFile(capture).count('\n') > 100);
        for (const int signalNumber : signalNumbers)
            ::kill(pid_t(window.processId()), signalNumber);
        const Run run{window.waitForFinished(10000) ? window.exitCode() : -1, window.readAllStandardOutput(), {}};
        const quint64 sent = run.count(panel::SENT), lines = readFile(capture).count('\n');
        QVERIFY2(run.exitCode == exitCode && (signalNumbers.size() > 1 ? run.out.isEmpty()
                     : sent > 50 && run.count(panel::COMPARED_OK) == sent && lines == 2 * sent), qPrintable(run.out));
    }

    // Usage errors, ports and files that will not open: exit code 2, why on stderr.
    void refusedInvocations_data()
    {
        QTest::addColumn<QString>("invocation");
        QTest::addColumn<QString>("complaint");
        const QString open = PAKTO_WINDOW_PATH " --port /dev/nowhere --open /dev/nowhere --send answer --duration 1"
                                               " --capture c";
        QTest::newRow("peer: unknown option") << PAKTO_PEER_PATH " --pty --bogus" << "bogus";
        QTest::newRow("peer: port that will not open") << PAKTO_PEER_PATH " --port /dev/nowhere" << "/dev/nowhere";
        QTest::newRow("window: no --open") << PAKTO_WINDOW_PATH " --send answer --duration 1" << "--open is missing";
        QTest::newRow("window: port that will not open, capture kept") << open << "串口打开失败";
        QTest::newRow("window: settings file a FIFO") << open << "dv-ppp.ini: not a regular file";
    }

    void refusedInvocations()
    {
        QFETCH(QString, invocation);
        QFETCH(QString, complaint);
        const QString settings = workDir.filePath("dv-ppp.ini"), capture = workDir.filePath("c");
        QFile yesterday(capture);
        QVERIFY(yesterday.open(QIODevice::WriteOnly) && yesterday.write("kept\n") == 5);
        yesterday.close();
        QVERIFY(!QString(QTest::currentDataTag()).contains("FIFO") || mkfifo(qPrintable(settings), 0600) == 0);
        const Run run = runToEnd(invocation.section(' ', 0, 0), invocation.section(' ', 1).split(' '), workDir.path());
        QFile::remove(settings);
        QVERIFY2(run.exitCode == 2 && run.out.isEmpty() && run.err.contains(complaint), qPrintable(run.out + run.err));
        QCOMPARE(readFile(capture), QByteArray("kept\n"));
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
