#include "settingsschema.h"
#include "serial/linesetting.h"

namespace {

constexpr NumberRange NONE{0, 0};

// clang-format off
const SettingEntry ENTRIES[] = {
    {"show", "english", "false", SettingKind::Flag, NONE, 0},
    {"show", "trxcmp", "false", SettingKind::Flag, NONE, 0},
    {"show", "auto-stop", "false", SettingKind::Flag, NONE, 0},
    {"show", "linewrap", "false", SettingKind::Flag, NONE, 0},
    {"show", "chart", "true", SettingKind::Flag, NONE, 0},
    {"control", "ser-baudrate", "115200", SettingKind::Number, BAUD_RANGE, 0},
    {"control", "ser-databits", "8", SettingKind::Choice, NONE, DATA_BITS},
    {"control", "ser-parity", "none", SettingKind::Choice, NONE, PARITY},
    {"control", "ser-stopbits", "1", SettingKind::Choice, NONE, STOP_BITS},
    {"control", "ser-flow", "none", SettingKind::Choice, NONE, FLOW_CONTROL},
    {"control", "tag-enable", "false", SettingKind::Flag, NONE, 0},
    {"control", "sid-min", "1", SettingKind::Number, SID_RANGE, 0},
    {"control", "sid-max", "2", SettingKind::Number, SID_RANGE, 0},
    {"send", "tx-rand-data", "false", SettingKind::Flag, NONE, 0},
    {"send", "tx-len-min", "8", SettingKind::Number, LENGTH_RANGE, 0},
    {"send", "tx-len-max", "8", SettingKind::Number, LENGTH_RANGE, 0},
    {"send", "tx-time", "100", SettingKind::Number, PERIOD_MS_RANGE, 0},
    {"send", "tx-data", "00 01 02 03 04 05 06 07", SettingKind::Payload, NONE, 0},
    {"send", "reply-timeout", "0", SettingKind::Number, REPLY_TIMEOUT_MS_RANGE, 0},
    {"send", "expect-replies", "true", SettingKind::Flag, NONE, 0},
    {"send", "prbs", "prbs15", SettingKind::Word, NONE, 0},
    {"show", "pcap-file", "", SettingKind::Word, NONE, 0},
    {"control", "reconnect", "false", SettingKind::Flag, NONE, 0},
};
// clang-format on

QVariant storedValue(const QSettings &settings, Setting setting)
{
    return settings.value(pathOf(setting), QString::fromLatin1(entryOf(setting).fallback));
}

} // namespace

const SettingEntry &entryOf(Setting setting)
{
    return ENTRIES[int(setting)];
}

QString pathOf(Setting setting)
{
    const SettingEntry &entry = entryOf(setting);
    return QLatin1String(entry.group) + QLatin1Char('/') + QLatin1String(entry.key);
}

Setting lineChoiceSetting(int choice)
{
    return Setting(int(Setting::DataBits) + choice);
}

QString storedText(const QSettings &settings, Setting setting)
{
    return storedValue(settings, setting).toString();
}

bool storedFlag(const QSettings &settings, Setting setting)
{
    return storedValue(settings, setting).toBool();
}

NumberReading storedNumber(const QSettings &settings, Setting setting)
{
    return readNumber(storedText(settings, setting), entryOf(setting).range);
}

PayloadReading storedPayload(const QSettings &settings)
{
    return readPayload(storedText(settings, Setting::Payload));
}

int storedChoice(const QSettings &settings, Setting setting)
{
    return lineChoices()[entryOf(setting).lineChoice].words.indexOf(storedText(settings, setting));
}

void store(QSettings &settings, Setting setting, const QVariant &value)
{
    settings.setValue(pathOf(setting), value);
}
