// The main window: its life, what a user can type into its fields, the form's texts.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QtTest>

#include <optional>

// Answers every lookup with the source text marked "T:", noting the contexts asked in.
struct MarkingTranslator : QTranslator {
    bool isEmpty() const override { return false; }
    mutable QSet<QString> contexts;
    QString translate(const char *context, const char *source, const char *, int) const override
    {
        contexts << QString::fromUtf8(context);
        return QStringLiteral("T:") + QString::fromUtf8(source);
    }
};

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::optional<TestWorkDir> workDir;

private slots:
    void init() { QVERIFY(workDir.emplace().isValid()); }

    // Shown without a box, at its size; stays on top on demand; gone without writing a file.
    void lifeLayoutAndStayOnTop()
    {
        WarningCatcher boxes;
        std::optional<MainWindow> window(std::in_place);
        Ui::MainWindow *ui = MainWindowProbe::ui(*window);
        QCOMPARE(window->size(), QSize(926, 736));
        QCOMPARE(ui->splitter->widget(0)->sizePolicy().verticalStretch(), 1); // send area
        QCOMPARE(ui->splitter->widget(1)->sizePolicy().verticalStretch(), 3); // traffic view
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*window));
        QVERIFY2(boxes.count() == 0, qPrintable(boxes.describe().join('\n')));
        QVERIFY(ui->widget_banner->height() >= 112);
        QVERIFY(ui->btn_adv->width() >= 840);
        QVERIFY(ui->btn_adv->height() >= 112);
        for (const bool onTop : {true, false}) {
            QTest::mouseClick(ui->cb_onTop, Qt::LeftButton);
            QVERIFY(QTest::qWaitForWindowExposed(&*window)); // new flags hid it; shown again
            QCOMPARE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        window.reset();
        QCOMPARE(workDir->entries(), QStringList()); // settings are written on close only
    }

    void typingLimits_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::newRow("tag number: one digit") << "le_sid_max"
                                               << "x312"
                                               << "3";
        QTest::newRow("length: four digits") << "le_txLenMin"
                                             << "4x0975"
                                             << "4097";
        QTest::newRow("period: 64 characters") << "le_txTm" << QString(70, '9') << QString(64, '9');
    }
    void typingLimits()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        MainWindow window;
        MainWindowProbe::ui(window)->gb_send->setEnabled(true); // as an open port leaves it
        auto *edit = window.findChild<QLineEdit *>(field);
        edit->clear();
        QTest::keyClicks(edit, typed);
        QCOMPARE(edit->text(), shown);
    }

    // A bare form, before start-up: its texts, then each looked up in the context "MainWindow".
    void formTexts()
    {
        QMainWindow w;
        Ui::MainWindow ui;
        ui.setupUi(&w);
        const QTextCharFormat f = QTextCursor(ui.txt_info->document()).charFormat();
        QCOMPARE(f.fontFamily() + ' ' + QString::number(f.fontPointSize()), QString("SimSun 9"));
        const auto texts = [&] {
            return QStringList{w.windowTitle(), ui.cb_randData->text(), ui.txt_info->toPlainText()};
        };
        QCOMPARE(texts(), (QStringList{"v2024.0808", "发送随机数  长度：", ""}));

        MarkingTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        translator.contexts.clear(); // installing it asked for the layout direction
        ui.retranslateUi(&w);
        QCOMPARE(translator.contexts, QSet<QString>{"MainWindow"});
        QCOMPARE(texts().filter(QRegularExpression("^T:")).size(), 3);
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
