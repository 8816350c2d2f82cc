// The command line and the settings a headless run uses, read in-process, and
// what a run made of them seen on the line and in the view.
#include "app/mainwindow.h"
#include "headless/commandline.h"
#include "headless/runreport.h"
#include "headless/runsettings.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QtTest>

// "run PORT SEND MS BAUD PERIOD FRAMES TAG COMPARE SHOW MEMORY CAPTURE REPORT", or how it ended.
static QString describe(const CommandLine &line)
{
    if (!line.headless)
        return QString("exit %1: %2").arg(line.exitStatus.value_or(-1)).arg(line.message);
    const HeadlessPlan &p = *line.headless;
    QStringList fields{"run"};
    for (const QVariant &v : QVariantList{p.port, int(p.send), p.durationMs, p.baud, p.periodMs,
                                          p.frameLimit, int(p.tag), int(p.compare), int(p.show),
                                          int(p.reportMemory), p.capturePath, p.reportPath})
        fields << v.toString();
    return fields.join(' ');
}

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void readsTheRun_data()
    {
        QTest::addColumn<QString>("arguments"); // RUN: a valid run to add to
        QTest::addColumn<QString>("ini");       // RAND: random payloads on; none: no file
        // A pattern for the start of describe(), then, with settings, what they came to
        QTest::addColumn<QString>("expected");
        // clang-format off
        const char *const rows[][4] = {
            {"plain run", "RUN", "", "run p 0 1000  0 0 0 0 0 0  $"},
            {"every option", "--open p --send timed --duration 1.5 --baud 9600 --period 5 --frames 7 --tag --compare "
             "--show --report-memory --capture c --report -", "", "run p 1 1500 9600 5 7 1 1 1 1 c -$"},
            {"help names the exit statuses", "--help", "", "exit 0: Usage: .*\n  2 .*130  "},
            {"unknown option", "--bogus", "", "exit 2: pakto: Unknown option 'bogus'"},
            {"no --open", "--send answer --duration 1", "", "exit 2: .*; --open is missing"},
            {"bad --send", "--open p --send often --duration 1", "", "exit 2: .*mode 'often'"},
            {"--duration above its bound", "--open p --send once --duration 2147484", "", "exit 2: .*--duration needs"},
            {"--period without --send timed", "RUN --period 5", "", "exit 2: .*--period goes with"},
            {"--frames 0", "RUN --frames 0", "", "exit 2: .*--frames needs a whole number"},
            {"--frames with --send once", "--open p --send once --duration 1 --frames 7", "", "exit 2: .*--frames goes with"},
            {"--one-way with --compare", "--open p --send timed --duration 1 --one-way --compare", "", "exit 2: .*--one-way goes with"},
            {"--one-way with answer-driven sending", "RUN --one-way", "", "exit 2: .*--one-way goes with"},
            {"settings: unused values go unchecked", "RUN --baud 9600", "[control]\nsid-min=300\nser-baudrate=x\n[send]\ntx-time=0", "run .* problems:  warnings: $"},
            {"settings: SID outside a byte", "RUN --tag", "[control]\nsid-min=300\nsid-max=-1", "run .* problems: sid-min = 300 is outside 0..255 / sid-max = -1 is"},
            {"settings: baud rate no number", "RUN", "[control]\nser-baudrate=fast", "run .* problems: ser-baudrate = fast is not a number"},
            {"settings: payload padded", "RUN", "[send]\ntx-data=\" 00 01  \"", "run .* problems:  warnings: $"},
            {"settings: payload not hexadecimal", "RUN", "[send]\ntx-data=0G 12", "run .* problems: tx-data = 0G 12 is not bytes in hexadecimal"},
            {"settings: empty payload, no tag", "RUN", "[send]\ntx-data=\" \"", "run .* problems: tx-data =   is empty"},
            {"settings: lengths give empty packets", "RUN", "RAND\ntx-len-min=0", "run .* problems: tx-len-min = 0 and the tag"},
            {"settings: payload cut for the tag", "RUN --tag", "[send]\ntx-data=BIG", "run .* problems:  warnings: tx-data = 00 00 00 00 00 00 00 00 ... holds 4095 bytes; the first 4094"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << QString(row[1]).replace("RUN",
                                                             "--open p --send answer --duration 1")
                                  << QString(row[2])
                                         .replace("RAND", "[send]\ntx-rand-data=true")
                                         .replace("BIG", QString("00 ").repeated(4095))
                                  << row[3];
    }
    void readsTheRun()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, ini);
        QFETCH(QString, expected);
        TestWorkDir dir;
        QFile file(dir.filePath("dv-ppp.ini"));
        QVERIFY(ini.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(ini.toUtf8()) > 0));
        file.close();
        const CommandLine line = readCommandLine(("pakto " + arguments).split(' '));
        QString got = describe(line);
        if (!ini.isEmpty() && line.headless) {
            const SettingsCheck check = checkRunSettings(file.fileName(), *line.headless);
            got += " problems: " + check.problems.join(" / ") +
                   " warnings: " + check.warnings.join(" / ");
        }
        got.remove(QRegularExpression("dv-ppp.ini: \\[\\w+\\] "));
        QVERIFY2(QRegularExpression("(?s)^" + expected).match(got).hasMatch(), qPrintable(got));
    }

    // The line speed as the pseudo-terminal's own termios tell it, mid-run, and the sent frame in
    // the view.
    void runAppliesTheOptions()
    {
        TestWorkDir dir;
        PseudoTerminal device;
        const CommandLine line = readCommandLine(
            QString("pakto --port %1 --open %1 --send once --duration 0.2 --baud 19200 --show")
                .arg(device.slavePath())
                .split(' '));
        MainWindow window(nullptr, line.window);
        RunReport report({}, *line.headless);
        termios seen{};
        QTimer::singleShot(100, [&] { seen = device.slaveTermios(); });
        HeadlessRun(window, *line.headless, {}, report).exec();
        QCOMPARE(int(cfgetospeed(&seen)), int(B19200));
        QVERIFY(MainWindowProbe::ui(window)->txt_data->toPlainText().contains("[ 发 "));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
