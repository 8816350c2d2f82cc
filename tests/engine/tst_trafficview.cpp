// The traffic view: the text and colours of each line, the show boxes, the
// batched appends, the bound on its length, clearing and wrapping.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QFile>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>

namespace {

const QString SENT_OPEN = QStringLiteral("<span>");
const QString RECEIVED_OPEN = QStringLiteral("<span style=\"background:#97c4f0;\">");
const QString FAILED_OPEN = QStringLiteral("<span style=\"background:#a40000;color:#ffffff;\">");
const QString CLOSE = QStringLiteral("</span>");
const QString FAILED_CLOSE = QStringLiteral(" [ 比较失败 ]</span>");

QString paragraph(const QString &body, bool received, bool failed)
{
    if (failed)
        return FAILED_OPEN + body + FAILED_CLOSE;
    return (received ? RECEIVED_OPEN : SENT_OPEN) + body + CLOSE;
}

struct Frame {
    QByteArray bytes;
    bool received;
    bool failed;
};

class TrafficWindow
{
public:
    TrafficWindow() : ui(MainWindowProbe::ui(window)) {}

    void setShowBoxes(bool sent, bool received)
    {
        ui->cb_txShow->setChecked(sent);
        ui->cb_rxShow->setChecked(received);
    }

    void show(const Frame &frame, double stampMs)
    {
        MainWindowProbe::showTraffic(window, frame.bytes,
                                     frame.received ? TrafficDirection::Received
                                                    : TrafficDirection::Sent,
                                     frame.failed, stampMs);
    }

    bool startCapture()
    {
        SaveDialogFiller filler(capturePath());
        ui->cb_rx2file->click();
        return MainWindowProbe::captureStream(window) != nullptr;
    }

    // The capture's lines, once it is stopped.
    QStringList stopCapture()
    {
        ui->cb_rx2file->click();
        QFile file(capturePath());
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
            return {};
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    QStringList viewLines()
    {
        QStringList lines;
        if (document()->isEmpty())
            return lines;
        for (QTextBlock block = document()->begin(); block.isValid(); block = block.next())
            lines << block.text();
        return lines;
    }

    QTextDocument *document() { return ui->txt_data->document(); }
    QString capturePath() const { return workDir.filePath(QStringLiteral("capture.txt")); }

    TestWorkDir workDir;
    MainWindow window;
    Ui::MainWindow *ui;
};

// The document that one QTextEdit::append per paragraph gives.
QString appendedHtml(const QStringList &paragraphs, const QFont &font)
{
    QTextBrowser reference;
    reference.document()->setDefaultFont(font);
    for (const QString &html : paragraphs)
        reference.append(html);
    return reference.toHtml();
}

QString labelOf(const QString &line)
{
    return line.mid(2, 1); // "[ 发 ..." or "[ 收 ..."
}

} // namespace

class TestTrafficView : public QObject
{
    Q_OBJECT

private slots:
    void lineTextAndColours_data();
    void lineTextAndColours();
    void showBoxes_data();
    void showBoxes();
    void batchedViewMatchesOneAppendPerLine();
    void viewKeepsTheNewestLines();
    void clearDropsQueuedLines();
    void wrapFollowsItsBox();
};

void TestTrafficView::lineTextAndColours_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("received");
    QTest::addColumn<bool>("failed");
    QTest::addColumn<double>("stampMs");
    QTest::addColumn<QString>("body");
    QTest::addColumn<QString>("html");

    QTest::newRow("sent")
        << QByteArray::fromHex("5a0112ab") << false << false << 1234.5
        << "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB"
        << "<span>[ 发 1234.500ms , 4字节 ]  5A 01 12 AB</span>";
    QTest::newRow("received, leading zeros and upper case")
        << QByteArray::fromHex("000fa0ff") << true << false << 0.25
        << "[ 收 0.250ms , 4字节 ]  00 0F A0 FF"
        << "<span style=\"background:#97c4f0;\">[ 收 0.250ms , 4字节 ]  00 0F A0 FF</span>";
    QTest::newRow("received, comparison failed")
        << QByteArray::fromHex("0102") << true << true << 7.0
        << "[ 收 7.000ms , 2字节 ]  01 02"
        << "<span style=\"background:#a40000;color:#ffffff;\">[ 收 7.000ms , 2字节 ]  01 02 "
           "[ 比较失败 ]</span>";
    QTest::newRow("stamp rounded to three decimals")
        << QByteArray::fromHex("7e") << false << false << 1.23456
        << "[ 发 1.235ms , 1字节 ]  7E"
        << "<span>[ 发 1.235ms , 1字节 ]  7E</span>";
    QTest::newRow("stamp beyond single precision")
        << QByteArray::fromHex("7d") << true << false << 16777217.5
        << "[ 收 16777217.500ms , 1字节 ]  7D"
        << "<span style=\"background:#97c4f0;\">[ 收 16777217.500ms , 1字节 ]  7D</span>";
}

// The capture file shows the exact line text; the view must hold what
// appending the exact paragraph would give.
void TestTrafficView::lineTextAndColours()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, received);
    QFETCH(bool, failed);
    QFETCH(double, stampMs);
    QFETCH(QString, body);
    QFETCH(QString, html);
    TrafficWindow w;
    w.setShowBoxes(true, true);
    QVERIFY(w.startCapture());

    w.show({bytes, received, failed}, stampMs);
    MainWindowProbe::flushTraffic(w.window);

    QCOMPARE(w.stopCapture(), QStringList{body});
    QCOMPARE(w.document()->toHtml(), appendedHtml({html}, w.document()->defaultFont()));
}

