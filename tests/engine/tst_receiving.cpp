// Receive counting: crafted byte streams from the device and the counters
// they leave.
#include "enginelink.h"

using namespace enginetest;

namespace {

const QByteArray BODY = QByteArray::fromHex("112233");
const QByteArray GOOD = frameOf(BODY);
const QByteArray OTHER = frameOf(QByteArray::fromHex("445566"));

QByteArray oversizeFrame()
{
    return '\x7e' + QByteArray(FRAME_BUF_SIZE + 10, '\x11') + '\x7e';
}

} // namespace

class TestReceiving : public QObject
{
    Q_OBJECT

private slots:
    void countsCraftedStreams_data();
    void countsCraftedStreams();
};

void TestReceiving::countsCraftedStreams_data()
{
    QTest::addColumn<QByteArrayList>("reads");
    QTest::addColumn<int>("frames");
    QTest::addColumn<int>("escapeErrors");
    QTest::addColumn<int>("fcsErrors");
    QTest::addColumn<int>("longErrors");
    QTest::addColumn<int>("shortErrors");

    QTest::newRow("one frame") << QByteArrayList{GOOD} << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("noise before the first flag")
        << QByteArrayList{QByteArray::fromHex("010203") + GOOD} << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("two frames in one read") << QByteArrayList{GOOD + OTHER} << 2 << 0 << 0 << 0 << 0;
    QTest::newRow("frame split across reads")
        << QByteArrayList{GOOD.left(2), GOOD.mid(2, 3), GOOD.mid(5)} << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("stuffed bytes counted raw")
        << QByteArrayList{frameOf(QByteArray::fromHex("7e7d7e"))} << 1 << 0 << 0 << 0 << 0;
    QTest::newRow("run of three flags") << QByteArrayList{QByteArray(3, '\x7e')} << 0 << 0 << 0 << 0 << 2;
    QTest::newRow("oversize frame, then the next") << QByteArrayList{oversizeFrame(), GOOD} << 1 << 0 << 0 << 1 << 1;
    QTest::newRow("bad escape, then the next")
        << QByteArrayList{QByteArray::fromHex("7e117d31227e"), GOOD} << 1 << 1 << 0 << 0 << 1;
    QTest::newRow("bad FCS, then the next") << QByteArrayList{badFcsFrameOf(BODY), GOOD} << 1 << 0 << 1 << 0 << 1;
    QTest::newRow("bad FCS and the next in one read") << QByteArrayList{badFcsFrameOf(BODY) + GOOD} << 1 << 0 << 1 << 0 << 1;
}

void TestReceiving::countsCraftedStreams()
{
    QFETCH(QByteArrayList, reads);
    QFETCH(int, frames);
    QFETCH(int, escapeErrors);
    QFETCH(int, fcsErrors);
    QFETCH(int, longErrors);
    QFETCH(int, shortErrors);
    EngineLink link;
    QVERIFY(link.open());
    QVERIFY(link.resyncDecoder());
    link.ui->btn_cntClear->click();

    quint64 lineBytes = 0;
    for (const QByteArray &read : reads) {
        QVERIFY(link.deliver(read));
        lineBytes += quint64(read.size());
    }

    const TrafficCounters &counters = link.counters();
    QCOMPARE(counters.cntRxBytes, lineBytes);
    QCOMPARE(counters.cntRxPackets, quint64(frames));
    QCOMPARE(counters.cnt7dErrors, quint64(escapeErrors));
    QCOMPARE(counters.cntCrcErrors, quint64(fcsErrors));
    QCOMPARE(counters.cntLongErrors, quint64(longErrors));
    QCOMPARE(counters.cntShortErrors, quint64(shortErrors));
}

QTEST_MAIN(TestReceiving)
#include "tst_receiving.moc"
