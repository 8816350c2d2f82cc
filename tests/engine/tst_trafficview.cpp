// The traffic view and the capture file: line texts and colours, bursts against
// lines drawn one by one, a line waiting through a language switch, failing captures.
#include "enginelink.h"

#include <QFileDialog>
#include <QScrollBar>
#include <QTextBrowser>

struct TrafficWindow : EngineLink {
    void show(const char *hex, bool received, bool failed = false, double stampMs = 1)
    {
        const auto direction = received ? TrafficDirection::Received : TrafficDirection::Sent;
        Probe::showTraffic(window, QByteArray::fromHex(hex), direction, failed, stampMs);
    }
    // Frames first..last-1 in turn: both directions, some failed, lengths 1 to 4.
    void showNumbered(int first, int last, bool drawEach)
    {
        for (int i = first; i < last; ++i) {
            const auto direction = i % 3 ? TrafficDirection::Received : TrafficDirection::Sent;
            Probe::showTraffic(window, QByteArray(1 + i % 4, char(i)), direction, i % 5 == 4, i);
            if (drawEach)
                Probe::flushTraffic(window);
        }
    }
    bool showBothAndCapture()
    {
        ui->cb_txShow->setChecked(true);
        ui->cb_rxShow->setChecked(true);
        return capture("capture.txt");
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
    // clearing drops shown and waiting lines, not the capture; unticking a show box hides later
    // lines only.
    void lineTexts()
    {
        TrafficWindow w;
        QVERIFY(w.showBothAndCapture());
        w.show("ee", false, false, 0);
        w.viewLines();
        w.show("dd", true, false, 0.5); // still waiting
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
        w.ui->cb_txShow->setChecked(false);
        w.show("ff", false, false, 2);
        file += "[ 发 2.000ms , 1字节 ]  FF\n";
        QCOMPARE(w.file(), file);                      // each line written through as it is shown
        QTRY_COMPARE(w.ui->txt_data->blockCount(), 3); // drawn on the window's timer
        QCOMPARE(w.ui->txt_data->document()->toHtml(), appended.toHtml());
    }

    // A burst drawn at once leaves the view as drawing each line on its own would, the newest
    // TRAFFIC_VIEW_LINES kept, older lines being read kept in sight while they last, the newest
    // followed; the capture holds every line in order.
    void burst_data()
    {
        QTest::addColumn<int>("drawnBefore");
        QTest::addColumn<int>("burst");
        QTest::newRow("below the bound") << 100 << 300;
        QTest::newRow("pushes the oldest lines out") << 7000 << 2500;
        QTest::newRow("longer than the view keeps") << 100 << 9000;
    }
    void burst()
    {
        QFETCH(int, drawnBefore);
        QFETCH(int, burst);
        const int total = drawnBefore + burst, kept = qMin(total, TRAFFIC_VIEW_LINES);
        TrafficWindow each, once;
        QVERIFY(each.showBothAndCapture() && once.showBothAndCapture());
        each.showNumbered(0, total, true);
        once.showNumbered(0, drawnBefore, false);
        once.viewLines();
        once.ui->txt_data->verticalScrollBar()->setValue(drawnBefore / 2);
        once.showNumbered(drawnBefore, total, false);
        const QStringList lines = once.viewLines();
        QCOMPARE(lines.size(), kept);
        QCOMPARE(once.ui->txt_data->verticalScrollBar()->value(),
                 qMax(0, drawnBefore / 2 - (total - kept)));
        QCOMPARE(each.ui->txt_data->verticalScrollBar()->value(),
                 each.ui->txt_data->verticalScrollBar()->maximum());
        QVERIFY(lines.first().contains(QString(" %1.000ms ").arg(total - kept)));
        QCOMPARE(once.ui->txt_data->document()->toHtml(), each.ui->txt_data->document()->toHtml());
        QCOMPARE(once.file().count('\n'), total);
        QCOMPARE(once.file(), each.file());
    }

    // A line waiting to be drawn keeps the words of the language it was shown in.
    void waitingLineKeepsItsLanguage()
    {
        TrafficWindow w;
        QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", w.workDir.filePath("en.qm")));
        w.ui->cb_txShow->setChecked(true);
        w.show("01", false);
        w.ui->btn_language->click();
        w.show("02", false);
        QCOMPARE(w.viewLabels(), "发T");
    }

    // A capture that cannot open or write warns once and stops.
    void captureFails_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("warning");
        QTest::newRow("folder does not exist")
            << "no-such/capture.txt"
            << "错误: 无法打开文件 WORK/no-such/capture.txt：No such file or directory";
        QTest::newRow("disk full")
            << "/dev/full"
            << "错误: 无法写入文件 /dev/full：No space left on device，已停止保存";
    }
    void captureFails()
    {
        QFETCH(QString, path);
        QFETCH(QString, warning);
        TrafficWindow w;
        WarningCatcher catcher;
        w.capture(path);
        w.show("01", false);
        w.show("02", true);
        QCOMPARE(catcher.describe().join("").replace(w.workDir.path(), "WORK"), warning);
        QVERIFY(!w.ui->cb_rx2file->isChecked());
        QVERIFY(!Probe::capturing(w.window));
    }
};

QTEST_MAIN(TestTrafficView)
#include "tst_trafficview.moc"
