// "出错停发": with the box ticked, the first failure ends a running continuous
// send mode; unticked, sending goes on.
#include "enginelink.h"

using namespace enginetest;

namespace {

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");
const QByteArray MISMATCH = frameOf(QByteArray::fromHex("aabb"));
// A framing error, then an echo that would carry an answer-driven chain on.
const QByteArray FRAMING_ERROR = badFcsFrameOf(PAYLOAD) + frameOf(PAYLOAD);

} // namespace

class TestAutoStop : public QObject
{
    Q_OBJECT

private slots:
    void answerDriven_data();
    void answerDriven();
    void timed_data();
    void timed();
};

void TestAutoStop::answerDriven_data()
{
    QTest::addColumn<QByteArray>("failure");
    QTest::addColumn<bool>("autoStop");
    QTest::addColumn<int>("framesSent");

    QTest::newRow("comparison failure, ticked: no answer to it") << MISMATCH << true << 1;
    QTest::newRow("comparison failure, unticked") << MISMATCH << false << 2;
    QTest::newRow("framing error, ticked: the echo after it is not answered") << FRAMING_ERROR << true << 1;
    QTest::newRow("framing error, unticked") << FRAMING_ERROR << false << 2;
}

void TestAutoStop::answerDriven()
{
    QFETCH(QByteArray, failure);
    QFETCH(bool, autoStop);
    QFETCH(int, framesSent);
    EngineLink link;
    QVERIFY(link.open());
    QVERIFY(link.resyncDecoder()); // a stray framing error would stop the mode too early
    link.setPayload(PAYLOAD);
    link.ui->cb_trxCmp->setChecked(true);
    link.ui->cb_autoStop->setChecked(autoStop);
    link.ui->btn_txAck->click();
    QCOMPARE(link.sentBodies(1).size(), 1);

    QVERIFY(link.deliver(failure));

    QCOMPARE(link.counters().cntTxPackets, quint64(framesSent));
    QCOMPARE(link.sentWithin().size(), framesSent - 1);
    QCOMPARE(link.ui->btn_txAck->isChecked(), !autoStop);
    QCOMPARE(link.ui->btn_txAck->text(), autoStop ? QStringLiteral("应答式发送") : QStringLiteral("停止应答式发送"));
}

void TestAutoStop::timed_data()
{
    QTest::addColumn<QByteArray>("failure");
    QTest::addColumn<bool>("autoStop");

    QTest::newRow("comparison failure, ticked") << MISMATCH << true;
    QTest::newRow("comparison failure, unticked") << MISMATCH << false;
    QTest::newRow("framing error, ticked") << FRAMING_ERROR << true;
    QTest::newRow("framing error, unticked") << FRAMING_ERROR << false;
}

void TestAutoStop::timed()
{
    QFETCH(QByteArray, failure);
    QFETCH(bool, autoStop);
    EngineLink link;
    QVERIFY(link.open());
    QVERIFY(link.resyncDecoder()); // a stray framing error would stop the mode too early
    link.setPayload(PAYLOAD);
    link.ui->le_txTm->setText(QStringLiteral("20"));
    link.ui->cb_trxCmp->setChecked(true);
    link.ui->cb_autoStop->setChecked(autoStop);
    link.ui->btn_txAuto->click();
    QCOMPARE(link.sentBodies(1).size(), 1);

    QVERIFY(link.deliver(failure));
    const quint64 sentAtFailure = link.counters().cntTxPackets;
    const int onTheLine = int(sentAtFailure) - 1;
    QCOMPARE(link.sentBodies(onTheLine).size(), onTheLine);

    QCOMPARE(link.ui->btn_txAuto->isChecked(), !autoStop);
    QCOMPARE(MainWindowProbe::timerSend(link.window) == 0, autoStop);
    QCOMPARE(link.ui->le_txTm->isEnabled(), autoStop);
    // Ten periods: a running timer would have sent several frames by then.
    QCOMPARE(link.sentWithin().size() == 0, autoStop);
    QCOMPARE(link.counters().cntTxPackets == sentAtFailure, autoStop);
}

QTEST_MAIN(TestAutoStop)
#include "tst_autostop.moc"
