// The interface language: its switch, and an English translation for every text looked up.
#include "widgets/runchart.h"
#include "windowface.h"

#include <QComboBox>
#include <QGroupBox>
#include <QPlainTextEdit>

static const QString CN_TITLE =
    "德瑞 Pakto 调试助手 v" PAKTO_VERSION + QString(30, ' ') + "https://www.example.com/pakto";
static const QString EN_TITLE =
    "Dravo Pakto Debugger v" PAKTO_VERSION + QString(27, ' ') + "https://www.example.com/pakto";
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
    // title, the captions telling the state, Qt's own Close, a text, the fields kept.
    void switchesKeepEditedFields_data()
    {
        QTest::addColumn<bool>("englishFile");
        QTest::addColumn<int>("presses");
        QTest::addColumn<QString>("running"); // a send mode's button, "open" or none
        // port, answer-driven, timed, Qt's Close, a text, the chart's rate axis
        QTest::addColumn<QString>("captions");
        // clang-format off
        QTest::newRow("first start") << true << 0 << "" << "打开串口|应答式发送|定时发送|关闭|发送操作|帧/秒";
        QTest::newRow("one switch") << true << 1 << "btn_txAck" << "Close port|Stop send on reply|Timed send|Close|Send|Frames/s";
        QTest::newRow("two switches") << true << 2 << "btn_txAuto" << "关闭串口|应答式发送|停止定时发送|关闭|发送操作|帧/秒";
        QTest::newRow("switch without en.qm: texts stay, title turns") << false << 1 << "open" << "关闭串口|应答式发送|定时发送|Close|发送操作|帧/秒";
        // clang-format on
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
        MainWindow window({device.slavePath()});
        if (!running.isEmpty())
            child(window, "btn_ser_conn")->click();
        if (running.startsWith("btn_"))
            child(window, qPrintable(running))->click();
        for (const auto &field : EDITED)
            QVERIFY(window.findChild<QObject *>(field[0])->setProperty(field[1], field[2]));
        for (int press = 0; press < presses; ++press)
            child(window, "btn_language")->click();
        QCOMPARE(window.windowTitle(), presses % 2 ? EN_TITLE : CN_TITLE);
        QCoreApplication::sendPostedEvents(); // the chart hears of the language by an event
        QStringList shown;
        for (const char *button : {"btn_ser_conn", "btn_txAck", "btn_txAuto"})
            shown << child(window, button)->text();
        shown << QCoreApplication::translate("QPlatformTheme", "Close")
              << child<QGroupBox>(window, "gb_send")->title()
              << child<RunChart>(window, "plot_chart")->axisTitle(QwtPlot::yLeft).text();
        QCOMPARE(shown.join('|'), captions);
        // A switch saves the fields before the text routine resets them.
        for (const auto &field : EDITED)
            QCOMPARE(window.findChild<QObject *>(field[0])->property(field[1]), QVariant(field[2]));
    }

    // The window fits a 1024×700 screen (less a title bar) in either language, the traffic view
    // showing ten lines or more beside the chart, the port box its path in full; a language
    // that needed more width gives it back when it goes.
    void fitsItsScreen_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::newRow("1024×700") << QSize(1024, 670);
        QTest::newRow("its own size") << QSize();
    }
    void fitsItsScreen()
    {
        QFETCH(QSize, size);
        TestWorkDir dir;
        PseudoTerminal device;
        QVERIFY(QFile::copy(PAKTO_RUNTIME_DIR "/cn.qm", "cn.qm") &&
                QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", "en.qm"));
        MainWindow window({device.slavePath()});
        window.resize(size.isValid() ? size : window.size());
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QSize chinese = window.size();
        const auto *traffic = child<QPlainTextEdit>(window, "txt_data");
        const auto *ports = child<QComboBox>(window, "comb_sers");
        for (const char *language : {"Chinese", "English", "Chinese again"}) {
            if (language[0] != 'C' || language[7]) // after a switch
                child(window, "btn_language")->click(), QTest::qWait(50);
            QVERIFY2(!size.isValid() || window.size() == size, language);
            QVERIFY2(ports->width() >= ports->sizeHint().width(), language);
            QVERIFY2(traffic->viewport()->height() >= 10 * traffic->fontMetrics().lineSpacing(),
                     language);
        }
        QCOMPARE(window.size(), chinese);
    }

    // lupdate brings a copy of en.ts up to date with what the sources and the form look up: each
    // text must already have its English there, not empty and not in Chinese.
    void everyLookedUpTextIsTranslated()
    {
        QTemporaryDir scratch;
        const QString root = PAKTO_SOURCE_DIR, ts = scratch.filePath("en.ts");
        QVERIFY(QFile::copy(root + "/translations/en.ts", ts));
        QStringList arguments{"-silent", "-locations", "none", "-I", root, "-ts", ts};
        for (const char *folder : {"/app", "/engine", "/headless", "/serial", "/shell", "/widgets"})
            arguments.prepend(root + folder);
        QCOMPARE(QProcess::execute(PAKTO_LUPDATE, arguments), 0);
        QFile file(ts);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QRegularExpression han("\\p{Han}"),
            entry("<source>([^<]*)</source>\\s*<translation[^>]*>([^<]*)<");
        auto entries = entry.globalMatch(QString::fromUtf8(file.readAll()));
        QStringList untranslated;
        int texts = 0;
        for (; entries.hasNext(); ++texts) {
            const QRegularExpressionMatch m = entries.next();
            const QString source = m.captured(1), english = m.captured(2);
            if (english.isEmpty() || (source.contains(han) && english.contains(han)))
                untranslated << source;
        }
        QVERIFY2(texts > 40, "fewer texts than the form alone looks up");
        QVERIFY2(untranslated.isEmpty(), qPrintable("untranslated: " + untranslated.join(", ")));
    }
};

QTEST_MAIN(LanguageTest)
#include "tst_language.moc"
