// The traffic view and the capture file: line texts and colours, show boxes, the view's
// bound, failing captures.
#include "enginelink.h"

#include <QFileDialog>
#include <QTextBrowser>

struct TrafficWindow : EngineLink {
    void show(const char *hex, bool received, bool failed = false, double stampMs = 1)
    {
        const auto direction = received ? TrafficDirection::Received : TrafficDirection::Sent;
        Probe::showTraffic(window, QByteArray::fromHex(hex), direction, failed, stampMs);
    }
    bool capture(const QString &path) // typed into the save dialog, then Save, as a user would
    {
        const QString typed = QDir(workDir.path()).absoluteFilePath(path);
        ModalAnswerer<QFileDialog> hand([&typed](QFileDialog *dialog) {
            dialog->setOption(QFileDialog::DontConfirmOverwrite);
            // selectFile() leaves the focused name field alone
            dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"))->setText(typed);
            static_cast<QDialog *>(dialog)->accept(); // QFileDialog hides its override
        });
        ui->cb_rx2file->click();
        return Probe::capturing(window);
    }
    QString file() const
    {
        QFile file(workDir.filePath(QStringLiteral("capture.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }
};

class TestTrafficView : public QObject
{
    Q_OBJECT

private slots:
    // Each line's exact text in view and file (stamps beyond single precision), and its colour;
    // clearing drops shown and queued lines, not the capture.
    void lineTexts()
    {
        TrafficWindow w;
        w.ui->cb_txShow->setChecked(true);
        w.ui->cb_rxShow->setChecked(true);
        QVERIFY(w.capture("capture.txt"));
        w.show("ee", false, false, 0);
        w.viewLines();
        w.show("dd", true, false, 0.5); // still queued
        w.ui->btn_showClear->click();
        QString file = QStringLiteral("[ 发 0.000ms , 1字节 ]  EE\n[ 收 0.500ms , 1字节 ]  DD\n");
        QTextBrowser appended; // one QTextEdit::append per paragraph
        appended.document()->setDefaultFont(w.ui->txt_data->document()->defaultFont());
        const auto line = [&](const char *hex, double ms, const QString &body,
                              const QString &span) {
            const bool failed = span.contains("#a40000");
            w.show(hex, body.contains("收"), failed, ms);
            file += body + '\n';
            appended.append(span + body + (failed ? " [ 比较失败 ]" : "") + "</span>");
        };
        line("5a0112ab", 1234.5, "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB", "<span>");
        line("000fa0ff", 0.25, "[ 收 0.250ms , 4字节 ]  00 0F A0 FF",
             "<span style=\"background:#97c4f0;\">");
        line("0102", 16777217.4996, "[ 收 16777217.500ms , 2字节 ]  01 02",
             "<span style=\"background:#a40000;color:#ffffff;\">");
        QCOMPARE(w.file(), file); // each line written through as it is shown
        QTRY_COMPARE(w.ui->txt_data->document()->blockCount(), 3); // flushed on the window's timer
        QCOMPARE(w.ui->txt_data->toHtml(), appended.toHtml());
    }

    void viewKeepsTheNewestLines()
    {
        TrafficWindow w;
        w.ui->cb_txShow->setChecked(true);
        const int total = TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK + 1500;
        for (int shown = 0; shown < total; ++shown) {
            w.show("01", false, false, shown);
            if (shown % 500 == 0)
                QVERIFY(w.viewLines().size() <= TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK);
        }
        const QStringList lines = w.viewLines();
        QVERIFY(lines.size() >= TRAFFIC_VIEW_LINES);
        QVERIFY(lines.first().startsWith(QString("[ 发 %1.000ms").arg(total - lines.size())));
    }

    // Received frames only shown; every frame captured until a write fails.
    void capture_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("warning");
        QTest::newRow("capture open") << "capture.txt"
                                      << "";
        QTest::newRow("folder does not exist")
            << "no-such/capture.txt"
            << "错误: 无法打开文件 WORK/no-such/capture.txt：No such file or directory";
        QTest::newRow("disk full: one warning, capture stopped")
            << "/dev/full"
            << "错误: 无法写入文件 /dev/full：No space left on device，已停止保存";
    }
    void capture()
    {
        QFETCH(QString, path);
        QFETCH(QString, warning);
        const bool capturing = warning.isEmpty();
        TrafficWindow w;
        w.ui->cb_rxShow->setChecked(true);
        WarningCatcher catcher;
        w.capture(path);
        for (int i = 0; i < 2; ++i) {
            w.show("01", false);
            w.show("02", true);
        }
        QCOMPARE(w.viewLabels(), "收收");
        QCOMPARE(w.labels(w.file().split('\n', Qt::SkipEmptyParts)), capturing ? "发收发收" : "");
        QCOMPARE(catcher.describe().join("").replace(w.workDir.path(), "WORK"), warning);
        QCOMPARE(w.ui->cb_rx2file->isChecked(), capturing);
        QCOMPARE(Probe::capturing(w.window), capturing);
    }
};

QTEST_MAIN(TestTrafficView)
#include "tst_trafficview.moc"
