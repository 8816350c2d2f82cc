// The statistics panel: counters cleared, the send rate taken once a second,
// the panel rebuilt every refresh.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QTextCursor>

namespace {

constexpr quint64 BITS_PER_BYTE = 8;
constexpr quint64 KILO = 1000;
constexpr quint64 MEGA = 1000000;
constexpr int RATE_DIGITS = 6;
constexpr int LATENCY_DECIMALS = 3;

QString counterLine(const QString &label, quint64 value)
{
    return label + QStringLiteral(" = ") + QString::number(value);
}

void addErrorLine(QStringList &paragraphs, const QString &label, quint64 value)
{
    if (value != 0)
        paragraphs << QStringLiteral("  ") + counterLine(label, value);
}

QString rateText(quint64 bitsPerSecond)
{
    if (bitsPerSecond < KILO)
        return QString::number(bitsPerSecond) + QStringLiteral(" bps");
    if (bitsPerSecond < MEGA)
        return QString::number(bitsPerSecond / double(KILO), 'g', RATE_DIGITS) +
               QStringLiteral(" Kbps");
    return QString::number(bitsPerSecond / double(MEGA), 'g', RATE_DIGITS) +
           QStringLiteral(" Mbps");
}

// A path is the user's text: inserted as plain text, so that the box reads no
// markup into it and keeps its spaces.
void appendPlainParagraph(QTextEdit *box, const QString &text)
{
    box->append(QString());
    QTextCursor cursor(box->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(text);
}

} // namespace

void MainWindow::clearCounters()
{
    counters = TrafficCounters{};
    roundTrips.clear();
    // Frames queued before now are no longer in the counters to take back.
    queuedFrames.clear();
    queuedLineBytes = 0;
}

void MainWindow::on_btn_cntClear_clicked()
{
    clearCounters();
}

void MainWindow::onSecondTick()
{
    if (ui->btn_txAuto->isChecked() || ui->btn_txAck->isChecked())
        ++counters.cntRunSeconds;
    txRateBps = (counters.cntTxBytes - counters.txBytesAtLastTick) * BITS_PER_BYTE;
    counters.txBytesAtLastTick = counters.cntTxBytes;
}

void MainWindow::refreshStats()
{
    const QStringList paragraphs = runTimeParagraphs() + countParagraphs() + comparisonParagraphs();
    ui->txt_info->clear();
    for (const QString &paragraph : paragraphs)
        ui->txt_info->append(paragraph);
    if (captureFile) {
        ui->txt_info->append(QString());
        appendPlainParagraph(ui->txt_info, tr("保存至文件") + QStringLiteral(": ") + capturePath);
    }
}

// Its leading blank paragraph vanishes in the freshly cleared box, so the run
// time takes the first line.
QStringList MainWindow::runTimeParagraphs() const
{
    if (counters.cntRunSeconds == 0)
        return {};
    const QString line =
        counterLine(tr("计时"), counters.cntRunSeconds) + QStringLiteral(" ") + tr("秒");
    return {QString(), line, QString()};
}

QStringList MainWindow::countParagraphs() const
{
    QStringList paragraphs{counterLine(tr("发送包数"), counters.cntTxPackets)};
    addErrorLine(paragraphs, tr("发送错误"), counters.cntTxErrors);
    paragraphs << counterLine(tr("接收包数"), counters.cntRxPackets);
    addErrorLine(paragraphs, tr("7D错误"), counters.cnt7dErrors);
    addErrorLine(paragraphs, tr("CRC错误"), counters.cntCrcErrors);
    addErrorLine(paragraphs, tr("超长"), counters.cntLongErrors);
    addErrorLine(paragraphs, tr("超短"), counters.cntShortErrors);
    paragraphs << QString() << tr("发送速率") + QStringLiteral(" = ") + rateText(txRateBps)
               << counterLine(tr("发送字节"), counters.cntTxBytes)
               << counterLine(tr("接收字节"), counters.cntRxBytes);
    return paragraphs;
}

QStringList MainWindow::comparisonParagraphs() const
{
    if (!ui->cb_trxCmp->isChecked())
        return {};
    QStringList paragraphs{QString(), counterLine(tr("比较成功"), counters.cntCmpOk),
                           counterLine(tr("比较失败"), counters.cntCmpFail)};
    if (counters.cntNoReply != 0)
        paragraphs << counterLine(tr("未应答"), counters.cntNoReply);
    if (roundTrips.count() != 0)
        paragraphs << roundTripLine();
    return paragraphs;
}

QString MainWindow::roundTripLine() const
{
    const auto ms = [](double value) { return QString::number(value, 'f', LATENCY_DECIMALS); };
    return tr("往返时延") +
           QStringLiteral(" = %1 / %2 / %3 ms")
               .arg(ms(roundTrips.min()), ms(roundTrips.mean()), ms(roundTrips.max()));
}
