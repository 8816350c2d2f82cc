// An existing serial port, 8N1 without flow control.
#pragma once

#include "peer_link.h"

#include <QSerialPort>

class SerialLink : public PeerLink
{
    Q_OBJECT
public:
    SerialLink();

    // False with a message in error when the port cannot be opened.
    bool open(const QString &path, qint32 baud, QString &error);

    void send(const QByteArray &bytes) override;
    bool drained() const override;

private:
    void readAvailable();
    void reportError(QSerialPort::SerialPortError error);

    QSerialPort port;
    QString portPath; // as given: portName() drops the /dev/ prefix
};
