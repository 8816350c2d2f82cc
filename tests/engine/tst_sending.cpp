// Sending: one-shot, answer-driven and timed, the modes' exclusion, and "出错停发".
#include "enginelink.h"

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");

void checkModes(EngineLink &link,
                const QString &running) // the only mode on: "btn_txAck", "btn_txAuto" or none
{
    const bool ack = running == "btn_txAck", timed = running == "btn_txAuto";
    QVERIFY(link.ui->btn_txAck->isChecked() == ack && link.ui->btn_txAuto->isChecked() == timed);
    QCOMPARE(link.ui->btn_txAck->text() + link.ui->btn_txAuto->text(),
             QString(ack ? "停止应答式发送" : "应答式发送") +
                 (timed ? "停止定时发送" : "定时发送"));
    QVERIFY((Probe::timerSend(link.window) != 0) == timed &&
            link.ui->le_txTm->isEnabledTo(link.ui->gb_send) != timed);
}

class TestSending : public QObject
{
    Q_OBJECT

private slots:
    // The road of one frame: the echo, stuffed on the wire, is compared and shown before the frame
    // it triggers.
    void answerDrivenEchoRunsTheChain()
    {
        const QByteArray payload = QByteArray::fromHex("7e7d7e0001"), frame = frameOf(payload);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(payload);
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->btn_txAck->click();
        for (int round = 0; round < 300; ++round)
            QVERIFY(link.device.readExactly(frame.size(), WAIT_MS) == frame && link.deliver(frame));
        QCOMPARE(
            link.viewLines().replaceInStrings(QRegularExpression("^\\[ (.).*"), "\\1").join(""),
            QString("发收").repeated(300) + "发");
        link.setPayload({}); // an empty packet is refused and counted
        link.ui->btn_txOne->click();
        QCOMPARE(link.device.readAll(QUIET_MS), frame);
        const TrafficCounters &c = link.counters();
        QCOMPARE(QList<quint64>({c.cntTxPackets, c.cntTxBytes, c.cntRxPackets, c.cntCmpOk,
                                 c.cntCmpFail, c.cntTxErrors, quint64(link.outstanding())}),
                 QList<quint64>({301, 5 * 301, 300, 300, 0, 1, 1}));
    }

    void replies_data()
    {
        QTest::addColumn<bool>("timed"); // else answer-driven, comparison on
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<int>("answers"); // frames sent after it
        QTest::newRow("silent device: one frame, still running")
            << false << QByteArray() << false << 0;
        QTest::newRow("good reply failing the comparison")
            << false << frameOf("\xaa\xbb") << false << 1;
        QTest::newRow("two replies in one read, each answered")
            << false << frameOf(PAYLOAD) + frameOf("\xaa\xbb") << false << 2;
        QTest::newRow("bad FCS unanswered, the echo after it answered")
            << false << badFcsFrameOf(PAYLOAD) + frameOf(PAYLOAD) << false << 1;
        QTest::newRow("auto-stop: framing error, the echo after it unanswered")
            << false << badFcsFrameOf(PAYLOAD) + frameOf(PAYLOAD) << true << 0;
        QTest::newRow("timed, auto-stop: comparison failure")
            << true << frameOf("\xaa\xbb") << true << 0;
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
        QVERIFY(!timed ||
                link.sent(INT_MAX, 100).isEmpty()); // a coarse 200 ms timer never fires this early
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
        QTest::newRow("period -5") << "btn_txAuto"
                                   << "-5"
                                   << "";
        QTest::newRow("empty period") << "btn_txAuto"
                                      << ""
                                      << "";
        QTest::newRow("letters for a period") << "btn_txAuto"
                                              << "abc"
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
        const quint64 firstOrigin =
            Probe::stampOrigin(link.window); // the measurement restarts when a mode starts
        link.window.findChild<QAbstractButton *>(pressed)->click();
        QCOMPARE(warnings.describe(), pressed == "btn_txAuto" && running.isEmpty()
                                          ? QStringList{"输入错误: 请输入正确的定时周期"}
                                          : QStringList());
        checkModes(link, running);
        QCOMPARE(link.counters().cntRxBytes == 0 && Probe::stampOrigin(link.window) > firstOrigin,
                 !running.isEmpty());
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
        const quint64 left = link.sent(INT_MAX, 200).size(), queued = sentBeforeClose - left;
        const TrafficCounters &c = link.counters();
        QCOMPARE(QList<quint64>({c.cntTxPackets, c.cntTxBytes, c.cntTxErrors,
                                 queued <= FRAME_BUF_SIZE / 1004}),
                 QList<quint64>({left, 1000 * left, 300 - left, true}));
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
