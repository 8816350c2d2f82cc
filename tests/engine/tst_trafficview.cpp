// The traffic view and the capture file: each line's text and colours, the
// show boxes, batched appends, the view's bound, captures that cannot be written.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>
#include <QTextBrowser>

struct TrafficWindow {
    TrafficWindow(bool showSent = true, bool showReceived = true)
    {
        ui->cb_txShow->setChecked(showSent);
        ui->cb_rxShow->setChecked(showReceived);
    }
    void show(const QByteArray &bytes, bool received, bool failed, double stampMs)
    {
        const auto direction = received ? TrafficDirection::Received : TrafficDirection::Sent;
        MainWindowProbe::showTraffic(window, bytes, direction, failed, stampMs);
    }
    // Ticks the capture box and answers the save dialog with path (empty: Cancel).
    bool tickCapture(const QString &path)
    {
        SaveDialogFiller filler(path);
        ui->cb_rx2file->click();
        return MainWindowProbe::captureStream(window) != nullptr;
    }
    QString file() const
    {
        QFile file(capturePath);
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
    QStringList viewLines() const { return ui->txt_data->toPlainText().split('\n', Qt::SkipEmptyParts); }
    TestWorkDir workDir;
    const QString capturePath = workDir.filePath(QStringLiteral("capture.txt"));
    MainWindow window;
    Ui::MainWindow *ui = MainWindowProbe::ui(window);
};

class TestTrafficView : public QObject
{
    Q_OBJECT

private slots:
    // Each line's exact text in the file and paragraph in the view. The lines
    // reach the view batched on a timer, and the document is the one of an
    // append per paragraph. Clearing drops shown and queued lines, not the capture.
    void linesInViewAndFile()
    {
        const QString received = QStringLiteral("<span style=\"background:#97c4f0;\">");
        const QString failed = QStringLiteral("<span style=\"background:#a40000;color:#ffffff;\">");
        const struct { QByteArray bytes; double stampMs; QString body, html; } lines[] = {
            {QByteArray::fromHex("5a0112ab"), 1234.5, "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB",
             "<span>[ 发 1234.500ms , 4字节 ]  5A 01 12 AB</span>"},
            {QByteArray::fromHex("000fa0ff"), 0.25, "[ 收 0.250ms , 4字节 ]  00 0F A0 FF",
             received + "[ 收 0.250ms , 4字节 ]  00 0F A0 FF</span>"},
            {QByteArray::fromHex("0102"), 7.0, "[ 收 7.000ms , 2字节 ]  01 02",
             failed + "[ 收 7.000ms , 2字节 ]  01 02 [ 比较失败 ]</span>"},
            // Rounded to three decimals, beyond what single precision holds.
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
            w.show(line.bytes, line.body.contains("收"), line.html.contains("比较失败"), line.stampMs);
            file += line.body + '\n';
            appended.append(line.html);
        }
        QCOMPARE(w.file(), file); // each line written through as it is shown
        QTRY_COMPARE(w.viewLines().size(), 4);
        QCOMPARE(w.ui->txt_data->toHtml(), appended.toHtml());
        w.ui->cb_rx2file->click(); // stopped: later frames stay out of the file
        w.show(QByteArray::fromHex("01"), true, false, 99.0);
        QCOMPARE(w.file(), file);
    }

    void showBoxes_data()
    {
        QTest::addColumn<QString>("shown"); // the boxes ticked, and the labels in the view
        QTest::addColumn<bool>("capture");  // the file has both frames
        QTest::newRow("sent only") << "发" << false;
        QTest::newRow("received only, capture open") << "收" << true;
        QTest::newRow("neither, no capture") << "" << false;
        QTest::newRow("neither, capture open") << "" << true;
    }
    void showBoxes()
    {
        QFETCH(QString, shown);
        QFETCH(bool, capture);
        TrafficWindow w(shown.contains("发"), shown.contains("收"));
        QVERIFY(!capture || w.tickCapture(w.capturePath));
        w.show(QByteArray::fromHex("01"), false, false, 1.0);
        w.show(QByteArray::fromHex("02"), true, false, 2.0);
        MainWindowProbe::flushTraffic(w.window);
        QString viewLabels, fileLabels;
        for (const QString &line : w.viewLines())
            viewLabels += line.at(2); // "[ 发 ..." or "[ 收 ..."
        for (const QString &line : w.file().split('\n', Qt::SkipEmptyParts))
            fileLabels += line.at(2);
        QCOMPARE(viewLabels, shown);
        QCOMPARE(fileLabels, capture ? "发收" : "");
    }

    void viewKeepsTheNewestLines()
    {
        TrafficWindow w(true, false);
        const int total = TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK + 1500;
        for (int shown = 0; shown < total;) {
            for (const int end = shown + 500; shown < end; ++shown)
                w.show(QByteArray::fromHex("01"), false, false, shown);
            MainWindowProbe::flushTraffic(w.window);
            QVERIFY(w.ui->txt_data->document()->blockCount() <= TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK);
        }
        const QStringList lines = w.viewLines();
        QVERIFY(lines.size() >= TRAFFIC_VIEW_LINES);
        QVERIFY2(lines.first().startsWith(QStringLiteral("[ 发 %1.000ms").arg(total - lines.size())),
                 qPrintable(lines.first()));
        QVERIFY2(lines.last().startsWith(QStringLiteral("[ 发 %1.000ms").arg(total - 1)),
                 qPrintable(lines.last()));
    }

    void wrapFollowsItsBox()
    {
        TrafficWindow w;
        for (int click = 0; click < 2; ++click) {
            w.ui->cb_wrap->click();
            QCOMPARE(w.ui->txt_data->lineWrapMode(),
                     w.ui->cb_wrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
        }
    }

    void captureNotRunning_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("dialog cancelled") << "" << QStringList();
        QTest::newRow("folder does not exist")
            << "no-such-folder/capture.txt" << QStringList{"错误: 无法打开文件"};
        QTest::newRow("disk full: one warning") << "/dev/full" << QStringList{"错误: 无法写入文件，已停止保存"};
    }
    // Whether the file fails at once or at its first line, the box ends
    // unticked and no frame after it warns again.
    void captureNotRunning()
    {
        QFETCH(QString, path);
        QFETCH(QStringList, warnings);
        TrafficWindow w;
        WarningCatcher catcher;
        w.tickCapture(path.isEmpty() ? path : QDir(w.workDir.path()).absoluteFilePath(path));
        for (int i = 0; i < 3; ++i)
            w.show(QByteArray::fromHex("01"), true, false, i);
        QCOMPARE(catcher.describe(), warnings);
        QVERIFY(!w.ui->cb_rx2file->isChecked() && !MainWindowProbe::captureStream(w.window));
        QVERIFY(!QFile::exists(w.workDir.filePath(QStringLiteral("no-such-folder"))));
    }
};

QTEST_MAIN(TestTrafficView)
#include "tst_trafficview.moc"
