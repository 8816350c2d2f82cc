// The connect button, against pseudo-terminals.
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QtTest>

#include <ctime>

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    // An open at 9600 baud on a line left at 1200 baud, 2 stop bits and both flow controls, then
    // timed sending ended by the user or by the device going away: one warning for the latter,
    // both send modes stopped, nothing more sent, and a quiet process afterwards.
    void session_data()
    {
        QTest::addColumn<bool>("deviceGoes");
        QTest::newRow("closed by the user") << false;
        QTest::newRow("device gone") << true;
    }
    void session()
    {
        QFETCH(bool, deviceGoes);
        TestWorkDir workDir;
        PseudoTerminal device;
        WarningCatcher warnings;
        MainWindow window(nullptr, WindowOptions{{device.slavePath()}});
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        const auto portState = [ui] { // caption, then which of these are enabled
            QString state = ui->btn_ser_conn->text() + ' ';
            for (QWidget *w :
                 QWidgetList{ui->comb_sers, ui->comb_bps, ui->btn_ser_refresh, ui->gb_send})
                state += QString::number(w->isEnabled());
            return state;
        };
        termios line = device.slaveTermios(); // Linux keeps a pty at 8 bits, no parity
        line.c_cflag |= CSTOPB | CRTSCTS;
        line.c_iflag |= IXON | IXOFF;
        cfsetspeed(&line, B1200);
        QVERIFY(device.setSlaveTermios(line));
        ui->comb_bps->setCurrentText(QStringLiteral("9600"));
        ui->btn_ser_conn->click();
        QCOMPARE(portState(), QStringLiteral("关闭串口 0001"));
        line = device.slaveTermios();
        QCOMPARE(cfgetispeed(&line), speed_t(B9600));
        QCOMPARE(cfgetospeed(&line), speed_t(B9600));
        QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
        QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
        ui->le_txTm->setText(QStringLiteral("20"));
        ui->btn_txAuto->click();
        QVERIFY(!device.readAll(100).isEmpty());
        deviceGoes ? device.closeMaster() : ui->btn_ser_conn->click();
        device.readAll(0); // what was queued before the close has left since
        QTRY_COMPARE(portState(), QStringLiteral("打开串口 1110"));
        QVERIFY(!ui->btn_txAuto->isChecked());
        QCOMPARE(device.readAll(200), QByteArray());
        const std::clock_t before = std::clock(); // process CPU time, all threads
        QTest::qWait(1000);
        QVERIFY2(std::clock() - before < CLOCKS_PER_SEC / 10, "over 10% of a core at rest");
        QCOMPARE(warnings.describe(), deviceGoes ? QStringList{"错误: 串口已断开"} : QStringList());
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
