// The command line and the settings a headless run uses, read in-process, the settings read
// alike by the headless check and the window, and what a run made of the line setting.
#include "app/mainwindow.h"
#include "headless/commandline.h"
#include "headless/runreport.h"
#include "headless/runsettings.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"
#include "ui_mainwindow.h"

#include <QtTest>

// "run PORT SEND MS BAUD PERIOD FRAMES TAG COMPARE SHOW MEMORY CAPTURE REPORT PLOT JUNIT LINE", or
// how it ended.
static QString describe(const CommandLine &line)
{
    if (!line.headless)
        return QString("exit %1: %2").arg(line.exitStatus.value_or(-1)).arg(line.message);
    const HeadlessPlan &p = *line.headless;
    QStringList fields{"run"};
    for (const QVariant &v :
         QVariantList{p.port, int(p.send), p.durationMs, p.baud, p.periodMs, p.frameLimit,
                      int(p.tag), int(p.compare), int(p.show), int(p.reportMemory), p.capturePath,
                      p.reportPath, p.plotPath, p.junitPath})
        fields << v.toString();
    fields << QStringList(p.line.begin(), p.line.end()).join('/');
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
            {"plain run", "RUN", "", "run p 0 1000  0 0 0 0 0 0     ///$"},
            {"every option", "--open p --send timed --duration 1.5 --baud 9600 --period 5 --frames 7 --tag --compare "
             "--show --report-memory --capture c --report - --data-bits 5 --parity space --stop-bits 2 --flow xonxoff --plot p.PNG --junit j",
             "", "run p 1 1500 9600 5 7 1 1 1 1 c - p.PNG j 5/space/2/xonxoff$"},
            {"--data-bits 9", "RUN --data-bits 9", "", "exit 2: .*--data-bits needs one of 5, 6, 7, 8, not '9'"},
            {"--flow unknown", "RUN --flow hardware", "", "exit 2: .*--flow needs one of none, rtscts, xonxoff"},
            {"settings: line words unknown", "RUN", "[control]\nser-parity=evn\nser-stopbits=1.5", "run .* problems: ser-parity = evn is not one of none, even, odd, mark, space / ser-stopbits = 1.5 is not one of 1, 2 warnings: $"},
            {"--plot neither SVG nor PNG", "RUN --plot p.svg.jpg", "", "exit 2: .*--plot needs a name ending in .svg or .png, not 'p.svg.jpg'"},
            {"help names the exit statuses", "--help", "", "exit 0: Usage: .*\n  2 .*130  "},
            {"unknown option", "--bogus", "", "exit 2: pakto: Unknown option 'bogus'"},
            {"no --open", "--send answer --duration 1", "", "exit 2: .*; --open is missing"},
            {"bad --send", "--open p --send often --duration 1", "", "exit 2: .*mode 'often'"},
            {"--duration above its bound, in plain decimals", "--open p --send once --duration 2147484", "", "exit 2: .*--duration needs .* up to 2147483, not"},
            {"--period without --send timed", "RUN --period 5", "", "exit 2: .*--period goes with"},
            {"--frames 0", "RUN --frames 0", "", "exit 2: .*--frames needs a whole number"},
            {"--frames with --send once", "--open p --send once --duration 1 --frames 7", "", "exit 2: .*--frames goes with"},
            {"--one-way with --compare", "--open p --send timed --duration 1 --one-way --compare", "", "exit 2: .*--one-way goes with"},
            {"--one-way with answer-driven sending", "RUN --one-way", "", "exit 2: .*--one-way goes with"},
            {"settings: unused values go unchecked", "RUN --baud 9600 --parity odd", "[control]\nsid-min=300\nser-baudrate=x\nser-parity=x\n[send]\ntx-time=0", "run .* problems:  warnings: $"},
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

    // A text read by the headless check and by the window: both refuse it (the window with a
    // warning, its mode unticked first), or both take it and the window's first frame begins with
    // the body given.
    void bothPathsReadFieldsAlike_data()
    {
        QTest::addColumn<QString>("send"); // the mode, and --tag
        QTest::addColumn<QString>("ini");
        QTest::addColumn<QString>("body"); // hex; "refused"
        // clang-format off
        const char *const rows[][4] = {
            {"SID above a byte", "once --tag", "[control]\nsid-min=300\nsid-max=300", "refused"},
            {"SID with spaces", "once --tag", "[control]\nsid-min=\" 7 \"\nsid-max=+7", "5a07"},
            {"payload group above FF", "answer", "[send]\ntx-data=01 AABB", "refused"},
            {"payload group of three digits", "once", "[send]\ntx-data=100", "refused"},
            {"payload padded, either case", "once", "[send]\ntx-data=\" 0a fF \"", "0aff"},
            {"baud rate no number", "once", "[control]\nser-baudrate=fast", "refused"},
            {"baud rate beyond 32 bits", "once", "[control]\nser-baudrate=4294977296", "refused"},
            {"period 0", "timed", "[send]\ntx-time=0", "refused"},
            {"reply timeout below 0", "answer", "[send]\nreply-timeout=-5", "refused"},
            {"random length no number", "once", "[send]\ntx-rand-data=true\ntx-len-max=8x", "refused"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void bothPathsReadFieldsAlike()
    {
        QFETCH(QString, send);
        QFETCH(QString, ini);
        QFETCH(QString, body);
        TestWorkDir dir;
        PseudoTerminal device;
        QFile file(dir.filePath("dv-ppp.ini"));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(ini.toUtf8()) > 0);
        file.close();
        const CommandLine line =
            readCommandLine(("pakto --open p --duration 1 --send " + send).split(' '));
        const SettingsCheck check = checkRunSettings(file.fileName(), *line.headless);
        int warnings = 0;
        bool modeOnUnderBox = false; // the one-second tick would count run time
        Ui::MainWindow *ui = nullptr;
        const ModalAnswerer<QMessageBox> answer([&](QMessageBox *box) {
            ++warnings;
            modeOnUnderBox |= ui && (ui->btn_txAck->isChecked() || ui->btn_txAuto->isChecked());
            box->done(QMessageBox::Close);
        });
        MainWindow window(nullptr, WindowOptions{{device.slavePath()}});
        ui = MainWindowProbe::ui(window);
        ui->cb_tag->setChecked(line.headless->tag);
        ui->btn_ser_conn->click();
        const int mode = int(line.headless->send); // answer, timed, once
        QPushButton *press[] = {ui->btn_txAck, ui->btn_txAuto, ui->btn_txOne};
        press[mode]->click();
        const QString sent = device.readAll(100).mid(1).toHex();
        QCOMPARE(check.problems.isEmpty() ? "taken" : "refused",
                 body == "refused" ? "refused" : "taken");
        QVERIFY2(warnings > 0 ? body == "refused" : sent.startsWith(body), qPrintable(sent));
        QVERIFY(!modeOnUnderBox);
    }

    // The line from the settings file, the command line deciding over it: what the report and
    // the pseudo-terminal's own termios say mid-run (it keeps the speed, stop bits and flow
    // control, but always 8 data bits and no parity; it starts at 1200 baud, 2 stop bits and both
    // flow controls), the queue's 200 ms of line time, the warnings.
    void runAppliesTheLine_data()
    {
        QTest::addColumn<QString>("ini"); // in [control]
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("line"); // the report's; then kept flags, queue limit, warnings
        QTest::addColumn<QString>("held");
        // clang-format off
        QTest::newRow("defaults: 8N1, no flow control") << "" << "" << "921600 8 none 1 none" << "B921600 18432 ";
        QTest::newRow("file: 2 stop bits, RTS-CTS") << "ser-stopbits=2\nser-flow=rtscts" << "" << "921600 8 none 2 rtscts" << "B921600 CSTOPB CRTSCTS 16756 ";
        QTest::newRow("options over the file: 7 data bits, even parity, XON-XOFF") << "ser-stopbits=2\nser-flow=rtscts\nser-databits=6"
            << "--data-bits 7 --parity even --stop-bits 1 --flow xonxoff" << "921600 7 even 1 xonxoff"
            << "B921600 IXON 18432 数据位少于 8：帧会被截断|XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失|串口未保持所选数据位：7，实为 8|串口未保持所选校验：偶校验，实为 无";
        QTest::newRow("mark parity, 2 stop bits: 12 bits a character") << "ser-parity=odd" << "--parity mark --stop-bits 2" << "921600 8 mark 2 none"
            << "B921600 CSTOPB 15360 串口未保持所选校验：标记校验，实为 无";
        // clang-format on
    }
    void runAppliesTheLine()
    {
        QFETCH(QString, ini);
        QFETCH(QString, options);
        QFETCH(QString, line);
        QFETCH(QString, held);
        TestWorkDir dir;
        PseudoTerminal device;
        termios before = device.slaveTermios();
        before.c_cflag |= CSTOPB | CRTSCTS;
        before.c_iflag |= IXON | IXOFF;
        cfsetspeed(&before, B1200);
        QVERIFY(device.setSlaveTermios(before));
        QFile file("dv-ppp.ini");
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("[control]\n" + ini.toUtf8()) > 0);
        file.close();
        const QString arguments = "pakto --port %1 --open %1 --send once --duration 0.2 --baud "
                                  "921600 --show --report r.json ";
        const CommandLine run = readCommandLine(
            (arguments.arg(device.slavePath()) + options).split(' ', Qt::SkipEmptyParts));
        MainWindow window(nullptr, run.window);
        RunReport report({}, *run.headless);
        QStringList seen;
        QString panel;
        QTimer::singleShot(100, [&] {
            const termios kept = device.slaveTermios();
            seen << (cfgetospeed(&kept) == B921600 ? "B921600" : "other speed");
            for (const auto &[flag, name] : {std::pair{kept.c_cflag & CSTOPB, "CSTOPB"},
                                             {kept.c_cflag & CRTSCTS, "CRTSCTS"},
                                             {kept.c_iflag & IXON, "IXON"}})
                if (flag)
                    seen << name;
            seen << QString::number(MainWindowProbe::transmitQueueLimit(window));
            panel = MainWindowProbe::panel(window);
        });
        HeadlessRun(window, *run.headless, {}, report).exec();
        QFile written("r.json");
        QVERIFY(written.open(QIODevice::ReadOnly));
        const QJsonObject json = QJsonDocument::fromJson(written.readAll()).object();
        QStringList asked;
        for (const char *key : {"baud", "data_bits", "parity", "stop_bits", "flow_control"})
            asked << json["line"][key].toVariant().toString();
        QCOMPARE(asked.join(' '), line);
        QStringList warnings;
        for (const QJsonValue &warning : json["warnings"].toArray())
            warnings << warning.toString();
        for (const QString &warning : qAsConst(warnings)) // the window shows them while open
            QVERIFY2(panel.contains(warning), qPrintable(panel));
        QCOMPARE(seen.join(' ') + ' ' + warnings.join('|'), held);
        QVERIFY(json["uart"].isNull()); // a pseudo-terminal keeps no counts
        QVERIFY(MainWindowProbe::ui(window)->txt_data->toPlainText().contains("[ 发 "));
    }
};

QTEST_MAIN(TestCommandLine)
#include "tst_commandline.moc"
