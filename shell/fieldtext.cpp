#include "fieldtext.h"

#include <QRegularExpression>
#include <QStringList>

namespace {

constexpr uint LARGEST_BYTE = 0xFF;

QStringList hexGroups(const QString &text)
{
    QStringList groups = text.split(QLatin1Char(' '));
    while (!groups.isEmpty() && groups.first().isEmpty())
        groups.removeFirst();
    while (!groups.isEmpty() && groups.last().isEmpty())
        groups.removeLast();
    return groups;
}

// As toLongLong reads it, but of any length.
bool isWholeNumber(const QString &text)
{
    static const QRegularExpression whole(QStringLiteral("^\\s*[+-]?[0-9]+\\s*$"));
    return whole.match(text).hasMatch();
}

} // namespace

NumberReading readNumber(const QString &text, NumberRange range)
{
    bool number = false;
    const qint64 value = text.toLongLong(&number, 10);
    if (!number) // too large for any integer is still out of range
        return {isWholeNumber(text) ? NumberReading::OutOfRange : NumberReading::NotANumber, 0};
    if (value < range.lowest || value > range.highest)
        return {NumberReading::OutOfRange, value};
    return {NumberReading::None, value};
}

PayloadReading readPayload(const QString &text)
{
    PayloadReading reading;
    const QStringList groups = hexGroups(text);
    reading.bytes.reserve(groups.size());
    for (const QString &group : groups) {
        bool hex = false;
        const uint byte = group.toUInt(&hex, 16);
        if (!hex || byte > LARGEST_BYTE)
            return {{}, group, false};
        reading.bytes.append(char(byte));
    }
    return reading;
}
