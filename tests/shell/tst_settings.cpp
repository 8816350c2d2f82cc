// The settings file: defaults, what a load puts where, what a save writes.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

namespace {

// A first start as {label, widget, property, text}: the thirteen keys (no widget:
// whether the title is English), then whether the payload editor is shown.
const char *const FIELDS[][4] = {
    {"control/ser-baudrate", "comb_bps", "currentText", "115200"},
    {"control/sid-max", "le_sid_max", "text", "2"},
    {"control/sid-min", "le_sid_min", "text", "1"},
    {"control/tag-enable", "cb_tag", "checked", "false"},
    {"send/tx-data", "te_txData", "plainText", "00 01 02 03 04 05 06 07"},
    {"send/tx-len-max", "le_txLenMax", "text", "8"},
    {"send/tx-len-min", "le_txLenMin", "text", "8"},
    {"send/tx-rand-data", "cb_randData", "checked", "false"},
    {"send/tx-time", "le_txTm", "text", "100"},
    {"show/auto-stop", "cb_autoStop", "checked", "false"},
    {"show/english", "", "", "false"},
    {"show/linewrap", "cb_wrap", "checked", "false"},
    {"show/trxcmp", "cb_trxCmp", "checked", "false"},
    {"payload shown", "te_txData", "", "true"}};

} // namespace

class SettingsTest : public QObject
{
    Q_OBJECT

private slots:
    // After a load of `file` the fields show what it holds, else what a first start shows, but
    // for `changes` ("label=text;..."); the close writes all thirteen keys as they show.
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
        const auto storedLines = [] { // sorted by key
            QSettings stored(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat);
            QStringList lines;
            for (const QString &key : stored.allKeys())
                lines << key + '=' + stored.value(key).toString();
            return lines;
        };
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
            QVERIFY2(widget || !*field[1], field[1]);
            shown << label + (!widget ? QVariant(window.windowTitle().startsWith("Dravo Pakto "))
                              : *field[2] ? widget->property(field[2])
                                          : QVariant(!widget->isHidden()))
                                 .toString();
            const QStringList match = changed.filter(QRegularExpression('^' + label));
            expected << (match.isEmpty() ? label + field[3] : match.first());
        }
        window.close();
        QCOMPARE(catcher.describe(), warnings);
        QCOMPARE(shown, expected);
        QCOMPARE(storedLines(), expected.filter("/"));
    }

    void unwritableFileWarnsOnce()
    {
        TestWorkDir dir;
        QVERIFY(dir.isValid() && QDir().mkdir("dv-ppp.ini")); // a directory: root writes any file
        WarningCatcher warnings;
        MainWindow window;
        window.close();
        QCOMPARE(warnings.describe(), QStringList(QStringLiteral("错误: 无法保存设置")));
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
