// The interface language: window title, widget texts and the language button.
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QSettings>
#include <QtTest>

static const QString SITE = "https://www.example.com/pakto";
static const QString CN_TITLE = "德瑞 Pakto 调试助手 v2024.0808" + QString(30, ' ') + SITE;
static const QString EN_TITLE = "Dravo Pakto Debugger v2024.0808" + QString(27, ' ') + SITE;
static const char *const EDITED[][3] = { // {widget, property, text}, reset by the text routine
    {"le_sid_min", "text", "2"}, {"le_sid_max", "text", "1"}, {"le_txLenMin", "text", "16"},
    {"le_txLenMax", "text", "32"}, {"le_txTm", "text", "250"},
    {"comb_bps", "currentText", "250000"}, {"te_txData", "plainText", "AA BB CC"}};

class LanguageTest : public QObject
{
    Q_OBJECT

private slots:
    // Edit every field, press the language button: the title, a text, the fields, the flag stored.
    void switchesKeepEditedFields_data()
    {
        QTest::addColumn<bool>("englishFile");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("title");
        QTest::newRow("first start") << true << 0 << CN_TITLE;
        QTest::newRow("one switch") << true << 1 << EN_TITLE;
        QTest::newRow("two switches") << true << 2 << CN_TITLE;
        QTest::newRow("switch without en.qm: texts stay, title turns") << false << 1 << EN_TITLE;
    }
    void switchesKeepEditedFields()
    {
        QFETCH(bool, englishFile);
        QFETCH(int, presses);
        QFETCH(QString, title);
        TestWorkDir dir;
        QVERIFY(dir.isValid() && QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "cn.qm"));
        QVERIFY(!englishFile || QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", "en.qm"));
        WarningCatcher warnings;
        MainWindow window;
        for (const auto &field : EDITED)
            QVERIFY(window.findChild<QObject *>(field[0])->setProperty(field[1], field[2]));
        for (int press = 0; press < presses; ++press)
            MainWindowProbe::ui(window)->btn_language->click();
        QCOMPARE(warnings.count(), 0);
        QCOMPARE(window.windowTitle(), title);
        QCOMPARE(MainWindowProbe::ui(window)->gb_send->title(),
                 QString(englishFile && title == EN_TITLE ? "Send" : "发送操作"));
        for (const auto &field : EDITED) // a switch saves them before the text routine resets them
            QCOMPARE(window.findChild<QObject *>(field[0])->property(field[1]), QVariant(field[2]));
        QCOMPARE(QSettings("dv-ppp.ini", QSettings::IniFormat).value("show/english").toBool(),
                 title == EN_TITLE);
    }

    // After switches the state-dependent captions still tell the state; Qt's own Close button
    // follows the language.
    void captionsFollowStateAfterSwitch_data()
    {
        QTest::addColumn<QString>("running"); // the send mode started; empty: none
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("captions"); // port, answer-driven, timed, Qt's Close
        QTest::newRow("closed, Chinese") << "" << false << 0 << "打开串口|应答式发送|定时发送|关闭";
        QTest::newRow("closed, English") << "" << false << 1 << "Open port|Send on reply|Timed send|Close";
        QTest::newRow("open, English") << "" << true << 1 << "Close port|Send on reply|Timed send|Close";
        QTest::newRow("answer-driven, English")
            << "btn_txAck" << true << 1 << "Close port|Stop send on reply|Timed send|Close";
        QTest::newRow("timed, back to Chinese")
            << "btn_txAuto" << true << 2 << "关闭串口|应答式发送|停止定时发送|关闭";
    }
    void captionsFollowStateAfterSwitch()
    {
        QFETCH(QString, running);
        QFETCH(bool, open);
        QFETCH(int, presses);
        QFETCH(QString, captions);
        TestWorkDir dir;
        PseudoTerminal device;
        QVERIFY(dir.isValid() && device.isValid());
        QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "cn.qm") && QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", "en.qm"));
        MainWindow window(nullptr, WindowOptions{{device.slavePath()}});
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        ui->comb_sers->setCurrentText(device.slavePath());
        if (open)
            ui->btn_ser_conn->click();
        if (!running.isEmpty())
            window.findChild<QPushButton *>(running)->click();
        for (int press = 0; press < presses; ++press)
            ui->btn_language->click();
        QCOMPARE(QStringList({ui->btn_ser_conn->text(), ui->btn_txAck->text(), ui->btn_txAuto->text(),
                              QCoreApplication::translate("QPlatformTheme", "Close")}).join('|'),
                 captions);
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
