// Sending: one-shot sends, answer-driven chains, timed sending and how the two
// continuous modes exclude each other.
#include "enginelink.h"

#include <QPushButton>

using namespace enginetest;

namespace {

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");
const QString ACK_IDLE = QStringLiteral("应答式发送");
const QString ACK_RUNNING = QStringLiteral("停止应答式发送");
const QString TIMED_IDLE = QStringLiteral("定时发送");
const QString TIMED_RUNNING = QStringLiteral("停止定时发送");

QPushButton *button(EngineLink &link, const QString &name)
{
    return link.window.findChild<QPushButton *>(name);
}

} // namespace

class TestSending : public QObject
{
    Q_OBJECT

private slots:
    void oneShotSend_data();
    void oneShotSend();
    void answerDrivenEchoRunsTheChain();
    void answerDrivenSilentDeviceGetsOneFrame();
    void answerDrivenReply_data();
    void answerDrivenReply();
    void timedSendingWaitsOnePeriod();
    void invalidPeriodWarnsAndLeavesBothOff_data();
    void invalidPeriodWarnsAndLeavesBothOff();
    void startingOneModeStopsTheOther_data();
    void startingOneModeStopsTheOther();
    void closingThePortStopsTimedSending();
};

void TestSending::oneShotSend_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("presses");
    QTest::addColumn<int>("sent");
    QTest::addColumn<int>("failed");

    QTest::newRow("plain packet") << PAYLOAD << 1 << 1 << 0;
    QTest::newRow("two presses, two frames") << PAYLOAD << 2 << 2 << 0;
    // 12 bytes on the line, 5 counted: flags, escapes and FCS are not packet bytes.
    QTest::newRow("flag and escape bytes stuffed") << QByteArray::fromHex("7e7d7e0001") << 1 << 1 << 0;
    QTest::newRow("empty packet is refused") << QByteArray() << 2 << 0 << 2;
}

void TestSending::oneShotSend()
{
    QFETCH(QByteArray, payload);
    QFETCH(int, presses);
    QFETCH(int, sent);
    QFETCH(int, failed);
    EngineLink link;
    QVERIFY(link.open());
    link.setPayload(payload);
    link.ui->cb_txShow->setChecked(true);

    for (int press = 0; press < presses; ++press)
        link.ui->btn_txOne->click();

    QCOMPARE(link.device.readAll(QUIET_MS), frameOf(payload).repeated(sent));
    QCOMPARE(link.counters().cntTxPackets, quint64(sent));
    QCOMPARE(link.counters().cntTxBytes, quint64(sent * payload.size()));
    QCOMPARE(link.counters().cntTxErrors, quint64(failed));
    QCOMPARE(link.viewLines(sent).size(), sent);
}

void TestSending::answerDrivenEchoRunsTheChain()
{
    const int rounds = 300;
    EngineLink link;
    QVERIFY(link.open());
    link.setPayload(PAYLOAD);
    link.ui->cb_trxCmp->setChecked(true);
    link.ui->cb_txShow->setChecked(true);
    link.ui->cb_rxShow->setChecked(true);

    link.ui->btn_txAck->click();
    for (int round = 0; round < rounds; ++round) {
        const QList<QByteArray> sent = link.sentBodies(1);
        QCOMPARE(sent, QList<QByteArray>{PAYLOAD});
        QVERIFY(link.deliver(frameOf(sent.first())));
    }

    const TrafficCounters &counters = link.counters();
    QCOMPARE(counters.cntTxPackets, quint64(rounds + 1));
    QCOMPARE(counters.cntRxPackets, quint64(rounds));
    QCOMPARE(counters.cntCmpOk, quint64(rounds));
    QCOMPARE(counters.cntCmpFail, quint64(0));
    QCOMPARE(counters.cntTxErrors + counters.cntCrcErrors + counters.cntShortErrors, quint64(0));
    QCOMPARE(link.outstanding(), 1);
    // Each received line comes before the frame it triggered.
    const QStringList lines = link.viewLines(2 * rounds + 1);
    QCOMPARE(lines.size(), 2 * rounds + 1);
    for (int i = 0; i < lines.size(); ++i) {
        QVERIFY2(lines.at(i).startsWith(i % 2 == 0 ? QStringLiteral("[ 发") : QStringLiteral("[ 收")),
                 qPrintable(lines.at(i)));
        QVERIFY(!lines.at(i).contains(QStringLiteral("比较失败")));
    }
}

