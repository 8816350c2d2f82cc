// The port list: enumerated ports, then the paths given with --port, and the
// last port tried being current again after a refresh.
#include "app/commandline.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QtTest>

#include <memory>

namespace {

QStringList listedPorts(const Ui::MainWindow *ui)
{
    QStringList items;
    for (int index = 0; index < ui->comb_sers->count(); ++index)
        items << ui->comb_sers->itemText(index);
    return items;
}

QStringList enumeratedPortNames()
{
    QStringList names;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts())
        names << info.portName();
    return names;
}

// A line speed the window never picks, to tell which terminal it opened.
constexpr speed_t UNTOUCHED_SPEED = B1200;

} // namespace

class TestPortList : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void portOption_data();
    void portOption();
    void reselectsLastPort_data();
    void reselectsLastPort();
    void fallsBackToFirstWhenGone();

private:
    // A window listing two pseudo-terminals and a symlink to the second one.
    void openWindow();
    void clickConnect(const QString &port);
    Ui::MainWindow *ui() { return MainWindowProbe::ui(*window); }

    std::unique_ptr<TestWorkDir> workDir;
    std::unique_ptr<PseudoTerminal> devices[2];
    std::unique_ptr<WarningCatcher> warnings;
    std::unique_ptr<MainWindow> window;
    QStringList extraPorts;
};

void TestPortList::init()
{
    workDir = std::make_unique<TestWorkDir>();
    QVERIFY(workDir->isValid());
    warnings = std::make_unique<WarningCatcher>();
}

void TestPortList::cleanup()
{
    QVERIFY2(warnings->count() == 0, qPrintable(warnings->describe().join('\n')));
    window.reset();
    warnings.reset();
    for (auto &device : devices)
        device.reset();
    workDir.reset();
}

void TestPortList::openWindow()
{
    extraPorts.clear();
    for (auto &device : devices) {
        device = std::make_unique<PseudoTerminal>();
        QVERIFY(device->isValid());
        termios line = device->slaveTermios();
        cfsetspeed(&line, UNTOUCHED_SPEED);
        QVERIFY(device->setSlaveTermios(line));
        extraPorts << device->slavePath();
    }
    const QString link = workDir->filePath(QStringLiteral("serial-link"));
    QVERIFY(QFile::link(devices[1]->slavePath(), link));
    extraPorts << link;
    window = std::make_unique<MainWindow>(nullptr, WindowOptions{extraPorts});
    window->show();
}

void TestPortList::clickConnect(const QString &port)
{
    const int index = ui()->comb_sers->findText(port);
    QVERIFY2(index >= 0, qPrintable(port)); // never a port of the machine
    ui()->comb_sers->setCurrentIndex(index);
    ui()->comb_bps->setCurrentText(QStringLiteral("115200"));
    ui()->btn_ser_conn->click();
}

void TestPortList::portOption_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("listed");

    QTest::newRow("none") << QStringList() << QStringList();
    QTest::newRow("one") << QStringList{"--port", "/dev/pts/77"} << QStringList{"/dev/pts/77"};
    QTest::newRow("repeated, order kept")
        << QStringList{"--port", "/tmp/b", "--port=/dev/pts/77", "--port", "/tmp/a"}
        << QStringList{"/tmp/b", "/dev/pts/77", "/tmp/a"};
}

void TestPortList::portOption()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, listed);

    const WindowOptions options = parseCommandLine(QStringList{"pakto"} + arguments);
    QCOMPARE(options.extraPorts, listed);
    window = std::make_unique<MainWindow>(nullptr, options);
    QCOMPARE(listedPorts(ui()), enumeratedPortNames() + listed);
    QCOMPARE(ui()->comb_sers->currentIndex(), ui()->comb_sers->count() > 0 ? 0 : -1);
}

void TestPortList::reselectsLastPort_data()
{
    QTest::addColumn<int>("extra");  // which of the listed extra paths to open
    QTest::addColumn<int>("device"); // the terminal that path leads to

    QTest::newRow("first pseudo-terminal") << 0 << 0;
    QTest::newRow("second pseudo-terminal") << 1 << 1;
    QTest::newRow("symlink outside /dev") << 2 << 1;
}

void TestPortList::reselectsLastPort()
{
    QFETCH(int, extra);
    QFETCH(int, device);
    openWindow();
    if (QTest::currentTestFailed())
        return;
    const QString port = extraPorts.at(extra);

    clickConnect(port);
    QVERIFY(MainWindowProbe::portOpen(*window));
    const termios opened = devices[device]->slaveTermios();
    const termios other = devices[1 - device]->slaveTermios();
    QCOMPARE(cfgetospeed(&opened), speed_t(B115200));
    QCOMPARE(cfgetospeed(&other), UNTOUCHED_SPEED);

    ui()->btn_ser_conn->click(); // the close rebuilds the list
    QCOMPARE(ui()->comb_sers->currentText(), port);
    ui()->comb_sers->setCurrentIndex(0);
    ui()->btn_ser_refresh->click();
    QCOMPARE(ui()->comb_sers->currentText(), port);
    QCOMPARE(listedPorts(ui()), enumeratedPortNames() + extraPorts);
}

void TestPortList::fallsBackToFirstWhenGone()
{
    openWindow();
    if (QTest::currentTestFailed())
        return;
    clickConnect(extraPorts.last());
    ui()->btn_ser_conn->click();
    QCOMPARE(ui()->comb_sers->currentText(), extraPorts.last());

    // A test cannot unplug an enumerated port, and a --port path stays listed,
    // so the port leaves the list the only way it can here.
    MainWindowProbe::options(*window).extraPorts.removeLast();
    ui()->btn_ser_refresh->click();
    QCOMPARE(ui()->comb_sers->currentIndex(), 0);
    QCOMPARE(ui()->comb_sers->count(), enumeratedPortNames().size() + extraPorts.size() - 1);
}

QTEST_MAIN(TestPortList)
#include "tst_portlist.moc"
