// The capture file: what it holds, the save dialog, and files that cannot be
// opened or written.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>

namespace {

class CaptureWindow
{
public:
    CaptureWindow() : ui(MainWindowProbe::ui(window)) {}

    // Ticks the box and answers the save dialog with path (empty: Cancel).
    void tickCapture(const QString &path)
    {
        SaveDialogFiller filler(path);
        ui->cb_rx2file->click();
    }

    void show(const QByteArray &bytes, TrafficDirection direction, bool failed, double stampMs)
    {
        MainWindowProbe::showTraffic(window, bytes, direction, failed, stampMs);
    }

    bool captureOpen() { return MainWindowProbe::captureStream(window) != nullptr; }

    TestWorkDir workDir;
    MainWindow window;
    Ui::MainWindow *ui;
};

QByteArray fileContents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestCapture : public QObject
{
    Q_OBJECT

private slots:
    void captureHoldsEveryFrame();
    void cancelledDialogLeavesNoCapture();
    void clearingTheViewKeepsTheCapture();
    void unwritableFileStopsTheCapture_data();
    void unwritableFileStopsTheCapture();
};

// Both directions, whatever is shown, each line in the file as soon as its
// frame is handled; no markup and no failure marker.
void TestCapture::captureHoldsEveryFrame()
{
    CaptureWindow w;
    w.ui->cb_rxShow->setChecked(true);
    const QString path = w.workDir.filePath(QStringLiteral("capture.txt"));
    w.tickCapture(path);
    QVERIFY(w.captureOpen());

    w.show(QByteArray::fromHex("5a0112ab"), TrafficDirection::Sent, false, 1234.5);
    w.show(QByteArray::fromHex("5a0112ab"), TrafficDirection::Received, false, 1240.0);
    w.show(QByteArray::fromHex("00ff"), TrafficDirection::Received, true, 1250.125);
    const QByteArray expected = "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB\n"
                                "[ 收 1240.000ms , 4字节 ]  5A 01 12 AB\n"
                                "[ 收 1250.125ms , 2字节 ]  00 FF\n";
    QCOMPARE(fileContents(path), expected);

    w.ui->cb_rx2file->click();
    QVERIFY(!w.captureOpen());
    QCOMPARE(MainWindowProbe::capturePath(w.window), path);
    w.show(QByteArray::fromHex("01"), TrafficDirection::Received, false, 1260.0);
    QCOMPARE(fileContents(path), expected);
}

// The cancelled dialog's empty answer replaces the previous file name.
void TestCapture::cancelledDialogLeavesNoCapture()
{
    CaptureWindow w;
    w.tickCapture(w.workDir.filePath(QStringLiteral("earlier.txt")));
    QVERIFY(w.captureOpen());
    w.ui->cb_rx2file->click();
    WarningCatcher warnings;

    w.tickCapture(QString());

    QVERIFY(!w.ui->cb_rx2file->isChecked());
    QVERIFY(!w.captureOpen());
    QVERIFY(MainWindowProbe::capturePath(w.window).isEmpty());
    QCOMPARE(warnings.count(), 0);
}

void TestCapture::clearingTheViewKeepsTheCapture()
{
    CaptureWindow w;
    w.ui->cb_txShow->setChecked(true);
    const QString path = w.workDir.filePath(QStringLiteral("capture.txt"));
    w.tickCapture(path);
    QVERIFY(w.captureOpen());

    w.show(QByteArray::fromHex("01"), TrafficDirection::Sent, false, 1.0);
    w.ui->btn_showClear->click();
    w.show(QByteArray::fromHex("02"), TrafficDirection::Sent, false, 2.0);

    QVERIFY(w.ui->cb_rx2file->isChecked());
    w.ui->cb_rx2file->click();
    QCOMPARE(fileContents(path), QByteArray("[ 发 1.000ms , 1字节 ]  01\n"
                                            "[ 发 2.000ms , 1字节 ]  02\n"));
}

void TestCapture::unwritableFileStopsTheCapture_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QString>("warning");

    QTest::newRow("folder does not exist")
        << QStringLiteral("no-such-folder/capture.txt") << QStringLiteral("无法打开文件");
    QTest::newRow("disk full") << QStringLiteral("/dev/full")
                               << QStringLiteral("无法写入文件，已停止保存");
}

// One warning, whether the file fails at once or at the first line, and no
// more for the frames that follow.
void TestCapture::unwritableFileStopsTheCapture()
{
    QFETCH(QString, path);
    QFETCH(QString, warning);
    CaptureWindow w;
    WarningCatcher warnings;
    const QString absolute = QDir(w.workDir.path()).absoluteFilePath(path);

    w.tickCapture(absolute);
    for (int i = 0; i < 3; ++i)
        w.show(QByteArray::fromHex("01"), TrafficDirection::Received, false, i);

    QTRY_COMPARE(warnings.count(), 1);
    QCOMPARE(warnings.messages().first().title, QStringLiteral("错误"));
    QCOMPARE(warnings.messages().first().text, warning);
    QVERIFY(!w.ui->cb_rx2file->isChecked());
    QVERIFY(!w.captureOpen());
    QVERIFY(!QFile::exists(w.workDir.filePath(QStringLiteral("no-such-folder"))));
}

QTEST_MAIN(TestCapture)
#include "tst_capture.moc"
