// The window's face over the link, against a pseudo-terminal: what it says of a payload that
// does not read, the fields it hands the session, the mode buttons following the session's
// mode, the chart, the statistics panel, the traffic view and the capture box.
#include "codec/prbs.h"
#include "engine/statisticspanel.h"
#include "frames.h"
#include "widgets/runchart.h"
#include "windowface.h"

#include <QComboBox>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTextBrowser>

const QString INVALID = "数据输入错误，请输入合法的十六进制数据";
const char *const IDLE = "应答式发送|定时发送|满速发送|误码测试 0";

// The mode buttons' captions, "*" where ticked, then the session's mode.
static QString modes(const WindowOnTerminal &w)
{
    QStringList shown;
    for (const char *name : {"btn_txAck", "btn_txAuto", "btn_txFull", "btn_txBer"})
        shown << w.find(name)->text() + (w.find(name)->isChecked() ? "*" : "");
    return shown.join('|') + ' ' + QString::number(int(w.window.session().mode()));
}

static QString viewLabels(const WindowOnTerminal &w) // "[ 发 ...", "[ 收 ..." give "发收"
{
    QString found;
    for (const QString &line : w.find<QPlainTextEdit>("txt_data")->toPlainText().split('\n'))
        found += line.mid(2, 1);
    return found;
}

static QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Typed into the box's save dialog, then Save, as a user would.
static bool capture(WindowOnTerminal &w, const QString &path, const char *box = "cb_rx2file")
{
    const QString typed = QDir(w.workDir.path()).absoluteFilePath(path);
    ModalAnswerer<QFileDialog> hand([&typed](QFileDialog *dialog) {
        dialog->setOption(QFileDialog::DontConfirmOverwrite);
        // selectFile() leaves the focused name field alone
        dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
    });
    w.click(box);
    return w.window.session().capturing() || w.window.session().pcapping();
}

