// The exchange with the device: the payload as built, the send modes, "出错停发", what a close
// leaves; replies compared with the packets outstanding.
#include "enginelink.h"

const QByteArray PAYLOAD = QByteArray::fromHex("1122334455");
const QByteArray MANY = QByteArray("0123456789").repeated(500); // 5000 bytes, no two shifts alike

struct PayloadWindow : EngineLink {
    explicit PayloadWindow(bool tag)
    {
        open();
        ui->cb_tag->setChecked(tag);
    }
    void set(QLineEdit *low, QLineEdit *high, const QString &range)
    {
        low->setText(range.section(' ', 0, 0));
        high->setText(range.section(' ', 1));
    }
    QString packet() // as hex, "none" when refused
    {
        const QScopedPointer<Packet> p(Probe::buildPacket(window));
        return p ? QByteArray(reinterpret_cast<const char *>(p->bytes), p->length).toHex() : "none";
    }
};

// The one mode running ("btn_txAck", "btn_txAuto" or none), with its captions and timer.
void checkModes(EngineLink &link, const QString &running)
{
    const bool ack = running == "btn_txAck", timed = running == "btn_txAuto";
    QCOMPARE(link.ui->btn_txFull->text(), running == "btn_txFull" ? "停止满速发送" : "满速发送");
    QCOMPARE(link.ui->btn_txAck->text(), ack ? "停止应答式发送" : "应答式发送");
    QCOMPARE(link.ui->btn_txAuto->text(), timed ? "停止定时发送" : "定时发送");
    QCOMPARE(Probe::timerSend(link.window) != 0, timed);
}

class TestExchange : public QObject
{
    Q_OBJECT

private slots:
    void packets_data()
    {
        QTest::addColumn<QString>("sids"); // "min max" with the tag on; empty: tag off
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("packets");
        const QString many = MANY.toHex(' '), cut = "5a07" + MANY.left(PACKET_CAPACITY - 2).toHex();
        // clang-format off
        QTest::newRow("SID 1 to 2 alternates") << "1 2" << "" << "5a01 5a02 5a01 5a02 5a01";
        QTest::newRow("SID 7 to 7, payload cut to fit after the tag") << "7 7" << many << cut + ' ' + cut;
        QTest::newRow("past 255 back to the minimum") << "253 255" << "" << "5afd 5afe 5aff 5afd";
        QTest::newRow("single spaces, padding, either case") << "" << "  01 aB 1F  " << "01ab1f";
        QTest::newRow("double space in the middle") << "" << "01  02" << "none";
        QTest::newRow("invalid part in the middle") << "" << "01 XY 03" << "none";
        QTest::newRow("5000 parts: 4096 kept") << "" << many << QString(MANY.left(PACKET_CAPACITY).toHex());
        // clang-format on
    }
    void packets()
    {
        QFETCH(QString, sids);
        QFETCH(QString, typed);
        QFETCH(QString, packets);
        PayloadWindow w(!sids.isEmpty());
        w.set(w.ui->le_sid_min, w.ui->le_sid_max, QStringLiteral("0 0"));
        w.packet(); // the SID counter lives for the whole process: back to 0
        w.set(w.ui->le_sid_min, w.ui->le_sid_max, sids);
        WarningCatcher warnings;
        w.ui->te_txData->setPlainText(typed);
        QStringList built;
        while (built.size() <= packets.count(' '))
            built << w.packet();
        QCOMPARE(built.join(' '), packets);
        const bool refused = packets == "none"; // told in place; each send refused with a warning
        QCOMPARE(w.ui->te_txData->toolTip(),
                 refused ? "数据输入错误，请输入合法的十六进制数据" : "");
        for (QPushButton *send : {w.ui->btn_txOne, w.ui->btn_txAck, w.ui->btn_txAuto})
            if (refused)
                send->click();
        QCOMPARE(warnings.count(), refused ? 3 : 0);
        QCOMPARE(w.sent(1, QUIET_MS), QList<QByteArray>());
    }

    // Random lengths beyond what fits after the tag are drawn as long as fits.
    void randomLengthsFit()
    {
        PayloadWindow w(true);
        w.set(w.ui->le_txLenMin, w.ui->le_txLenMax, QStringLiteral("9000 100"));
        w.ui->cb_randData->click();
        QCOMPARE(w.ui->le_txLenMin->text() + ' ' + w.ui->le_txLenMax->text(), "9000 9000");
        QCOMPARE(w.packet().size() / 2, PACKET_CAPACITY);
    }

    // With comparison on, what the view shows, in order, once a reply has come (a received frame
    // before the frame it triggers), and which mode still runs.
    void replies_data()
    {
        QTest::addColumn<QString>("mode"); // the button started; timed sends nothing in the test
        QTest::addColumn<bool>("autoStop");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("view");
        const QByteArray spoiled = frameOf(PAYLOAD, true) + frameOf(PAYLOAD),
                         corrupted = frameOf(QByteArray::fromHex("1122334466"));
        // clang-format off
        QTest::newRow("bad FCS unanswered, the echo after it answered") << "btn_txAck" << false << spoiled << "发收发";
        QTest::newRow("auto-stop: a framing error stops") << "btn_txAck" << true << spoiled << "发收";
        QTest::newRow("a corrupted answer still drives the link") << "btn_txAck" << false << corrupted << "发收发";
        QTest::newRow("auto-stop: a corrupted answer stops") << "btn_txAck" << true << corrupted << "发收";
        QTest::newRow("auto-stop: a comparison failure stops timed sending") << "btn_txAuto" << true << corrupted << "收";
        // clang-format on
    }
    void replies()
    {
        QFETCH(QString, mode);
        QFETCH(bool, autoStop);
        QFETCH(QByteArray, reply);
        QFETCH(QString, view);
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(PAYLOAD);
        for (QCheckBox *box : {link.ui->cb_trxCmp, link.ui->cb_txShow, link.ui->cb_rxShow})
            box->setChecked(true);
        link.ui->cb_autoStop->setChecked(autoStop);
        link.ui->le_txTm->setText(QStringLiteral("10000"));
        link.window.findChild<QPushButton *>(mode)->click();
        QCOMPARE(link.sent(1, view.startsWith("发") ? WAIT_MS : QUIET_MS).size(),
                 int(view.startsWith("发")));
        QVERIFY(link.deliver(reply));
        QCOMPARE(link.sent(INT_MAX, QUIET_MS).size(), view.count("发") - view.startsWith("发"));
        QCOMPARE(link.viewLabels(), view);
        checkModes(link, autoStop ? "" : mode);
    }

