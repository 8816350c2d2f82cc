// The main window: its life and what a user can type into its fields.
#include "windowface.h"

#include <optional>

class TestMainWindow : public QObject
{
    Q_OBJECT

    std::optional<TestWorkDir> workDir;

private slots:
    void init() { QVERIFY(workDir.emplace().isValid()); }

    // At its size the chart leaves the traffic view room; stays on top on demand, shown again
    // each time; gone without writing a file.
    void stayOnTopAndGoneWithoutFile()
    {
        std::optional<MainWindow> window(std::in_place);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(&*window));
        QVERIFY(child<QWidget>(*window, "plot_chart")->isVisible() &&
                child<QWidget>(*window, "txt_data")->height() >= 200); // room for both
        for (const bool onTop : {true, false}) {
            QTest::mouseClick(child(*window, "cb_onTop"), Qt::LeftButton);
            QVERIFY(window->isVisible()); // new flags hid it; shown again
            QCOMPARE(window->windowFlags().testFlag(Qt::WindowStaysOnTopHint), onTop);
        }
        window.reset();
        QCOMPARE(workDir->entries(), QStringList()); // settings are written on close only
    }

    // What a user can type into the fields that take numbers, and into the period.
    void typingLimits()
    {
        MainWindow window;
        child<QWidget>(window, "gb_send")->setEnabled(true); // as an open port leaves it
        const auto typed = [&window](const char *name, const QString &keys) {
            QLineEdit *edit = child<QLineEdit>(window, name);
            edit->clear();
            QTest::keyClicks(edit, keys);
            return edit->text();
        };
        QCOMPARE(typed("le_sid_max", "x312"), "3");                     // one digit
        QCOMPARE(typed("le_txLenMin", "4x0975"), "4097");               // four digits
        QCOMPARE(typed("le_txTm", QString(70, '9')), QString(64, '9')); // 64 characters
    }
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
