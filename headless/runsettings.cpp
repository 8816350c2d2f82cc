#include "runsettings.h"
#include "engine/packet.h"
#include "shell/settingsschema.h"
#include "shell/texts.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int LONGEST_SHOWN_VALUE = 24; // a long payload is named, not quoted whole

// The file's bytes as QSettings gave them: INI is read as Latin-1, one
// character a byte, and only an escape gives a wider character.
QByteArray fileBytes(const QString &value)
{
    QByteArray bytes;
    for (const uint point : value.toUcs4())
        bytes += point <= 0xFF ? QByteArray(1, char(point)) : QString::fromUcs4(&point, 1).toUtf8();
    return bytes;
}

// The bytes of the UTF-8 character that lead begins, were it valid.
int utf8Length(uchar lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

// UTF-8 as text, any other byte as "\xff", so that a value is shown as the file holds it.
QString shown(const QString &value)
{
    const QByteArray bytes = fileBytes(value);
    QString text;
    for (int at = 0; at < bytes.size();) {
        const QByteArray character = bytes.mid(at, utf8Length(uchar(bytes[at])));
        const bool valid = QString::fromUtf8(character).toUtf8() == character;
        text += valid ? QString::fromUtf8(character)
                      : QStringLiteral("\\x%1").arg(uchar(bytes[at]), 2, 16, QLatin1Char('0'));
        at += valid ? character.size() : 1;
    }
    return text;
}

// Reads values through the schema, as the window does, and checks those the
// plan uses.
class SettingsReader
{
public:
    SettingsReader(const QString &path, const HeadlessPlan &plan);
    RunSettings read();

private:
    void readLine();
    void readFramedChoices();
    void readBitErrorTest();
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
        found.problems << Texts::tr("%1：无法按 INI 格式读取").arg(QFileInfo(path).fileName());
    found.english = storedFlag(settings, Setting::English);
    readLine();
    plan.send == HeadlessSend::BitErrorTest ? readBitErrorTest() : readFramedChoices();
    session.replyTimeoutMs =
        plan.replyTimeoutMs >= 0 ? plan.replyTimeoutMs : number(Setting::ReplyTimeout);
    session.frameLimit = plan.frameLimit;
    session.compare = plan.compare;
    session.stopOnError = storedFlag(settings, Setting::StopOnError);
    session.expectReplies = !plan.oneWay;
    session.reconnect = plan.reconnect;
    return found;
}

void SettingsReader::readFramedChoices()
{
    session.tag = plan.tag;
    // Checked with the tag off too: a file that does not read refuses the run.
    session.sidMin = quint8(number(Setting::SidMin));
    session.sidMax = quint8(number(Setting::SidMax));
    session.random = storedFlag(settings, Setting::RandomData);
    session.random ? readLengths() : readPayload();
    session.periodMs = plan.periodMs > 0                  ? plan.periodMs
                       : plan.send == HeadlessSend::Timed ? number(Setting::Period)
                                                          : 0;
}

// The file's framed choices mean nothing to a stream of bits: only its
// sequence is read, the command line's deciding; the line must carry bytes.
void SettingsReader::readBitErrorTest()
{
    const QString word = plan.prbs.isEmpty() ? storedText(settings, Setting::Prbs) : plan.prbs;
    if (const std::optional<PrbsSequence> sequence = prbsFromName(word.toStdString()))
        session.prbs = *sequence;
    else
        found.problems << Texts::tr("%1 不是 %2 之一")
                              .arg(describe(Setting::Prbs),
                                   QStringLiteral("prbs7, prbs9, prbs15, prbs23, prbs31"));
    if (session.line.dataBits() != 8)
        found.problems << Texts::tr("误码测试需要 8 个数据位");
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
            found.problems << Texts::tr("%1 不是 %2 之一")
                                  .arg(describe(setting), words.join(QStringLiteral(", ")));
    }
}

void SettingsReader::readPayload()
{
    const PayloadReading payload = storedPayload(settings);
    // As sent: a payload longer than a packet holds is cut.
    found.payloadText =
        storedText(settings, Setting::Payload).simplified().section(QLatin1Char(' '), 0, room - 1);
    session.payload = payload.bytes;
    if (!payload.valid) {
        found.problems << Texts::tr("%1：“%2”不是十六进制字节")
                              .arg(describe(Setting::Payload), shown(payload.badGroup));
        return;
    }
    if (payload.bytes.isEmpty() && !plan.tag)
        found.problems
            << Texts::tr("%1 为空且标签未开启：每个包都会是空的").arg(describe(Setting::Payload));
    if (payload.bytes.size() > room)
        found.warnings << Texts::tr("%1 有 %2 字节，只发送前 %3 字节")
                              .arg(describe(Setting::Payload),
                                   QString::number(payload.bytes.size()), QString::number(room));
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
        found.problems
            << Texts::tr("%1 且标签未开启：包会是空的").arg(describe(Setting::LengthMin));
    session.lengthMin = shortest;
    session.lengthMax = longest;
}

// A value outside the range, or no number at all, is a problem.
int SettingsReader::number(Setting setting)
{
    const NumberReading reading = storedNumber(settings, setting);
    const NumberRange &range = entryOf(setting).range;
    if (reading.problem == NumberReading::NotANumber)
        found.problems << Texts::tr("%1 不是整数").arg(describe(setting));
    else if (reading.problem == NumberReading::OutOfRange)
        found.problems << Texts::tr("%1 不在 %2..%3 之间")
                              .arg(describe(setting), QString::number(range.lowest),
                                   QString::number(range.highest));
    return reading.valid() ? int(reading.value) : 0;
}

void SettingsReader::warnIfTaken(Setting setting, int stored, int used)
{
    if (stored != used)
        found.warnings << Texts::tr("%1 按 %2 使用").arg(describe(setting), QString::number(used));
}

// "dv-ppp.ini: [control] sid-min = 300"
QString SettingsReader::describe(Setting setting) const
{
    QString value = shown(settings.value(pathOf(setting)).toString());
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
        return {{Texts::tr("%1：不是普通文件").arg(info.fileName())}, {}, {}, {}, {}};
    if (QFile file(path); info.exists() && !file.open(QIODevice::ReadOnly))
        return {{Texts::tr("%1：无法读取：%2").arg(info.fileName(), file.errorString())},
                {},
                {},
                {},
                {}};
    RunSettings settings = SettingsReader(path, plan).read();
    if (info.isSymLink() && !info.exists()) // a link left behind, likely by mistake
        settings.warnings.prepend(Texts::tr("%1 是指向 %2 的符号链接，而 %2 不存在：使用默认设置")
                                      .arg(info.fileName(), info.symLinkTarget()));
    return settings;
}

bool settingsSayEnglish(const QString &path)
{
    if (QFile file(path); !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    return storedFlag(QSettings(path, QSettings::IniFormat), Setting::English);
}
