// Holds every reply back by at least the same fixed time, so their order is kept.
#pragma once

#include "reply_builder.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>

#include <deque>

class DelayLine : public QObject
{
    Q_OBJECT
public:
    explicit DelayLine(int delayMs);

    // With no delay the reply is due at once, before push returns.
    void push(const Reply &reply);
    bool isEmpty() const { return waiting.empty(); }
    // Drops every reply still held back.
    void clear();

signals:
    void due(const Reply &reply);

private:
    struct Waiting {
        qint64 dueAtNs; // on the clock, in nanoseconds
        Reply reply;
    };

    void releaseDue();
    void armForFront();

    int delayMs;
    QElapsedTimer clock;
    std::deque<Waiting> waiting;
    QTimer timer;
};
