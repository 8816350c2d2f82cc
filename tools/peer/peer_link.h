// Where the peer's bytes come from and go to: a serial port or a
// pseudo-terminal of its own.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

class PeerLink : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void send(const QByteArray &bytes) = 0;
    // True once everything sent has left the peer and, where the peer can
    // tell, has been read by the tool.
    virtual bool drained() const = 0;

signals:
    void received(const QByteArray &bytes);
    void failed(const QString &why);
    // The far end went away, and came back as a new line.
    void vanished();
    void returned();
};
