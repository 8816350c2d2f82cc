// The session's port: the line it asks for and what the port keeps of it (a device that goes
// away: tst_connection, through the window).
#include "sessionlink.h"

class TestPortLine : public QObject
{
    Q_OBJECT

private slots:
    // What the pseudo-terminal's own termios say while open (it keeps the speed, stop bits and
    // flow control, but always 8 data bits and no parity; it starts at 1200 baud, 2 stop bits
    // and both flow controls), the queue's 200 ms of line time, the warnings.
    void lineSetting_data()
    {
        QTest::addColumn<QString>("line"); // data bits, parity, stop bits, flow control (indexes)
        QTest::addColumn<QString>("held"); // kept flags, queue limit, warnings
        // clang-format off
        QTest::newRow("8N1, no flow control") << "3 0 0 0" << "B921600 18432 ";
        QTest::newRow("2 stop bits, RTS-CTS") << "3 0 1 1" << "B921600 CSTOPB CRTSCTS 16756 ";
        QTest::newRow("7 data bits, even parity, XON-XOFF") << "2 1 0 2"
            << "B921600 IXON 18432 数据位少于 8：帧会被截断|XON/XOFF 流控：驱动吞掉 0x11 和 0x13 字节，二进制帧会丢失|串口未保持所选数据位：7，实为 8|串口未保持所选校验：偶校验，实为 无";
        QTest::newRow("mark parity, 2 stop bits: 12 bits a character") << "3 3 1 0"
            << "B921600 CSTOPB 15360 串口未保持所选校验：标记校验，实为 无";
        // clang-format on
    }
    void lineSetting()
    {
        QFETCH(QString, line);
        QFETCH(QString, held);
        SessionLink link;
        termios before = link.device.slaveTermios();
        before.c_cflag |= CSTOPB | CRTSCTS;
        before.c_iflag |= IXON | IXOFF;
        cfsetspeed(&before, B1200);
        QVERIFY(link.device.setSlaveTermios(before));
        link.settings.line.baud = 921600;
        for (int choice = 0; choice < LINE_CHOICES; ++choice)
            link.settings.line.choices[choice] = line.section(' ', choice, choice).toInt();
        QVERIFY(link.open());
        const termios kept = link.device.slaveTermios();
        QStringList seen{cfgetospeed(&kept) == B921600 ? "B921600" : "other speed"};
        for (const auto &[flag, name] : {std::pair{kept.c_cflag & CSTOPB, "CSTOPB"},
                                         {kept.c_cflag & CRTSCTS, "CRTSCTS"},
                                         {kept.c_iflag & IXON, "IXON"}})
            if (flag)
                seen << name;
        seen << QString::number(link.session.transmitQueueLimit());
        QCOMPARE(seen.join(' ') + ' ' + link.session.lineWarnings().join('|'), held);
        link.session.close();
        QVERIFY(link.session.lineWarnings().isEmpty()); // shown while the port is open
    }

    // Parity as asked, mark and space too (the port echoes what it was given); flow control a
    // port did not keep is warned about like any other choice.
    void choicesAsAsked()
    {
        QSerialPort port;
        for (const auto &[index, parity] :
             {std::pair{3, QSerialPort::MarkParity}, {4, QSerialPort::SpaceParity}}) {
            LineSetting line{9600, {3, index, 0, 0}};
            applyLineSetting(port, line);
            QCOMPARE(port.parity(), parity);
        }
        QCOMPARE(lineWarnings({9600, {3, 0, 0, 1}}, LineChoices{3, 0, 0, 0}),
                 QStringList{"串口未保持所选流控：RTS/CTS，实为 无"});
    }
};

QTEST_GUILESS_MAIN(TestPortLine)
#include "tst_portline.moc"
