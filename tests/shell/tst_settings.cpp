// The settings file: defaults, what a load puts where, what a save writes.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QPlainTextEdit>
#include <QSettings>
#include <QtTest>

namespace {

const QString SETTINGS_FILE = QStringLiteral("dv-ppp.ini");

const QStringList ALL_KEYS = {
    QStringLiteral("control/ser-baudrate"), QStringLiteral("control/sid-max"),
    QStringLiteral("control/sid-min"),      QStringLiteral("control/tag-enable"),
    QStringLiteral("send/tx-data"),         QStringLiteral("send/tx-len-max"),
    QStringLiteral("send/tx-len-min"),      QStringLiteral("send/tx-rand-data"),
    QStringLiteral("send/tx-time"),         QStringLiteral("show/auto-stop"),
    QStringLiteral("show/english"),         QStringLiteral("show/linewrap"),
    QStringLiteral("show/trxcmp"),
};

void writeSettings(const QMap<QString, QString> &values)
{
    QSettings settings(SETTINGS_FILE, QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

QString storedText(const QString &key)
{
    return QSettings(SETTINGS_FILE, QSettings::IniFormat).value(key).toString();
}

QStringList storedKeys()
{
    QStringList keys = QSettings(SETTINGS_FILE, QSettings::IniFormat).allKeys();
    keys.sort();
    return keys;
}

// What a user sees of one widget: "shown" is whether it is hidden or not,
// "editable" whether it is enabled once the send group is (that group stays
// off until a port opens), "englishTitle" whether the window title is the
// English one; anything else is the widget's Qt property of that name.
QVariant observe(MainWindow &window, const QString &objectName, const QByteArray &what)
{
    if (what == "englishTitle")
        return window.windowTitle().startsWith(QStringLiteral("Dravo Pakto Debugger "));
    auto *widget = window.findChild<QWidget *>(objectName);
    if (!widget)
        return QStringLiteral("no widget %1").arg(objectName);
    if (what == "shown")
        return !widget->isHidden();
    if (what == "editable")
        return !widget->testAttribute(Qt::WA_ForceDisabled);
    return widget->property(what);
}

void addDefaultColumns()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QByteArray>("what");
    QTest::addColumn<QVariant>("shown");
    QTest::addColumn<QString>("stored");
}

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartShowsDefaults_data();
    void firstStartShowsDefaults();
    void closeWritesEveryKey_data();
    void closeWritesEveryKey();
    void storedValueLoadsAndSavesBack_data();
    void storedValueLoadsAndSavesBack();
    void unwritableFileWarnsOnce();
    void malformedFileIsRewrittenWithoutWarning();
    void unattendedRunLeavesTheFileAlone();
};

// Every key with its default as the widget shows it and as the file holds it.
void SettingsTest::firstStartShowsDefaults_data()
{
    addDefaultColumns();
    const auto row = [](const char *name, const char *key, const char *widget, const char *what,
                        const QVariant &shown, const char *stored) {
        QTest::newRow(name) << QString::fromLatin1(key) << QString::fromLatin1(widget)
                            << QByteArray(what) << shown << QString::fromLatin1(stored);
    };
    row("english off", "show/english", "", "englishTitle", false, "false");
    row("comparison off", "show/trxcmp", "cb_trxCmp", "checked", false, "false");
    row("stop on error off", "show/auto-stop", "cb_autoStop", "checked", false, "false");
    row("line wrap off", "show/linewrap", "cb_wrap", "checked", false, "false");
    row("baud rate", "control/ser-baudrate", "comb_bps", "currentText", "115200", "115200");
    row("lowest SID", "control/sid-min", "le_sid_min", "text", "1", "1");
    row("highest SID", "control/sid-max", "le_sid_max", "text", "2", "2");
    row("tag off", "control/tag-enable", "cb_tag", "checked", false, "false");
    row("random data off", "send/tx-rand-data", "cb_randData", "checked", false, "false");
    row("shortest length", "send/tx-len-min", "le_txLenMin", "text", "8", "8");
    row("longest length", "send/tx-len-max", "le_txLenMax", "text", "8", "8");
    row("period", "send/tx-time", "le_txTm", "text", "100", "100");
    row("payload", "send/tx-data", "te_txData", "plainText", "00 01 02 03 04 05 06 07",
        "00 01 02 03 04 05 06 07");
    row("payload editor shown", "send/tx-rand-data", "te_txData", "shown", true, "false");
    row("shortest length editable", "send/tx-rand-data", "le_txLenMin", "editable", true, "false");
    row("longest length editable", "send/tx-rand-data", "le_txLenMax", "editable", true, "false");
}

void SettingsTest::firstStartShowsDefaults()
{
    QFETCH(QString, widget);
    QFETCH(QByteArray, what);
    QFETCH(QVariant, shown);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    WarningCatcher warnings;
    MainWindow window;
    QCOMPARE(observe(window, widget, what), shown);
    QCOMPARE(warnings.count(), 0);
}

void SettingsTest::closeWritesEveryKey_data()
{
    firstStartShowsDefaults_data();
}

void SettingsTest::closeWritesEveryKey()
{
    QFETCH(QString, key);
    QFETCH(QString, stored);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    {
        WarningCatcher warnings;
        MainWindow window;
        window.close();
    }
    QCOMPARE(storedKeys(), ALL_KEYS);
    QCOMPARE(storedText(key), stored);
}

// One key in an otherwise empty file: the widget shows it after the load, and
// the save on close writes all thirteen keys with this one as the widget had it.
void SettingsTest::storedValueLoadsAndSavesBack_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QByteArray>("what");
    QTest::addColumn<QVariant>("shown");
    QTest::addColumn<QString>("savedBack");
    QTest::addColumn<QStringList>("warnings");
    const auto row = [](const char *name, const char *key, const QString &value, const char *widget,
                        const char *what, const QVariant &shown, const QString &savedBack,
                        const QStringList &warnings = {}) {
        QTest::newRow(name) << QString::fromLatin1(key) << value << QString::fromLatin1(widget)
                            << QByteArray(what) << shown << savedBack << warnings;
    };
    // Only spaces separate the parts, so any line break makes the parser warn.
    const QStringList badHex{QStringLiteral("错误: 数据输入错误，请输入合法的十六进制数据")};
    const QString multiLine = QStringLiteral("01 02\n03 04\n\n  05");
    row("baud rate outside the list", "control/ser-baudrate", "250000", "comb_bps", "currentText",
        "250000", "250000");
    row("multi-line payload", "send/tx-data", multiLine, "te_txData", "plainText", multiLine,
        multiLine, badHex);
    row("invalid payload stays", "send/tx-data", "0G 11", "te_txData", "plainText", "0G 11",
        "0G 11", badHex);
    row("length below zero", "send/tx-len-min", "-3", "le_txLenMin", "text", "0", "0");
    row("length above capacity", "send/tx-len-max", "9000", "le_txLenMax", "text", "4096", "4096");
    row("SID range reversed, low end", "control/sid-min", "5", "le_sid_min", "text", "5", "5");
    row("SID range reversed, high end", "control/sid-max", "3", "le_sid_max", "text", "3", "3");
    row("period not a number", "send/tx-time", "soon", "le_txTm", "text", "soon", "soon");
    row("english FALSE", "show/english", "FALSE", "", "englishTitle", false, "false");
    row("english 1", "show/english", "1", "", "englishTitle", true, "true");
    row("english yes", "show/english", "yes", "", "englishTitle", true, "true");
    row("comparison TRUE", "show/trxcmp", "TRUE", "cb_trxCmp", "checked", true, "true");
    row("comparison 0", "show/trxcmp", "0", "cb_trxCmp", "checked", false, "false");
    row("stop on error yes", "show/auto-stop", "yes", "cb_autoStop", "checked", true, "true");
    row("line wrap on", "show/linewrap", "true", "cb_wrap", "checked", true, "true");
    row("tag on", "control/tag-enable", "1", "cb_tag", "checked", true, "true");
    row("random data hides the payload", "send/tx-rand-data", "true", "te_txData", "shown", false,
        "true");
    row("random data locks the shortest length", "send/tx-rand-data", "true", "le_txLenMin",
        "editable", false, "true");
    row("random data locks the longest length", "send/tx-rand-data", "true", "le_txLenMax",
        "editable", false, "true");
}

