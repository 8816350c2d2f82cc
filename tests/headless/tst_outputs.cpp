// The real program's files against hostile outputs, and a signal at each stage of a run.
#include "linktest.h"
#include "pseudoterminal.h"

#include <QScopeGuard>
#include <QtTest>

#include <unistd.h>

const QString MOUNT = "mkdir full && mount -t tmpfs -o size=64k tmpfs full && ";
const QString BYTES = "\"$(printf '\\377.txt')\""; // a file name that is not UTF-8
// The files a run must leave alone; then the whole tree but the report.
const QString LISTING = "grep -rlx '; kept' . | sort; echo; find . ! -name r.json | sort";

static Run shell(const QString &dir, const QString &command)
{
    QProcess sh;
    sh.setWorkingDirectory(dir);
    sh.start("sh", {"-c", command});
    return finish(sh);
}

class TestOutputs : public QObject
{
    Q_OBJECT

private slots:
    // One answer-driven frame with every output in the way; "; kept" files stay as they were,
    // a refused run (2) makes or changes nothing but its report.
    void hostileOutputs_data()
    {
        QTest::addColumn<QString>("make");    // in the row's own folder, besides ./dv-ppp.ini
        QTest::addColumn<QString>("options"); // for sh; PORT: the device's; --report r.json unless
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("complaint"); // on stderr
        QTest::addColumn<QString>("reasons");   // in r.json; "-": none written
        const QString kept = "echo '; kept' > ";
        // clang-format off
        QTest::newRow("capture is the settings file") << "" << "--capture dv-ppp.ini" << 2 << "cannot write the capture to dv-ppp.ini: it is the settings file ./dv-ppp.ini" << "output_refused";
        QTest::newRow("report is the settings file, through ..") << "mkdir sub" << "--report sub/../dv-ppp.ini" << 2 << "report to sub/../dv-ppp.ini: it is the settings file" << "-";
        QTest::newRow("report is the capture, through a link") << kept + "c && ln -s c link" << "--capture c --report link" << 2 << "capture to c: it is the report link" << "-";
        QTest::newRow("capture and report one new file") << "" << "--capture x --report ./x" << 2 << "capture to x: it is the report ./x" << "-";
        QTest::newRow("pcapng capture and report one new file") << "" << "--pcap x --report ./x" << 2 << "pcapng capture to x: it is the report ./x" << "-";
        QTest::newRow("metrics file and report one file") << "" << "--report m.prom --metrics ./m.prom" << 2 << "report to m.prom: it is the metrics file ./m.prom" << "-";
        QTest::newRow("capture is the port") << "" << "--capture PORT" << 2 << "capture to PORT: it is the port PORT" << "output_refused";
        QTest::newRow("capture is the port, named without its folder") << "" << "BARE --capture PORT" << 2 << "capture to PORT: it is the port" << "output_refused";
        QTest::newRow("a second link's capture is the report") << "" << "--open /dev/tty --capture c.txt --report c-2.txt" << 2 << "capture to c-2.txt: it is the report c-2.txt" << "-";
        QTest::newRow("JUnit file is the second port") << "" << "--open /dev/tty --junit /dev/tty" << 2 << "JUnit file to /dev/tty: it is the port /dev/tty" << "output_refused";
        QTest::newRow("JUnit file is the settings file") << "" << "--junit dv-ppp.ini" << 2 << "JUnit file to dv-ppp.ini: it is the settings file" << "output_refused";
        QTest::newRow("plot and report one file: neither written") << "" << "--report p.svg --plot ./p.svg" << 2 << "report to p.svg: it is the plot ./p.svg" << "-";
        QTest::newRow("report and JUnit file on one stdout") << "" << "--report - --junit /dev/stdout" << 2 << "report to -: it is the JUnit file /dev/stdout" << "-";
        QTest::newRow("JUnit file on stderr, which is the report") << "" << "--junit /dev/stderr 2>> r.json" << 2 << "" << "-";
        QTest::newRow("report in a missing folder") << "" << "--report no/r.json" << 2 << "report to no/r.json: No such file or directory" << "-";
        QTest::newRow("plot where a folder is") << "mkdir p.svg" << "--plot p.svg" << 2 << "plot to p.svg: Is a directory" << "output_refused";
        QTest::newRow("JUnit file under a file") << kept + "f" << "--junit f/j.xml" << 2 << "JUnit file to f/j.xml: Not a directory" << "output_refused";
        QTest::newRow("report in a folder that cannot be written") << MOUNT + kept + "full/r && mount -o remount,ro full" << "--report full/r" << 2 << "report to full/r: Read-only file system" << "-";
        QTest::newRow("capture to a FIFO no one reads") << "mkfifo f" << "--capture f" << 2 << "f: No such device or address" << "capture_failed";
        QTest::newRow("pcapng capture kept when the text capture will not open") << kept + "p && mkfifo f" << "--pcap p --capture f" << 2 << "f: No such device or address" << "capture_failed";
        QTest::newRow("report to a FIFO no one reads") << "mkfifo f" << "--report f" << 1 << "report to f: No such device or address" << "-";
        QTest::newRow("report on a full disk, over an earlier one") << MOUNT + kept + "full/r && cat /dev/zero > full/z" << "--report full/r" << 1 << "report to full/r: No space left on device" << "-";
        QTest::newRow("capture on a full disk") << MOUNT + "cat /dev/zero > full/z" << "--capture full/c" << 1 << "full/c: No space left on device" << "capture_failed";
        QTest::newRow("capture filling the disk") << MOUNT + "head -c 61000 /dev/zero > full/z && printf '[send]\\ntx-rand-data=true\\ntx-len-min=4000\\ntx-len-max=4000\\n' >> dv-ppp.ini" << "--capture full/c" << 1 << "full/c: No space left on device" << "capture_failed";
        QTest::newRow("pcapng capture on a full disk, at its last write") << MOUNT + "cat /dev/zero > full/z" << "--pcap full/p" << 1 << "full/p: No space left on device" << "capture_failed";
        QTest::newRow("plot to a full device") << "ln -s /dev/full p.svg" << "--plot p.svg" << 1 << "plot to p.svg: No space left on device" << "plot_failed";
        QTest::newRow("JUnit file to a full device") << "ln -s /dev/full j.xml" << "--junit j.xml" << 1 << "JUnit file to j.xml: No space left on device" << "junit_failed";
        QTest::newRow("report on stdout, after a log's lines") << kept + "r.json" << "--report /dev/stdout >> r.json" << 0 << "" << "";
        QTest::newRow("JUnit file on a held descriptor, appended") << kept + "log" << "--junit /proc/self/fd/3 3>> log" << 0 << "" << "";
        QTest::newRow("capture on a held descriptor, appended") << kept + "log" << "--capture /dev/fd/3 3>> log" << 0 << "" << "";
        QTest::newRow("settings in English, a SID with the tag off") << "printf '[show]\\nenglish=1\\n[control]\\nsid-min=300' > dv-ppp.ini" << "" << 2 << "pakto: dv-ppp.ini: [control] sid-min = 300 is outside 0..255\n" << "settings_refused";
        QTest::newRow("capture named in bytes that are not UTF-8, settings a link to nothing") << "mv dv-ppp.ini k && ln -s nowhere dv-ppp.ini" << "--capture BYTES" << 0 << "pakto: 警告：dv-ppp.ini 是指向 /" << "";
        // clang-format on
    }
    void hostileOutputs()
    {
        QFETCH(QString, make);
        QFETCH(QString, options);
        QFETCH(int, exitCode);
        QFETCH(QString, complaint);
        QFETCH(QString, reasons);
        QTemporaryDir dir;
        const auto unmount = qScopeGuard([&] { shell(dir.path(), "umount full 2>/dev/null"); });
        QVERIFY(writeFile(dir.filePath("dv-ppp.ini"), "; kept\n[show]\nenglish=true\n"));
        if (make.startsWith(MOUNT) && geteuid() != 0)
            QSKIP("a full disk is a small tmpfs, which only root may mount");
        shell(dir.path(), make);
        const QString before = shell(dir.path(), LISTING).out;
        PeerProcess peer({});
        const QString port = options.startsWith("BARE") ? "${1#/dev/}" : "$1"; // pts/N, say
        options.remove("BARE").replace("PORT", peer.path).replace("BYTES", BYTES);
        options += options.contains("--report") ? "" : " --report r.json";
        const QString command = "exec \"$0\" --port " + port + " --open " + port +
                                " --send answer --frames 1 --duration 5 " + options;
        const Run run = runToEnd("sh", {"-c", command, PAKTO_WINDOW_PATH, peer.path}, dir.path());
        peer.stop();
        QVERIFY2(run.exitCode == exitCode && run.err.contains(complaint.replace("PORT", peer.path)),
                 qPrintable(run.err));
        const QByteArray report =
            QRegularExpression("(?ms)^\\{$.*^\\}(?=\n(PASS\n)?\\z)") // last, but for its verdict
                .match(readFile(dir.filePath("r.json")))
                .captured()
                .toUtf8();
        const Run read = readReport(report);
        QCOMPARE(report.isEmpty() ? "-" : read.value("reasons"), reasons);
        QVERIFY(report.isEmpty() ||
                (read.exitCode == 0 && read.value("exit_code") == QString::number(exitCode)));
        const QString after = shell(dir.path(), LISTING).out;
        QCOMPARE(exitCode == 2 ? after : after.section("\n\n", 0, 0),
                 exitCode == 2 ? before : before.section("\n\n", 0, 0));
        if (!options.contains(BYTES))
            return; // the one named, byte for byte; the name as text
        QCOMPARE(shell(dir.path(), "test -s " + BYTES + " && rm " + BYTES).exitCode, 0);
        QVERIFY(QString(report).contains("\"capture\": \"\uFFFD.txt\""));
        QVERIFY(QString(report).contains("\"dv-ppp.ini 是指向 " + dir.filePath("nowhere")));
    }

