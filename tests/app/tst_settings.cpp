// The settings file: defaults, what a load puts where, what a save writes.
#include "windowface.h"

#include <QPlainTextEdit>

#include <QProcess>
#include <QScopeGuard>
#include <QSettings>

// What a first start saves, sorted by key.
static const QStringList DEFAULTS =
    QString("control/reconnect=false;control/ser-baudrate=115200;control/ser-databits=8;"
            "control/ser-flow=none;control/ser-parity=none;control/ser-stopbits=1;"
            "control/sid-max=2;control/sid-min=1;control/tag-enable=false;send/prbs=prbs15;"
            "send/tx-data=00 01 02 03 04 05 06 07;send/tx-len-max=8;send/tx-len-min=8;"
            "send/tx-rand-data=false;send/tx-time=100;show/auto-stop=false;show/chart=true;"
            "show/english=false;show/linewrap=false;show/pcap-file=;show/trxcmp=false")
        .split(';');

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
    // After `make`, a load, a language switch and the close save the first start's 21 keys but
    // for `changes` and the file's. No regular file is read or written; a link to one is followed
    // and stays a link. (Never /dev/null.)
    void loadSwitchAndClose_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("changes");
        QTest::addColumn<QString>("warning");
        // clang-format off
        const auto row = [](const char *name, const char *make, const char *changes = "", const char *warning = "") {
            QTest::newRow(name) << QString(make) << QString(changes) << QString(warning);
        };
        const char *unreadable = "错误: 无法读取设置文件 ./dv-ppp.ini：不是普通文件";
        row("first start, no file", "true");
        row("texts kept, payload with line breaks warns, random data hides it",
            R"(printf '[control]\nser-baudrate=250000\nsid-min=5\nsid-max=3\ntag-enable=true\n)"
            R"([send]\ntx-data="01 02\\n03 04\\n\\n  05"\ntx-time=soon\ntx-rand-data=true\nprbs=prbs31\n[show]\nlinewrap=true\npcap-file=k.pcapng\n' > dv-ppp.ini)",
            "", "错误: 数据输入错误，请输入合法的十六进制数据\n“02\n03”不是 00 到 FF 之间的十六进制字节");
        row("lengths clamped, booleans 1, yes, TRUE, FALSE",
            R"(printf '[send]\ntx-len-min=-3\ntx-len-max=9000\n[show]\nenglish=1\ntrxcmp=yes\nauto-stop=TRUE\nchart=0\n[control]\ntag-enable=FALSE\nreconnect=yes\n' > dv-ppp.ini)",
            "control/reconnect=true;send/tx-len-min=0;send/tx-len-max=4096;show/english=true;show/trxcmp=true;show/auto-stop=true;show/chart=false;control/tag-enable=false");
        row("line choices kept, an unknown word taken as the default",
            R"(printf '[control]\nser-databits=6\nser-parity=evn\nser-stopbits=2\nser-flow=xonxoff\n[send]\nprbs=PRBS7\n' > dv-ppp.ini)", "control/ser-parity=none;send/prbs=prbs15");
        row("unclosed group header: a FormatError, yet rewritten without a warning", R"(printf '[show\nlinewrap=true\n' > dv-ppp.ini)");
        row("directory", "mkdir dv-ppp.ini", "", unreadable);
        row("FIFO", "mkfifo dv-ppp.ini", "", unreadable);
        row("link to a device", "{ mknod node c 1 3 || ln -s /dev/null node; } && ln -s node dv-ppp.ini", "", unreadable);
        row("link to a file", R"(printf '[send]\ntx-time=250\n' > f && ln -s f dv-ppp.ini)");
        // clang-format on
    }
    void loadSwitchAndClose()
    {
        QFETCH(QString, make);
        QFETCH(QString, changes);
        QFETCH(QString, warning);
        TestWorkDir dir;
        QVERIFY(dir.isValid());
        QCOMPARE(QProcess::execute("sh", {"-c", make}), 0);
        const bool regular = !QFileInfo::exists("dv-ppp.ini") || QFileInfo("dv-ppp.ini").isFile();
        const QStringList changed = changes.split(';') + (regular ? storedLines() : QStringList());
        QStringList expected;
        for (const QString &line : DEFAULTS) {
            const QString key = line.section('=', 0, 0) + '=';
            expected << changed.filter(QRegularExpression('^' + key)).value(0, line);
        }
        const bool english = !expected.contains("show/english=true"); // after the switch
        expected.replaceInStrings("english=" + QVariant(!english).toString(),
                                  "english=" + QVariant(english).toString());
        WarningCatcher catcher;
        MainWindow window;
        QCOMPARE(child<QWidget>(window, "te_txData")->isHidden(),
                 expected.contains("send/tx-rand-data=true"));
        QCOMPARE(child<QPlainTextEdit>(window, "txt_data")->lineWrapMode() !=
                     QPlainTextEdit::NoWrap,
                 expected.contains("show/linewrap=true"));
        QCOMPARE(child<QWidget>(window, "plot_chart")->isHidden(),
                 expected.contains("show/chart=false"));
        child(window, "btn_language")->click();
        QCOMPARE(window.windowTitle().startsWith("Dravo Pakto "), english);
        child<QLineEdit>(window, "le_txTm")
            ->setText("321"); // after the switch saved: only the close saves this
        expected.replaceInStrings(QRegularExpression("^send/tx-time=.*"), "send/tx-time=321");
        window.close();
        QCOMPARE(catcher.describe().join('\n'), warning); // at start-up; none later
        const QFileInfo after("dv-ppp.ini"); // followed: a replaced node would now be a file
        QCOMPARE(after.isFile(), regular);
        QCOMPARE(after.isSymLink(), make.contains("ln -s"));
        if (regular)
            QCOMPARE(storedLines(), expected);
    }

    // In a folder that cannot be written (read-only, or without write permission where not
    // root) the switches happen; the failed save is said once, with the file and why.
    void switchInAFolderThatCannotBeWritten()
    {
        TestWorkDir dir;
        QVERIFY(QDir().mkdir("locked"));
        const auto unmount = qScopeGuard([&] { // from outside it
            QDir::setCurrent(dir.path()) && QProcess::execute("umount", {"locked"});
        });
        if (QProcess::execute("mount", {"-t", "tmpfs", "-o", "ro,size=8k", "tmpfs", "locked"}) != 0)
            QVERIFY(QFile::setPermissions("locked", QFile::ReadOwner | QFile::ExeOwner));
        QVERIFY(QDir::setCurrent("locked"));
        WarningCatcher catcher;
        MainWindow window;
        QStringList titles;
        for (int press = 0; press < 2; ++press) {
            child(window, "btn_language")->click();
            titles << window.windowTitle().left(5);
        }
        window.close();
        QCOMPARE(titles.join(' '), "Dravo 德瑞 Pa");
        QVERIFY2(QRegularExpression("^错误: 无法保存设置文件 ./dv-ppp.ini：(Read-only file system|"
                                    "Permission denied)$")
                     .match(catcher.describe().join('\n'))
                     .hasMatch(),
                 qPrintable(catcher.describe().join('\n')));
    }
};

QTEST_MAIN(SettingsTest)
#include "tst_settings.moc"
