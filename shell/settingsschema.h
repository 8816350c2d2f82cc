// The settings file, dv-ppp.ini in the working directory: every key once,
// with its group, its default and how its text is read. The window loads and
// saves through it, and a headless run checks and reads it the same way.
#pragma once

#include "fieldtext.h"

#include <QSettings>
#include <QString>
#include <QVariant>

enum class Setting {
    English,
    CompareReplies,
    StopOnError,
    LineWrap,
    Chart,
    BaudRate,
    DataBits, // the four line choices, in the order of lineChoices()
    Parity,
    StopBits,
    FlowControl,
    TagEnable,
    SidMin,
    SidMax,
    RandomData,
    LengthMin,
    LengthMax,
    Period,
    Payload,
    ReplyTimeout,
    ExpectReplies,
    Prbs,      // the bit error test's sequence: prbs7 .. prbs31
    PcapFile,  // the window's last pcapng capture, which its save dialog offers
    Reconnect, // the window's port lost while open is waited for and opened again
};

enum class SettingKind { Flag, Number, Payload, Choice, Word };

struct SettingEntry {
    const char *group;
    const char *key;
    const char *fallback; // what a file without the key means
    SettingKind kind;
    NumberRange range; // of a number
    int lineChoice;    // of a choice: its index in lineChoices()
};

const QString SETTINGS_FILE_NAME = QStringLiteral("dv-ppp.ini");

const SettingEntry &entryOf(Setting setting);
// "control/sid-min", as QSettings names it.
QString pathOf(Setting setting);
// The line choice's setting: DataBits for its first.
Setting lineChoiceSetting(int choice);

// The stored text, or the default where the file has none.
QString storedText(const QSettings &settings, Setting setting);
// True unless empty, 0 or false (in any case).
bool storedFlag(const QSettings &settings, Setting setting);
NumberReading storedNumber(const QSettings &settings, Setting setting);
PayloadReading storedPayload(const QSettings &settings);
// The index of the stored word among the choice's words; -1: not one of them.
int storedChoice(const QSettings &settings, Setting setting);
void store(QSettings &settings, Setting setting, const QVariant &value);