    // Each mode stops the other and restarts the counts; closing the port stops
    // timed sending; a period of 0 is refused and stops both.
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
        link.ui->btn_txAck->click(); // restarts the counts too
        checkModes(link, "btn_txAck");
        QCOMPARE(link.counters().cntRxBytes, 0u);
        QVERIFY(link.deliver(frameOf(PAYLOAD)));
        link.ui->btn_txFull->click(); // and so does full speed
        checkModes(link, "btn_txFull");
        QCOMPARE(link.counters().cntRxBytes, 0u);
        link.ui->btn_txAuto->click();
        link.ui->btn_ser_conn->click(); // closing the port stops it too
        checkModes(link, "");
        QVERIFY(link.open());
        link.ui->btn_txAck->click();
        link.ui->le_txTm->setText(QStringLiteral("0"));
        link.ui->btn_txAuto->click();
        QCOMPARE(warnings.describe(), QStringList{"输入错误: 请输入正确的定时周期"});
        checkModes(link, "");
    }

    // A device that reads nothing: the port queues at most a largest frame (at 115200 baud),
    // and what has not left by the close is a send error only, neither sent, outstanding nor
    // unanswered at its reply timeout.
    void unreadFramesAreNotSent()
    {
        EngineLink link;
        QVERIFY(link.open());
        link.setPayload(QByteArray(1000, 'a'));
        link.ui->cb_trxCmp->setChecked(true);
        Probe::ledger(link.window).setReplyTimeoutMs(1);
        for (int i = 0; i < 300; ++i, QTest::qWait(1))
            link.ui->btn_txOne->click();
        const quint64 sentBeforeClose = link.counters().cntTxPackets;
        link.ui->btn_ser_conn->click();
        const quint64 left = link.sent(INT_MAX, 200).size();
        QVERIFY(sentBeforeClose - left <= FRAME_BUF_SIZE / 1004);
        QCOMPARE(link.counters().cntTxPackets, left);
        QCOMPARE(link.counters().cntTxBytes, 1000 * left);
        QCOMPARE(link.counters().cntTxErrors, 300 - left);
        QCOMPARE(quint64(Probe::outstanding(link.window)) + link.counters().cntNoReply, left);
    }

    // Full speed against a device that reads but never answers: as many frames as the ledger
    // keeps outstanding, none given up, then it waits.
    void fullSpeedWaitsForAnswers()
    {
        EngineLink link;
        QVERIFY(link.open());
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->btn_txFull->click();
        QCOMPARE(link.sent(INT_MAX, 2 * QUIET_MS).size(), OUTSTANDING_LIMIT);
        QCOMPARE(link.counters().cntNoReply + link.counters().cntTxErrors, 0u);
    }

    // A packet whose every byte and both FCS bytes need escaping gives the longest frame: sent,
    // and its echo compared like any other.
    void longestFrame()
    {
        EngineLink link;
        QVERIFY(link.open());
        QByteArray payload(PACKET_CAPACITY, '\x7E');
        for (int i = 0; i < 16; ++i) // these 7D make both FCS bytes 7D or 7E
            payload[PACKET_CAPACITY - 16 + i] = 0x2694 >> i & 1 ? '\x7D' : '\x7E';
        link.setPayload(payload);
        link.ui->cb_trxCmp->setChecked(true);
        link.ui->btn_txOne->click();
        const QByteArray line = link.device.readAll(QUIET_MS);
        QCOMPARE(line.size(), 2 * (PACKET_CAPACITY + 2) + 2);
        QVERIFY(link.deliver(line));
        QCOMPARE(link.counters().cntCmpOk, 1u);
    }

    // Reads of the line through the decoder into the counters. Packets and reads are hex words;
    // a read starting "=" is that body framed, "reopen" closes the port, leaves a byte on the
    // line and opens it again.
    void receive_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("counts"); // frames, framing errors, matched, failed (marked),
                                             // late, outstanding
        // clang-format off
        QTest::newRow("reopened on a part frame: a clean start, the reply from before late") << "1122" << "7e1122 reopen =1122" << "1 0 0 0 1 0";
        QTest::newRow("two extra bytes match") << "112233" << "=112233eeff" << "1 0 1 0 0 0";
        QTest::newRow("one extra byte fails") << "112233" << "=112233ee" << "1 0 0 1 0 1";
        // clang-format on
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
              c.cntCmpOk, c.cntCmpFail, c.cntLate, quint64(Probe::outstanding(link.window))})
            seen << QString::number(n);
        QCOMPARE(seen.join(' '), counts);
        QCOMPARE(quint64(link.viewLines().filter("[ 比较失败 ]").size()), c.cntCmpFail);
        QCOMPARE(Probe::roundTrips(link.window).count(), c.cntCmpOk);
    }
};

QTEST_MAIN(TestExchange)
#include "tst_exchange.moc"
