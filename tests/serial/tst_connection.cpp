// Opening and closing the port with the connect button, against a
// pseudo-terminal that plays the device.
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QtTest>

#include <sys/resource.h>

#include <cstring>
#include <memory>

namespace {

const QString CLOSED_CAPTION = QStringLiteral("打开串口");
const QString OPEN_CAPTION = QStringLiteral("关闭串口");

// The widgets the two port states differ in, as one comparable list.
QStringList portState(const Ui::MainWindow *ui)
{
    const auto onOff = [](const QWidget *widget) {
        return widget->isEnabled() ? QStringLiteral("on") : QStringLiteral("off");
    };
    return {ui->btn_ser_conn->text(), QStringLiteral("ports ") + onOff(ui->comb_sers),
            QStringLiteral("baud ") + onOff(ui->comb_bps),
            QStringLiteral("refresh ") + onOff(ui->btn_ser_refresh),
            QStringLiteral("send ") + onOff(ui->gb_send)};
}

const QStringList CLOSED_STATE = {CLOSED_CAPTION, QStringLiteral("ports on"),
                                  QStringLiteral("baud on"), QStringLiteral("refresh on"),
                                  QStringLiteral("send off")};
const QStringList OPEN_STATE = {OPEN_CAPTION, QStringLiteral("ports off"),
                                QStringLiteral("baud off"), QStringLiteral("refresh off"),
                                QStringLiteral("send on")};

// Line settings the window must override: 7 data bits, odd parity, 2 stop
// bits, both kinds of flow control, 1200 baud.
termios foreignLineSettings(termios settings)
{
    settings.c_cflag = (settings.c_cflag & ~CSIZE) | CS7 | PARENB | PARODD | CSTOPB | CRTSCTS;
    settings.c_iflag |= IXON | IXOFF;
    cfsetspeed(&settings, B1200);
    return settings;
}

// Process CPU time so far, user and system, in milliseconds.
qint64 cpuTimeMs()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto ms = [](const timeval &t) { return qint64(t.tv_sec) * 1000 + t.tv_usec / 1000; };
    return ms(usage.ru_utime) + ms(usage.ru_stime);
}

// Lets the event loop run for a while, sleeping whenever it has nothing to do.
void runEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

} // namespace

class TestConnection : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void openAndClose_data();
    void openAndClose();
    void openFailure_data();
    void openFailure();
    void closeStopsSendModes_data();
    void closeStopsSendModes();
    void deviceGoneClosesOnce_data();
    void deviceGoneClosesOnce();

private:
    // Picks the listed port and the baud text as a user would, then clicks connect.
    void connectTo(const QString &port, const QString &baud);
    Ui::MainWindow *ui() { return MainWindowProbe::ui(*window); }

    std::unique_ptr<TestWorkDir> workDir;
    std::unique_ptr<PseudoTerminal> device;
    std::unique_ptr<WarningCatcher> warnings;
    std::unique_ptr<MainWindow> window;
    QString missingPort;
};

void TestConnection::init()
{
    workDir = std::make_unique<TestWorkDir>();
    QVERIFY(workDir->isValid());
    device = std::make_unique<PseudoTerminal>();
    QVERIFY(device->isValid());
    warnings = std::make_unique<WarningCatcher>();
    missingPort = workDir->filePath(QStringLiteral("no-such-tty"));
    window =
        std::make_unique<MainWindow>(nullptr, WindowOptions{{device->slavePath(), missingPort}});
    window->show();
}

void TestConnection::cleanup()
{
    window.reset();
    warnings.reset();
    device.reset();
    workDir.reset();
}

void TestConnection::connectTo(const QString &port, const QString &baud)
{
    const int index = ui()->comb_sers->findText(port);
    QVERIFY2(index >= 0, qPrintable(port)); // never a port of the machine
    ui()->comb_sers->setCurrentIndex(index);
    ui()->comb_bps->setCurrentText(baud);
    ui()->btn_ser_conn->click();
}

void TestConnection::openAndClose_data()
{
    QTest::addColumn<QString>("baud");
    QTest::addColumn<speed_t>("speed");

    QTest::newRow("115200 baud") << QStringLiteral("115200") << speed_t(B115200);
    QTest::newRow("9600 baud") << QStringLiteral("9600") << speed_t(B9600);
    QTest::newRow("57600 baud") << QStringLiteral("57600") << speed_t(B57600);
}

