// Turns SIGINT and SIGTERM into a Qt signal. The handler only writes the
// signal number into a pipe; the event loop reads it and does the work.
#pragma once

#include <QObject>
#include <QSocketNotifier>

#include <memory>

class SignalWatch : public QObject
{
    Q_OBJECT
public:
    SignalWatch() = default;
    ~SignalWatch() override;

    // False with a message in error when the handlers cannot be installed.
    bool install(QString &error);

signals:
    void caught(int signalNumber);

private:
    static void handle(int signalNumber);
    void readPipe();

    static inline int pipeEnds[2] = {-1, -1};
    std::unique_ptr<QSocketNotifier> notifier;
};
