// What each test packet carries: the optional tag with its cycling SID, then
// the typed or random payload; and the controls that feed it.
#include "app/mainwindow.h"
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

// An empty or invalid field reads as 0; only the low byte counts.
quint8 sidField(const QLineEdit *field)
{
    return quint8(field->text().toUShort());
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

// Only U+0020 separates parts; empty parts at either end are padding, empty
// parts in between are errors the parser must see.
QStringList hexParts(const QString &text)
{
    QStringList parts = text.split(QLatin1Char(' '));
    while (!parts.isEmpty() && parts.first().isEmpty())
        parts.removeFirst();
    while (!parts.isEmpty() && parts.last().isEmpty())
        parts.removeLast();
    return parts;
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

// Null, without a word, while the typed payload is not valid hex: what goes
// out must be what the editor shows. Null with a warning when memory runs out.
Packet *MainWindow::buildPacket()
{
    if (typedPayloadInvalid())
        return nullptr;
    auto *packet = new (std::nothrow) Packet;
    if (!packet) {
        slotWarningMessage(tr("错误"), tr("数据包内存申请失败"));
        return nullptr;
    }
    int tagLength = 0;
    if (ui->cb_tag->isChecked()) {
        packet->bytes[0] = PACKET_TAG;
        packet->bytes[1] = takeSid(sidField(ui->le_sid_min), sidField(ui->le_sid_max));
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

void MainWindow::normalizeTxLengths()
{
    const int shortest = qMax(ui->le_txLenMin->text().toInt(), 0);
    const int longest = qMax(qMin(ui->le_txLenMax->text().toInt(), PACKET_CAPACITY), shortest);
    ui->le_txLenMin->setText(QString::number(shortest));
    ui->le_txLenMax->setText(QString::number(longest));
    txLenMin = shortest;
    txLenMax = longest;
}

// A bad part stops the conversion but not the length: the bytes after it
// keep what they held, so a half-typed edit does not wipe the pattern. The
// editor says so in place: a box per keystroke would swallow the next keys.
void MainWindow::on_te_txData_textChanged()
{
    const QStringList parts = hexParts(ui->te_txData->toPlainText());
    txPattern.length = quint16(qMin(parts.size(), PACKET_CAPACITY));
    txPatternValid = true;
    for (int k = 0; k < parts.size() && txPatternValid; ++k) {
        const quint8 byte = quint8(parts.at(k).toUShort(&txPatternValid, 16)); // 0 when invalid
        if (k < PACKET_CAPACITY)
            txPattern.bytes[k] = byte;
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
    slotWarningMessage(tr("错误"), invalidPayloadText());
}

QString MainWindow::invalidPayloadText() const
{
    return tr("数据输入错误，请输入合法的十六进制数据");
}

// A random payload never depends on the text.
bool MainWindow::typedPayloadInvalid() const
{
    return !txPatternValid && !ui->cb_randData->isChecked();
}

// True, after one warning, when a send would carry a payload the editor does not show.
bool MainWindow::refuseInvalidPayload()
{
    if (!typedPayloadInvalid())
        return false;
    warnInvalidPayload();
    return true;
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
