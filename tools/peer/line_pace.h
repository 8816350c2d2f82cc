// Lets bytes pass at a serial line's rate, baud / bits per character a
// second, as a real line would, so that a pseudo-terminal can stand for one.
#pragma once

#include <QElapsedTimer>

class LinePace
{
public:
    explicit LinePace(int charBits);

    // Bytes that may pass now at baud.
    qint64 allowance(qint64 baud);
    // Takes count bytes of the allowance.
    void spend(qint64 count) { credit -= double(count); }
    // Milliseconds until at least one more byte may pass, at least 1.
    int msUntilNext(qint64 baud) const;

private:
    double bytesPerSecond(qint64 baud) const { return double(baud) / charBits; }

    int charBits;
    QElapsedTimer clock;
    qint64 lastNs = 0;
    double credit = 0;
};
