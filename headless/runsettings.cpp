#include "runsettings.h"
#include "engine/fieldtext.h"
#include "engine/packet.h"

#include <QFile>
#include <QFileInfo>
#include <QSettings>

#include <climits>

namespace {

constexpr int LONGEST_SHOWN_VALUE = 24; // a long payload is named, not quoted whole

// Reads values as the window does, through the same readers, with the
// window's defaults.
class SettingsChecker
{
public:
    SettingsChecker(const QString &path, const HeadlessPlan &plan);
    SettingsCheck check();

private:
    void checkBaudRate();
    void checkLineChoice(const LineChoice &choice);
    void checkPeriod();
    void checkSid(const QString &key, const QString &fallback);
    void checkReplyTimeout();
    void checkPayload();
    void checkLengths();
    int readNumber(const QString &key, const QString &fallback, NumberRange range);
    void warnIfTaken(const QString &key, int stored, int used);
    QString describe(const QString &key) const;

    const QString path;
    const HeadlessPlan &plan;
    const int room; // payload bytes a packet holds after the tag
    QSettings settings;
    SettingsCheck found;
};

SettingsChecker::SettingsChecker(const QString &path, const HeadlessPlan &plan)
    : path(path), plan(plan), room(PACKET_CAPACITY - (plan.tag ? PACKET_TAG_LENGTH : 0)),
      settings(path, QSettings::IniFormat)
{
}

SettingsCheck SettingsChecker::check()
{
    if (settings.status() != QSettings::NoError)
        found.problems
            << QStringLiteral("%1: cannot be read as INI").arg(QFileInfo(path).fileName());
    if (plan.baud.isEmpty())
        checkBaudRate();
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        if (plan.line[choice].isEmpty())
            checkLineChoice(lineChoices()[choice]);
    }
    if (plan.send == HeadlessSend::Timed && plan.periodMs == 0)
        checkPeriod();
    if (plan.replyTimeoutMs < 0)
        checkReplyTimeout();
    if (plan.tag) {
        checkSid(QStringLiteral("control/sid-min"), QStringLiteral("1"));
        checkSid(QStringLiteral("control/sid-max"), QStringLiteral("2"));
    }
    if (settings.value(QStringLiteral("send/tx-rand-data"), false).toBool())
        checkLengths();
    else
        checkPayload();
    return found;
}

void SettingsChecker::checkBaudRate()
{
    readNumber(QStringLiteral("control/ser-baudrate"), QStringLiteral("115200"), BAUD_RANGE);
}

// The window would take an unknown word as the default, and test another line
// than the one the file names.
void SettingsChecker::checkLineChoice(const LineChoice &choice)
{
    const QString key = QStringLiteral("control/") + choice.settingsKey;
    if (settings.contains(key) && !choice.words.contains(settings.value(key).toString()))
        found.problems << describe(key) + QStringLiteral(" is not one of ") +
                              choice.words.join(QStringLiteral(", "));
}

void SettingsChecker::checkPeriod()
{
    readNumber(QStringLiteral("send/tx-time"), QStringLiteral("100"), PERIOD_MS_RANGE);
}

void SettingsChecker::checkSid(const QString &key, const QString &fallback)
{
    readNumber(key, fallback, SID_RANGE);
}

void SettingsChecker::checkReplyTimeout()
{
    readNumber(QStringLiteral("send/reply-timeout"), QStringLiteral("0"), REPLY_TIMEOUT_MS_RANGE);
}

void SettingsChecker::checkPayload()
{
    const QString key = QStringLiteral("send/tx-data");
    const PayloadReading payload =
        readPayload(settings.value(key, QStringLiteral("00 01 02 03 04 05 06 07")).toString());
    if (!payload.valid) {
        found.problems << describe(key) + QStringLiteral(": '%1' is no byte in hexadecimal")
                                              .arg(payload.badGroup);
        return;
    }
    if (payload.bytes.isEmpty() && !plan.tag)
        found.problems << describe(key) + QStringLiteral(" is empty and the tag is off: "
                                                         "every packet would be empty");
    if (payload.bytes.size() > room)
        found.warnings << describe(key) + QStringLiteral(" holds %1 bytes; the first %2 are sent")
                                              .arg(payload.bytes.size())
                                              .arg(room);
}

// As the packet builder takes them: the range clamped to what a packet holds,
// the longest never below the shortest.
void SettingsChecker::checkLengths()
{
    const QString shortestKey = QStringLiteral("send/tx-len-min");
    const QString longestKey = QStringLiteral("send/tx-len-max");
    const int shortest = readNumber(shortestKey, QStringLiteral("8"), LENGTH_RANGE);
    const int longest = readNumber(longestKey, QStringLiteral("8"), LENGTH_RANGE);
    const int usedShortest = qBound(0, shortest, room);
    warnIfTaken(shortestKey, shortest, usedShortest);
    warnIfTaken(longestKey, longest, qBound(usedShortest, longest, room));
    if (usedShortest == 0 && !plan.tag)
        found.problems << describe(shortestKey) +
                              QStringLiteral(" and the tag off give empty packets");
}

// A value outside the range, or no number at all, is a problem.
int SettingsChecker::readNumber(const QString &key, const QString &fallback, NumberRange range)
{
    const NumberReading reading = ::readNumber(settings.value(key, fallback).toString(), range);
    if (reading.problem == NumberReading::NotANumber)
        found.problems << describe(key) + QStringLiteral(" is not a number");
    else if (reading.problem == NumberReading::OutOfRange)
        found.problems
            << describe(key) +
                   QStringLiteral(" is outside %1..%2").arg(range.lowest).arg(range.highest);
    return reading.valid() ? int(reading.value) : 0;
}

void SettingsChecker::warnIfTaken(const QString &key, int stored, int used)
{
    if (stored != used)
        found.warnings << describe(key) + QStringLiteral(" is taken as %1").arg(used);
}

// "dv-ppp.ini: [control] sid-min = 300"
QString SettingsChecker::describe(const QString &key) const
{
    QString value = settings.value(key).toString();
    if (value.size() > LONGEST_SHOWN_VALUE)
        value = value.left(LONGEST_SHOWN_VALUE) + QStringLiteral("...");
    return QStringLiteral("%1: [%2] %3 = %4")
        .arg(QFileInfo(path).fileName(), key.section('/', 0, 0), key.section('/', 1), value);
}

} // namespace

// Only the file's type is asked before opening: opening a FIFO would block.
SettingsCheck checkRunSettings(const QString &path, const HeadlessPlan &plan)
{
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    if (!info.isFile())
        return {{QStringLiteral("%1: not a regular file").arg(info.fileName())}, {}};
    if (QFile file(path); !file.open(QIODevice::ReadOnly))
        return {{QStringLiteral("%1: cannot be read: %2").arg(info.fileName(), file.errorString())},
                {}};
    return SettingsChecker(path, plan).check();
}
