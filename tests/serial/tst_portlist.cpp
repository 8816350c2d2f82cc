// The port list: enumerated ports, then the --port paths; the last port tried reselected.
#include "app/commandline.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QtTest>

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    // Which of two pseudo-terminals and a symlink to the second (both option forms) to open.
    void reselectsLastPort_data()
    {
        QTest::addColumn<int>("extra");
        QTest::newRow("first pseudo-terminal") << 0;
        QTest::newRow("second pseudo-terminal") << 1;
        QTest::newRow("symlink outside /dev, to the second") << 2;
    }
    void reselectsLastPort()
    {
        QFETCH(int, extra);
        TestWorkDir dir;
        PseudoTerminal ptys[2];
        WarningCatcher warnings; // answers an open failure, which the speed check shows
        QStringList extras{ptys[0].slavePath(), ptys[1].slavePath(), dir.filePath("serial-link")};
        QVERIFY(dir.isValid() && ptys[0].isValid() && ptys[1].isValid() &&
                QFile::link(extras[1], extras[2]));
        MainWindow window(nullptr, parseCommandLine({"pakto", "--port", extras[0],
                                                     "--port=" + extras[1], "--port", extras[2]}));
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        const int enumerated = QSerialPortInfo::availablePorts().size();
        const auto listedAfterEnumerated = [&] {
            QStringList items;
            for (int i = enumerated; i < ui->comb_sers->count(); ++i)
                items << ui->comb_sers->itemText(i);
            return items;
        };
        QCOMPARE(listedAfterEnumerated(), extras);
        QCOMPARE(ui->comb_sers->currentIndex(), enumerated); // the first path, not a system port

        ui->comb_sers->setCurrentIndex(enumerated + extra);
        ui->btn_ser_conn->click(); // at the default 115200 baud
        termios line = ptys[qMin(extra, 1)].slaveTermios();
        QCOMPARE(cfgetospeed(&line), speed_t(B115200)); // the path led to this terminal
        ui->btn_ser_conn->click();
        ui->comb_sers->setCurrentIndex(0);
        ui->btn_ser_refresh->click();
        QCOMPARE(ui->comb_sers->currentText(), extras[extra]);

        MainWindowProbe::options(window).extraPorts.removeAt(extra); // the port goes away
        extras.removeAt(extra);
        ui->btn_ser_refresh->click();
        QCOMPARE(ui->comb_sers->currentIndex(), 0);
        QCOMPARE(listedAfterEnumerated(), extras);
    }
};

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
