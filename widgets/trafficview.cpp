#include "trafficview.h"

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCharFormat>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>

namespace {

QTextCharFormat lineFormat(const QColor &background, const QColor &foreground)
{
    QTextCharFormat format;
    if (background.isValid())
        format.setBackground(background);
    if (foreground.isValid())
        format.setForeground(foreground);
    return format;
}

// Sent frames plain, received ones on light blue, failed comparisons white on red.
const QTextCharFormat &formatOf(TrafficDirection direction, bool compareFailed)
{
    static const QTextCharFormat sent = lineFormat(QColor(), QColor());
    static const QTextCharFormat received = lineFormat(QColor(0x97, 0xc4, 0xf0), QColor());
    static const QTextCharFormat failed = lineFormat(QColor(0xa4, 0x00, 0x00), Qt::white);
    if (compareFailed)
        return failed;
    return direction == TrafficDirection::Received ? received : sent;
}

} // namespace

TrafficView::TrafficView(QPlainTextEdit *view, const TrafficLabels &labels)
    : QObject(view), view(view), words(labels)
{
    // Each draw would otherwise add its lines to an undo history that never ends.
    view->document()->setUndoRedoEnabled(false);
    // Hex needs no kerning or ligatures; shaping was a third of each line's layout.
    QFont font = view->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    view->setFont(font);
    drawTimer.setSingleShot(true);
    connect(&drawTimer, &QTimer::timeout, this, &TrafficView::draw);
    lastDraw.start();
    followNewest();
}

// The range grows once long lines are laid out, after a draw: the view follows
// it until someone scrolls away from the bottom, and again once they return.
void TrafficView::followNewest()
{
    QScrollBar *scrollBar = view->verticalScrollBar();
    connect(scrollBar, &QScrollBar::rangeChanged, this, [this, scrollBar](int, int maximum) {
        if (following)
            scrollBar->setValue(maximum);
    });
    connect(scrollBar, &QScrollBar::valueChanged, this,
            [this, scrollBar](int value) { following = value >= scrollBar->maximum(); });
}

void TrafficView::setLabels(const TrafficLabels &labels)
{
    draw();
    words = labels;
}

void TrafficView::add(const quint8 *bytes, quint16 count, TrafficDirection direction,
                      bool compareFailed, double stampMs)
{
    WaitingFrame &frame = nextSlot();
    frame.bytes.assign(bytes, bytes + count);
    frame.stampMs = stampMs;
    frame.direction = direction;
    frame.compareFailed = compareFailed;
    if (!drawTimer.isActive())
        drawTimer.start(
            int(std::max<qint64>(TRAFFIC_DRAW_MIN_MS, drawIntervalMs - lastDraw.elapsed())));
}

// Once the ring is full, the oldest frame could never be among the lines kept,
// so the newest takes its place.
TrafficView::WaitingFrame &TrafficView::nextSlot()
{
    if (waitingCount == TRAFFIC_VIEW_LINES) {
        WaitingFrame &slot = waiting[oldest];
        oldest = (oldest + 1) % TRAFFIC_VIEW_LINES;
        return slot;
    }
    const size_t slot = oldest + waitingCount++; // oldest is 0 until the ring is full
    if (slot == waiting.size())
        waiting.emplace_back();
    return waiting[slot];
}

// One edit for the whole draw, timed with its repaint: the view then waits
// TRAFFIC_DRAW_COST_FACTOR times that long before it draws again.
void TrafficView::draw()
{
    drawTimer.stop();
    if (waitingCount == 0)
        return;
    lastDraw.start();
    QScrollBar *scrollBar = view->verticalScrollBar();
    const bool followingNewest = following;
    QTextCursor cursor(view->document());
    cursor.beginEditBlock();
    insertWaiting(cursor);
    const int dropped = dropOldestLines(cursor);
    cursor.endEditBlock();
    // Someone reading older lines keeps them in sight until they are dropped too.
    scrollBar->setValue(followingNewest ? scrollBar->maximum() : scrollBar->value() - dropped);
    view->viewport()->repaint();
    drawIntervalMs = int(std::clamp<qint64>(lastDraw.elapsed() * TRAFFIC_DRAW_COST_FACTOR,
                                            TRAFFIC_DRAW_MIN_MS, TRAFFIC_DRAW_MAX_MS));
}

void TrafficView::insertWaiting(QTextCursor &cursor)
{
    cursor.movePosition(QTextCursor::End);
    const bool startsEmpty = view->document()->isEmpty();
    QString line; // one buffer for every line of the draw
    for (size_t i = 0; i < waitingCount; ++i) {
        const WaitingFrame &frame = waiting[(oldest + i) % TRAFFIC_VIEW_LINES];
        line.resize(0);
        if (i > 0 || !startsEmpty)
            line += QLatin1Char('\n'); // a new paragraph
        appendTrafficHeader(line, words, quint16(frame.bytes.size()), frame.direction,
                            frame.stampMs);
        appendHex(line, frame.bytes.data(), int(frame.bytes.size()));
        if (frame.compareFailed)
            line += QStringLiteral(" [ ") + words.failed + QStringLiteral(" ]");
        cursor.insertText(line, formatOf(frame.direction, frame.compareFailed));
    }
    oldest = 0;
    waitingCount = 0;
}

int TrafficView::dropOldestLines(QTextCursor &cursor)
{
    QTextDocument *document = view->document();
    const int excess = document->blockCount() - TRAFFIC_VIEW_LINES;
    if (excess <= 0)
        return 0;
    cursor.setPosition(0);
    cursor.setPosition(document->findBlockByNumber(excess).position(), QTextCursor::KeepAnchor);
    cursor.removeSelectedText();
    return excess;
}

void TrafficView::clear()
{
    drawTimer.stop();
    oldest = 0;
    waitingCount = 0;
    view->clear();
}
