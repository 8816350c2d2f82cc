// Sending: one-shot, answer-driven and timed, the modes' exclusion, and "出错停发".
#include "enginelink.h"

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");

// The one mode running ("btn_txAck", "btn_txAuto" or none), with its captions and timer.
void checkModes(EngineLink &link, const QString &running)
{
    const bool ack = running == "btn_txAck", timed = running == "btn_txAuto";
    QCOMPARE(link.ui->btn_txAck->isChecked(), ack);
    QCOMPARE(link.ui->btn_txAuto->isChecked(), timed);
    QCOMPARE(link.ui->btn_txAck->text(), ack ? "停止应答式发送" : "应答式发送");
    QCOMPARE(link.ui->btn_txAuto->text(), timed ? "停止定时发送" : "定时发送");
    QCOMPARE(Probe::timerSend(link.window) != 0, timed);
    QCOMPARE(link.ui->le_txTm->isEnabledTo(link.ui->gb_send), !timed);
}

class TestSending : public QObject
{
    Q_OBJECT

private slots:
    // The road of one frame: the echo, stuffed on the wire, is compared and shown before the
    // frame it triggers.
    void answerDrivenEchoRunsTheChain()
    {
        const QByteArray payload = QByteArray::fromHex("7e7d7e0001"), frame = frameOf(payload);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(payload);
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->btn_txAck->click();
        for (int round = 0; round < 50; ++round) {
            QCOMPARE(link.device.readExactly(frame.size(), WAIT_MS), frame);
            QVERIFY(link.deliver(frame));
        }
        QCOMPARE(
            link.viewLines().replaceInStrings(QRegularExpression("^\\[ (.).*"), "\\1").join(""),
            QString("发收").repeated(50) + "发");
        link.setPayload({}); // an empty packet is refused and counted
        link.ui->btn_txOne->click();
        QCOMPARE(link.device.readAll(QUIET_MS), frame);
        const TrafficCounters &c = link.counters();
        QCOMPARE(c.cntTxPackets, 51u);
        QCOMPARE(c.cntTxBytes, 5u * 51);
        QCOMPARE(c.cntRxPackets, 50u);
        QCOMPARE(c.cntCmpOk, 50u);
        QCOMPARE(c.cntTxErrors, 1u);
        QCOMPARE(Probe::outstanding(link.window), 1);
    }

    void replies_data()
    {
        QTest::addColumn<bool>("timed"); // else answer-driven, comparison on
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<int>("answers"); // frames sent after it
        const QByteArray other = frameOf("\xaa\xbb"),
                         badThenEcho = badFcsFrameOf(PAYLOAD) + frameOf(PAYLOAD);
        QTest::newRow("silent device: one frame, still running")
            << false << QByteArray() << false << 0;
        QTest::newRow("good reply failing the comparison") << false << other << false << 1;
        QTest::newRow("two replies in one read, each answered")
            << false << frameOf(PAYLOAD) + other << false << 2;
        QTest::newRow("bad FCS unanswered, the echo after it answered")
            << false << badThenEcho << false << 1;
        QTest::newRow("auto-stop: framing error, the echo after it unanswered")
            << false << badThenEcho << true << 0;
        QTest::newRow("timed, auto-stop: comparison failure") << true << other << true << 0;
    }
    void replies()
    {
        QFETCH(bool, timed);
        QFETCH(QByteArray, reply);
        QFETCH(bool, autoStop);
        QFETCH(int, answers);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(PAYLOAD);
        link.ui->le_txTm->setText(QStringLiteral("200"));
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->cb_autoStop->setChecked(autoStop);
        (timed ? link.ui->btn_txAuto : link.ui->btn_txAck)->click();
        if (timed) // a coarse 200 ms timer never fires this early
            QCOMPARE(link.sent(INT_MAX, 100).size(), 0);
        QCOMPARE(link.sent(timed ? 2 : 1).join(), PAYLOAD.repeated(timed ? 2 : 1));
        QVERIFY(link.deliver(reply));
        QCOMPARE(link.sent(INT_MAX, timed ? 500 : QUIET_MS).size(), answers);
        checkModes(link, autoStop ? "" : timed ? "btn_txAuto" : "btn_txAck");
    }

    void switchingModes_data()
    {
        QTest::addColumn<QString>(
            "pressed"); // while answer-driven runs if it is btn_txAuto, else timed
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("running"); // afterwards
        QTest::newRow("timed stops answer-driven") << "btn_txAuto"
                                                   << "10000"
                                                   << "btn_txAuto";
        QTest::newRow("answer-driven stops timed") << "btn_txAck"
                                                   << "10000"
                                                   << "btn_txAck";
        QTest::newRow("closing the port stops timed") << "btn_ser_conn"
                                                      << "10000"
                                                      << "";
        QTest::newRow("period 0: warning, both off") << "btn_txAuto"
                                                     << "0"
                                                     << "";
        QTest::newRow("period -5: warning, both off") << "btn_txAuto"
                                                      << "-5"
                                                      << "";
    }
    void switchingModes()
    {
        QFETCH(QString, pressed);
        QFETCH(QString, period);
        QFETCH(QString, running);
        WarningCatcher warnings;
        EngineLink link;
        QVERIFY(link.open());
        link.ui->le_txTm->setText(period);
        (pressed == "btn_txAuto" ? link.ui->btn_txAck : link.ui->btn_txAuto)->click();
        QVERIFY(link.deliver(frameOf(PAYLOAD)));
        const quint64 firstOrigin = Probe::stampOrigin(link.window);
        link.window.findChild<QAbstractButton *>(pressed)->click();
        const bool refused = pressed == "btn_txAuto" && running.isEmpty();
        QCOMPARE(warnings.describe(),
                 refused ? QStringList{"输入错误: 请输入正确的定时周期"} : QStringList());
        checkModes(link, running);
        // A mode that starts restarts the measurement.
        QCOMPARE(link.counters().cntRxBytes == 0, !running.isEmpty());
        QCOMPARE(Probe::stampOrigin(link.window) > firstOrigin, !running.isEmpty());
    }

    // A device that reads nothing: the port queues at most a largest frame (at 115200 baud),
    // and what has not left by the close is a send error, not a sent frame.
    void unreadFramesAreNotSent()
    {
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(QByteArray(1000, 'a'));
        for (int i = 0; i < 300; ++i, QTest::qWait(1))
            link.ui->btn_txOne->click();
        const quint64 sentBeforeClose = link.counters().cntTxPackets;
        link.ui->btn_ser_conn->click();
        const quint64 left = link.sent(INT_MAX, 200).size();
        QVERIFY(sentBeforeClose - left <= FRAME_BUF_SIZE / 1004);
        QCOMPARE(link.counters().cntTxPackets, left);
        QCOMPARE(link.counters().cntTxBytes, 1000 * left);
        QCOMPARE(link.counters().cntTxErrors, 300 - left);
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
