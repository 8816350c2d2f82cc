// The connect button, against pseudo-terminals.
#include "windowface.h"

#include <QComboBox>

#include <ctime>

static QString portState(const MainWindow &window) // the caption; can port, line, sending be chosen
{
    QString state = child(window, "btn_ser_conn")->text() + ' ';
    for (const char *name : {"comb_sers", "comb_flow", "gb_send"})
        state += QString::number(child<QWidget>(window, name)->isEnabled());
    return state;
}

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    // An open refused while another program holds the port; then timed sending until the device
    // goes away: one warning naming the port, the port closed, timed sending stopped, and a quiet
    // process afterwards.
    void lostDevice()
    {
        TestWorkDir workDir;
        PseudoTerminal device;
        WarningCatcher warnings;
        const QString path = device.slavePath(); // no name once the device has gone
        MainWindow window({path});
        QAbstractButton *connectButton = child(window, "btn_ser_conn");
        {
            QSerialPort other; // holds the port through its lock: the open is refused, and why
            other.setPortName(path);
            QVERIFY(other.open(QIODevice::ReadWrite));
            connectButton->click();
            QCOMPARE(
                warnings.describe(),
                QStringList{QString("错误: %1：串口打开失败！\n%1 正被其他程序占用").arg(path)});
        }
        connectButton->click();
        QCOMPARE(portState(window), QStringLiteral("关闭串口 001"));
        child<QLineEdit>(window, "le_txTm")->setText(QStringLiteral("20"));
        child(window, "btn_txAuto")->click();
        QVERIFY(!device.readAll(100).isEmpty());
        device.closeMaster();
        QTRY_COMPARE(portState(window), QStringLiteral("打开串口 110"));
        QVERIFY(!child(window, "btn_txAuto")->isChecked());
        const std::clock_t before = std::clock(); // process CPU time, all threads
        QTest::qWait(1000);
        QVERIFY2(std::clock() - before < CLOCKS_PER_SEC / 10, "over 10% of a core at rest");
        QCOMPARE(warnings.count(), 2);
        QVERIFY(warnings.describe()[1].startsWith("错误: 串口 " + path + " 已断开："));
    }

    // With 自动重连 ticked a device gone raises no box: the button tells the wait (in the
    // language switched to), with the port and sending held, until a new terminal stands behind
    // the same link; pressed while it waits, it closes the link.
    void reconnectWaitsForThePort()
    {
        TestWorkDir workDir;
        WarningCatcher warnings;
        PseudoTerminal first, second;
        const QString path = workDir.filePath("port");
        QVERIFY(QFile::link(first.slavePath(), path) &&
                QFile::copy(PAKTO_RUNTIME_DIR "/en.qm", "en.qm"));
        MainWindow window({path});
        QAbstractButton *connectButton = child(window, "btn_ser_conn");
        child(window, "cb_reconnect")->click();
        connectButton->click();
        first.closeMaster();
        QTRY_COMPARE(portState(window), QStringLiteral("等待重连 000"));
        QVERIFY(QFile::remove(path) && QFile::link(second.slavePath(), path));
        QTRY_COMPARE(portState(window), QStringLiteral("关闭串口 001"));
        second.closeMaster();
        QTRY_COMPARE(portState(window), QStringLiteral("等待重连 000"));
        child(window, "btn_language")->click();
        QCOMPARE(portState(window), QStringLiteral("Reopening… 000"));
        connectButton->click();
        QCOMPARE(portState(window), QStringLiteral("Open port 110"));
        QCOMPARE(warnings.describe(), QStringList());
    }

    // The port chosen stays chosen across a refresh, and the once-a-second look at the system's
    // ports leaves an unchanged list alone.
    void portListKeepsTheChoice()
    {
        TestWorkDir workDir;
        PseudoTerminal first, second;
        MainWindow window({first.slavePath(), second.slavePath()});
        QComboBox *ports = child<QComboBox>(window, "comb_sers");
        QCOMPARE(ports->currentText(), first.slavePath());
        ports->setCurrentText(second.slavePath());
        QSignalSpy rebuilt(ports->model(), &QAbstractItemModel::rowsRemoved);
        QTest::qWait(1200);
        QCOMPARE(rebuilt.count(), 0);
        child(window, "btn_ser_refresh")->click();
        QCOMPARE(ports->currentText(), second.slavePath());
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