void TestTrafficView::showBoxes_data()
{
    QTest::addColumn<bool>("showSent");
    QTest::addColumn<bool>("showReceived");
    QTest::addColumn<bool>("capture");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QStringList>("captured");

    const QString sent = QStringLiteral("发");
    const QString received = QStringLiteral("收");
    QTest::newRow("both shown") << true << true << false << QStringList{sent, received}
                                << QStringList();
    QTest::newRow("sent only") << true << false << false << QStringList{sent} << QStringList();
    QTest::newRow("received only") << false << true << false << QStringList{received}
                                   << QStringList();
    QTest::newRow("neither, no capture") << false << false << false << QStringList()
                                         << QStringList();
    QTest::newRow("neither, capture open") << false << false << true << QStringList()
                                           << QStringList{sent, received};
    QTest::newRow("sent only, capture open") << true << false << true << QStringList{sent}
                                             << QStringList{sent, received};
}

void TestTrafficView::showBoxes()
{
    QFETCH(bool, showSent);
    QFETCH(bool, showReceived);
    QFETCH(bool, capture);
    QFETCH(QStringList, shown);
    QFETCH(QStringList, captured);
    TrafficWindow w;
    w.setShowBoxes(showSent, showReceived);
    if (capture)
        QVERIFY(w.startCapture());

    w.show({QByteArray::fromHex("01"), false, false}, 1.0);
    w.show({QByteArray::fromHex("02"), true, false}, 2.0);
    MainWindowProbe::flushTraffic(w.window);

    QStringList viewLabels;
    for (const QString &line : w.viewLines())
        viewLabels << labelOf(line);
    QCOMPARE(viewLabels, shown);
    if (!capture)
        return;
    QStringList fileLabels;
    for (const QString &line : w.stopCapture())
        fileLabels << labelOf(line);
    QCOMPARE(fileLabels, captured);
}

// Lines reach the view on the flush timer, in order, after a clear, and the
// result is the document of one append per line.
void TestTrafficView::batchedViewMatchesOneAppendPerLine()
{
    TrafficWindow w;
    w.setShowBoxes(true, true);
    w.show({QByteArray::fromHex("ee"), false, false}, 0.0);
    MainWindowProbe::flushTraffic(w.window);
    w.ui->btn_showClear->click();
    QVERIFY(w.startCapture());

    const QVector<Frame> frames{{QByteArray::fromHex("5a0112ab"), false, false},
                                {QByteArray::fromHex("5a0112ab"), true, false},
                                {QByteArray::fromHex("5a0212ab"), false, false},
                                {QByteArray::fromHex("5a0299"), true, true},
                                {QByteArray(300, '\x7e'), false, false},
                                {QByteArray::fromHex("00"), true, false},
                                {QByteArray::fromHex("ff"), true, true}};
    for (int i = 0; i < frames.size(); ++i)
        w.show(frames.at(i), 10.0 * i);
    QTRY_COMPARE(w.viewLines().size(), frames.size());

    const QStringList bodies = w.stopCapture();
    QCOMPARE(bodies.size(), frames.size());
    QStringList paragraphs;
    for (int i = 0; i < frames.size(); ++i)
        paragraphs << paragraph(bodies.at(i), frames.at(i).received, frames.at(i).failed);
    QCOMPARE(w.document()->toHtml(), appendedHtml(paragraphs, w.document()->defaultFont()));
}

void TestTrafficView::viewKeepsTheNewestLines()
{
    TrafficWindow w;
    w.setShowBoxes(true, false);
    const int total = TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK + 1500;
    const int batch = 500;

    for (int shown = 0; shown < total;) {
        for (int end = shown + batch; shown < end; ++shown)
            w.show({QByteArray::fromHex("01"), false, false}, shown);
        MainWindowProbe::flushTraffic(w.window);
        QVERIFY2(w.document()->blockCount() <= TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK,
                 qPrintable(QString::number(w.document()->blockCount())));
    }

    const QStringList lines = w.viewLines();
    QVERIFY(lines.size() >= TRAFFIC_VIEW_LINES);
    const int oldestKept = total - lines.size();
    QVERIFY2(lines.first().startsWith(QStringLiteral("[ 发 %1.000ms").arg(oldestKept)),
             qPrintable(lines.first()));
    QVERIFY2(lines.last().startsWith(QStringLiteral("[ 发 %1.000ms").arg(total - 1)),
             qPrintable(lines.last()));
}

void TestTrafficView::clearDropsQueuedLines()
{
    TrafficWindow w;
    w.setShowBoxes(true, true);
    for (int i = 0; i < 3; ++i)
        w.show({QByteArray::fromHex("01"), false, false}, i);

    w.ui->btn_showClear->click();
    w.show({QByteArray::fromHex("02"), true, false}, 9.0);

    QTRY_COMPARE(w.viewLines(), QStringList{QStringLiteral("[ 收 9.000ms , 1字节 ] 02")});
}

void TestTrafficView::wrapFollowsItsBox()
{
    TrafficWindow w;
    for (int click = 0; click < 2; ++click) {
        w.ui->cb_wrap->click();
        QCOMPARE(w.ui->txt_data->lineWrapMode(),
                 w.ui->cb_wrap->isChecked() ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
    }
}

QTEST_MAIN(TestTrafficView)
#include "tst_trafficview.moc"
