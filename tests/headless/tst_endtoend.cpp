// The real program, headless, against the simulated device: the window counts what the device put
// on the wire, and its JSON report says what its panel says.
#include "linktest.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <array>
#include <sys/stat.h>

// The statistics panel's label (Chinese, never translated), the report's key, the device's count
// of the same; errors from the fifth on.
const QString SENT = "发送包数", COMPARED_OK = "比较成功";
// clang-format off
const QVector<std::array<QString, 3>> COUNTS = {
    {SENT, "tx_packets", "frames_received"}, {"接收包数", "rx_packets", "wire_good_frames"},
    {"接收字节", "rx_bytes", "bytes_sent"}, {COMPARED_OK, "compare_ok", ""}, {"比较失败", "compare_failed", ""},
    {"超短", "short_errors", "wire_short_errors"}, {"超长", "long_errors", "wire_long_errors"},
    {"CRC错误", "crc_errors", "wire_crc_errors"}, {"7D错误", "escape_errors", "wire_7d_errors"},
    {"发送错误", "tx_errors", ""}, {"未应答", "no_reply", ""}, {"迟到应答", "late", ""},
    {"多余帧", "unexpected", ""}};
// clang-format on

// The root element's name, then each failure's or error's type, '+'-joined; "-" for no XML.
static QString outline(const QByteArray &xml)
{
    QStringList outline;
    QXmlStreamReader reader(xml);
    while (!reader.atEnd())
        if (reader.readNext() == QXmlStreamReader::StartElement &&
            (outline.isEmpty() || reader.name() == "failure" || reader.name() == "error"))
            outline << (outline.isEmpty() ? reader.name() : reader.attributes().value("type"))
                           .toString();
    return reader.hasError() ? "-" : outline.join('+');
}

