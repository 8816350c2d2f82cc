#include "runsettings.h"
#include "engine/packet.h"
#include "shell/settingsschema.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int LONGEST_SHOWN_VALUE = 24; // a long payload is named, not quoted whole

// Reads values through the schema, as the window does, and checks those the
// plan uses.
class SettingsReader
{
public:
    SettingsReader(const QString &path, const HeadlessPlan &plan);
    RunSettings read();

private:
    void readLine();
    void readPayload();
    void readLengths();
    int number(Setting setting);
    void warnIfTaken(Setting setting, int stored, int used);
    QString describe(Setting setting) const;

    const QString path;
    const HeadlessPlan &plan;
    const int room; // payload bytes a packet holds after the tag
    QSettings settings;
    RunSettings found;
    SessionSettings &session = found.session;
};

SettingsReader::SettingsReader(const QString &path, const HeadlessPlan &plan)
    : path(path), plan(plan), room(PACKET_CAPACITY - (plan.tag ? PACKET_TAG_LENGTH : 0)),
      settings(path, QSettings::IniFormat)
{
}

// The command line, not the settings file, decides what the run compares,
// tags and expects, so that the same command line always runs the same test.
RunSettings SettingsReader::read()
{
    if (settings.status() != QSettings::NoError)
        found.problems
            << QStringLiteral("%1: cannot be read as INI").arg(QFileInfo(path).fileName());
    found.english = storedFlag(settings, Setting::English);
    readLine();
    session.tag = plan.tag;
    if (plan.tag) {
        session.sidMin = quint8(number(Setting::SidMin));
        session.sidMax = quint8(number(Setting::SidMax));
    }
    session.random = storedFlag(settings, Setting::RandomData);
    session.random ? readLengths() : readPayload();
    session.periodMs = plan.periodMs > 0                  ? plan.periodMs
                       : plan.send == HeadlessSend::Timed ? number(Setting::Period)
                                                          : 0;
    session.replyTimeoutMs =
        plan.replyTimeoutMs >= 0 ? plan.replyTimeoutMs : number(Setting::ReplyTimeout);
    session.frameLimit = plan.frameLimit;
    session.compare = plan.compare;
    session.stopOnError = storedFlag(settings, Setting::StopOnError);
    session.expectReplies = !plan.oneWay;
    return found;
}

// A word the window does not know would be taken as the default, and test
// another line than the one the file names.
void SettingsReader::readLine()
{
    session.line.baud = plan.baud.isEmpty() ? number(Setting::BaudRate) : plan.baud.toInt();
    for (int choice = 0; choice < LINE_CHOICES; ++choice) {
        const Setting setting = lineChoiceSetting(choice);
        const int stored = storedChoice(settings, setting);
        const QStringList &words = lineChoices()[choice].words;
        if (!plan.line[choice].isEmpty())
            session.line.choices[choice] = words.indexOf(plan.line[choice]);
        else if (stored >= 0)
            session.line.choices[choice] = stored;
        else
            found.problems << describe(setting) + QStringLiteral(" is not one of ") +
                                  words.join(QStringLiteral(", "));
    }
}

void SettingsReader::readPayload()
{
    const PayloadReading payload = storedPayload(settings);
    found.payloadText = storedText(settings, Setting::Payload).simplified();
    session.payload = payload.bytes;
    if (!payload.valid) {
        found.problems
            << describe(Setting::Payload) +
                   QStringLiteral(": '%1' is no byte in hexadecimal").arg(payload.badGroup);
        return;
    }
    if (payload.bytes.isEmpty() && !plan.tag)
        found.problems << describe(Setting::Payload) +
                              QStringLiteral(" is empty and the tag is off: "
                                             "every packet would be empty");
    if (payload.bytes.size() > room)
        found.warnings << describe(Setting::Payload) +
                              QStringLiteral(" holds %1 bytes; the first %2 are sent")
                                  .arg(payload.bytes.size())
                                  .arg(room);
}

// As the packet builder takes them: the range clamped to what a packet holds,
// the longest never below the shortest.
void SettingsReader::readLengths()
{
    found.payloadText = QStringLiteral("random");
    const int shortest = number(Setting::LengthMin);
    const int longest = number(Setting::LengthMax);
    const int usedShortest = qBound(0, shortest, room);
    warnIfTaken(Setting::LengthMin, shortest, usedShortest);
    warnIfTaken(Setting::LengthMax, longest, qBound(usedShortest, longest, room));
    if (usedShortest == 0 && !plan.tag)
        found.problems << describe(Setting::LengthMin) +
                              QStringLiteral(" and the tag off give empty packets");
    session.lengthMin = shortest;
    session.lengthMax = longest;
}

// A value outside the range, or no number at all, is a problem.
int SettingsReader::number(Setting setting)
{
    const NumberReading reading = storedNumber(settings, setting);
    const NumberRange &range = entryOf(setting).range;
    if (reading.problem == NumberReading::NotANumber)
        found.problems << describe(setting) + QStringLiteral(" is not a number");
    else if (reading.problem == NumberReading::OutOfRange)
        found.problems
            << describe(setting) +
                   QStringLiteral(" is outside %1..%2").arg(range.lowest).arg(range.highest);
    return reading.valid() ? int(reading.value) : 0;
}

void SettingsReader::warnIfTaken(Setting setting, int stored, int used)
{
    if (stored != used)
        found.warnings << describe(setting) + QStringLiteral(" is taken as %1").arg(used);
}

// "dv-ppp.ini: [control] sid-min = 300"
QString SettingsReader::describe(Setting setting) const
{
    QString value = settings.value(pathOf(setting)).toString();
    if (value.size() > LONGEST_SHOWN_VALUE)
        value = value.left(LONGEST_SHOWN_VALUE) + QStringLiteral("...");
    return QStringLiteral("%1: [%2] %3 = %4")
        .arg(QFileInfo(path).fileName(), QLatin1String(entryOf(setting).group),
             QLatin1String(entryOf(setting).key), value);
}

} // namespace

// Only the file's type is asked before opening: opening a FIFO would block.
RunSettings readRunSettings(const QString &path, const HeadlessPlan &plan)
{
    const QFileInfo info(path);
    if (info.exists() && !info.isFile())
        return {{QStringLiteral("%1: not a regular file").arg(info.fileName())}, {}, {}, {}, {}};
    if (QFile file(path); info.exists() && !file.open(QIODevice::ReadOnly))
        return {{QStringLiteral("%1: cannot be read: %2").arg(info.fileName(), file.errorString())},
                {},
                {},
                {},
                {}};
    return SettingsReader(path, plan).read();
}

bool settingsSayEnglish(const QString &path)
{
    if (QFile file(path); !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return storedFlag(QSettings(path, QSettings::IniFormat), Setting::English);
}
