// Sending: one-shot, answer-driven and timed, the modes' exclusion, and "出错停发".
#include "enginelink.h"

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");
const QByteArray MISMATCH = frameOf(QByteArray::fromHex("aabb"));
const QByteArray FRAMING_ERROR = badFcsFrameOf(PAYLOAD) + frameOf(PAYLOAD); // then an echo to answer
const QString ACK_IDLE = QStringLiteral("应答式发送"), ACK_RUNNING = QStringLiteral("停止应答式发送");
const QString TIMED_IDLE = QStringLiteral("定时发送"), TIMED_RUNNING = QStringLiteral("停止定时发送");

class TestSending : public QObject
{
    Q_OBJECT

private slots:
    // A frame a press, stuffed on the wire, its packet bytes counted; an empty packet is refused.
    void oneShotSend()
    {
        EngineLink link;
        QVERIFY(link.open());
        const QByteArray payload = QByteArray::fromHex("7e7d7e0001");
        for (const QByteArray &typed : {payload, payload, QByteArray()}) {
            link.setPayload(typed);
            link.ui->btn_txOne->click();
        }
        QCOMPARE(link.device.readAll(QUIET_MS), frameOf(payload).repeated(2));
        const TrafficCounters &c = link.counters();
        QCOMPARE(QList<quint64>({c.cntTxPackets, c.cntTxBytes, c.cntTxErrors}), QList<quint64>({2, 10, 1}));
    }

    // The road of one frame: the echo is compared, shown, then answered.
    void answerDrivenEchoRunsTheChain()
    {
        const int rounds = 300;
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(PAYLOAD);
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->btn_txAck->click();
        for (int round = 0; round < rounds; ++round)
            QVERIFY2(link.sent(1).size() == 1 && link.deliver(frameOf(PAYLOAD)), qPrintable(QString::number(round)));
        const TrafficCounters &c = link.counters();
        QCOMPARE(QList<quint64>({c.cntTxPackets, c.cntRxPackets, c.cntCmpOk, c.cntCmpFail, c.cntTxErrors, c.cntCrcErrors,
                                 quint64(link.outstanding())}),
                 QList<quint64>({rounds + 1, rounds, rounds, 0, 0, 0, 1}));
        QString order; // each received line before the frame it triggered
        for (const QString &line : link.viewLines())
            order += line.at(2); // "[ 发 ..." or "[ 收 ..."
        QCOMPARE(order, QString("发收").repeated(rounds) + "发");
    }

    void answerDrivenReply_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<int>("answers");
        QTest::newRow("matching echo") << frameOf(PAYLOAD) << false << 1;
        QTest::newRow("silent device: one frame, still running") << QByteArray() << false << 0;
        QTest::newRow("good reply failing the comparison") << MISMATCH << false << 1;
        QTest::newRow("two replies in one read, each answered") << frameOf(PAYLOAD) + MISMATCH << false << 2;
        QTest::newRow("bad FCS unanswered, the echo after it answered") << FRAMING_ERROR << false << 1;
        QTest::newRow("auto-stop: comparison failure") << MISMATCH << true << 0;
        QTest::newRow("auto-stop: framing error, the echo after it unanswered") << FRAMING_ERROR << true << 0;
    }
    void answerDrivenReply()
    {
        QFETCH(QByteArray, reply);
        QFETCH(bool, autoStop);
        QFETCH(int, answers);
        EngineLink link;
        QVERIFY(link.open() && link.resyncDecoder()); // a stray framing error would stop the mode
        link.setPayload(PAYLOAD);
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->cb_autoStop->setChecked(autoStop);
        link.ui->btn_txAck->click();
        QVERIFY(link.sent(1).size() == 1 && link.deliver(reply));
        QCOMPARE(link.sentWithin().size(), answers);
        QCOMPARE(link.ui->btn_txAck->isChecked(), !autoStop);
        QCOMPARE(link.ui->btn_txAck->text(), autoStop ? ACK_IDLE : ACK_RUNNING);
    }

    void timedSendingAutoStop_data()
    {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("auto-stop: comparison failure") << MISMATCH;
        QTest::newRow("auto-stop: framing error") << FRAMING_ERROR;
    }
    // Nothing at the start, then a frame a period; auto-stop ends the timer and gives back the captions.
    void timedSendingAutoStop()
    {
        QFETCH(QByteArray, reply);
        EngineLink link;
        QVERIFY(link.open() && link.resyncDecoder());
        link.setPayload(PAYLOAD);
        link.ui->le_txTm->setText(QStringLiteral("200"));
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->cb_autoStop->setChecked(true);
        link.ui->btn_txAuto->click();
        QCOMPARE(link.sentWithin(100).size(), 0); // a coarse 200 ms timer never fires this early
        QCOMPARE(link.sent(2), QList<QByteArray>({PAYLOAD, PAYLOAD}));
        QVERIFY(link.deliver(reply));
        const quint64 sentAtStop = link.counters().cntTxPackets;
        QTest::qWait(500);
        QCOMPARE(link.counters().cntTxPackets, sentAtStop);
        QCOMPARE(link.ui->btn_txAuto->text() + link.ui->btn_txAck->text(), TIMED_IDLE + ACK_IDLE);
        QVERIFY(!link.ui->btn_txAuto->isChecked() && Probe::timerSend(link.window) == 0 && link.ui->le_txTm->isEnabled());
    }

    void switchingModes_data()
    {
        QTest::addColumn<QString>("pressed"); // while answer-driven runs if it is btn_txAuto, else timed
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("running"); // afterwards
        QTest::newRow("timed stops answer-driven") << "btn_txAuto" << "10000" << "btn_txAuto";
        QTest::newRow("answer-driven stops timed") << "btn_txAck" << "10000" << "btn_txAck";
        QTest::newRow("closing the port stops timed") << "btn_ser_conn" << "10000" << "";
        QTest::newRow("period 0: warning, both off") << "btn_txAuto" << "0" << "";
        QTest::newRow("period -5") << "btn_txAuto" << "-5" << "";
        QTest::newRow("empty period") << "btn_txAuto" << "" << "";
        QTest::newRow("letters for a period") << "btn_txAuto" << "abc" << "";
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
        const bool ack = running == "btn_txAck", timed = running == "btn_txAuto";
        const bool invalidPeriod = pressed == "btn_txAuto" && running.isEmpty();
        QCOMPARE(warnings.describe(), invalidPeriod ? QStringList{"输入错误: 请输入正确的定时周期"} : QStringList());
        QVERIFY(link.ui->btn_txAck->isChecked() == ack && link.ui->btn_txAuto->isChecked() == timed);
        QCOMPARE(link.ui->btn_txAck->text() + link.ui->btn_txAuto->text(),
                 (ack ? ACK_RUNNING : ACK_IDLE) + (timed ? TIMED_RUNNING : TIMED_IDLE));
        QVERIFY((Probe::timerSend(link.window) != 0) == timed && link.ui->le_txTm->isEnabledTo(link.ui->gb_send) != timed);
        const bool restarted = link.counters().cntRxBytes == 0 && Probe::stampOrigin(link.window) > firstOrigin;
        QCOMPARE(restarted, !running.isEmpty()); // the measurement, by a mode that starts
    }
};

QTEST_MAIN(TestSending)
#include "tst_sending.moc"
