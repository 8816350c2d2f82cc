// The settings file: defaults, what a load puts where, what a save writes.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QProcess>
#include <QSettings>
#include <QtTest>

// A first start as {label, widget, its user property}; no widget: whether the title is English.
// clang-format off
static const char *const FIELDS[][3] = {
    {"control/ser-baudrate", "comb_bps", "115200"}, {"payload shown", "te_txData", "true"},
    {"control/sid-max", "le_sid_max", "2"}, {"control/sid-min", "le_sid_min", "1"},
    {"control/tag-enable", "cb_tag", "false"},
    {"send/tx-data", "te_txData", "00 01 02 03 04 05 06 07"},
    {"send/tx-len-max", "le_txLenMax", "8"}, {"send/tx-len-min", "le_txLenMin", "8"},
    {"send/tx-rand-data", "cb_randData", "false"}, {"send/tx-time", "le_txTm", "100"},
    {"show/auto-stop", "cb_autoStop", "false"}, {"show/english", "", "false"},
    {"show/linewrap", "cb_wrap", "false"}, {"show/trxcmp", "cb_trxCmp", "false"}};
// clang-format on

static QStringList storedLines() // sorted by key
{
    QSettings stored(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat);
    QStringList lines;
    for (const QString &key : stored.allKeys())
        lines << key + '=' + stored.value(key).toString();
    return lines;
}

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    // A load shows `file`, else the first start but for `changes`; the close saves all 13 keys.
    void loadShowsAndCloseSavesBack_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QStringList>("warnings");
        QTest::newRow("first start, no file") << QByteArray() << QString() << QStringList();
        QTest::newRow("texts kept, payload with line breaks warns, random data hides it")
            << QByteArray("[control]\nser-baudrate=250000\nsid-min=5\nsid-max=3\ntag-enable=true\n"
                          "[send]\ntx-data=\"01 02\\n03 04\\n\\n  05\"\ntx-time=soon\n"
                          "tx-rand-data=true\n[show]\nlinewrap=true\n")
            << QString("payload shown=false")
            << QStringList("错误: 数据输入错误，请输入合法的十六进制数据");
        QTest::newRow("lengths clamped, booleans 1, yes, TRUE, FALSE")
            << QByteArray("[send]\ntx-len-min=-3\ntx-len-max=9000\n[show]\nenglish=1\ntrxcmp=yes\n"
                          "auto-stop=TRUE\n[control]\ntag-enable=FALSE\n")
            << QString("send/tx-len-min=0;send/tx-len-max=4096;show/english=true;show/trxcmp=true;"
                       "show/auto-stop=true;control/tag-enable=false")
            << QStringList();
        QTest::newRow("unclosed group header: a FormatError, yet rewritten without a warning")
            << QByteArray("[show\nlinewrap=true\n") << QString() << QStringList();
    }
    void loadShowsAndCloseSavesBack()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, changes);
        QFETCH(QStringList, warnings);
        TestWorkDir dir;
        QFile raw(QStringLiteral("dv-ppp.ini"));
        QVERIFY(dir.isValid() && (file.isEmpty() || (raw.open(QIODevice::WriteOnly) &&
                                                     raw.write(file) > 0 && raw.flush())));
        const QStringList changed = changes.split(';') + storedLines();
        QStringList shown, expected;
        WarningCatcher catcher;
        MainWindow window;
        QCOMPARE(catcher.describe(), warnings);
        for (const auto &field : FIELDS) {
            const QString label = QString(field[0]) + '=';
            const auto *widget = *field[1] ? window.findChild<QWidget *>(field[1]) : nullptr;
            shown << label + (!widget ? QVariant(window.windowTitle().startsWith("Dravo Pakto "))
                              : !label.contains('/')
                                  ? QVariant(!widget->isHidden())
                                  : widget->metaObject()->userProperty().read(widget))
                                 .toString();
            expected << changed.filter(QRegularExpression('^' + label)).value(0, label + field[2]);
        }
        window.close();
        QCOMPARE(catcher.describe(), warnings);
        QCOMPARE(shown, expected);
        QCOMPARE(storedLines(), expected.filter("/"));
    }
    // No regular file is neither read nor written: the defaults, one warning, a language switch
    // that works. A link to a regular file is followed and stays a link. (The node: never
    // /dev/null.)
    void onlyRegularFileUsed_data()
    {
        QTest::addColumn<QString>("make");
        QTest::newRow("directory") << "mkdir dv-ppp.ini";
        QTest::newRow("FIFO") << "mkfifo dv-ppp.ini";
        QTest::newRow("link to a device")
            << "{ mknod node c 1 3 || ln -s /dev/null node; } && ln -s node dv-ppp.ini";
        QTest::newRow("link to a file") << "ln -s real.ini dv-ppp.ini";
    }
    void onlyRegularFileUsed()
    {
        QFETCH(QString, make);
        TestWorkDir dir;
        QSettings("real.ini", QSettings::IniFormat).setValue("send/tx-time", "250");
        QVERIFY(dir.isValid() && QProcess::execute("sh", {"-c", make}) == 0);
        const bool regular = make.endsWith("real.ini dv-ppp.ini");
        WarningCatcher warnings;
        MainWindow window;
        MainWindowProbe::ui(window)->btn_language->click();
        QCOMPARE(MainWindowProbe::ui(window)->le_txTm->text(), regular ? "250" : "100");
        QVERIFY(window.windowTitle().startsWith("Dravo "));
        window.close();
        QCOMPARE(warnings.describe(), regular ? QStringList() : QStringList("错误: 无法读取设置"));
        const QFileInfo after("dv-ppp.ini"); // followed: a replaced node would now be a file
        QVERIFY(after.isFile() == regular && after.isSymLink() == make.contains("ln -s"));
        QCOMPARE(QSettings("real.ini", QSettings::IniFormat).value("show/english").toBool(),
                 regular);
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
