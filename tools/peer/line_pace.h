// Lets bytes pass at a serial line's rate, baud / bits per character a
// second, as a real line would, so that a pseudo-terminal can stand for one.
#pragma once

#include <QElapsedTimer>

class LinePace
{
public:
    explicit LinePace(int charBits);

    // Bytes of wanted that may pass now at baud: all of them or a packet's
    // worth at least, else none.
    qint64 allowance(qint64 baud, qint64 wanted);
    // Takes count bytes of the allowance.
    void spend(qint64 count) { credit -= double(count); }
    // Milliseconds until a packet's worth may pass, at least 1.
    int msUntilNext(qint64 baud) const;

private:
    double bytesPerSecond(qint64 baud) const { return double(baud) / charBits; }
    double packetBytes(qint64 baud) const;

    int charBits;
    QElapsedTimer clock;
    qint64 lastNs = 0;
    double credit = 0;
};
