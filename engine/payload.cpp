// What each test packet carries: the optional tag with its cycling SID, then
// the typed or random payload; and the controls that feed it.
#include "app/mainwindow.h"
#include "fieldtext.h"
#include "ui_mainwindow.h"

#include <QLineEdit>
#include <QStringList>

#include <cstring>
#include <new>

namespace {

// One sequence for the whole run: opening ports or restarting a send mode
// must not make the peer see SIDs repeat.
quint8 nextSid = 0;

const QString INVALID_PAYLOAD_STYLE = QStringLiteral("QPlainTextEdit { background: #ffe0e0; }");

// The SID bounds as the fields say; false while either does not read.
bool readSidRange(const Ui::MainWindow *ui, quint8 &sidMin, quint8 &sidMax)
{
    const NumberReading low = readNumber(ui->le_sid_min->text(), SID_RANGE);
    const NumberReading high = readNumber(ui->le_sid_max->text(), SID_RANGE);
    sidMin = quint8(low.value);
    sidMax = quint8(high.value);
    return low.valid() && high.valid();
}

quint8 takeSid(quint8 sidMin, quint8 sidMax)
{
    const quint8 sid = qMin(qMax(nextSid, sidMin), sidMax); // the maximum wins a crossed range
    const quint8 next = quint8(sid + 1);
    nextSid = next > sidMax ? sidMin : next;
    return sid;
}

// qrand() draws from the sequence the window seeds with qsrand(), which
// QRandomGenerator would not follow.
int seededRandom()
{
    QT_WARNING_PUSH
    QT_WARNING_DISABLE_DEPRECATED
    return qrand();
    QT_WARNING_POP
}

int randomLength(int shortest, int longest)
{
    return shortest + seededRandom() % (longest - shortest + 1);
}

void fillRandom(quint8 *bytes, int count)
{
    for (int i = 0; i < count; ++i)
        bytes[i] = quint8(seededRandom() % 256);
}

QString randomHexText(int byteCount)
{
    QStringList bytes;
    bytes.reserve(byteCount);
    for (int i = 0; i < byteCount; ++i)
        bytes << QStringLiteral("%1").arg(seededRandom() % 256, 2, 16, QLatin1Char('0')).toUpper();
    return bytes.join(QLatin1Char(' '));
}

} // namespace

// Null, without a word, while the typed payload or a SID bound does not read
// (the start of sending said why): what goes out must be what the fields
// show. Null with a warning when memory runs out.
Packet *MainWindow::buildPacket()
{
    const bool tagged = ui->cb_tag->isChecked();
    quint8 sidMin = 0;
    quint8 sidMax = 0;
    if (typedPayloadInvalid() || (tagged && !readSidRange(ui, sidMin, sidMax)))
        return nullptr;
    auto *packet = new (std::nothrow) Packet;
    if (!packet) {
        slotWarningMessage(tr("错误"), tr("数据包内存申请失败"));
        return nullptr;
    }
    int tagLength = 0;
    if (tagged) {
        packet->bytes[0] = PACKET_TAG;
        packet->bytes[1] = takeSid(sidMin, sidMax);
        tagLength = PACKET_TAG_LENGTH;
    }
    const int room = PACKET_CAPACITY - tagLength;
    packet->length = quint16(tagLength + fillPayload(packet->bytes + tagLength, room));
    return packet;
}

// The payload yields to the tag: whatever the typed data or the length range
// say, the packet never outgrows its capacity.
int MainWindow::fillPayload(quint8 *payload, int room) const
{
    if (ui->cb_randData->isChecked()) {
        const int length = randomLength(qBound(0, txLenMin, room), qBound(0, txLenMax, room));
        fillRandom(payload, length);
        return length;
    }
    const int length = qMin(int(txPattern.length), room);
    std::memcpy(payload, txPattern.bytes, size_t(length));
    return length;
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
    ui->le_txLenMin->setText(QString::number(shortest));
    ui->le_txLenMax->setText(QString::number(longest));
    txLenMin = shortest;
    txLenMax = longest;
}

// An invalid text leaves the pattern as it was, so a half-typed edit does not
// wipe it. The editor says so in place: a box per keystroke would swallow the
// next keys.
void MainWindow::on_te_txData_textChanged()
{
    const PayloadReading payload = readPayload(ui->te_txData->toPlainText());
    txPatternValid = payload.valid;
    if (txPatternValid) {
        txPattern.length = quint16(qMin(payload.bytes.size(), PACKET_CAPACITY));
        std::memcpy(txPattern.bytes, payload.bytes.constData(), txPattern.length);
    }
    showPayloadValidity();
}

void MainWindow::showPayloadValidity()
{
    ui->te_txData->setStyleSheet(txPatternValid ? QString() : INVALID_PAYLOAD_STYLE);
    ui->te_txData->setToolTip(txPatternValid ? QString() : invalidPayloadText());
}

void MainWindow::warnInvalidPayload()
{
    slotWarningMessage(tr("错误"), invalidPayloadGroupText());
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
    return !txPatternValid && !ui->cb_randData->isChecked();
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