void SettingsTest::storedValueLoadsAndSavesBack()
{
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, widget);
    QFETCH(QByteArray, what);
    QFETCH(QVariant, shown);
    QFETCH(QString, savedBack);
    QFETCH(QStringList, warnings);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    writeSettings({{key, value}});
    {
        WarningCatcher catcher;
        MainWindow window;
        QCOMPARE(catcher.describe(), warnings);
        QCOMPARE(observe(window, widget, what), shown);
        window.close();
    }
    QCOMPARE(storedKeys(), ALL_KEYS);
    QCOMPARE(storedText(key), savedBack);
}

// Root ignores permission bits, so a directory stands in for a file that
// cannot be written.
void SettingsTest::unwritableFileWarnsOnce()
{
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(QDir().mkdir(SETTINGS_FILE));
    WarningCatcher warnings;
    MainWindow window;
    QCOMPARE(warnings.count(), 0);
    window.close();
    QCOMPARE(warnings.describe(), QStringList{QStringLiteral("错误: 无法保存设置")});
}

// A file hand-edited while the tool runs is read afresh by the save; an
// unclosed group header reads as a format error, yet the file is still
// written, so that is no reason to tell the user the save failed.
void SettingsTest::malformedFileIsRewrittenWithoutWarning()
{
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    WarningCatcher warnings;
    {
        MainWindow window;
        QFile file(SETTINGS_FILE);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.write("[show\nlinewrap=true\n") > 0);
        file.close();
        window.close();
    }
    QCOMPARE(warnings.describe(), QStringList());
    QCOMPARE(storedKeys(), ALL_KEYS);
}

void SettingsTest::unattendedRunLeavesTheFileAlone()
{
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    WindowOptions options;
    options.unattended = true;
    {
        WarningCatcher warnings;
        MainWindow window(nullptr, options);
        window.close();
    }
    QVERIFY(!QFile::exists(SETTINGS_FILE));
}

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
