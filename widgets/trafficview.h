// The traffic view's queue and drawing: frames wait as raw bytes and become
// coloured lines of hex only when drawn. Under load the view draws less often,
// and a draw formats only the lines the view keeps, so that it costs what a
// person can see rather than what the link carries.
#pragma once

#include "engine/trafficline.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>

#include <vector>

class QPlainTextEdit;
class QTextCursor;

// The view keeps this many of the newest lines.
constexpr int TRAFFIC_VIEW_LINES = 8000;
// Lines wait at least this long, so that a burst is drawn at once...
constexpr int TRAFFIC_DRAW_MIN_MS = 40;
// ...and at most this long, however busy the link.
constexpr int TRAFFIC_DRAW_MAX_MS = 500;
// Draws start at least this many times the last draw's cost apart: the view
// takes at most a 40th of the time.
constexpr int TRAFFIC_DRAW_COST_FACTOR = 40;

class TrafficView : public QObject
{
public:
    // Owned by the view it draws into.
    TrafficView(QPlainTextEdit *view, const TrafficLabels &labels);

    const TrafficLabels &labels() const { return words; }
    // The lines already waiting are drawn first, in the words they came with.
    void setLabels(const TrafficLabels &labels);

    void add(const quint8 *bytes, quint16 count, TrafficDirection direction, bool compareFailed,
             double stampMs);
    // Draws every waiting line now.
    void draw();
    // Forgets the waiting lines and empties the view.
    void clear();

private:
    struct WaitingFrame {
        std::vector<quint8> bytes;
        double stampMs = 0;
        TrafficDirection direction = TrafficDirection::Sent;
        bool compareFailed = false;
    };

    void followNewest();
    WaitingFrame &nextSlot();
    void insertWaiting(QTextCursor &cursor);
    int dropOldestLines(QTextCursor &cursor);

    QPlainTextEdit *view;
    TrafficLabels words;
    // A ring of at most TRAFFIC_VIEW_LINES frames: more would never be shown.
    std::vector<WaitingFrame> waiting;
    size_t oldest = 0;
    size_t waitingCount = 0;
    QTimer drawTimer;
    QElapsedTimer lastDraw;
    int drawIntervalMs = TRAFFIC_DRAW_MIN_MS;
    bool following = true; // the newest line in sight
};
