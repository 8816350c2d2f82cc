// The interface language: window title, widget texts and the language button.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QFile>
#include <QSettings>
#include <QtTest>

namespace {

const QString VERSION = QStringLiteral("v2024.0808");
const QString ADDRESS = QStringLiteral("https://www.example.com/pakto");

QString chineseTitle()
{
    return QStringLiteral("德瑞 Pakto 调试助手 ") + VERSION + QString(30, QLatin1Char(' ')) +
           ADDRESS;
}

QString englishTitle()
{
    return QStringLiteral("Dravo Pakto Debugger ") + VERSION + QString(27, QLatin1Char(' ')) +
           ADDRESS;
}

bool copyTranslation(const QString &name)
{
    return QFile::copy(QStringLiteral(PAKTO_RUNTIME_DIR "/") + name, name);
}

bool storedEnglish()
{
    return QSettings(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat)
        .value(QStringLiteral("show/english"))
        .toBool();
}

void pressLanguage(MainWindow &window, int times)
{
    for (int press = 0; press < times; ++press)
        MainWindowProbe::ui(window)->btn_language->click();
}

} // namespace

class LanguageTest : public QObject
{
    Q_OBJECT

private slots:
    void titleAndTextsFollowTheLanguage_data();
    void titleAndTextsFollowTheLanguage();
    void switchKeepsEditedField_data();
    void switchKeepsEditedField();
    void missingEnglishFileKeepsChineseTexts();
};

// With both translation files present: the title, a widget text and the
// stored flag after a start in the stored language and some presses.
void LanguageTest::titleAndTextsFollowTheLanguage_data()
{
    QTest::addColumn<bool>("startEnglish");
    QTest::addColumn<int>("presses");
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("sendGroupTitle");
    QTest::addColumn<QString>("languageButton");

    const QString chineseSend = QStringLiteral("发送操作");
    const QString english = QStringLiteral("English");
    const QString chinese = QStringLiteral("中文");
    QTest::newRow("first start") << false << 0 << chineseTitle() << chineseSend << english;
    QTest::newRow("stored english") << true << 0 << englishTitle() << "Send" << chinese;
    QTest::newRow("one switch") << false << 1 << englishTitle() << "Send" << chinese;
    QTest::newRow("two switches") << false << 2 << chineseTitle() << chineseSend << english;
    QTest::newRow("back from english") << true << 1 << chineseTitle() << chineseSend << english;
}

void LanguageTest::titleAndTextsFollowTheLanguage()
{
    QFETCH(bool, startEnglish);
    QFETCH(int, presses);
    QFETCH(QString, title);
    QFETCH(QString, sendGroupTitle);
    QFETCH(QString, languageButton);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(copyTranslation(QStringLiteral("en.qm")));
    QVERIFY(copyTranslation(QStringLiteral("cn.qm")));
    if (startEnglish)
        QSettings(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat)
            .setValue(QStringLiteral("show/english"), true);

    WarningCatcher warnings;
    MainWindow window;
    pressLanguage(window, presses);
    QCOMPARE(warnings.count(), 0);
    QCOMPARE(window.windowTitle(), title);
    QCOMPARE(MainWindowProbe::ui(window)->gb_send->title(), sendGroupTitle);
    QCOMPARE(MainWindowProbe::ui(window)->btn_language->text(), languageButton);
    if (presses > 0)
        QCOMPARE(storedEnglish(), title == englishTitle());
}

// The text routine puts placeholders into several fields; the reload after it
// must bring back what the user typed, and the file must hold it.
void LanguageTest::switchKeepsEditedField_data()
{
    QTest::addColumn<QString>("widget");
    QTest::addColumn<QByteArray>("property");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("edited");

    QTest::newRow("lowest SID") << "le_sid_min" << QByteArray("text") << "control/sid-min"
                                << "2";
    QTest::newRow("highest SID") << "le_sid_max" << QByteArray("text") << "control/sid-max"
                                 << "1";
    QTest::newRow("shortest length") << "le_txLenMin" << QByteArray("text") << "send/tx-len-min"
                                     << "16";
    QTest::newRow("longest length") << "le_txLenMax" << QByteArray("text") << "send/tx-len-max"
                                    << "32";
    QTest::newRow("period") << "le_txTm" << QByteArray("text") << "send/tx-time"
                            << "250";
    QTest::newRow("payload") << "te_txData" << QByteArray("plainText") << "send/tx-data"
                             << "AA BB CC";
    QTest::newRow("baud rate") << "comb_bps" << QByteArray("currentText") << "control/ser-baudrate"
                               << "250000";
}

void LanguageTest::switchKeepsEditedField()
{
    QFETCH(QString, widget);
    QFETCH(QByteArray, property);
    QFETCH(QString, key);
    QFETCH(QString, edited);
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(copyTranslation(QStringLiteral("en.qm")));

    WarningCatcher warnings;
    MainWindow window;
    QObject *field = window.findChild<QObject *>(widget);
    QVERIFY(field);
    QVERIFY(field->setProperty(property, edited));
    pressLanguage(window, 1);
    QCOMPARE(warnings.count(), 0);
    QCOMPARE(MainWindowProbe::ui(window)->gb_send->title(), QStringLiteral("Send"));
    QCOMPARE(field->property(property).toString(), edited);
    QCOMPARE(QSettings(QStringLiteral("dv-ppp.ini"), QSettings::IniFormat).value(key).toString(),
             edited);
}

void LanguageTest::missingEnglishFileKeepsChineseTexts()
{
    TestWorkDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(copyTranslation(QStringLiteral("cn.qm")));

    WarningCatcher warnings;
    MainWindow window;
    pressLanguage(window, 1);
    QCOMPARE(window.windowTitle(), englishTitle());
    QCOMPARE(MainWindowProbe::ui(window)->gb_send->title(), QStringLiteral("发送操作"));
    QCOMPARE(MainWindowProbe::ui(window)->btn_language->text(), QStringLiteral("English"));
    QVERIFY(storedEnglish());
}

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
