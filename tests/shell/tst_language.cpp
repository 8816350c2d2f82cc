// The interface language: window title, widget texts and the language button.
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

static const QString SITE = "https://www.example.com/pakto";
static const QString CN_TITLE = "德瑞 Pakto 调试助手 v2024.0808" + QString(30, ' ') + SITE;
static const QString EN_TITLE = "Dravo Pakto Debugger v2024.0808" + QString(27, ' ') + SITE;
// clang-format off
static const char *const EDITED[][3] = { // {widget, property, text}, reset by the text routine
    {"le_sid_min", "text", "2"}, {"le_sid_max", "text", "1"}, {"le_txLenMin", "text", "16"},
    {"le_txLenMax", "text", "32"}, {"le_txTm", "text", "250"},
    {"comb_bps", "currentText", "250000"}, {"te_txData", "plainText", "AA BB CC"}};
// clang-format on

class LanguageTest : public QObject
{
    Q_OBJECT

private slots:
    // Open the port (and start a send mode), edit every field, press the language button: the
    // title, a text, the captions telling the state, Qt's own Close, the fields, the flag stored.
    void switchesKeepEditedFields_data()
    {
        QTest::addColumn<bool>("englishFile");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("running");  // a send mode's button, "open" or none
        QTest::addColumn<QString>("captions"); // port, answer-driven, timed, Qt's Close
        const auto row = [](const char *name, bool en, int presses, const char *running,
                            const char *captions) {
            QTest::newRow(name) << en << presses << QString(running) << QString(captions);
        };
        row("first start", true, 0, "", "打开串口|应答式发送|定时发送|关闭");
        row("one switch", true, 1, "btn_txAck", "Close port|Stop send on reply|Timed send|Close");
        row("two switches", true, 2, "btn_txAuto", "关闭串口|应答式发送|停止定时发送|关闭");
        row("switch without en.qm: texts stay, title turns", false, 1, "open",
            "关闭串口|应答式发送|定时发送|Close");
    }
    void switchesKeepEditedFields()
    {
        QFETCH(bool, englishFile);
        QFETCH(int, presses);
        QFETCH(QString, running);
        QFETCH(QString, captions);
        TestWorkDir dir;
        PseudoTerminal device;
        QVERIFY(dir.isValid());
        QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "cn.qm"));
        QVERIFY(!englishFile || QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", "en.qm"));
        WarningCatcher warnings;
        MainWindow window(nullptr, WindowOptions{{device.slavePath()}});
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        if (!running.isEmpty())
            ui->btn_ser_conn->click();
        if (running.startsWith("btn_"))
            window.findChild<QPushButton *>(running)->click();
        for (const auto &field : EDITED)
            QVERIFY(window.findChild<QObject *>(field[0])->setProperty(field[1], field[2]));
        for (int press = 0; press < presses; ++press)
            ui->btn_language->click();
        const bool english = presses % 2;
        QCOMPARE(warnings.count(), 0);
        QCOMPARE(window.windowTitle(), english ? EN_TITLE : CN_TITLE);
        QCOMPARE(
            QStringList({ui->btn_ser_conn->text(), ui->btn_txAck->text(), ui->btn_txAuto->text(),
                         QCoreApplication::translate("QPlatformTheme", "Close")})
                .join('|'),
            captions);
        QCOMPARE(ui->gb_send->title(), QString(englishFile && english ? "Send" : "发送操作"));
        // A switch saves the fields before the text routine resets them.
        for (const auto &field : EDITED)
            QCOMPARE(window.findChild<QObject *>(field[0])->property(field[1]), QVariant(field[2]));
        QCOMPARE(QSettings("dv-ppp.ini", QSettings::IniFormat).value("show/english").toBool(),
                 english);
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
