// The receive path: counters from crafted byte streams, replies compared with the packets
// outstanding.
#include "enginelink.h"

class TestReceiving : public QObject
{
    Q_OBJECT

private slots:
    void receiveCounting_data()
    {
        QTest::addColumn<QByteArrayList>("reads"); // "reopen": closed, bytes arrive, reopened
        QTest::addColumn<QString>("counts"); // frames, then escape, FCS, long and short errors
        const QByteArray body = QByteArray::fromHex("112233"), good = frameOf(body);
        const QByteArray oversize = '\x7e' + QByteArray(FRAME_BUF_SIZE + 10, '\x11') + '\x7e';
        QTest::newRow("noise before the first flag")
            << QByteArrayList{QByteArray::fromHex("010203") + good} << "1 0 0 0 0";
        QTest::newRow("noise between frames is a frame of its own")
            << QByteArrayList{good + QByteArray::fromHex("010203") + good} << "2 0 1 0 0";
        QTest::newRow("two frames in one read")
            << QByteArrayList{good + frameOf(QByteArray::fromHex("4455"))} << "2 0 0 0 0";
        QTest::newRow("frame split across reads")
            << QByteArrayList{good.left(2), good.mid(2, 3), good.mid(5)} << "1 0 0 0 0";
        QTest::newRow("stuffed bytes counted raw")
            << QByteArrayList{frameOf(QByteArray::fromHex("7e7d7e"))} << "1 0 0 0 0";
        QTest::newRow("oversize frame, then the next")
            << QByteArrayList{oversize, good} << "1 0 0 1 0";
        QTest::newRow("bad escape, then the next")
            << QByteArrayList{QByteArray::fromHex("7e117d31227e"), good} << "1 1 0 0 0";
        QTest::newRow("bad FCS, then the next")
            << QByteArrayList{badFcsFrameOf(body), good} << "1 0 1 0 0";
        QTest::newRow("half frame, stale bytes, reopened: a clean start")
            << QByteArrayList{good.left(3), "reopen\x11\x22", good} << "1 0 0 0 0";
    }
    void receiveCounting()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        quint64 lineBytes = 0;
        for (const QByteArray &read : reads) {
            const bool reopen = read.startsWith("reopen");
            if (reopen)
                link.ui->btn_ser_conn->click();
            QVERIFY(reopen ? link.device.write(read.mid(6)) && link.open() : link.deliver(read));
            lineBytes += reopen ? 0 : read.size();
        }
        const TrafficCounters &c = link.counters();
        QCOMPARE(c.cntRxBytes, lineBytes); // raw line bytes
        QCOMPARE(QString("%1 %2 %3 %4 %5")
                     .arg(c.cntRxPackets)
                     .arg(c.cnt7dErrors)
                     .arg(c.cntCrcErrors)
                     .arg(c.cntLongErrors)
                     .arg(c.cntShortErrors),
                 counts);
    }

    void comparison_data()
    {
        QTest::addColumn<bool>("compare");
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QString>("counts"); // matched, failed (marked), unanswered, outstanding
        const QByteArray a = QByteArray::fromHex("112233"), b = QByteArray::fromHex("445566");
        QByteArrayList ring;
        for (int i = 0; i < TX_RING_SLOTS; ++i)
            ring << QByteArray::fromHex("aa") + char(i / 256) + char(i);
        QTest::newRow("equal length matches")
            << true << QByteArrayList{a} << QByteArrayList{a} << "1 0 0 0";
        QTest::newRow("two extra bytes match")
            << true << QByteArrayList{a} << QByteArrayList{a + "\xee\xff"} << "1 0 0 0";
        QTest::newRow("one extra byte fails")
            << true << QByteArrayList{a} << QByteArrayList{a + "\xee"} << "0 1 0 1";
        QTest::newRow("three extra bytes fail")
            << true << QByteArrayList{a} << QByteArrayList{a + "\xee\xff\x01"} << "0 1 0 1";
        QTest::newRow("one byte short fails")
            << true << QByteArrayList{a} << QByteArrayList{a.left(2)} << "0 1 0 1";
        QTest::newRow("one byte changed fails")
            << true << QByteArrayList{a} << QByteArrayList{QByteArray::fromHex("112234")}
            << "0 1 0 1";
        QTest::newRow("reply to the second of three frees two")
            << true << QByteArrayList{a, b, a + b} << QByteArrayList{b} << "1 0 1 1";
        QTest::newRow("oldest of equal packets wins")
            << true << QByteArrayList{a, a} << QByteArrayList{a} << "1 0 0 1";
        QTest::newRow("nothing outstanding fails")
            << true << QByteArrayList{} << QByteArrayList{a} << "0 1 0 0";
        QTest::newRow("comparison off keeps and marks nothing")
            << false << QByteArrayList{a} << QByteArrayList{b} << "0 0 0 0";
        QTest::newRow("1023 fill the ring, the 1024th drops the oldest, whose reply fails")
            << true << ring << QByteArrayList{ring.at(0), ring.at(1)} << "1 1 1 1022";
    }
    void comparison()
    {
        QFETCH(bool, compare);
        QFETCH(QByteArrayList, sent);
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        link.ui->cb_trxCmp->setChecked(compare);
        link.ui->cb_rxShow->setChecked(true);
        for (const QByteArray &body : sent) {
            link.setPayload(body);
            link.ui->btn_txOne->click();
            QCoreApplication::processEvents(); // the port writes its queue
        }
        QCOMPARE(link.sent(sent.size()), sent);
        for (const QByteArray &reply : replies)
            QVERIFY(link.deliver(frameOf(reply)));
        const TrafficCounters &c = link.counters();
        QCOMPARE(QString("%1 %2 %3 %4")
                     .arg(c.cntCmpOk)
                     .arg(c.cntCmpFail)
                     .arg(c.cntNoReply)
                     .arg(link.outstanding()),
                 counts);
        QCOMPARE(Probe::roundTrips(link.window).count(), c.cntCmpOk);
        QCOMPARE(QString::number(link.viewLines().filter("[ 比较失败 ]").size()),
                 counts.section(' ', 1, 1));
    }
};

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
