// The texts of the send fields and of the settings behind them, read the one
// way that both the window and the headless check of the settings use, so that
// the same text never means one thing here and another there.
#pragma once

#include <QByteArray>
#include <QString>

#include <climits>

struct NumberRange {
    qint64 lowest;
    qint64 highest;
};

constexpr NumberRange SID_RANGE{0, 255};
constexpr NumberRange BAUD_RANGE{1, INT_MAX};
constexpr NumberRange PERIOD_MS_RANGE{1, INT_MAX};
constexpr NumberRange REPLY_TIMEOUT_MS_RANGE{0, INT_MAX}; // 0: wait forever
// Any whole number: the packet builder fits the random lengths to the packet.
constexpr NumberRange LENGTH_RANGE{INT_MIN, INT_MAX};

struct NumberReading {
    enum Problem { None, NotANumber, OutOfRange };
    Problem problem = None;
    qint64 value = 0; // meaningful when there is no problem
    bool valid() const { return problem == None; }
};

// A whole decimal number (sign and surrounding spaces allowed) within range.
NumberReading readNumber(const QString &text, NumberRange range);

struct PayloadReading {
    QByteArray bytes; // every byte of a valid text, however many
    QString badGroup; // the first group that is no byte in hexadecimal
    bool valid = true;
};

// Groups separated by single spaces (U+0020), each a byte in hexadecimal, 0 to
// FF; empty groups at either end are padding, empty groups in between errors.
PayloadReading readPayload(const QString &text);
