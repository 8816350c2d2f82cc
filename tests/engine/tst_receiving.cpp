// The receive path: crafted reads through the decoder into the counters, replies compared
// with the packets outstanding. Each word of a list is hex: a packet, or a read of the line
// where "=" frames the packet, "!" frames it with a bad FCS, "reopen" closes and reopens.
#include "enginelink.h"

QByteArrayList words(const QString &list, bool reads)
{
    QByteArrayList bytes;
    for (const QString &word : list.split(' ', Qt::SkipEmptyParts)) {
        const QByteArray hex = QByteArray::fromHex(word.mid(1).toLatin1());
        const QChar kind = reads ? word[0] : ' ';
        bytes << (kind == '='   ? frameOf(hex)
                  : kind == '!' ? frameOf(hex, true)
                  : kind == 'r' ? "reopen"
                                : QByteArray::fromHex(word.toLatin1()));
    }
    return bytes;
}

class TestReceiving : public QObject
{
    Q_OBJECT

private slots:
    void receive_data()
    {
        QTest::addColumn<QString>("sent");
        QTest::addColumn<QString>("reads");
        QTest::addColumn<QString>("counts"); // frames, escape, FCS, long, short errors; matched,
                                             // failed (marked), unanswered, outstanding
        const auto row = [](const char *name, const char *sent, const QString &reads,
                            const char *counts) { QTest::newRow(name) << sent << reads << counts; };
        const QString oversize = "-7e" + QByteArray(FRAME_BUF_SIZE + 10, '\x11').toHex() + "7e";
        row("frame split across reads", "", "-7e11 -22331e -0a7e", "1 0 0 0 0  0 1 0 0");
        row("stuffed bytes counted raw", "", "=7e7d7e", "1 0 0 0 0  0 1 0 0");
        row("noise between frames: a frame", "", "=1122 -010203 =1122", "2 0 1 0 0  0 2 0 0");
        row("bad escape, then a good one", "", "-7e117d31227e =1122", "1 1 0 0 0  0 1 0 0");
        row("bad FCS, then a good one", "", "!112233 =1122", "1 0 1 0 0  0 1 0 0");
        row("oversize, then a good one", "", oversize + " =1122", "1 0 0 1 0  0 1 0 0");
        row("two bytes: too short", "", "-7e11227e =1122", "1 0 0 0 1  0 1 0 0");
        row("reopened on stale bytes: a clean start", "", "-7e1122 r11 =1122",
            "1 0 0 0 0  0 1 0 0");
        row("equal length matches", "112233", "=112233", "1 0 0 0 0  1 0 0 0");
        row("two extra bytes match", "112233", "=112233eeff", "1 0 0 0 0  1 0 0 0");
        row("one extra byte fails", "112233", "=112233ee", "1 0 0 0 0  0 1 0 1");
        row("three extra bytes fail", "112233", "=112233eeff01", "1 0 0 0 0  0 1 0 1");
        row("one byte short fails", "112233", "=1122", "1 0 0 0 0  0 1 0 1");
        row("one byte changed fails", "112233", "=112234", "1 0 0 0 0  0 1 0 1");
        row("reply to the second of three frees two", "1122 3344 1122", "=3344",
            "1 0 0 0 0  1 0 1 1");
        row("oldest of equal packets wins", "1122 1122", "=1122", "1 0 0 0 0  1 0 0 1");
        row("comparison off keeps and marks nothing", "1122", "=3344", "1 0 0 0 0  off");
        QString ring;
        for (int i = 0; i < TX_RING_SLOTS; ++i)
            ring += QString(" aa%1").arg(i, 4, 16, QChar('0'));
        row("a full ring drops the oldest, whose reply then fails", qPrintable(ring),
            "=aa0000 =aa0001", "2 0 0 0 0  1 1 1 " + QByteArray::number(TX_RING_SLOTS - 2));
    }
    void receive()
    {
        QFETCH(QString, sent);
        QFETCH(QString, reads);
        QFETCH(QString, counts);
        EngineLink link;
        QVERIFY(link.open());
        link.ui->cb_trxCmp->setChecked(!counts.endsWith("off"));
        link.ui->cb_rxShow->setChecked(true);
        for (const QByteArray &body : words(sent, false)) {
            link.setPayload(body);
            link.ui->btn_txOne->click();
            QCoreApplication::processEvents(); // the port writes its queue
        }
        QCOMPARE(link.sent(words(sent, false).size()), words(sent, false));
        quint64 lineBytes = 0;
        for (const QByteArray &read : words(reads, true)) {
            if (read == "reopen") {
                link.ui->btn_ser_conn->click();
                QVERIFY(link.device.write("\x11"));
                QVERIFY(link.open());
                continue;
            }
            QVERIFY(link.deliver(read));
            lineBytes += quint64(read.size());
        }
        const TrafficCounters &c = link.counters();
        QCOMPARE(c.cntRxBytes, lineBytes);
        const QString seen = QString("%1 %2 %3 %4 %5  %6 %7 %8 %9")
                                 .arg(c.cntRxPackets)
                                 .arg(c.cnt7dErrors)
                                 .arg(c.cntCrcErrors)
                                 .arg(c.cntLongErrors)
                                 .arg(c.cntShortErrors)
                                 .arg(c.cntCmpOk)
                                 .arg(c.cntCmpFail)
                                 .arg(c.cntNoReply)
                                 .arg(Probe::outstanding(link.window));
        QCOMPARE(seen, counts.endsWith("off") ? counts.replace("off", "0 0 0 0") : counts);
        QCOMPARE(quint64(link.viewLines().filter("[ 比较失败 ]").size()), c.cntCmpFail);
        QCOMPARE(Probe::roundTrips(link.window).count(), c.cntCmpOk);
    }
};

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
