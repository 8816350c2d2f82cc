// The command line and the settings a headless run uses, read in-process.
#include "headless/commandline.h"
#include "headless/runsettings.h"
#include "workdir.h"

#include <QtTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void readsTheRun_data()
    {
        QTest::addColumn<QString>("arguments"); // RUN, ONCE: a valid run to add to
        QTest::addColumn<QString>("ini"); // RAND: random payloads on; NOTUTF8: FF FE; none: no file
        // The start of what was read, then what the settings came to: the line (options over the
        // file, word by word), auto-stop, payload groups sent, problems, warnings
        QTest::addColumn<QString>("expected");
        // clang-format off
        const char *const rows[][4] = {
            {"plain run", "RUN", "", "run p 0 1000  0 0 0 0 0 0     ///$"},
            {"every option", "--open p --send timed --duration 1.5 --baud 9600 --period 5 --frames 7 --tag --compare --show --report-memory --capture c --report - --data-bits 5 --parity space --stop-bits 2 --flow xonxoff --plot p.PNG --junit j", "", "run p 1 1500 9600 5 7 1 1 1 1 c - p.PNG j 5/space/2/xonxoff$"},
            {"--data-bits 9", "RUN --data-bits 9", "", "exit 2: .*--data-bits needs one of 5, 6, 7, 8, not '9'"},
            {"--flow unknown", "RUN --flow hardware", "", "exit 2: .*--flow needs one of none, rtscts, xonxoff"},
            {"settings: line words unknown", "RUN", "[control]\nser-parity=evn\nser-stopbits=1.5", "run .* problems: ser-parity = evn 不是 none, even, odd, mark, space 之一 / ser-stopbits = 1.5 不是 1, 2 之一 warnings: $"},
            {"--plot neither SVG nor PNG", "RUN --plot p.svg.jpg", "", "exit 2: .*--plot needs a name ending in .svg or .png, not 'p.svg.jpg'"},
            {"help names the exit statuses", "--help", "", "exit 0: Usage: .*\n  2 .*130  "},
            {"--version: the window title's", "--version", "", "exit 0: pakto 2024\\.0808\n$"},
            {"unknown option", "--bogus", "", "exit 2: pakto: Unknown option 'bogus'"},
            {"no --open", "--send answer --duration 1", "", "exit 2: .*; --open is missing"},
            {"bad --send", "--open p --send often --duration 1", "", "exit 2: .*mode 'often'"},
            {"--duration below a millisecond", "--open p --send once --duration 0.0009", "", "exit 2: .*--duration needs a number of seconds from 0.001 to"},
            {"--duration above its bound, in plain decimals", "--open p --send once --duration 2147484", "", "exit 2: .*--duration needs .* to 2147483, not"},
            {"an option twice", "RUN --duration 2", "", "exit 2: .*--duration is given more than once"},
            {"a flag twice", "RUN --tag --tag", "", "exit 2: .*--tag is given more than once"},
            {"--open twice: a link each", "--open p --open q --send answer --duration 1", "", "run p,q 0 1000 "},
            {"one port opened twice, spelled two ways", "RUN --open /dev/p", "", "exit 2: .*--open /dev/p names a port already opened"},
            {"--port twice, and an empty --open", "--port a --port b --open  --send once --duration 1", "", "exit 2: pakto: --open needs a port name\n"},
            {"an empty --port", "RUN --port ", "", "exit 2: .*--port needs a path"},
            {"--period without --send timed", "RUN --period 5", "", "exit 2: .*--period goes with"},
            {"--frames 0", "RUN --frames 0", "", "exit 2: .*--frames needs a whole number"},
            {"--frames with --send once", "--open p --send once --duration 1 --frames 7", "", "exit 2: .*--frames goes with"},
            {"--one-way with --compare", "--open p --send timed --duration 1 --one-way --compare", "", "exit 2: .*--one-way goes with"},
            {"--one-way with answer-driven sending", "RUN --one-way", "", "exit 2: .*--one-way goes with"},
            {"settings: unused values go unchecked", "RUN --baud 9600 --parity odd", "[control]\nser-baudrate=x\nser-parity=x\n[send]\ntx-time=0", "run .* problems:  warnings: $"},
            {"settings: SIDs with the tag off, a baud rate too large for any integer", "RUN", "[control]\nsid-min=300\nsid-max=x\nser-baudrate=99999999999999999999", "run .* problems: ser-baudrate = 99999999999999999999 不在 1..2147483647 之间 / sid-min = 300 不在 0..255 之间 / sid-max = x 不是整数 warnings: $"},
            {"settings: bytes that are not UTF-8 escaped", "RUN", "[send]\ntx-data=NOTUTF8 中文", "run .* problems: tx-data = \\\\xff\\\\xfe 中文：“\\\\xff\\\\xfe”不是十六进制字节 warnings: $"},
            {"settings: empty payload, no tag", "RUN", "[send]\ntx-data=\" \"", "run .* problems: tx-data =   为空且标签未开启"},
            {"settings: lengths give empty packets", "RUN", "RAND\ntx-len-min=0", "run .* problems: tx-len-min = 0 且标签未开启"},
            {"line: defaults, 8N1, no flow control", "ONCE", "[control]", "run .* line: 115200 8 none 1 none auto-stop: 0 "},
            {"line: file, 2 stop bits, RTS-CTS", "ONCE", "[control]\nser-baudrate=9600\nser-stopbits=2\nser-flow=rtscts", "run .* line: 9600 8 none 2 rtscts auto-stop: 0 "},
            {"line: options over the file, auto-stop from it", "ONCE --baud 921600 --data-bits 7 --parity even --stop-bits 1 --flow xonxoff", "[control]\nser-stopbits=2\nser-flow=rtscts\nser-databits=6\n[show]\nauto-stop=true", "run .* line: 921600 7 even 1 xonxoff auto-stop: 1 "},
            {"line: mark parity, 2 stop bits", "ONCE --parity mark --stop-bits 2", "[control]\nser-parity=odd", "run .* line: 115200 8 mark 2 none auto-stop: 0 "},
            {"--compare with --send prbs", "--open p --send prbs --duration 1 --compare", "", "exit 2: .*--compare means nothing to --send prbs"},
            {"--metrics not named .prom", "RUN --metrics m.txt", "", "exit 2: .*--metrics needs a name ending in .prom, not 'm.txt'"},
            {"--pcap with --send prbs", "--open p --send prbs --duration 1 --pcap c.pcapng", "", "exit 2: .*--pcap means nothing to --send prbs"},
            {"--prbs without --send prbs", "RUN --prbs prbs9", "", "exit 2: .*--prbs goes with --send prbs"},
            {"--prbs unknown", "--open p --send prbs --duration 1 --prbs prbs8", "", "exit 2: .*--prbs needs one of prbs7, .*not 'prbs8'"},
            {"--max-ber not below 1", "--open p --send prbs --duration 1 --max-ber 1", "", "exit 2: .*--max-ber needs a ratio"},
            {"settings: bit error test, its sequence unknown, 7 data bits, framed values unused", "--open p --send prbs --duration 1 --data-bits 7", "[send]\nprbs=prbs8\ntx-data=zz\n[control]\nsid-min=300", "run .* problems: prbs = prbs8 不是 prbs7, prbs9, prbs15, prbs23, prbs31 之一 / 误码测试需要 8 个数据位 warnings: $"},
            {"settings: payload cut for the tag", "RUN --tag", "[send]\ntx-data=BIG", "run .* sent: 4094 problems:  warnings: tx-data = 00 00 00 00 00 00 00 00 ... 有 4095 字节，只发送前 4094 字节$"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }
    void readsTheRun()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, ini);
        QFETCH(QString, expected);
        arguments.replace("RUN", "--open p --send answer --duration 1")
            .replace("ONCE", "--open p --send once --duration 1");
        ini.replace("RAND", "[send]\ntx-rand-data=true")
            .replace("BIG", QString("00 ").repeated(4095));
        TestWorkDir dir;
        QFile file(dir.filePath("dv-ppp.ini"));
        QVERIFY(ini.isEmpty() || (file.open(QIODevice::WriteOnly) &&
                                  file.write(ini.toUtf8().replace("NOTUTF8", "\xff\xfe")) > 0));
        file.close();
        const CommandLine line = readCommandLine(("pakto " + arguments).split(' '));
        // "run PORT SEND MS BAUD PERIOD FRAMES TAG COMPARE SHOW MEMORY CAPTURE REPORT PLOT JUNIT
        // LINE", or how it ended
        QString got = QString("exit %1: %2").arg(line.exitStatus.value_or(-1)).arg(line.message);
        if (line.headless) {
            const HeadlessPlan &p = *line.headless;
            QStringList fields{"run"};
            for (const QVariant &v : QVariantList{
                     p.ports.join(","), int(p.send), p.durationMs, p.baud, p.periodMs, p.frameLimit,
                     int(p.tag), int(p.compare), int(p.show), int(p.reportMemory), p.capturePath,
                     p.reportPath, p.plotPath, p.junitPath})
                fields << v.toString();
            got = fields.join(' ') + ' ' + QStringList(p.line.begin(), p.line.end()).join('/');
        }
        if (!ini.isEmpty() && line.headless) {
            const RunSettings check = readRunSettings(file.fileName(), *line.headless);
            QStringList words{QString::number(check.session.line.baud)};
            for (int choice = 0; choice < LINE_CHOICES; ++choice)
                words << check.session.line.word(choice);
            got += " line: " + words.join(' ') +
                   " auto-stop: " + QString::number(check.session.stopOnError) +
                   " sent: " + QString::number(check.payloadText.count(' ') + 1) +
                   " problems: " + check.problems.join(" / ") +
                   " warnings: " + check.warnings.join(" / ");
        }
        got.remove(QRegularExpression("dv-ppp.ini: \\[\\w+\\] "));
        QVERIFY2(QRegularExpression("(?s)^" + expected).match(got).hasMatch(), qPrintable(got));
    }
};

QTEST_GUILESS_MAIN(TestCommandLine)
#include "tst_commandline.moc"
