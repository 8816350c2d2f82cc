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
    // Answer-driven with comparison on, or timed at 200 ms: what the view shows, in order,
    // once the reply has come (a received frame before the frame it triggers).
    void replies_data()
    {
        QTest::addColumn<bool>("timed");
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("view");
        const QByteArray other = frameOf("\xaa\xbb"), echo = frameOf(PAYLOAD);
        const auto row = [](const char *name, bool timed, bool autoStop, const QByteArray &reply,
                            const char *view) {
            QTest::newRow(name) << timed << autoStop << reply << view;
        };
        row("silent device: one frame, still running", false, false, "", "发");
        row("good reply failing the comparison, answered", false, false, other, "发收发");
        row("two replies in one read, each answered", false, false, echo + other, "发收发收发");
        row("bad FCS unanswered, the echo after it answered", false, false,
            frameOf(PAYLOAD, true) + echo, "发收发");
        row("auto-stop: a framing error stops", false, true, frameOf(PAYLOAD, true) + echo, "发收");
        row("timed, auto-stop: a comparison failure stops", true, true, other, "发发收");
    }
    void replies()
    {
        QFETCH(bool, timed);
        QFETCH(bool, autoStop);
        QFETCH(QByteArray, reply);
        QFETCH(QString, view);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(PAYLOAD);
        link.ui->le_txTm->setText(QStringLiteral("200"));
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->cb_autoStop->setChecked(autoStop);
        (timed ? link.ui->btn_txAuto : link.ui->btn_txAck)->click();
        if (timed) // a coarse 200 ms timer never fires this early
            QCOMPARE(link.sent(INT_MAX, 100).size(), 0);
        QCOMPARE(link.sent(timed ? 2 : 1).join(), PAYLOAD.repeated(timed ? 2 : 1));
        QVERIFY(link.deliver(reply));
        QCOMPARE(link.sent(INT_MAX, timed ? 500 : QUIET_MS).size(),
                 view.count("发") - (timed ? 2 : 1));
        QCOMPARE(link.viewLabels(), view);
        checkModes(link, autoStop ? "" : timed ? "btn_txAuto" : "btn_txAck");
    }

    void switchingModes_data()
    {
        QTest::addColumn<QString>("pressed"); // while answer-driven runs if btn_txAuto, else timed
        QTest::addColumn<QString>("period");
        QTest::addColumn<QString>("running"); // afterwards
        const auto row = [](const char *name, const char *pressed, const char *period,
                            const char *running) {
            QTest::newRow(name) << pressed << period << running;
        };
        row("timed stops answer-driven", "btn_txAuto", "10000", "btn_txAuto");
        row("answer-driven stops timed", "btn_txAck", "10000", "btn_txAck");
        row("closing the port stops timed", "btn_ser_conn", "10000", "");
        row("period 0: warning, both off", "btn_txAuto", "0", "");
        row("period -5: warning, both off", "btn_txAuto", "-5", "");
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
