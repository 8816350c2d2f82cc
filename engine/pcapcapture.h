// The pcapng capture: every frame sent and received, and every frame the
// decoder refused, as packets Wireshark reads. Written through a buffer that
// goes out at least once a second, so that a killed run loses at most that.
#pragma once

#include "capture.h"

#include <QByteArray>
#include <QStringList>

class PcapCapture
{
public:
    // Opens path as a text capture does, and an earlier file is replaced at
    // the first packet (or now, through empty()). False, and why.
    bool open(const QString &path, QString &why);
    void empty();
    // The interface of a port on a line: described the first time it is asked for.
    quint32 interfaceOf(const QString &port, const QString &line);
    // At clockMs on the tool's clock; the file's time is the wall clock read
    // at the start plus the tool's clock since, so that it never goes back.
    // False, and why, when a full buffer could not be written.
    bool packet(quint32 interface, double clockMs, quint32 flags, const quint8 *bytes, int length,
                QString &why);
    // False, and why, when the buffer could not be written; the capture is
    // then closed.
    bool flush(QString &why);
    void close();

    bool isOpen() const { return file.isOpen(); }
    const QString &path() const { return file.path(); }

private:
    Capture file;
    QByteArray buffer;      // blocks not yet written
    bool begun = false;     // the file is this capture's: flushes write it
    QStringList interfaces; // "port\nline", in the order described
    qint64 startWallNs = 0;
    double startClockMs = 0;
};
