// The exchange with the device: answer-driven and timed sending, the modes' exclusion,
// "出错停发", what a close leaves; replies compared with the packets outstanding.
#include "enginelink.h"

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");

// The one mode running ("btn_txAck", "btn_txAuto" or none), with its captions and timer.
void checkModes(EngineLink &link, const QString &running)
{
    const bool ack = running == "btn_txAck", timed = running == "btn_txAuto";
    QCOMPARE(link.ui->btn_txAck->text(), ack ? "停止应答式发送" : "应答式发送");
    QCOMPARE(link.ui->btn_txAuto->text(), timed ? "停止定时发送" : "定时发送");
    QCOMPARE(Probe::timerSend(link.window) != 0, timed);
}

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    // Answer-driven with comparison on: what the view shows, in order, once the reply has come
    // (a received frame before the frame it triggers).
    void replies_data()
    {
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("view");
        const QByteArray badFcs = frameOf(PAYLOAD, true) + frameOf(PAYLOAD);
        QTest::newRow("failing the comparison, answered") << false << frameOf("\xaa") << "发收发";
        QTest::newRow("bad FCS unanswered, the echo after it") << false << badFcs << "发收发";
        QTest::newRow("auto-stop: a framing error stops") << true << badFcs << "发收";
    }
    void replies()
    {
        QFETCH(bool, autoStop);
        QFETCH(QByteArray, reply);
        QFETCH(QString, view);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(PAYLOAD);
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->cb_autoStop->setChecked(autoStop);
        link.ui->btn_txAck->click();
        QCOMPARE(link.sent(1), QList<QByteArray>{PAYLOAD});
        QVERIFY(link.deliver(reply));
        QCOMPARE(link.sent(INT_MAX, QUIET_MS).size(), view.count("发") - 1);
        QCOMPARE(link.viewLabels(), view);
        checkModes(link, autoStop ? "" : "btn_txAck");
    }

    // Each mode stops the other, and restarts the counts; a period of 0 is refused and stops
    // both.
    void switchingModes()
    {
        WarningCatcher warnings;
        EngineLink link;
        QVERIFY(link.open());
        link.ui->btn_txAck->click();
        QVERIFY(link.deliver(frameOf(PAYLOAD)));
        link.ui->le_txTm->setText(QStringLiteral("10000"));
        link.ui->btn_txAuto->click();
        checkModes(link, "btn_txAuto");
        QCOMPARE(link.counters().cntRxBytes, 0u);
        QVERIFY(link.deliver(frameOf(PAYLOAD)));
        link.ui->btn_txAck->click();
        checkModes(link, "btn_txAck");
        QCOMPARE(link.counters().cntRxBytes, 0u);
        link.ui->le_txTm->setText(QStringLiteral("0"));
        link.ui->btn_txAuto->click();
        QCOMPARE(warnings.describe(), QStringList{"输入错误: 请输入正确的定时周期"});
        checkModes(link, "");
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

    // Reads of the line through the decoder into the counters. Packets and reads are hex words;
    // a read starting "=" is that body framed, "reopen" closes the port, leaves a byte on the
    // line and opens it again.
    void receive_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("counts"); // frames, framing errors, matched, failed (marked),
                                             // unanswered, outstanding
        const auto row = [](const char *name, const char *sent, const QString &reads,
                            const QString &counts) {
            QTest::newRow(name) << sent << reads << counts;
        };
        row("reopened on a part frame: a clean start", "", "7e1122 reopen =1122", "1 0 0 1 0 0");
        row("two extra bytes match", "112233", "=112233eeff", "1 0 1 0 0 0");
        row("one extra byte fails", "112233", "=112233ee", "1 0 0 1 0 1");
        row("three extra bytes fail", "112233", "=112233eeff01", "1 0 0 1 0 1");
        row("one byte changed fails", "112233", "=112234", "1 0 0 1 0 1");
        row("reply to the second of three frees two", "1122 3344 1122", "=3344", "1 0 1 0 1 1");
        row("oldest of equal packets wins", "1122 1122", "=1122", "1 0 1 0 0 1");
        QString ring;
        for (int i = 0; i < TX_RING_SLOTS; ++i)
            ring += QString(" aa%1").arg(i, 4, 16, QChar('0'));
        row("a full ring drops the oldest, whose reply then fails", qPrintable(ring),
            "=aa0000 =aa0001", QString("2 0 1 1 1 %1").arg(TX_RING_SLOTS - 2));
    }
    void receive()
    {
        QFETCH(QString, sent);
        QFETCH(QString, reads);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->cb_rxShow->setChecked(true);
        QList<QByteArray> packets;
        for (const QString &word : sent.split(' ', Qt::SkipEmptyParts)) {
            packets << QByteArray::fromHex(word.toLatin1());
            link.setPayload(packets.last());
            link.ui->btn_txOne->click();
            QCoreApplication::processEvents(); // the port writes its queue
        }
        QCOMPARE(link.sent(packets.size()), packets);
        for (const QString &word : reads.split(' ')) {
            const QByteArray hex = QByteArray::fromHex(QString(word).remove('=').toLatin1());
            if (word == "reopen") {
                link.ui->btn_ser_conn->click();
                QVERIFY(link.device.write("\x11"));
                QVERIFY(link.open());
            } else {
                QVERIFY(link.deliver(word.startsWith('=') ? frameOf(hex) : hex));
            }
        }
        const TrafficCounters &c = link.counters();
        QStringList seen;
        for (const quint64 n :
             {c.cntRxPackets, c.cnt7dErrors + c.cntCrcErrors + c.cntLongErrors + c.cntShortErrors,
              c.cntCmpOk, c.cntCmpFail, c.cntNoReply, quint64(Probe::outstanding(link.window))})
            seen << QString::number(n);
        QCOMPARE(seen.join(' '), counts);
        QCOMPARE(quint64(link.viewLines().filter("[ 比较失败 ]").size()), c.cntCmpFail);
        QCOMPARE(Probe::roundTrips(link.window).count(), c.cntCmpOk);
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
