// The port list and the connect button, against pseudo-terminals.
#include "app/commandline.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QtTest>

#include <ctime>

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    // Enumerated ports, then the --port paths (two terminals and a symlink to the second);
    // the one opened last is current again after a refresh, the first one once it is gone.
    void portList_data()
    {
        QTest::addColumn<int>("opened");
        QTest::newRow("first pseudo-terminal") << 0;
        QTest::newRow("second pseudo-terminal") << 1;
        QTest::newRow("symlink outside /dev, to the second") << 2;
    }
    void portList()
    {
        QFETCH(int, opened);
        TestWorkDir dir;
        PseudoTerminal ptys[2];
        WarningCatcher warnings; // answers an open failure, which the speed check then shows
        QStringList paths{ptys[0].slavePath(), ptys[1].slavePath(), dir.filePath("serial-link")};
        QVERIFY(QFile::link(paths[1], paths[2]));
        MainWindow window(nullptr, parseCommandLine({"pakto", "--port", paths[0],
                                                     "--port=" + paths[1], "--port", paths[2]}));
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        const int enumerated = QSerialPortInfo::availablePorts().size();
        const auto listed = [&] {
            QStringList items;
            for (int i = enumerated; i < ui->comb_sers->count(); ++i)
                items << ui->comb_sers->itemText(i);
            return items;
        };
        QCOMPARE(listed(), paths);
        QCOMPARE(ui->comb_sers->currentIndex(), enumerated); // the first path, not a system port
        ui->comb_sers->setCurrentIndex(enumerated + opened);
        ui->btn_ser_conn->click(); // at the default 115200 baud
        termios line = ptys[qMin(opened, 1)].slaveTermios();
        QCOMPARE(cfgetospeed(&line), speed_t(B115200)); // the path led to this terminal
        ui->btn_ser_conn->click();
        ui->comb_sers->setCurrentIndex(0);
        ui->btn_ser_refresh->click();
        QCOMPARE(ui->comb_sers->currentText(), paths[opened]);
        MainWindowProbe::options(window).extraPorts.removeAt(opened); // the port goes away
        paths.removeAt(opened);
        ui->btn_ser_refresh->click();
        QCOMPARE(ui->comb_sers->currentIndex(), 0);
        QCOMPARE(listed(), paths);
    }

    // Three failed opens, each with its reason, an idle open at 9600 baud closed by the user,
    // then one at 115200 ended by the user or by the device going away.
    void session_data()
    {
        QTest::addColumn<QString>("sendMode");
        QTest::addColumn<bool>("deviceGoes");
        QTest::newRow("timed sending, closed by the user") << "btn_txAuto" << false;
        QTest::newRow("answer-driven sending, closed by the user") << "btn_txAck" << false;
        QTest::newRow("idle, device gone") << QString() << true;
        QTest::newRow("timed sending, device gone") << "btn_txAuto" << true;
    }
    void session()
    {
        QFETCH(QString, sendMode);
        QFETCH(bool, deviceGoes);
        TestWorkDir workDir;
        PseudoTerminal device;
        WarningCatcher warnings;
        const QString slave = device.slavePath(), failed = "错误: 串口打开失败！\n";
        MainWindow window(nullptr, WindowOptions{{slave, "no-such-tty"}});
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        ui->le_txTm->setText(QStringLiteral("20"));
        const auto portState = [ui] { // caption, then which of these are enabled
            QString state = ui->btn_ser_conn->text() + ' ';
            for (QWidget *w :
                 QWidgetList{ui->comb_sers, ui->comb_bps, ui->btn_ser_refresh, ui->gb_send})
                state += QString::number(w->isEnabled());
            return state;
        };
        // 1200 baud, 2 stop bits, both flow controls (Linux keeps a pty at 8 bits, no parity).
        termios line = device.slaveTermios();
        line.c_cflag |= CSTOPB | CRTSCTS;
        line.c_iflag |= IXON | IXOFF;
        cfsetspeed(&line, B1200);
        QVERIFY(device.setSlaveTermios(line));
        // Each open as {port, baud, the one warning by the time it is closed, "held": another
        // program holds the port meanwhile}.
        const QStringList attempts[] = {
            {"no-such-tty", "115200", failed + "No such file or directory"},
            {slave, "abc", failed + "Invalid baud rate value"},
            {slave, "9600", failed + "Permission error while locking the device", "held"},
            {slave, "9600", ""},
            {slave, "115200", deviceGoes ? "错误: 串口已断开" : ""}};
        for (const QStringList &attempt : attempts) {
            const bool last = &attempt == &attempts[4];
            QSerialPort holder(attempt.value(3).isEmpty() ? QString() : slave);
            QVERIFY(holder.portName().isEmpty() || holder.open(QIODevice::ReadWrite));
            ui->comb_sers->setCurrentText(attempt[0]);
            ui->comb_bps->setCurrentText(attempt[1]);
            ui->btn_ser_conn->click();
            if (!attempt[2].startsWith(failed)) {
                QCOMPARE(portState(), QStringLiteral("关闭串口 0001"));
                line = device.slaveTermios();
                QCOMPARE(cfgetispeed(&line), last ? B115200 : B9600);
                QCOMPARE(cfgetospeed(&line), last ? B115200 : B9600);
                QCOMPARE(line.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8));
                QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));
                if (last && !sendMode.isEmpty()) {
                    window.findChild<QPushButton *>(sendMode)->click();
                    QVERIFY(!device.readAll(100).isEmpty());
                }
                (last && deviceGoes) ? device.closeMaster() : ui->btn_ser_conn->click();
                device.readAll(0); // what was queued before the close has left since
            }
            QTRY_COMPARE(warnings.describe().join('\n'), attempt[2]);
            warnings.clear(); // closed, both send modes stopped, nothing more sent
            QCOMPARE(portState(), QStringLiteral("打开串口 1110"));
            QVERIFY(!ui->btn_txAuto->isChecked());
            QVERIFY(!ui->btn_txAck->isChecked());
            QCOMPARE(device.readAll(200), QByteArray());
        }
        const std::clock_t before = std::clock(); // process CPU time, all threads
        QTest::qWait(1000);
        QVERIFY2(std::clock() - before < CLOCKS_PER_SEC / 10, "over 10% of a core at rest");
        QCOMPARE(warnings.count(), 0);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