class TestWindowLink : public QObject
{
    Q_OBJECT

private slots:
    // Told in place as it is typed; each send refused with a warning (tst_readalike sees the
    // buttons unticked before it opens).
    void payloadThatDoesNotRead_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("group"); // as the warning names it; empty: the text reads
        // clang-format off
        QTest::newRow("single spaces, padding, either case") << "  01 aB 1F  " << "";
        QTest::newRow("double space in the middle") << "01  02" << "“”";
        QTest::newRow("invalid part in the middle") << "01 XY 03" << "“XY”";
        // clang-format on
    }
    void payloadThatDoesNotRead()
    {
        QFETCH(QString, typed);
        QFETCH(QString, group);
        WindowOnTerminal w;
        QVERIFY(w.open());
        WarningCatcher warnings;
        w.find<QPlainTextEdit>("te_txData")->setPlainText(typed);
        QCOMPARE(w.find<QWidget>("te_txData")->toolTip(), group.isEmpty() ? "" : INVALID);
        if (!group.isEmpty())
            for (const char *send : {"btn_txOne", "btn_txAck", "btn_txAuto"})
                w.click(send);
        const QString warning =
            "错误: " + INVALID + '\n' + group + "不是 00 到 FF 之间的十六进制字节";
        const QStringList expected{warning, warning, warning};
        QCOMPARE(warnings.describe(), group.isEmpty() ? QStringList() : expected);
        QCOMPARE(w.device.readAll(QUIET_MS), QByteArray());
    }

    // Random lengths beyond what fits after the tag are drawn as long as fits.
    void randomLengthsFit()
    {
        WindowOnTerminal w;
        QVERIFY(w.open());
        w.click("cb_tag");
        w.type("le_txLenMin", "9000");
        w.type("le_txLenMax", "100");
        w.click("cb_randData");
        QCOMPARE(w.find<QLineEdit>("le_txLenMin")->text() + ' ' +
                     w.find<QLineEdit>("le_txLenMax")->text(),
                 "9000 9000");
        w.click("btn_txOne");
        QCOMPARE(w.counters().cntTxBytes, quint64(PACKET_CAPACITY));
        QCOMPARE(w.device.readAll(QUIET_MS).left(3), QByteArray::fromHex("7e5a01")); // the tag
    }

    // Each mode stops the other; closing the port stops timed sending; a period of 0 is
    // refused and stops both; 出错停发 stops at a corrupted answer.
    void modeButtonsFollowTheSession()
    {
        WindowOnTerminal w;
        WarningCatcher warnings;
        QVERIFY(w.open());
        QCOMPARE(modes(w), IDLE);
        w.type("le_txTm", "10000");
        const char *const steps[][2] = {
            {"btn_txAck", "停止应答式发送*|定时发送|满速发送|误码测试 1"},
            {"btn_txAuto", "应答式发送|停止定时发送*|满速发送|误码测试 2"},
            {"btn_txAck", "停止应答式发送*|定时发送|满速发送|误码测试 1"},
            {"btn_txFull", "应答式发送|定时发送|停止满速发送*|误码测试 3"},
            {"btn_txBer", "应答式发送|定时发送|满速发送|停止误码测试* 4"},
            {"btn_txAuto", "应答式发送|停止定时发送*|满速发送|误码测试 2"},
            {"btn_ser_conn", IDLE}};
        for (const auto &[button, shown] : steps) {
            w.click(button);
            QCOMPARE(modes(w), shown);
        }
        QVERIFY(w.open());
        w.click("btn_txAck");
        w.type("le_txTm", "0");
        w.click("btn_txAuto");
        QCOMPARE(warnings.describe(), QStringList{"输入错误: 请输入正确的定时周期"});
        QCOMPARE(modes(w), IDLE);
        for (const char *box : {"cb_trxCmp", "cb_autoStop"})
            w.find(box)->setChecked(true);
        w.click("btn_txAck");
        QVERIFY(w.deliver(frameOf("\x01"))); // not the payload sent
        QCOMPARE(modes(w), IDLE);
    }

    // The sequence chosen goes out from the start, its box fixed while the test runs; what the
    // device echoes is checked, its tail after the stop too, and the panel counts it.
    void bitErrorTestOverAnEcho()
    {
        WindowOnTerminal w;
        QVERIFY(w.open());
        auto *sequences = w.find<QComboBox>("comb_prbs");
        sequences->setCurrentText("prbs31");
        const auto shown = [&] { return modes(w) + (sequences->isEnabled() ? "" : " fixed"); };
        w.click("btn_txBer");
        QCOMPARE(shown(), "应答式发送|定时发送|满速发送|停止误码测试* 4 fixed");
        w.click("btn_txBer");
        QCOMPARE(shown(), IDLE);
        const QByteArray sent = w.device.readAll(QUIET_MS);
        QByteArray head(16, 0);
        PrbsGenerator(PrbsSequence::Prbs31).fill(reinterpret_cast<uint8_t *>(head.data()), 16);
        QCOMPARE(sent.left(16).toHex(), head.toHex());
        QVERIFY(w.deliver(sent));
        const QRegularExpression counted("误码测试 比特 [1-9]\\d* 误码 0 ");
        QTRY_VERIFY(w.find<QTextBrowser>("txt_info")->toPlainText().contains(counted));
    }

    // The shown chart draws the ledger's seconds on the one-second tick; 清零 clears it at once.
    void chartFollowsTheLedger()
    {
        WindowOnTerminal w;
        w.window.show();
        const auto points = [&w] { // of the first curve: frames sent
            const QwtPlotItem *sent =
                w.find<RunChart>("plot_chart")->itemList(QwtPlotItem::Rtti_PlotCurve).value(0);
            return static_cast<const QwtPlotCurve *>(sent)->dataSize();
        };
        QVERIFY(w.open());
        w.click("btn_txAuto");
        QTRY_VERIFY(points() > 0);
        w.click("btn_cntClear");
        QCOMPARE(points(), size_t(0));
    }

    // The panel tells the session's counts and names the capture's file; the show boxes choose
    // what the view draws; 清空 empties the view, not the capture; a line waiting to be drawn
    // keeps the words of the language it was shown in.
    void panelViewAndCapture()
    {
        WindowOnTerminal w;
        QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", w.workDir.filePath("en.qm")));
        QVERIFY(w.open());
        for (const char *box : {"cb_txShow", "cb_rxShow"})
            w.find(box)->setChecked(true);
        QVERIFY(capture(w, "capture.txt"));
        w.click("btn_txOne");
        QVERIFY(w.deliver(w.device.readAll(QUIET_MS))); // the echo
        QTRY_COMPARE(viewLabels(w), "发收");
        const auto panel = [&w] { return w.find<QTextBrowser>("txt_info")->toPlainText(); };
        QTRY_COMPARE(panel(), statisticsPanel(panelFacts(w.window.session())));
        QVERIFY(panel().contains("\n\n保存至文件: " + w.workDir.filePath("capture.txt")));
        w.click("btn_showClear");
        w.find("cb_txShow")->setChecked(false);
        w.click("btn_txOne");
        QVERIFY(w.deliver(w.device.readAll(QUIET_MS)));
        QTRY_COMPARE(viewLabels(w), "收"); // drawn after the frame sent
        QFile file(w.workDir.filePath("capture.txt"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll().count('\n'), 4);
        w.find("cb_txShow")->setChecked(true);
        w.click("btn_txOne");
        w.click("btn_language");
        w.click("btn_txOne");
        QTRY_COMPARE(viewLabels(w), "收发T");
    }

    // The pcapng box writes its file when unticked, keeps its name in the settings, and lets go
    // while the bit error test runs.
    void pcapBox()
    {
        WindowOnTerminal w;
        QVERIFY(w.open());
        QVERIFY(capture(w, "c.pcapng", "cb_pcap"));
        w.click("btn_txOne");
        QVERIFY(w.deliver(w.device.readAll(QUIET_MS)));
        w.click("cb_pcap");
        const QByteArray file = contents(w.workDir.filePath("c.pcapng"));
        QVERIFY(file.startsWith("\x0a\x0d\x0d\x0a") && !w.window.session().pcapping());
        QCOMPARE(file.count(QByteArray("\0\1\2\3\4\5\6\7", 8)), 2); // sent and echoed
        QVERIFY(capture(w, "c.pcapng", "cb_pcap"));
        w.click("btn_txBer");
        QVERIFY(!w.find("cb_pcap")->isEnabled() && !w.find("cb_pcap")->isChecked());
        QVERIFY(!w.window.session().pcapping());
        w.window.close();
        QVERIFY(contents(w.workDir.filePath("dv-ppp.ini"))
                    .contains("pcap-file=" + w.workDir.filePath("c.pcapng").toUtf8()));
    }

    // A capture that cannot open or write warns once and stops.
    void captureFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("warning");
        // clang-format off
        QTest::newRow("folder does not exist") << "no-such/capture.txt" << "错误: 无法打开文件 WORK/no-such/capture.txt：No such file or directory";
        QTest::newRow("disk full") << "/dev/full" << "错误: 无法写入文件 /dev/full：No space left on device，已停止保存";
        // clang-format on
    }
    void captureFails()
    {
        QFETCH(QString, path);
        QFETCH(QString, warning);
        WindowOnTerminal w;
        QVERIFY(w.open());
        WarningCatcher catcher;
        capture(w, path);
        w.click("btn_txOne");
        QVERIFY(w.deliver(frameOf("\x01")));
        QCOMPARE(catcher.describe().join("").replace(w.workDir.path(), "WORK"), warning);
        QVERIFY(!w.find("cb_rx2file")->isChecked());
        QVERIFY(!w.window.session().capturing());
    }
};

QTEST_MAIN(TestWindowLink)
#include "tst_windowlink.moc"