// A plot keeps clear of its picture's edges.
static bool whiteEdges(const QImage &picture)
{
    constexpr int EDGE_PX = 4;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x)
            if (qMin(qMin(x, y), qMin(picture.width() - x, picture.height() - y)) <= EDGE_PX &&
                picture.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

class TestEndToEnd : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

    // The report goes to r.json unless the options say where.
    Run runWindow(const QString &device, QString options,
                  const std::function<void(QProcess &)> &whileRunning = {},
                  const QString &platform = QString())
    {
        QFile::remove(workDir.filePath("r.json"));
        options += options.contains("--report") ? "" : " --report r.json";
        return runToEnd(PAKTO_WINDOW_PATH,
                        QString("--port %1 --open %1 %2").arg(device, options).split(' '),
                        workDir.path(), whileRunning, platform);
    }
    Run report(const Run &window = {}) // on stdout, or in r.json
    {
        return readReport(window.out.startsWith('{') ? window.out.toUtf8()
                                                     : readFile(workDir.filePath("r.json")));
    }

private slots:
    // Every spoiled reply and its knock-on counts, compared and not, the counts adding up (the
    // report reader checks that).
    void countsMatchThePeer_data()
    {
        QTest::addColumn<QString>("peerOptions");
        QTest::addColumn<QString>("options"); // the window's
        // key=value (or key<=value): the panel's counts by report key, answered, errors, exit_code,
        // reasons=A+B; a value is a count, sent (tx_packets), faults or 2faults (the device's count
        // of its fault).
        QTest::addColumn<QString>("expected");
        // clang-format off
        const QString timed = "--send timed --period 10 --compare --tag --duration 1", answer = "--send answer --compare --duration 1",
            plain = "--send answer --reply-timeout 200 --duration 1", clean = "exit_code=0 errors=0 rx_packets=sent compare_ok=sent",
            lost = "exit_code=1 no_reply=faults errors=2faults reasons=framing_errors+no_reply ";
        QTest::newRow("answer: show, capture, plot, JUnit") << "" << answer + " --tag --show --capture c --plot p.png --junit j.xml" << clean + " png=1200x600 edges=white junit=testsuites";
        QTest::newRow("answer-driven up to --frames, report on stdout") << "" << answer + " --frames 300 --report -" << clean + " tx_packets=300";
        QTest::newRow("answer-driven up to --frames, every reply twice: the extra ones fail") << "--fault duplicate --every 1" << "--send answer --frames 300 --duration 30" << "exit_code=1 errors=300 tx_packets=300 rx_packets=600 unexpected=300 reasons=unexpected_frames";
        QTest::newRow("once, report on a full disk: the run fails, the JUnit file written before it passes") << "" << "--send once --compare --duration 0.5 --report /dev/full --junit j.xml" << "exit_code=1 errors=0 tx_packets=1 compare_ok=1 junit=testsuites";
        QTest::newRow("once, silent device, not compared: no reply") << "--fault drop" << "--send once --duration 0.3 --plot p.svg --junit j.xml" << "exit_code=1 tx_packets=1 rx_packets=0 no_reply=1 reasons=no_reply svg=svg+titled junit=testsuites+no_reply";
        QTest::newRow("timed, silent device, not compared: no reply for each") << "--fault drop" << "--send timed --period 10 --duration 0.5" << "exit_code=1 rx_packets=0 no_reply=sent reasons=no_reply";
        QTest::newRow("timed, replies 50 ms late, timeout 20, not compared: no reply, then late") << "--delay 50" << "--send timed --period 60 --reply-timeout 20 --duration 1" << "exit_code=1 answered=0 no_reply=sent late=sent reasons=no_reply";
        QTest::newRow("answer, identical frames 50 ms late, timeout 20: one frame a timeout") << "--delay 50" << "--send answer --reply-timeout 20 --duration 2" << "exit_code=1 answered=0 tx_packets<=110 tx_packets>=90 no_reply=sent reasons=no_reply";
        QTest::newRow("answer, one reply lost: round trips go on at once") << "--fault drop --every 500" << answer + " --tag --reply-timeout 200" << "exit_code=1 ambiguous=0 no_reply=faults";
        QTest::newRow("answer, replies 50 ms late, timeout 30: one frame in flight, replies late") << "--delay 50" << answer + " --tag --reply-timeout 30" << "exit_code=1 tx_packets<=35 reasons=no_reply";
        QTest::newRow("extra mode: two more bytes compare") << "--mode extra" << timed << clean;
        QTest::newRow("replies 800 ms late, 400 ms apart: the wait covers twice the round trip") << "--delay 800" << "--send timed --period 400 --compare --tag --duration 1" << clean;
        QTest::newRow("replies 1200 ms late, reply timeout 2000: all let in") << "--delay 1200" << timed + " --reply-timeout 2000" << clean;
        QTest::newRow("answer, replies dropped: sends on after the reply timeout") << "--fault drop --every 3" << answer + " --reply-timeout 50" << "exit_code=1 errors=faults no_reply=faults";
        QTest::newRow("device leaves after 50 frames: the run ends") << "--frames 50" << "--send answer --compare --duration 60" << "exit_code=1 compare_ok=50 reasons=no_reply+port_lost";
        QTest::newRow("timed, replies with shared flags") << "--flags shared" << timed << clean;
        QTest::newRow("full speed, compared") << "" << "--send stream --compare --tag --duration 1" << clean + " mode=stream paced=False";
        QTest::newRow("full speed up to --frames, not compared") << "" << "--send stream --frames 500 --duration 10" << "exit_code=0 errors=0 tx_packets=500 answered=500";
        QTest::newRow("full speed against a paced device: line use near 100%") << "--line-rate" << "--send stream --baud 921600 --duration 1" << "exit_code=0 errors=0 line_use_tx>=0.9 line_use_tx<=1.1 line_use_rx>=0.9 line_use_rx<=1.1 paced=True";
        QTest::newRow("answer-driven against a device paced at 9600 baud") << "--line-rate" << "--send answer --baud 9600 --frames 20 --duration 10" << "exit_code=0 errors=0 tx_packets=20 answered=20";
        QTest::newRow("answer-driven, replies with idle flags") << "--flags idle" << answer << clean;
        // {fault, timed and compared, answer-driven and not compared}
        const QVector<std::array<QString, 3>> faults = {{"bad-fcs", lost + "crc_errors=faults", lost + "crc_errors=faults"},
            {"bad-escape", lost + "escape_errors=faults", lost + "escape_errors=faults"},
            {"duplicate", "exit_code=1 errors=faults compare_failed=faults", "exit_code=1 errors=faults unexpected=faults"},
            {"corrupt", "exit_code=1 no_reply=faults errors=2faults compare_failed=faults reasons=compare_failed+no_reply", "exit_code=0 errors=0"}, {"drop", "exit_code=1 errors=faults no_reply=faults", "exit_code=1 errors=faults no_reply=faults"},
            {"short", lost + "short_errors=faults", lost + "short_errors=faults"}, {"oversize", lost + "long_errors=faults", lost + "long_errors=faults"},
            {"noise", "exit_code=1 errors=faults no_reply=0", "exit_code=1 errors=faults no_reply=0"}};
        // clang-format on
        for (const auto &[fault, compared, notCompared] : faults) {
            QTest::addRow("timed, compared, fault %s", qPrintable(fault))
                << "--fault " + fault + " --every 3" << timed << compared;
            QTest::addRow("answer-driven, not compared, fault %s", qPrintable(fault))
                << "--fault " + fault + " --every 3" << plain << notCompared;
        }
    }

    void countsMatchThePeer()
    {
        QFETCH(QString, peerOptions);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
        for (const char *output : {"p.png", "p.svg", "j.xml"})
            QFile::remove(workDir.filePath(output));
        const Run window = runWindow(peer.path, options), device = peer.stop(),
                  json = report(window);
        QVERIFY2((json.exitCode == 0) != options.contains("--report /dev"),
                 qPrintable(json.err + window.err));
        // The panel's counts by the report's keys, which the report and the device (but one that
        // left: it did not see the frame that found it gone) say too.
        QString seen = " exit_code=" + QString::number(window.exitCode) + ' ';
        quint64 errors = 0;
        expected += json.exitCode == 0 ? " exit_code=" + json.value("exit_code") : "";
        for (int i = 0; i < COUNTS.size(); ++i) {
            const auto &[label, key, tally] = COUNTS[i];
            errors += i >= 4 ? window.count(label) : 0;
            seen += key + '=' + QString::number(window.count(label)) + ' '; // 0: no line
            expected += json.exitCode == 0 ? ' ' + key + '=' + json.value(key) : "";
            if (!tally.isEmpty() && !expected.contains("port_lost"))
                expected += ' ' + key + '=' + device.value(tally);
        }
        const quint64 faults =
            device.count("fault_" + peerOptions.section(' ', 1, 1).replace('-', '_'));
        QVERIFY2(window.count(SENT) > 0, qPrintable(window.err));
        QCOMPARE(faults > 0, peerOptions.contains("--fault"));
        QCOMPARE(device.exitCode, 0);
        QVERIFY(!QFile::exists(workDir.filePath("dv-ppp.ini")));
        const QImage png(workDir.filePath("p.png"));
        const QByteArray svg = readFile(workDir.filePath("p.svg"));
        seen += QString("png=%1x%2 svg=").arg(png.width()).arg(png.height()) + outline(svg) +
                (svg.contains((peer.path + " · " + json.value("mode")).toUtf8()) ? "+titled" : "") +
                (!png.isNull() && whiteEdges(png) ? " edges=white" : "") +
                " junit=" + outline(readFile(workDir.filePath("j.xml"))) + ' ';
        for (const char *key : {"answered", "ambiguous", "line_use_tx", "line_use_rx", "mode"})
            seen += QString(key) + '=' + json.value(key) + ' ';
        seen += "errors=" + QString::number(errors) +
                " reasons=" + json.value("reasons").replace(' ', '+') +
                " paced=" + json.value("line_use_paced") + ' ';
        // The panel ends with the verdict of the exit status, after the time the run took.
        const QString verdict = window.exitCode == 0 ? "PASS"
                                : json.exitCode == 0
                                    ? "FAIL: " + json.value("reasons").replace(' ', ", ")
                                    : "FAIL: report_failed";
        QCOMPARE((window.out.startsWith('{') ? window.err : window.out).trimmed().section('\n', -1),
                 verdict);
        QCOMPARE(window.value("计时"),
                 json.value("duration_run").toDouble() >= 0.05
                     ? QString::number(json.value("duration_run").toDouble(), 'f', 1) + " 秒"
                     : window.value("计时"));
        // Line use each way as the bytes each way.
        QVERIFY(qAbs(json.value("line_use_rx").toDouble() * window.count("发送线路字节") -
                     json.value("line_use_tx").toDouble() * window.count("接收字节")) <=
                1e-6 * window.count("接收字节") + 1e-9);
        // Sending stops at the time asked, within 1% or 30 ms, where nothing ends it sooner.
        const double asked = json.value("duration_asked").toDouble();
        QVERIFY(options.contains("--frames") || expected.contains("port_lost") ||
                qAbs(json.value("duration_run").toDouble() - asked) <= qMax(0.01 * asked, 0.03));
        QStringList missing;
        for (const QString &fact : expected.replace("=2faults", '=' + QString::number(2 * faults))
                                       .replace("=faults", '=' + QString::number(faults))
                                       .replace("=sent", '=' + window.value(SENT))
                                       .split(' ', Qt::SkipEmptyParts)) {
            const QStringList bound = fact.split(QRegularExpression("[<>]="));
            const double value = QRegularExpression(' ' + bound[0] + "=([\\d.]+) ")
                                     .match(seen)
                                     .captured(1)
                                     .toDouble();
            const bool within =
                bound.size() == 2 &&
                (fact.contains("<=") ? value <= bound[1].toDouble() : value >= bound[1].toDouble());
            if (!seen.contains(' ' + fact + ' ') && !within)
                missing << fact;
        }
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ') + " not in" + seen + window.err));
    }

    // The bit error test against the device in raw mode: its counts are the device's, a slip
    // costs one loss of synchronisation and no error, --max-ber decides on the bound.
    void bitErrorTest_data()
    {
        QTest::addColumn<QString>("peerOptions");
        QTest::addColumn<QString>("options");
        // ber_ keys of the report and exit_code, reasons, junit; =FLIPPED and =DROPPED: the
        // device's counts
        QTest::addColumn<QString>("expected");
        const QString raw = "--mode raw ";
        // clang-format off
        QTest::newRow("clean line") << raw << "--duration 0.5" << "exit_code=0 reasons= ber_errors=0 ber_sync_losses=0 ber_sequence=prbs15 junit=testsuites";
        QTest::newRow("seeded errors: every flipped bit counted") << raw + "--bit-errors 0.0001 --seed 3" << "--prbs prbs31 --duration 0.5" << "exit_code=1 reasons=bit_errors ber_errors=FLIPPED ber_sync_losses=0 junit=testsuites+bit_errors";
        QTest::newRow("slips: one loss each, no error") << raw + "--slip-every 100000" << "--prbs prbs7 --duration 0.5" << "exit_code=1 reasons=sync_lost ber_errors=0 ber_sync_losses=DROPPED";
        QTest::newRow("seeded errors under --max-ber") << raw + "--bit-errors 0.0001 --seed 3" << "--prbs prbs23 --duration 0.5 --max-ber 0.001" << "exit_code=0 reasons= ber_errors=FLIPPED";
        QTest::newRow("a bound above --max-ber: more bits wanted") << raw << "--prbs prbs9 --duration 0.3 --max-ber 1e-12" << "exit_code=1 reasons=ber_above_limit ber_errors=0 more=1";
        QTest::newRow("nothing comes back: no sync") << raw + "--slip-every 1" << "--duration 0.3" << "exit_code=1 reasons=no_sync ber_bits=0 junit=testsuites+no_sync";
        // clang-format on
    }
    void bitErrorTest()
    {
        QFETCH(QString, peerOptions);
        QFETCH(QString, options);
        QFETCH(QString, expected);
        PeerProcess peer(peerOptions.split(' ', Qt::SkipEmptyParts));
        QFile::remove(workDir.filePath("j.xml"));
        const Run window = runWindow(peer.path, "--send prbs --junit j.xml " + options),
                  device = peer.stop(), json = report(window);
        QCOMPARE(json.exitCode, 0);
        QString seen = " exit_code=" + QString::number(window.exitCode) +
                       " reasons=" + json.value("reasons").replace(' ', '+') +
                       " junit=" + outline(readFile(workDir.filePath("j.xml"))) +
                       " more=" + QString::number(window.out.count("要证明误码率")) + ' ';
        for (const char *key : {"bits", "errors", "sync_losses", "sequence"})
            seen += QString(" ber_%1=").arg(key) + json.value(QString("ber_") + key) + ' ';
        // The panel says what the report says.
        QVERIFY2(
            window.out.contains(
                QString("比特 %1 误码 %2 ").arg(json.value("ber_bits"), json.value("ber_errors"))),
            qPrintable(window.out));
        QStringList missing;
        for (const QString &fact : expected.replace("=FLIPPED", '=' + device.value("bits_flipped"))
                                       .replace("=DROPPED", '=' + device.value("bytes_dropped"))
                                       .split(' ', Qt::SkipEmptyParts))
            if (!seen.contains(' ' + fact + ' '))
                missing << fact;
        QVERIFY2(missing.isEmpty(), qPrintable(missing.join(' ') + " not in" + seen + window.err));
        QVERIFY(expected.contains("ber_bits=0") || json.count("ber_bits") >= 1000);
    }

    // The line asked for goes into the report with the warnings about what the port kept of it,
    // and --show prints every frame as the capture has it; a run without a plot needs no display
    // platform, not even one that exists.
    void lineAndShow()
    {
        PeerProcess peer({});
        const Run run = runWindow(peer.path,
                                  "--send once --compare --duration 0.3 --show "
                                  "--data-bits 7 --parity even --baud 921600",
                                  {}, "no-such-platform");
        QCOMPARE(run.exitCode, 0);
        peer.stop();
        const QJsonObject json =
            QJsonDocument::fromJson(readFile(workDir.filePath("r.json"))).object();
        QStringList line;
        for (const char *key : {"baud", "data_bits", "parity", "stop_bits", "flow_control"})
            line << json["line"][key].toVariant().toString();
        QCOMPARE(line.join(' '), "921600 7 even 1 none");
        for (const QJsonValue warning : json["warnings"].toArray())
            line << warning.toString();
        QCOMPARE(line.mid(5).join('|'), "数据位少于 8：帧会被截断|串口未保持所选数据位：7，实为 "
                                        "8|串口未保持所选校验：偶校验，实为 无");
        const QRegularExpression shown(
            "(?m)^\\[ (发|收) [\\d.]+ms , 8字节 \\]  00 01 02 03 04 05 06 07$");
        QCOMPARE(run.out.count(shown), 2);
    }

    // A signal mid-run lets the replies in and prints the panel; a second ends the run at once.
    void interruptedRun_data()
    {
        QTest::addColumn<QVector<int>>("signalNumbers"); // the run ends with 128 + the last
        QTest::newRow("SIGINT") << QVector<int>{SIGINT};
        QTest::newRow("SIGTERM") << QVector<int>{SIGTERM};
        QTest::newRow("SIGINT, then SIGTERM at once") << QVector<int>{SIGINT, SIGTERM};
    }
    void interruptedRun()
    {
        QFETCH(QVector<int>, signalNumbers);
        PeerProcess peer({});
        const QString capture = workDir.filePath("c");
        QVERIFY(writeFile(capture, QByteArray(1 << 20, 'x'))); // an earlier capture, longer
        QFile::remove(workDir.filePath("j.xml"));
        const QString options =
            "--send answer --compare --duration 60 --report - --capture c --junit j.xml";
        const Run run = runWindow(peer.path, options, [&](QProcess &window) {
            if (QTest::qWaitFor([&] { return readFile(capture).count('\n') > 100; }, 10000))
                for (const int signalNumber : signalNumbers)
                    ::kill(pid_t(window.processId()), signalNumber);
        });
        const quint64 sent = run.count(SENT), once = signalNumbers.size() == 1;
        QCOMPARE(run.exitCode, 128 + signalNumbers.last());
        QCOMPARE(readReport(run.out.toUtf8()).value("reasons"), once ? "interrupted" : "");
        QCOMPARE(outline(readFile(workDir.filePath("j.xml"))),
                 once ? "testsuites+interrupted" : "-");
        QVERIFY2(!once || (sent > 50 && run.count(COMPARED_OK) == sent &&
                           readFile(capture).count('\n') == int(2 * sent) &&
                           !readFile(capture).contains('x')),
                 qPrintable(run.err));
    }

    // Refused: exit 2, why on stderr, a report once past the command line, the old capture kept.
    void refusedInvocations_data()
    {
        QTest::addColumn<QString>("invocation");
        QTest::addColumn<QString>("complaint");
        QTest::addColumn<QString>("reason"); // the report's; empty: no report
        const QString open = PAKTO_WINDOW_PATH " --port /dev/nowhere --open /dev/nowhere --send "
                                               "answer --duration 1 --capture c --report";
        // clang-format off
        QTest::newRow("device: unknown option") << PAKTO_PEER_PATH " --pty --bogus" << "bogus" << "";
        QTest::newRow("window: port that will not open, and why") << open + " r.json" << "串口打开失败！\nNo such file or directory" << "port_open_failed";
        QTest::newRow("window: settings file a FIFO") << open + " r.json" << "pakto: dv-ppp.ini：不是普通文件" << "settings_refused";
        // clang-format on
    }
    void refusedInvocations()
    {
        QFETCH(QString, invocation);
        QFETCH(QString, complaint);
        QFETCH(QString, reason);
        const QString settings = workDir.filePath("dv-ppp.ini"), capture = workDir.filePath("c");
        QVERIFY(writeFile(capture, "kept\n"));
        QVERIFY(!QString(QTest::currentDataTag()).contains("FIFO") ||
                mkfifo(qPrintable(settings), 0600) == 0);
        QFile::remove(workDir.filePath("r.json"));
        const Run run = runToEnd(invocation.section(' ', 0, 0),
                                 invocation.section(' ', 1).split(' '), workDir.path());
        QFile::remove(settings);
        QVERIFY2(run.exitCode == 2 && run.out.isEmpty() && run.err.contains(complaint),
                 qPrintable(run.out + run.err));
        QCOMPARE(readFile(capture) + report().value("reasons"), "kept\n" + reason);
    }
};

QTEST_GUILESS_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