void TestConnection::openAndClose()
{
    QFETCH(QString, baud);
    QFETCH(speed_t, speed);
    QVERIFY(device->setSlaveTermios(foreignLineSettings(device->slaveTermios())));
    QCOMPARE(portState(ui()), CLOSED_STATE);

    connectTo(device->slavePath(), baud);
    QCOMPARE(portState(ui()), OPEN_STATE);
    const termios line = device->slaveTermios();
    QCOMPARE(cfgetispeed(&line), speed);
    QCOMPARE(cfgetospeed(&line), speed);
    QCOMPARE(line.c_cflag & CSIZE, tcflag_t(CS8));
    QCOMPARE(line.c_cflag & (PARENB | CSTOPB | CRTSCTS), tcflag_t(0));
    QCOMPARE(line.c_iflag & (IXON | IXOFF), tcflag_t(0));

    ui()->btn_ser_conn->click();
    QCOMPARE(portState(ui()), CLOSED_STATE);
    // Really closed: the same port opens again.
    ui()->btn_ser_conn->click();
    QCOMPARE(portState(ui()), OPEN_STATE);
    ui()->btn_ser_conn->click();
    QCOMPARE(portState(ui()), CLOSED_STATE);
    QVERIFY2(warnings->count() == 0, qPrintable(warnings->describe().join('\n')));
}

void TestConnection::openFailure_data()
{
    QTest::addColumn<bool>("portMissing");
    QTest::addColumn<QString>("baud");

    QTest::newRow("path does not exist") << true << QStringLiteral("115200");
    QTest::newRow("baud is letters") << false << QStringLiteral("abc");
    QTest::newRow("baud is empty") << false << QString();
}

void TestConnection::openFailure()
{
    QFETCH(bool, portMissing);
    QFETCH(QString, baud);

    connectTo(portMissing ? missingPort : device->slavePath(), baud);
    QTRY_COMPARE(warnings->count(), 1);
    QCOMPARE(warnings->messages().first().title, QStringLiteral("错误"));
    QCOMPARE(warnings->messages().first().text, QStringLiteral("串口打开失败！"));
    QCOMPARE(portState(ui()), CLOSED_STATE);

    // The user may try again with a good port and baud rate.
    connectTo(device->slavePath(), QStringLiteral("115200"));
    QCOMPARE(portState(ui()), OPEN_STATE);
    QCOMPARE(warnings->count(), 1);
}

void TestConnection::closeStopsSendModes_data()
{
    QTest::addColumn<QString>("modeButton");

    QTest::newRow("timed sending") << QStringLiteral("btn_txAuto");
    QTest::newRow("answer-driven sending") << QStringLiteral("btn_txAck");
}

void TestConnection::closeStopsSendModes()
{
    QFETCH(QString, modeButton);
    auto *button = window->findChild<QPushButton *>(modeButton);
    QVERIFY(button);
    ui()->le_txTm->setText(QStringLiteral("20"));
    connectTo(device->slavePath(), QStringLiteral("115200"));
    QCOMPARE(portState(ui()), OPEN_STATE);

    button->click();
    QVERIFY(button->isChecked());
    QVERIFY(!device->readAll(100).isEmpty()); // the mode runs while the port is open
    const TrafficCounters counted = MainWindowProbe::counters(*window);
    ui()->btn_ser_conn->click();

    QCOMPARE(portState(ui()), CLOSED_STATE);
    // Closing stops the modes but keeps what was counted.
    QVERIFY(std::memcmp(&counted, &MainWindowProbe::counters(*window), sizeof counted) == 0);
    QVERIFY(!ui()->btn_txAuto->isChecked());
    QVERIFY(!ui()->btn_txAck->isChecked());
    QCOMPARE(device->readAll(200), QByteArray());
}

void TestConnection::deviceGoneClosesOnce_data()
{
    QTest::addColumn<bool>("timedSending");

    QTest::newRow("idle") << false;
    QTest::newRow("timed sending running") << true;
}

void TestConnection::deviceGoneClosesOnce()
{
    QFETCH(bool, timedSending);
    ui()->le_txTm->setText(QStringLiteral("20"));
    connectTo(device->slavePath(), QStringLiteral("115200"));
    QCOMPARE(portState(ui()), OPEN_STATE);
    if (timedSending)
        ui()->btn_txAuto->click();

    device->closeMaster();
    QTRY_COMPARE(warnings->count(), 1);
    QCOMPARE(warnings->messages().first().title, QStringLiteral("错误"));
    QCOMPARE(warnings->messages().first().text, QStringLiteral("串口已断开"));
    QCOMPARE(portState(ui()), CLOSED_STATE);
    QVERIFY(!ui()->btn_txAuto->isChecked());

    // A port left open on a hung-up line spins at full speed.
    const qint64 before = cpuTimeMs();
    runEventLoop(1000);
    const qint64 used = cpuTimeMs() - before;
    QVERIFY2(used < 100, qPrintable(QStringLiteral("%1 ms of CPU in one second").arg(used)));
    QVERIFY(!MainWindowProbe::serialPort(*window).isOpen());
    QCOMPARE(warnings->count(), 1);
}

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