void TestSending::answerDrivenSilentDeviceGetsOneFrame()
{
    EngineLink link;
    QVERIFY(link.open());

    link.ui->btn_txAck->click();

    QCOMPARE(link.sentBodies(1).size(), 1);
    QCOMPARE(link.sentWithin().size(), 0);
    QVERIFY(link.ui->btn_txAck->isChecked());
    QCOMPARE(link.ui->btn_txAck->text(), ACK_RUNNING);
    QCOMPARE(link.counters().cntTxPackets, quint64(1));
}

void TestSending::answerDrivenReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("compare");
    QTest::addColumn<int>("framesTriggered");
    QTest::addColumn<int>("comparisonFailures");

    const QByteArray other = frameOf(QByteArray::fromHex("aabb"));
    QTest::newRow("matching echo") << frameOf(PAYLOAD) << true << 1 << 0;
    QTest::newRow("good reply failing the comparison") << other << true << 1 << 1;
    QTest::newRow("good reply, comparison off") << other << false << 1 << 0;
    QTest::newRow("two good replies in one read, each answered") << frameOf(PAYLOAD) + other << true << 2 << 1;
    QTest::newRow("bad FCS") << badFcsFrameOf(PAYLOAD) << true << 0 << 0;
    QTest::newRow("bad escape") << QByteArray::fromHex("7e117d31227e") << true << 0 << 0;
}

void TestSending::answerDrivenReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, compare);
    QFETCH(int, framesTriggered);
    QFETCH(int, comparisonFailures);
    EngineLink link;
    QVERIFY(link.open());
    link.setPayload(PAYLOAD);
    link.ui->cb_trxCmp->setChecked(compare);
    link.ui->btn_txAck->click();
    QCOMPARE(link.sentBodies(1).size(), 1);

    QVERIFY(link.deliver(reply));

    QCOMPARE(link.sentWithin().size(), framesTriggered);
    QVERIFY(link.ui->btn_txAck->isChecked());
    QCOMPARE(link.counters().cntCmpFail, quint64(comparisonFailures));
}

void TestSending::timedSendingWaitsOnePeriod()
{
    EngineLink link;
    QVERIFY(link.open());
    link.setPayload(PAYLOAD);
    link.ui->le_txTm->setText(QStringLiteral("200"));

    link.ui->btn_txAuto->click();
    QCOMPARE(link.counters().cntTxPackets, quint64(0));
    QCOMPARE(link.sentWithin(100).size(), 0); // a coarse 200 ms timer never fires this early
    QCOMPARE(link.ui->btn_txAuto->text(), TIMED_RUNNING);
    QVERIFY(!link.ui->le_txTm->isEnabled());
    QCOMPARE(link.sentBodies(3), QList<QByteArray>({PAYLOAD, PAYLOAD, PAYLOAD}));

    link.ui->btn_txAuto->click();
    link.sentWithin(50); // a frame already on the line when the timer stopped
    QCOMPARE(link.sentWithin(500).size(), 0);
    QCOMPARE(link.ui->btn_txAuto->text(), TIMED_IDLE);
    QVERIFY(link.ui->le_txTm->isEnabled());
    QCOMPARE(MainWindowProbe::timerSend(link.window), 0);
}

