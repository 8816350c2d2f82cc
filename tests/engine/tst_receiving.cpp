// The receive path: counters from crafted byte streams, replies compared with the packets
// outstanding. Byte lists are hex, one read or packet per word.
#include "enginelink.h"

QByteArrayList hexWords(const QString &hex)
{
    QByteArrayList words;
    for (const QString &word : hex.split(' ', Qt::SkipEmptyParts))
        words << QByteArray::fromHex(word.toLatin1());
    return words;
}

QString joined(std::initializer_list<quint64> counts)
{
    QStringList numbers;
    for (const quint64 count : counts)
        numbers << QString::number(count);
    return numbers.join(' ');
}

class TestReceiving : public QObject
{
    Q_OBJECT

private slots:
    void framing_data()
    {
        QTest::addColumn<QByteArrayList>("reads"); // "reopen": closed, stale bytes, reopened
        QTest::addColumn<QString>("counts"); // frames, then escape, FCS, long and short errors
        const QByteArray good = frameOf("\x11\x22\x33"), noise = "\x01\x02\x03";
        const QByteArray oversize = '\x7e' + QByteArray(FRAME_BUF_SIZE + 10, '\x11') + '\x7e';
        const auto row = [](const char *name, const QByteArrayList &reads, const char *counts) {
            QTest::newRow(name) << reads << counts;
        };
        row("noise before the first flag", {noise + good}, "1 0 0 0 0");
        row("noise between frames: a frame", {good + noise + good}, "2 0 1 0 0");
        row("two frames in one read", {good + good}, "2 0 0 0 0");
        row("frame split across reads", {good.left(2), good.mid(2, 3), good.mid(5)}, "1 0 0 0 0");
        row("stuffed bytes counted raw", {frameOf("\x7e\x7d\x7e")}, "1 0 0 0 0");
        row("oversize, then a good one", {oversize, good}, "1 0 0 1 0");
        row("bad escape, then a good one", hexWords("7e117d31227e " + good.toHex()), "1 1 0 0 0");
        row("bad FCS, then a good one", {badFcsFrameOf("\x11\x22\x33"), good}, "1 0 1 0 0");
        row("two bytes: too short", hexWords("7e11227e " + good.toHex()), "1 0 0 0 1");
        row("reopened on stale bytes: a clean start", {good.left(3), "reopen\x11", good},
            "1 0 0 0 0");
    }
    void framing()
    {
        QFETCH(QByteArrayList, reads);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        quint64 lineBytes = 0;
        for (const QByteArray &read : reads) {
            if (read.startsWith("reopen")) {
                link.ui->btn_ser_conn->click();
                QVERIFY(link.device.write(read.mid(6)));
                QVERIFY(link.open());
                continue;
            }
            QVERIFY(link.deliver(read));
            lineBytes += quint64(read.size());
        }
        const TrafficCounters &c = link.counters();
        QCOMPARE(c.cntRxBytes, lineBytes);
        QCOMPARE(joined({c.cntRxPackets, c.cnt7dErrors, c.cntCrcErrors, c.cntLongErrors,
                         c.cntShortErrors}),
                 counts);
    }

    void comparison_data()
    {
        QTest::addColumn<QByteArrayList>("sent");
        QTest::addColumn<QByteArrayList>("replies");
        QTest::addColumn<QString>("counts"); // matched, failed (marked), unanswered, outstanding
        const auto row = [](const char *name, const char *sent, const char *replies,
                            const char *counts) {
            QTest::newRow(name) << hexWords(sent) << hexWords(replies) << counts;
        };
        row("equal length matches", "112233", "112233", "1 0 0 0");
        row("two extra bytes match", "112233", "112233eeff", "1 0 0 0");
        row("one extra byte fails", "112233", "112233ee", "0 1 0 1");
        row("three extra bytes fail", "112233", "112233eeff01", "0 1 0 1");
        row("one byte short fails", "112233", "1122", "0 1 0 1");
        row("one byte changed fails", "112233", "112234", "0 1 0 1");
        row("reply to the second of three frees two", "1122 3344 1122", "3344", "1 0 1 1");
        row("oldest of equal packets wins", "1122 1122", "1122", "1 0 0 1");
        row("nothing outstanding fails", "", "1122", "0 1 0 0");
        row("comparison off keeps and marks nothing", "1122", "3344", "off");
        QByteArrayList ring;
        for (int i = 0; i < TX_RING_SLOTS; ++i)
            ring << QByteArray::fromHex("aa") + char(i / 256) + char(i);
        QTest::newRow("a full ring drops the oldest, whose reply then fails")
            << ring << ring.mid(0, 2) << joined({1, 1, 1, TX_RING_SLOTS - 2});
    }
    void comparison()
    {
        QFETCH(QByteArrayList, sent);
        QFETCH(QByteArrayList, replies);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        link.ui->cb_trxCmp->setChecked(counts != "off");
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
        const quint64 outstanding = quint64(Probe::outstanding(link.window));
        QCOMPARE(joined({c.cntCmpOk, c.cntCmpFail, c.cntNoReply, outstanding}),
                 counts == "off" ? "0 0 0 0" : counts);
        QCOMPARE(quint64(link.viewLines().filter("[ 比较失败 ]").size()), c.cntCmpFail);
        QCOMPARE(Probe::roundTrips(link.window).count(), c.cntCmpOk);
    }
};

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
