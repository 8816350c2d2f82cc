// The traffic view: one coloured line of hexadecimal per frame, and the same
// line, plain, for the capture file.
#include "app/mainwindow.h"
#include "ui_mainwindow.h"

#include <QScrollBar>
#include <QTextBlockFormat>
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

QString trafficBody(const quint8 *bytes, quint16 count, TrafficDirection direction,
                    double stampMs)
{
    const QString label = direction == TrafficDirection::Sent ? MainWindow::tr("发")
                                                              : MainWindow::tr("收");
    return QStringLiteral("[ ") + label + QLatin1Char(' ') + QString::number(stampMs, 'f', 3)
           + QStringLiteral("ms , ") + QString::number(count) + MainWindow::tr("字节")
           + QStringLiteral(" ] ") + hexBytes(bytes, count);
}

QString trafficParagraph(const QString &body, TrafficDirection direction, bool compareFailed)
{
    if (compareFailed)
        return QStringLiteral("<span style=\"background:#a40000;color:#ffffff;\">") + body
               + QStringLiteral(" [ ") + MainWindow::tr("比较失败") + QStringLiteral(" ]</span>");
    if (direction == TrafficDirection::Received)
        return QStringLiteral("<span style=\"background:#97c4f0;\">") + body
               + QStringLiteral("</span>");
    return QStringLiteral("<span>") + body + QStringLiteral("</span>");
}

// What QTextEdit::append does per paragraph, inside one edit block so that
// the document is laid out once for the whole batch.
void appendParagraphs(QTextDocument *document, const QStringList &paragraphs)
{
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::End);
    cursor.beginEditBlock();
    for (const QString &html : paragraphs) {
        if (!document->isEmpty())
            cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
        cursor.insertHtml(html);
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
    cursor.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor, excess);
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
        queueTrafficParagraph(trafficParagraph(body, direction, compareFailed));
    if (captureStream)
        writeCaptureLine(body);
}

void MainWindow::queueTrafficParagraph(const QString &html)
{
    pendingTraffic << html;
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
    appendParagraphs(ui->txt_data->document(), pendingTraffic);
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
