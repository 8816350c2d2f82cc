// Comparison of replies with the packets still outstanding, and the ring that
// keeps them.
#include "enginelink.h"

using namespace enginetest;

namespace {

const QByteArray A = QByteArray::fromHex("112233");
const QByteArray B = QByteArray::fromHex("445566");
const QByteArray C = QByteArray::fromHex("778899");

void sendEach(EngineLink &link, const QByteArrayList &bodies)
{
    for (const QByteArray &body : bodies) {
        link.setPayload(body);
        link.ui->btn_txOne->click();
    }
}

} // namespace

class TestComparison : public QObject
{
    Q_OBJECT

private slots:
    void repliesAgainstOutstanding_data();
    void repliesAgainstOutstanding();
    void fullRingDropsTheOldest();
    void failureIsMarkedOnlyWhileComparing_data();
    void failureIsMarkedOnlyWhileComparing();
};

void TestComparison::repliesAgainstOutstanding_data()
{
    QTest::addColumn<QByteArrayList>("sent");
    QTest::addColumn<QByteArrayList>("replies");
    QTest::addColumn<int>("matched");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("outstanding");

    QTest::newRow("equal length matches") << QByteArrayList{A} << QByteArrayList{A} << 1 << 0 << 0;
    QTest::newRow("two extra bytes match") << QByteArrayList{A} << QByteArrayList{A + QByteArray::fromHex("eeff")} << 1 << 0 << 0;
    QTest::newRow("one extra byte fails") << QByteArrayList{A} << QByteArrayList{A + QByteArray::fromHex("ee")} << 0 << 1 << 1;
    QTest::newRow("three extra bytes fail") << QByteArrayList{A} << QByteArrayList{A + QByteArray::fromHex("eeff00")} << 0 << 1 << 1;
    QTest::newRow("one byte short fails") << QByteArrayList{A} << QByteArrayList{A.left(2)} << 0 << 1 << 1;
    QTest::newRow("one byte changed fails")
        << QByteArrayList{A} << QByteArrayList{QByteArray::fromHex("112234")} << 0 << 1 << 1;
    QTest::newRow("reply to the second of three frees two")
        << QByteArrayList{A, B, C} << QByteArrayList{B} << 1 << 0 << 1;
    QTest::newRow("oldest of equal packets wins") << QByteArrayList{A, A} << QByteArrayList{A} << 1 << 0 << 1;
    QTest::newRow("packet passed over by a match is gone")
        << QByteArrayList{A, B} << QByteArrayList{B, A} << 1 << 1 << 0;
    QTest::newRow("reply arriving twice fails the second time")
        << QByteArrayList{A} << QByteArrayList{A, A} << 1 << 1 << 0;
    QTest::newRow("nothing outstanding fails") << QByteArrayList{} << QByteArrayList{A} << 0 << 1 << 0;
}

void TestComparison::repliesAgainstOutstanding()
{
    QFETCH(QByteArrayList, sent);
    QFETCH(QByteArrayList, replies);
    QFETCH(int, matched);
    QFETCH(int, failed);
    QFETCH(int, outstanding);
    EngineLink link;
    QVERIFY(link.open());
    link.ui->cb_trxCmp->setChecked(true);
    sendEach(link, sent);
    QCOMPARE(link.sentBodies(sent.size()), sent);

    for (const QByteArray &reply : replies)
        QVERIFY(link.deliver(frameOf(reply)));

    QCOMPARE(link.counters().cntCmpOk, quint64(matched));
    QCOMPARE(link.counters().cntCmpFail, quint64(failed));
    QCOMPARE(link.outstanding(), outstanding);
}

void TestComparison::fullRingDropsTheOldest()
{
    EngineLink link;
    QVERIFY(link.open());
    link.ui->cb_trxCmp->setChecked(true);
    QByteArrayList bodies;
    for (int i = 0; i < TX_RING_SLOTS; ++i)
        bodies << QByteArray::fromHex("aa") + char(i);

    sendEach(link, bodies.mid(0, TX_RING_SLOTS - 1));
    QCOMPARE(link.outstanding(), TX_RING_SLOTS - 1);
    sendEach(link, bodies.mid(TX_RING_SLOTS - 1));
    QCOMPARE(link.outstanding(), TX_RING_SLOTS - 1);
    QCOMPARE(link.sentBodies(TX_RING_SLOTS), bodies);

    QVERIFY(link.deliver(frameOf(bodies.at(0))));
    QCOMPARE(link.counters().cntCmpFail, quint64(1));
    QVERIFY(link.deliver(frameOf(bodies.at(1))));
    QCOMPARE(link.counters().cntCmpOk, quint64(1));
    QCOMPARE(link.outstanding(), TX_RING_SLOTS - 2);
    QCOMPARE(link.counters().cntTxPackets, quint64(TX_RING_SLOTS));
}

void TestComparison::failureIsMarkedOnlyWhileComparing_data()
{
    QTest::addColumn<bool>("compare");
    QTest::addColumn<int>("failed");
    QTest::addColumn<int>("outstanding");
    QTest::newRow("comparison on marks the mismatch") << true << 1 << 1;
    QTest::newRow("comparison off keeps nothing, marks nothing") << false << 0 << 0;
}

void TestComparison::failureIsMarkedOnlyWhileComparing()
{
    QFETCH(bool, compare);
    QFETCH(int, failed);
    QFETCH(int, outstanding);
    EngineLink link;
    QVERIFY(link.open());
    link.ui->cb_trxCmp->setChecked(compare);
    link.ui->cb_rxShow->setChecked(true);
    sendEach(link, {A});

    QVERIFY(link.deliver(frameOf(B)));

    QCOMPARE(link.counters().cntCmpOk, quint64(0));
    QCOMPARE(link.counters().cntCmpFail, quint64(failed));
    QCOMPARE(link.outstanding(), outstanding);
    const QStringList lines = link.viewLines(1);
    QCOMPARE(lines.size(), 1);
    QCOMPARE(lines.first().endsWith(QStringLiteral("[ 比较失败 ]")), failed == 1);
}

QTEST_MAIN(TestComparison)
#include "tst_comparison.moc"
