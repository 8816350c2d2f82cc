// The traffic view: one coloured line of hexadecimal per frame, and the same
// line, plain, for the capture file.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

namespace {

// Lines reach the view in batches, one layout and one repaint per batch: at
// thousands of frames a second a paragraph per frame would stall sending.
constexpr int TRAFFIC_FLUSH_MS = 40;
// Should the event loop fall behind, the queue is flushed at once instead.
constexpr int TRAFFIC_MAX_PENDING = 1000;

QString hexBytes(const quint8 *bytes, int count)
{
    static const char digits[] = "0123456789ABCDEF";
    QString text(3 * count, QLatin1Char(' '));
    QChar *out = text.data();
    for (int i = 0; i < count; ++i) {
        out[3 * i + 1] = QLatin1Char(digits[bytes[i] >> 4]);
        out[3 * i + 2] = QLatin1Char(digits[bytes[i] & 0x0F]);
    }
    return text;
}

QString trafficBody(const quint8 *bytes, quint16 count, TrafficDirection direction, double stampMs)
{
    const QString label =
        direction == TrafficDirection::Sent ? MainWindow::tr("发") : MainWindow::tr("收");
    return QStringLiteral("[ ") + label + QLatin1Char(' ') + QString::number(stampMs, 'f', 3) +
           QStringLiteral("ms , ") + QString::number(count) + MainWindow::tr("字节") +
           QStringLiteral(" ] ") + hexBytes(bytes, count);
}

// The formats the HTML parser gives the spans "<span>", "<span style=
// "background:#97c4f0;">" and "<span style="background:#a40000;color:#ffffff;">".
QTextCharFormat spanFormat(const QString &background, const QString &foreground)
{
    QTextCharFormat format;
    if (!background.isEmpty())
        format.setBackground(QColor(background));
    if (!foreground.isEmpty())
        format.setForeground(QColor(foreground));
    return format;
}

// The view gets the line the HTML paragraph would give, without the parser,
// which cost a quarter of the time of each line: the span's style as the
// character format, runs of spaces collapsed as HTML does (the two before
// the first byte), and the failure marker inside the span.
TrafficLine viewLine(const QString &body, TrafficDirection direction, bool compareFailed)
{
    static const QTextCharFormat sent = spanFormat(QString(), QString());
    static const QTextCharFormat received = spanFormat(QStringLiteral("#97c4f0"), QString());
    static const QTextCharFormat failed =
        spanFormat(QStringLiteral("#a40000"), QStringLiteral("#ffffff"));
    if (compareFailed)
        return {body.simplified() + QStringLiteral(" [ ") + MainWindow::tr("比较失败") +
                    QStringLiteral(" ]"),
                failed};
    return {body.simplified(), direction == TrafficDirection::Received ? received : sent};
}

// What QTextEdit::append does per line, inside one edit block so that the
// document is laid out once for the whole batch.
void appendLines(QTextDocument *document, const QVector<TrafficLine> &lines)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const TrafficLine &line : lines) {
        if (!document->isEmpty())
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        cursor.insertText(line.text, line.format);
    }
    cursor.endEditBlock();
}

// A chunk at a time: removing lines at the top moves every line below, so
// dropping one line per append would cost the whole document each time.
void dropOldestLines(QTextDocument *document)
{
    const int excess = document->blockCount() - TRAFFIC_VIEW_LINES;
    if (excess <= TRAFFIC_TRIM_CHUNK)
        return;
    QTextCursor cursor(document);
    // One jump: stepping block by block would lay out every line passed.
    cursor.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
}

} // namespace

void MainWindow::showTraffic(const quint8 *bytes, quint16 count, TrafficDirection direction,
                             bool compareFailed, double stampMs)
{
    const bool shown =
        (direction == TrafficDirection::Sent ? ui->cb_txShow : ui->cb_rxShow)->isChecked();
    if (!shown && !captureStream)
        return;
    const QString body = trafficBody(bytes, count, direction, stampMs);
    if (shown)
        queueTrafficLine(viewLine(body, direction, compareFailed));
    if (captureStream)
        writeCaptureLine(body);
}

void MainWindow::prepareTrafficView()
{
    trafficFlushTimer.setSingleShot(true);
    connect(&trafficFlushTimer, &QTimer::timeout, this, [this] { flushTraffic(); });
    // Hex needs no kerning or ligatures; shaping was a third of each line's layout.
    QFont font = ui->txt_data->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    ui->txt_data->setFont(font);
}

void MainWindow::queueTrafficLine(const TrafficLine &line)
{
    pendingTraffic << line;
    if (pendingTraffic.size() >= TRAFFIC_MAX_PENDING)
        flushTraffic();
    else if (!trafficFlushTimer.isActive())
        trafficFlushTimer.start(TRAFFIC_FLUSH_MS);
}

void MainWindow::flushTraffic()
{
    trafficFlushTimer.stop();
    if (pendingTraffic.isEmpty())
        return;
    QScrollBar *scrollBar = ui->txt_data->verticalScrollBar();
    const bool followingNewest = scrollBar->value() >= scrollBar->maximum();
    ui->txt_data->setUpdatesEnabled(false);
    appendLines(ui->txt_data->document(), pendingTraffic);
    pendingTraffic.clear();
    dropOldestLines(ui->txt_data->document());
    if (followingNewest)
        scrollBar->setValue(scrollBar->maximum());
    ui->txt_data->setUpdatesEnabled(true);
}

void MainWindow::on_btn_showClear_clicked()
{
    trafficFlushTimer.stop();
    pendingTraffic.clear();
    ui->txt_data->clear();
}

void MainWindow::on_cb_wrap_clicked(bool checked)
{
    ui->txt_data->setLineWrapMode(checked ? QTextEdit::WidgetWidth : QTextEdit::NoWrap);
}
