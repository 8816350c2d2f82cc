// The traffic view and the capture file: line texts and colours, show boxes, the view's bound,
// failing captures.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTextBrowser>

QString labels(QStringList lines)
{
    return lines.replaceInStrings(QRegularExpression("^\\[ (.).*"), "\\1").join("");
} // "[ 发 ..."

struct TrafficWindow {
    explicit TrafficWindow(bool sent = true, bool received = true)
    {
        ui->cb_txShow->setChecked(sent);
        ui->cb_rxShow->setChecked(received);
    }
    void show(const QByteArray &bytes, bool received, bool failed, double stampMs)
    {
        MainWindowProbe::showTraffic(window, bytes,
                                     received ? TrafficDirection::Received : TrafficDirection::Sent,
                                     failed, stampMs);
    }
    bool tickCapture(const QString &path)
    {
        SaveDialogFiller filler(path);
        ui->cb_rx2file->click();
        return MainWindowProbe::captureStream(window);
    }
    QString file() const
    {
        QFile file(capturePath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QStringList viewLines() const
    {
        return ui->txt_data->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    TestWorkDir workDir;
    const QString capturePath = workDir.filePath(QStringLiteral("capture.txt"));
    MainWindow window;
    Ui::MainWindow *ui = MainWindowProbe::ui(window);
};

class TestTrafficView : public QObject
{
    Q_OBJECT

private slots:
    // Each line's exact text in file and view (time stamps beyond single precision), batched on a
    // timer into the document of an append per paragraph. Clearing drops shown and queued lines,
    // not the capture. Wrap follows its box.
    void linesInViewAndFile()
    {
        const struct {
            QByteArray bytes;
            double stampMs;
            QString body, html;
        } lines[] = {
            {QByteArray::fromHex("5a0112ab"), 1234.5, "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB",
             "<span>[ 发 1234.500ms , 4字节 ]  5A 01 12 AB</span>"},
            {QByteArray::fromHex("000fa0ff"), 0.25, "[ 收 0.250ms , 4字节 ]  00 0F A0 FF",
             "<span style=\"background:#97c4f0;\">[ 收 0.250ms , 4字节 ]  00 0F A0 FF</span>"},
            {QByteArray::fromHex("0102"), 7.0, "[ 收 7.000ms , 2字节 ]  01 02",
             "<span style=\"background:#a40000;color:#ffffff;\">[ 收 7.000ms , 2字节 ]  01 02 [ "
             "比较失败 ]</span>"},
            {QByteArray::fromHex("7d"), 16777217.4996, "[ 发 16777217.500ms , 1字节 ]  7D",
             "<span>[ 发 16777217.500ms , 1字节 ]  7D</span>"}};
        TrafficWindow w;
        QVERIFY(w.tickCapture(w.capturePath));
        w.show(QByteArray::fromHex("ee"), false, false, 0.0);
        MainWindowProbe::flushTraffic(w.window);
        w.show(QByteArray::fromHex("dd"), true, false, 0.5); // still queued
        w.ui->btn_showClear->click();
        QString file = QStringLiteral("[ 发 0.000ms , 1字节 ]  EE\n[ 收 0.500ms , 1字节 ]  DD\n");
        QTextBrowser appended; // one QTextEdit::append per paragraph
        appended.document()->setDefaultFont(w.ui->txt_data->document()->defaultFont());
        for (const auto &line : lines) {
            w.show(line.bytes, line.body.contains("收"), line.html.contains("比较失败"),
                   line.stampMs);
            file += line.body + '\n';
            appended.append(line.html);
        }
        QCOMPARE(w.file(), file); // each line written through as it is shown
        QTRY_COMPARE(w.viewLines().size(), 4);
        QCOMPARE(w.ui->txt_data->toHtml(), appended.toHtml());
        w.ui->cb_rx2file->click(); // stopped: later frames stay out of the file
        w.show(QByteArray::fromHex("01"), true, false, 99.0);
        QCOMPARE(w.file(), file);
        for (int click = 0; click < 2; ++click) {
            w.ui->cb_wrap->click();
            QCOMPARE(w.ui->txt_data->lineWrapMode(),
                     w.ui->cb_wrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        }
    }

    void viewKeepsTheNewestLines()
    {
        TrafficWindow w(true, false);
        const int total = TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK + 1500;
        for (int shown = 0; shown < total;) {
            for (const int end = shown + 500; shown < end; ++shown)
                w.show(QByteArray::fromHex("01"), false, false, shown);
            MainWindowProbe::flushTraffic(w.window);
            QVERIFY(w.ui->txt_data->document()->blockCount() <=
                    TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK);
        }
        const QStringList lines = w.viewLines();
        QVERIFY(
            lines.size() >= TRAFFIC_VIEW_LINES &&
            lines.first().startsWith(QStringLiteral("[ 发 %1.000ms").arg(total - lines.size())));
        QVERIFY(lines.last().startsWith(QStringLiteral("[ 发 %1.000ms").arg(total - 1)));
    }

    void showAndCapture_data()
    {
        QTest::addColumn<QString>("shown"); // the boxes ticked, and the labels in the view
        QTest::addColumn<QString>(
            "path"); // the save dialog's answer ("": Cancel; "-": box not ticked)
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("sent only") << "发"
                                   << "-" << QStringList();
        QTest::newRow("received only, capture open") << "收"
                                                     << "capture.txt" << QStringList();
        QTest::newRow("neither, no capture") << ""
                                             << "-" << QStringList();
        QTest::newRow("neither, capture open") << ""
                                               << "capture.txt" << QStringList();
        QTest::newRow("dialog cancelled") << "发收"
                                          << "" << QStringList();
        QTest::newRow("folder does not exist")
            << "发收"
            << "no-such-folder/capture.txt" << QStringList{"错误: 无法打开文件"};
        QTest::newRow("disk full: one warning, capture stopped")
            << "发收"
            << "/dev/full" << QStringList{"错误: 无法写入文件，已停止保存"};
    }
    void showAndCapture()
    {
        QFETCH(QString, shown);
        QFETCH(QString, path);
        QFETCH(QStringList, warnings);
        const bool capturing = path == "capture.txt"; // the file has every frame
        TrafficWindow w(shown.contains("发"), shown.contains("收"));
        WarningCatcher catcher;
        if (path != "-")
            w.tickCapture(path.isEmpty() ? path : QDir(w.workDir.path()).absoluteFilePath(path));
        for (int i = 0; i < 2; ++i) {
            w.show(QByteArray::fromHex("01"), false, false, 1.0);
            w.show(QByteArray::fromHex("02"), true, false, 2.0);
        }
        MainWindowProbe::flushTraffic(w.window);
        QCOMPARE(labels(w.viewLines()), shown.repeated(2));
        QCOMPARE(labels(w.file().split('\n', Qt::SkipEmptyParts)), capturing ? "发收发收" : "");
        QCOMPARE(catcher.describe(), warnings);
        QVERIFY(w.ui->cb_rx2file->isChecked() == capturing &&
                (MainWindowProbe::captureStream(w.window) != nullptr) == capturing);
        QVERIFY(!QFile::exists(w.workDir.filePath(QStringLiteral("no-such-folder"))));
    }
};

QTEST_MAIN(TestTrafficView)
#include "tst_trafficview.moc"