    // A FIFO read slowly gets every line of the capture: the writes wait for the reader.
    void slowFifoGetsEverything()
    {
        QTemporaryDir dir;
        QVERIFY(QProcess::execute("mkfifo", {dir.filePath("f")}) == 0);
        QProcess reader; // holds the FIFO open at once, reads after a second
        reader.setWorkingDirectory(dir.path());
        reader.start("sh", {"-c", "exec 3<>f; touch open; sleep 1; exec 4<f 3<&-; cat <&4 > got"});
        QVERIFY(QTest::qWaitFor([&] { return QFile::exists(dir.filePath("open")); }));
        PeerProcess peer({});
        const QString options = "--port " + peer.path + " --open " + peer.path +
                                " --send answer --duration 0.5 --capture f";
        const Run run = runToEnd(PAKTO_WINDOW_PATH, options.split(' '), dir.path());
        peer.stop();
        QVERIFY(reader.waitForFinished(WAIT_MS));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(quint64(readFile(dir.filePath("got")).count('\n')), 2 * run.count("发送包数"));
    }

    // The device chatters flags (the line never falls quiet) or reads nothing (large frames wait
    // in the queue at the close). The signal comes afterMs after the port opened at the speed
    // --baud asks for; the run ends within withinMs of it.
    void signalEndsTheRun_data()
    {
        QTest::addColumn<QString>("run"); // "chatters|deaf SIGNAL afterMs withinMs", then options
        // clang-format off
        QTest::newRow("sending") << "chatters 2 500 1000 --send timed --period 10 --duration 60";
        QTest::newRow("sending, its terminal closed") << "chatters 1 500 1000 --send timed --period 10 --duration 60";
        QTest::newRow("end-of-run wait, line never quiet") << "chatters 15 1000 1000 --send timed --period 10 --frames 5 --duration 60";
        QTest::newRow("transmit drain at the close, device never reads") << "deaf 15 1000 400 --send timed --period 1 --duration 0.3";
        // clang-format on
    }
    void signalEndsTheRun()
    {
        QFETCH(QString, run);
        const bool chatters = run.startsWith("chatters");
        const int signalNumber = run.section(' ', 1, 1).toInt(),
                  afterMs = run.section(' ', 2, 2).toInt(),
                  withinMs = run.section(' ', 3, 3).toInt();
        QTemporaryDir dir;
        QVERIFY(writeFile(dir.filePath("dv-ppp.ini"),
                          "[send]\ntx-rand-data=true\ntx-len-min=4000\ntx-len-max=4000\n"));
        PseudoTerminal device;
        termios line = device.slaveTermios();
        QVERIFY(cfsetspeed(&line, B9600) == 0 && device.setSlaveTermios(line));
        QProcess window;
        window.setWorkingDirectory(dir.path());
        window.start(PAKTO_WINDOW_PATH, QString("--port %1 --open %1 --baud 57600 --report - %2")
                                            .arg(device.slavePath(), run.section(' ', 4))
                                            .split(' '));
        QElapsedTimer sinceOpen, sinceSignal;
        while (!window.waitForFinished(20) && window.state() == QProcess::Running) {
            line = device.slaveTermios();
            if (!sinceOpen.isValid() && cfgetospeed(&line) == B57600)
                sinceOpen.start();
            if (chatters && device.write("\x7e"))
                device.readAll(0);
            if (sinceOpen.isValid() && sinceOpen.hasExpired(afterMs) && !sinceSignal.isValid()) {
                ::kill(pid_t(window.processId()), signalNumber);
                sinceSignal.start();
            }
        }
        const Run ended = finish(window);
        QVERIFY2(sinceSignal.isValid() && sinceSignal.elapsed() < withinMs,
                 qPrintable(QString::number(sinceSignal.elapsed()) + ended.err));
        QCOMPARE(ended.exitCode, 128 + signalNumber);
        QVERIFY(readReport(ended.out.toUtf8()).value("reasons").contains("interrupted"));
    }

    // A signal while the program is still setting up (here the display platform a plot
    // needs) ends the run as an interrupted one, with its report.
    void signalDuringSetUp()
    {
        QTemporaryDir dir;
        PeerProcess peer({});
        QProcess window;
        window.setWorkingDirectory(dir.path());
        window.start(PAKTO_WINDOW_PATH, QString("--port %1 --open %1 --send answer --duration 5 "
                                                "--plot p.svg --report r.json")
                                            .arg(peer.path)
                                            .split(' '));
        QVERIFY(window.waitForStarted());
        const QString maps = QString("/proc/%1/maps").arg(window.processId());
        while (window.state() == QProcess::Running && !readFile(maps).contains("libqoffscreen"))
            ;
        ::kill(pid_t(window.processId()), SIGTERM);
        const Run ended = finish(window);
        peer.stop();
        QCOMPARE(ended.exitCode, 128 + SIGTERM);
        QVERIFY(
            readReport(readFile(dir.filePath("r.json"))).value("reasons").contains("interrupted"));
    }
};

QTEST_GUILESS_MAIN(TestOutputs)
#include "tst_outputs.moc"