void TestSending::invalidPeriodWarnsAndLeavesBothOff_data()
{
    QTest::addColumn<QString>("period");
    QTest::newRow("zero") << QStringLiteral("0");
    QTest::newRow("negative") << QStringLiteral("-5");
    QTest::newRow("empty") << QString();
    QTest::newRow("letters") << QStringLiteral("abc");
}

void TestSending::invalidPeriodWarnsAndLeavesBothOff()
{
    QFETCH(QString, period);
    WarningCatcher warnings;
    EngineLink link;
    QVERIFY(link.open());
    link.ui->le_txTm->setText(period);
    link.ui->btn_txAck->click();

    link.ui->btn_txAuto->click();

    QCOMPARE(warnings.describe(), QStringList{QStringLiteral("输入错误: 请输入正确的定时周期")});
    QVERIFY(!link.ui->btn_txAuto->isChecked());
    QVERIFY(!link.ui->btn_txAck->isChecked());
    QCOMPARE(link.ui->btn_txAuto->text(), TIMED_IDLE);
    QCOMPARE(link.ui->btn_txAck->text(), ACK_IDLE);
    QCOMPARE(MainWindowProbe::timerSend(link.window), 0);
    QVERIFY(link.ui->le_txTm->isEnabled());
}

void TestSending::startingOneModeStopsTheOther_data()
{
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("second");
    QTest::newRow("timed stops answer-driven") << QStringLiteral("btn_txAck") << QStringLiteral("btn_txAuto");
    QTest::newRow("answer-driven stops timed") << QStringLiteral("btn_txAuto") << QStringLiteral("btn_txAck");
}

void TestSending::startingOneModeStopsTheOther()
{
    QFETCH(QString, first);
    QFETCH(QString, second);
    const bool timedSecond = second == QLatin1String("btn_txAuto");
    EngineLink link;
    QVERIFY(link.open());
    link.ui->le_txTm->setText(QStringLiteral("10000"));
    button(link, first)->click();
    link.ui->btn_txOne->click();
    QVERIFY(link.deliver(frameOf(PAYLOAD)));
    const quint64 firstOrigin = MainWindowProbe::stampOrigin(link.window);

    button(link, second)->click();

    QVERIFY(!button(link, first)->isChecked());
    QVERIFY(button(link, second)->isChecked());
    QCOMPARE(link.ui->btn_txAck->text(), timedSecond ? ACK_IDLE : ACK_RUNNING);
    QCOMPARE(link.ui->btn_txAuto->text(), timedSecond ? TIMED_RUNNING : TIMED_IDLE);
    QCOMPARE(MainWindowProbe::timerSend(link.window) != 0, timedSecond);
    QCOMPARE(link.ui->le_txTm->isEnabled(), !timedSecond);
    // The measurement restarted: answer-driven has sent its first frame since.
    QCOMPARE(link.counters().cntRxBytes, quint64(0));
    QCOMPARE(link.counters().cntTxPackets, quint64(timedSecond ? 0 : 1));
    QVERIFY(MainWindowProbe::stampOrigin(link.window) > firstOrigin);
}

void TestSending::closingThePortStopsTimedSending()
{
    EngineLink link;
    QVERIFY(link.open());
    link.ui->le_txTm->setText(QStringLiteral("50"));
    link.ui->btn_txAuto->click();
    QVERIFY(MainWindowProbe::timerSend(link.window) != 0);

    link.ui->btn_ser_conn->click();

    QVERIFY(!MainWindowProbe::portOpen(link.window));
    QCOMPARE(MainWindowProbe::timerSend(link.window), 0);
    QVERIFY(!link.ui->btn_txAuto->isChecked());
    QCOMPARE(link.ui->btn_txAuto->text(), TIMED_IDLE);
    QCOMPARE(link.ui->btn_txAck->text(), ACK_IDLE);
    QVERIFY(link.ui->le_txTm->isEnabledTo(link.ui->gb_send)); // the closed port disables the group
}

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
