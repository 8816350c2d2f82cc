// The send fields as the session's settings: what they say, what does not
// read in them, and the controls that feed them.
#include "mainwindow.h"
#include "shell/fieldtext.h"
#include "ui_mainwindow.h"

#include <QStringList>

namespace {

const QString INVALID_PAYLOAD_STYLE = QStringLiteral("QPlainTextEdit { background: #ffe0e0; }");

// A text that does not read gives 0: the session refuses what it would need it for.
qint64 numberIn(const QString &text, NumberRange range)
{
    const NumberReading reading = readNumber(text, range);
    return reading.valid() ? reading.value : 0;
}

QString randomHexText(int byteCount)
{
    QStringList bytes;
    bytes.reserve(byteCount);
    for (int i = 0; i < byteCount; ++i)
        bytes << QStringLiteral("%1").arg(randomByte(), 2, 16, QLatin1Char('0')).toUpper();
    return bytes.join(QLatin1Char(' '));
}

} // namespace

// "SID 下限“300”不在 0 到 255 之间"; empty when the text reads within range.
QString MainWindow::numberProblem(const QString &field, const QString &text, NumberRange range)
{
    switch (readNumber(text, range).problem) {
    case NumberReading::None:
        break;
    case NumberReading::NotANumber:
        return tr("%1“%2”不是整数").arg(field, text);
    case NumberReading::OutOfRange:
        return tr("%1“%2”不在 %3 到 %4 之间").arg(field, text).arg(range.lowest).arg(range.highest);
    }
    return QString();
}

void MainWindow::applyForm()
{
    link.configure(formSettings());
}

SessionSettings MainWindow::formSettings() const
{
    SessionSettings settings;
    settings.tag = ui->cb_tag->isChecked();
    settings.sidMin = quint8(numberIn(ui->le_sid_min->text(), SID_RANGE));
    settings.sidMax = quint8(numberIn(ui->le_sid_max->text(), SID_RANGE));
    settings.random = ui->cb_randData->isChecked();
    settings.lengthMin = txLenMin;
    settings.lengthMax = txLenMax;
    settings.payload = typedPayload;
    settings.unusable = sendRefusal();
    settings.periodMs = int(numberIn(ui->le_txTm->text(), PERIOD_MS_RANGE));
    settings.compare = ui->cb_trxCmp->isChecked();
    settings.stopOnError = ui->cb_autoStop->isChecked();
    settings.replyTimeoutMs = replyTimeoutMs;
    settings.expectReplies = expectReplies;
    settings.line = chosenLine();
    settings.reconnect = ui->cb_reconnect->isChecked();
    // The box offers the sequences' names alone.
    settings.prbs =
        prbsFromName(ui->comb_prbs->currentText().toStdString()).value_or(settings.prbs);
    return settings;
}

// Lengths that are no numbers stay as typed, and random sending is refused.
void MainWindow::normalizeTxLengths()
{
    const NumberReading typedShortest = readNumber(ui->le_txLenMin->text(), LENGTH_RANGE);
    const NumberReading typedLongest = readNumber(ui->le_txLenMax->text(), LENGTH_RANGE);
    if (!typedShortest.valid() || !typedLongest.valid())
        return;
    const int shortest = qMax(int(typedShortest.value), 0);
    const int longest = qMax(qMin(int(typedLongest.value), PACKET_CAPACITY), shortest);
    txLenMin = shortest;
    txLenMax = longest;
    ui->le_txLenMin->setText(QString::number(shortest));
    ui->le_txLenMax->setText(QString::number(longest));
}

// An invalid text leaves the payload as it was, so a half-typed edit does not
// wipe it. The editor says so in place: a box per keystroke would swallow the
// next keys.
void MainWindow::on_te_txData_textChanged()
{
    const PayloadReading payload = readPayload(ui->te_txData->toPlainText());
    typedPayloadValid = payload.valid;
    if (typedPayloadValid)
        typedPayload = payload.bytes;
    showPayloadValidity();
    applyForm();
}

void MainWindow::showPayloadValidity()
{
    ui->te_txData->setStyleSheet(typedPayloadValid ? QString() : INVALID_PAYLOAD_STYLE);
    ui->te_txData->setToolTip(typedPayloadValid ? QString() : invalidPayloadText());
}

void MainWindow::warnInvalidPayload()
{
    warn(tr("错误"), invalidPayloadGroupText());
}

QString MainWindow::invalidPayloadText() const
{
    return tr("数据输入错误，请输入合法的十六进制数据");
}

// The general text, and the group that broke it.
QString MainWindow::invalidPayloadGroupText() const
{
    const QString group = readPayload(ui->te_txData->toPlainText()).badGroup;
    return invalidPayloadText() + QLatin1Char('\n') +
           tr("“%1”不是 00 到 FF 之间的十六进制字节").arg(group);
}

// A random payload never depends on the text.
bool MainWindow::typedPayloadInvalid() const
{
    return !typedPayloadValid && !ui->cb_randData->isChecked();
}

// Why a packet cannot be built from what the fields say; empty when it can.
QString MainWindow::sendRefusal() const
{
    if (typedPayloadInvalid())
        return invalidPayloadGroupText();
    QStringList problems;
    if (ui->cb_tag->isChecked())
        problems << numberProblem(tr("SID 下限"), ui->le_sid_min->text(), SID_RANGE)
                 << numberProblem(tr("SID 上限"), ui->le_sid_max->text(), SID_RANGE);
    if (ui->cb_randData->isChecked())
        problems << numberProblem(tr("最短长度"), ui->le_txLenMin->text(), LENGTH_RANGE)
                 << numberProblem(tr("最长长度"), ui->le_txLenMax->text(), LENGTH_RANGE);
    problems.removeAll(QString());
    return problems.join(QLatin1Char('\n'));
}

void MainWindow::on_btn_newData_clicked()
{
    normalizeTxLengths();
    ui->te_txData->setPlainText(randomHexText(randomLength(txLenMin, txLenMax)));
}

void MainWindow::on_cb_randData_clicked(bool checked)
{
    if (checked)
        normalizeTxLengths();
    applyRandomDataState();
}

// Follows the box, so the settings loader can restore the widgets from it.
void MainWindow::applyRandomDataState()
{
    const bool random = ui->cb_randData->isChecked();
    ui->te_txData->setVisible(!random);
    if (random)
        ui->btn_txOne->setText(tr("手动发送"));
    ui->le_txLenMin->setEnabled(!random);
    ui->le_txLenMax->setEnabled(!random);
}
