// The statistics panel: counters cleared, the send rate taken once a second,
// the panel rebuilt every refresh.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QTextCursor>

namespace {

constexpr quint64 KILO = 1000;
constexpr quint64 MEGA = 1000000;
constexpr int RATE_DIGITS = 6;
constexpr int LATENCY_DECIMALS = 3;

QString counterLine(const QString &label, quint64 value)
{
    return label + QStringLiteral(" = ") + QString::number(value);
}

void addCounterLine(QStringList &paragraphs, const QString &label, quint64 value)
{
    if (value != 0)
        paragraphs << counterLine(label, value);
}

void addErrorLine(QStringList &paragraphs, const QString &label, quint64 value)
{
    addCounterLine(paragraphs, QStringLiteral("  ") + label, value);
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

// The packet in flight is forgotten with the rest: answer-driven sending
// starts a new chain at once.
void MainWindow::on_btn_cntClear_clicked()
{
    ledger.restart(clockMs());
    readUartCounts(); // the baseline
    redrawChart();
    if (ui->btn_txAck->isChecked())
        sendOneFrame();
    fillTransmitQueue();
}

void MainWindow::onSecondTick()
{
    if (portOpen)
        watchOpenPort(); // the UART's counts too, for the second's entry
    else
        followPortList();
    ledger.tick(continuousModeRunning(), clockMs());
    redrawChart();
}

void MainWindow::refreshStats()
{
    const QStringList paragraphs = runTimeParagraphs() + countParagraphs() +
                                   comparisonParagraphs() + replyParagraphs() + uartParagraphs() +
                                   portNoteParagraphs();
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
    const TrafficCounters &counters = ledger.counters();
    if (counters.cntRunSeconds == 0)
        return {};
    const QString line =
        counterLine(tr("计时"), counters.cntRunSeconds) + QStringLiteral(" ") + tr("秒");
    return {QString(), line, QString()};
}

QStringList MainWindow::countParagraphs() const
{
    const TrafficCounters &counters = ledger.counters();
    QStringList paragraphs{counterLine(tr("发送包数"), counters.cntTxPackets)};
    addErrorLine(paragraphs, tr("发送错误"), counters.cntTxErrors);
    paragraphs << counterLine(tr("接收包数"), counters.cntRxPackets);
    addErrorLine(paragraphs, tr("7D错误"), counters.cnt7dErrors);
    addErrorLine(paragraphs, tr("CRC错误"), counters.cntCrcErrors);
    addErrorLine(paragraphs, tr("超长"), counters.cntLongErrors);
    addErrorLine(paragraphs, tr("超短"), counters.cntShortErrors);
    paragraphs << QString()
               << tr("发送速率") + QStringLiteral(" = ") + rateText(ledger.sendRateBps())
               << counterLine(tr("发送字节"), counters.cntTxBytes)
               << counterLine(tr("发送线路字节"), counters.cntTxLineBytes)
               << counterLine(tr("接收字节"), counters.cntRxBytes);
    if (portOpen && ledger.lastSecond().ms > 0)
        paragraphs << lineUseLine();
    return paragraphs;
}

// The share of the line's capacity each way in the last second: every byte
// costs the bits of one character of the port's setting.
QString MainWindow::lineUseLine() const
{
    const Ledger::Second &second = ledger.lastSecond();
    const auto percent = [&](quint64 bytes) {
        const double share =
            lineShare(bytes, bitsPerCharacter(portLine), serialPort.baudRate(), second.ms);
        return QString::number(100 * share, 'f', 1) + QLatin1Char('%');
    };
    return tr("线路利用率 发 %1 收 %2").arg(percent(second.txLineBytes), percent(second.rxBytes));
}

QStringList MainWindow::comparisonParagraphs() const
{
    if (!ui->cb_trxCmp->isChecked())
        return {};
    const TrafficCounters &counters = ledger.counters();
    return {QString(), counterLine(tr("比较成功"), counters.cntCmpOk),
            counterLine(tr("比较失败"), counters.cntCmpFail)};
}

// What became of the replies, where anything is worth saying; after the
// comparison, or on a paragraph of their own. Only compared replies give
// round trips.
QStringList MainWindow::replyParagraphs() const
{
    const TrafficCounters &counters = ledger.counters();
    QStringList paragraphs;
    addCounterLine(paragraphs, tr("未应答"), counters.cntNoReply);
    addCounterLine(paragraphs, tr("迟到应答"), counters.cntLate);
    addCounterLine(paragraphs, tr("多余帧"), counters.cntUnexpected);
    if (ui->cb_trxCmp->isChecked() && ledger.roundTrips().count() + counters.cntAmbiguous != 0)
        paragraphs << roundTripLine();
    if (!paragraphs.isEmpty() && !ui->cb_trxCmp->isChecked())
        paragraphs.prepend(QString());
    return paragraphs;
}

// Answers that could belong to more than one frame give no round trip.
QString MainWindow::roundTripLine() const
{
    const LatencyHistogram &trips = ledger.roundTrips();
    const auto ms = [&trips](double value) {
        return trips.count() ? QString::number(value, 'f', LATENCY_DECIMALS) : QStringLiteral("-");
    };
    QString line = tr("往返时延") + QStringLiteral(" = %1 / %2 / %3 ms")
                                        .arg(ms(trips.min()), ms(trips.mean()), ms(trips.max()));
    if (const quint64 ambiguous = ledger.counters().cntAmbiguous)
        line += QStringLiteral(" (") + tr("%1 个无法确定").arg(ambiguous) + QLatin1Char(')');
    return line;
}

// The UART's own errors since the clean start, where the port keeps them.
QStringList MainWindow::uartParagraphs() const
{
    const std::optional<UartErrors> uart = ledger.uartErrors();
    if (!uart || !uart->any())
        return {};
    QStringList paragraphs{QString()};
    addCounterLine(paragraphs, tr("UART 帧错误"), uart->frame);
    addCounterLine(paragraphs, tr("UART 溢出"), uart->overrun);
    addCounterLine(paragraphs, tr("UART 校验错误"), uart->parity);
    addCounterLine(paragraphs, tr("UART 中断"), uart->brk);
    addCounterLine(paragraphs, tr("UART 缓冲区溢出"), uart->bufOverrun);
    return paragraphs;
}
