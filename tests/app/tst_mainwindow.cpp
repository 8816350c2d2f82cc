// The main window: its life and what a user can type into its fields.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <QtTest>

#include <optional>

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::optional<TestWorkDir> workDir;

private slots:
    void init() { QVERIFY(workDir.emplace().isValid()); }

    // Shown without a box, its parts in proportion; stays on top on demand; gone without a file.
    void lifeLayoutAndStayOnTop()
    {
        WarningCatcher boxes;
        std::optional<MainWindow> window(std::in_place);
        Ui::MainWindow *ui = MainWindowProbe::ui(*window);
        QCOMPARE(ui->splitter->widget(0)->sizePolicy().verticalStretch(), 1); // send area
        QCOMPARE(ui->splitter->widget(1)->sizePolicy().verticalStretch(), 3); // traffic view
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*window));
        QVERIFY2(boxes.count() == 0, qPrintable(boxes.describe().join('\n')));
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
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
