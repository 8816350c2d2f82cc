// pakto-peer as a process: the bytes each fault puts on the wire, decoded with
// the codec, the exact report, and how runs start and end.
#include "peer_process.h"
#include "pty_slave.h"
#include "reply_reader.h"

#include "codec/ppp_frame.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <functional>

namespace {

constexpr int WAIT_MS = 10000;

// Lengths differ by other than 0 or 2, so no reply can pass for another's.
const QVector<QByteArray> BODIES = {
    QByteArrayLiteral("first frame"),
    QByteArrayLiteral("\x7E second \x7D frame\x11\x13"),
    QByteArrayLiteral("third!"),
};

const QStringList FAULT_COUNTERS = {"fault_bad_fcs", "fault_bad_escape", "fault_drop",  "fault_duplicate",
                                    "fault_corrupt", "fault_short",      "fault_oversize", "fault_noise"};

QByteArray frameOf(const QByteArray &body)
{
    QByteArray frame(FRAME_BUF_SIZE, '\0');
    const int length = ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                                        reinterpret_cast<uint8_t *>(frame.data()), FRAME_BUF_SIZE);
    return frame.left(length);
}

QByteArray framesOf(const QVector<QByteArray> &bodies)
{
    QByteArray frames;
    for (const QByteArray &body : bodies)
        frames += frameOf(body);
    return frames;
}

// Everything read until done() holds for the events so far, or the wait runs out.
QByteArray readUntil(PtySlave &tool, ReplyReader &reader, const std::function<bool(const QStringList &)> &done)
{
    QByteArray received;
    const QDeadlineTimer deadline(WAIT_MS);
    while (!done(reader.events()) && !deadline.hasExpired()) {
        const QByteArray bytes = tool.read(int(deadline.remainingTime()));
        reader.feed(bytes);
        received += bytes;
    }
    return received;
}

QByteArray readEvents(PtySlave &tool, ReplyReader &reader, int count)
{
    return readUntil(tool, reader, [count](const QStringList &events) { return events.size() >= count; });
}

// The counts the tool would show for these events, named as in the report.
QMap<QString, quint64> wireCounts(const QStringList &events)
{
    const auto count = [&events](const QString &name) { return quint64(events.count(name)); };
    const quint64 frames = quint64(events.filter(QRegularExpression("^(echo|extra|frame) ")).size());
    return {{"wire_good_frames", frames},      {"wire_short_errors", count("short")},
            {"wire_long_errors", count("long")}, {"wire_crc_errors", count("crc")},
            {"wire_7d_errors", count("7d")}};
}

} // namespace

class TestPeer : public QObject
{
    Q_OBJECT

private slots:
    void faultsPutTheirBytesOnTheWire_data();
    void faultsPutTheirBytesOnTheWire();
    void randomFaultsFollowTheSeed_data();
    void randomFaultsFollowTheSeed();
    void endsAndReports_data();
    void endsAndReports();
    void rawModeAndRecordKeepEveryByte();
    void linkLivesAsLongAsThePeer();
    void refusesBadInvocations_data();
    void refusesBadInvocations();
    void helpNamesEveryOptionAndFault();
};

// Three frames go out at once; with --every 2 the second reply is spoiled, so
// the knock-on of a fault shows on the third.
void TestPeer::faultsPutTheirBytesOnTheWire_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QStringList>("events");
    QTest::addColumn<QString>("faultCounter");
    QTest::addColumn<int>("spoiled");
    QTest::addColumn<int>("repliesSent");

    QTest::newRow("echo") << QStringList{} << QStringList{"echo 1", "echo 2", "echo 3"} << "" << 0 << 3;
    QTest::newRow("extra: two more bytes") << QStringList{"--mode", "extra"}
                                           << QStringList{"extra 1", "extra 2", "extra 3"} << "" << 0 << 3;
    QTest::newRow("bad-fcs: crc, then short on the next opening flag")
        << QStringList{"--fault", "bad-fcs", "--every", "2"} << QStringList{"echo 1", "crc", "short", "echo 3"}
        << "fault_bad_fcs" << 1 << 3;
    QTest::newRow("bad-fcs on the last reply: no knock-on yet")
        << QStringList{"--fault", "bad-fcs", "--every", "3"} << QStringList{"echo 1", "echo 2", "crc"}
        << "fault_bad_fcs" << 1 << 3;
    QTest::newRow("bad-escape: 7d, rest skipped, short")
        << QStringList{"--fault", "bad-escape", "--every", "2"}
        << QStringList{"echo 1", "7d", "skip", "short", "echo 3"} << "fault_bad_escape" << 1 << 3;
    QTest::newRow("drop: nothing") << QStringList{"--fault", "drop", "--every", "2"}
                                   << QStringList{"echo 1", "echo 3"} << "fault_drop" << 1 << 2;
    QTest::newRow("duplicate: the frame twice") << QStringList{"--fault", "duplicate", "--every", "2"}
                                                << QStringList{"echo 1", "echo 2", "echo 2", "echo 3"}
                                                << "fault_duplicate" << 1 << 4;
    QTest::newRow("corrupt: one byte changed, good fcs") << QStringList{"--fault", "corrupt", "--every", "2"}
                                                          << QStringList{"echo 1", "echo 2 corrupt", "echo 3"}
                                                          << "fault_corrupt" << 1 << 3;
    QTest::newRow("corrupt in extra mode spares the extra bytes")
        << QStringList{"--mode", "extra", "--fault", "corrupt", "--every", "2"}
        << QStringList{"extra 1", "extra 2 corrupt", "extra 3"} << "fault_corrupt" << 1 << 3;
    QTest::newRow("short: short, then short again") << QStringList{"--fault", "short", "--every", "2"}
                                                    << QStringList{"echo 1", "short", "short", "echo 3"}
                                                    << "fault_short" << 1 << 3;
    QTest::newRow("oversize: long, rest skipped, short")
        << QStringList{"--fault", "oversize", "--every", "2"}
        << QStringList{"echo 1", "long", "skip", "short", "echo 3"} << "fault_oversize" << 1 << 3;
    QTest::newRow("noise: skipped while hunting") << QStringList{"--fault", "noise", "--every", "2"}
                                                  << QStringList{"echo 1", "skip", "echo 2", "echo 3"}
                                                  << "fault_noise" << 1 << 3;
    QTest::newRow("rate 1 spoils every reply") << QStringList{"--fault", "duplicate", "--rate", "1"}
                                               << QStringList{"echo 1", "echo 1", "echo 2", "echo 2", "echo 3", "echo 3"}
                                               << "fault_duplicate" << 3 << 6;
    QTest::newRow("rate 0 spoils none") << QStringList{"--fault", "drop", "--rate", "0"}
                                        << QStringList{"echo 1", "echo 2", "echo 3"} << "" << 0 << 3;
    QTest::newRow("delay keeps every reply and the order") << QStringList{"--delay", "30"}
                                                           << QStringList{"echo 1", "echo 2", "echo 3"} << "" << 0 << 3;
}

void TestPeer::faultsPutTheirBytesOnTheWire()
{
    QFETCH(QStringList, options);
    QFETCH(QStringList, events);
    QFETCH(QString, faultCounter);
    QFETCH(int, spoiled);
    QFETCH(int, repliesSent);

    PeerProcess peer;
    QVERIFY(peer.startPty(options));
    PtySlave tool(peer.ptyPath());
    QVERIFY(tool.isOpen());
    const QByteArray sent = framesOf(BODIES);
    QVERIFY(tool.write(sent));
    ReplyReader reader(BODIES);
    const QByteArray received = readEvents(tool, reader, events.size());
    QCOMPARE(reader.events().join(", "), events.join(", "));

    QVERIFY(peer.stop(SIGTERM));
    const QMap<QString, quint64> report = peer.report();
    QCOMPARE(report.value("frames_received"), quint64(BODIES.size()));
    QCOMPARE(report.value("replies_sent"), quint64(repliesSent));
    QCOMPARE(report.value("bytes_received"), quint64(sent.size()));
    QCOMPARE(report.value("bytes_sent"), quint64(received.size()));
    for (const QString &counter : FAULT_COUNTERS)
        QCOMPARE(report.value(counter, 99), quint64(counter == faultCounter ? spoiled : 0));
    const QMap<QString, quint64> wire = wireCounts(events);
    for (auto expected = wire.begin(); expected != wire.end(); ++expected)
        QCOMPARE(report.value(expected.key(), 99), expected.value());
}

void TestPeer::randomFaultsFollowTheSeed_data()
{
    QTest::addColumn<QString>("secondSeed");
    QTest::addColumn<bool>("same");

    QTest::newRow("same seed, same replies spoiled") << "7" << true;
    QTest::newRow("another seed, others") << "8" << false;
}

// Each reply is either "echo 1" or "crc"; the knock-on shorts are left out.
void TestPeer::randomFaultsFollowTheSeed()
{
    QFETCH(QString, secondSeed);
    QFETCH(bool, same);
    constexpr int REPLIES = 20;
    QVector<QStringList> replies;
    for (const QString &seed : {QString("7"), secondSeed}) {
        PeerProcess peer;
        QVERIFY(peer.startPty({"--fault", "bad-fcs", "--rate", "0.5", "--seed", seed}));
        PtySlave tool(peer.ptyPath());
        QVERIFY(tool.write(framesOf(QVector<QByteArray>(REPLIES, BODIES[0]))));
        ReplyReader reader({BODIES[0]});
        readUntil(tool, reader, [](const QStringList &events) { return events.size() - events.count("short") >= REPLIES; });
        QStringList spoiled = reader.events();
        spoiled.removeAll("short");
        QCOMPARE(spoiled.size(), REPLIES);
        QVERIFY(peer.stop(SIGTERM));
        QCOMPARE(peer.report().value("fault_bad_fcs"), quint64(spoiled.count("crc")));
        QVERIFY(spoiled.contains("crc") && spoiled.contains("echo 1"));
        replies << spoiled;
    }
    QCOMPARE(replies[0] == replies[1], same);
}

void TestPeer::endsAndReports_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<int>("signalNumber");
    QTest::addColumn<int>("framesAnswered");

    QTest::newRow("SIGTERM") << QStringList{} << int(SIGTERM) << 3;
    QTest::newRow("SIGINT") << QStringList{} << int(SIGINT) << 3;
    QTest::newRow("--frames 2 of 3: exits by itself") << QStringList{"--frames", "2"} << 0 << 2;
}

void TestPeer::endsAndReports()
{
    QFETCH(QStringList, options);
    QFETCH(int, signalNumber);
    QFETCH(int, framesAnswered);

    PeerProcess peer;
    QVERIFY(peer.startPty(options));
    PtySlave tool(peer.ptyPath());
    QVERIFY(tool.write(framesOf(BODIES)));
    ReplyReader reader(BODIES);
    readEvents(tool, reader, framesAnswered);
    QCOMPARE(reader.events().size(), framesAnswered);

    QVERIFY(peer.stop(signalNumber));
    QCOMPARE(peer.exitCode(), 0);
    const QMap<QString, quint64> report = peer.report();
    QCOMPARE(report.value("frames_received"), quint64(framesAnswered));
    QCOMPARE(report.value("replies_sent"), quint64(framesAnswered));
}

// Noise and broken frames included: raw mode does not decode what it returns.
void TestPeer::rawModeAndRecordKeepEveryByte()
{
    QTemporaryDir dir;
    const QString recordPath = dir.filePath("received.bin");
    PeerProcess peer;
    QVERIFY(peer.startPty({"--mode", "raw", "--record", recordPath}));
    PtySlave tool(peer.ptyPath());
    const QByteArray sent = QByteArrayLiteral("\x00noise\x7D") + frameOf(BODIES[0])
        + QByteArrayLiteral("\x7E\x7D\x31\x7E") + frameOf(BODIES[1]);
    QVERIFY(tool.write(sent));
    QByteArray received;
    const QDeadlineTimer deadline(WAIT_MS);
    while (received.size() < sent.size() && !deadline.hasExpired())
        received += tool.read(int(deadline.remainingTime()));
    QCOMPARE(received, sent);
    QVERIFY(peer.stop(SIGTERM));
    const QMap<QString, quint64> report = peer.report();
    QCOMPARE(report.value("frames_received"), quint64(2));
    QCOMPARE(report.value("replies_sent"), quint64(0));

    QFile record(recordPath);
    QVERIFY(record.open(QIODevice::ReadOnly));
    QCOMPARE(record.readAll(), sent);
}

// A link left behind by an earlier run is replaced.
void TestPeer::linkLivesAsLongAsThePeer()
{
    QTemporaryDir dir;
    const QString linkPath = dir.filePath("device");
    QVERIFY(QFile::link(dir.filePath("gone"), linkPath));
    PeerProcess peer;
    QVERIFY(peer.startPty({"--link", linkPath}));
    QCOMPARE(QFileInfo(linkPath).symLinkTarget(), peer.ptyPath());
    QVERIFY(peer.stop(SIGTERM));
    QVERIFY(!QFileInfo(linkPath).isSymLink());
}

void TestPeer::refusesBadInvocations_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("complaint");

    QTest::newRow("unknown option") << QStringList{"--pty", "--bogus"} << "bogus";
    QTest::newRow("stray argument") << QStringList{"--pty", "loose"} << "loose";
    QTest::newRow("no link") << QStringList{} << "--pty";
    QTest::newRow("port and pty") << QStringList{"--pty", "--port", "/nonexistent"} << "--pty";
    QTest::newRow("link without pty") << QStringList{"--port", "/nonexistent", "--link", "x"} << "--link";
    QTest::newRow("unknown mode") << QStringList{"--pty", "--mode", "loop"} << "loop";
    QTest::newRow("unknown fault") << QStringList{"--pty", "--fault", "fire"} << "fire";
    QTest::newRow("delay is no fault") << QStringList{"--pty", "--fault", "delay"} << "--delay";
    QTest::newRow("fault in raw mode") << QStringList{"--pty", "--mode", "raw", "--fault", "drop"} << "raw";
    QTest::newRow("every 0") << QStringList{"--pty", "--fault", "drop", "--every", "0"} << "--every";
    QTest::newRow("rate above 1") << QStringList{"--pty", "--fault", "drop", "--rate", "1.5"} << "--rate";
    QTest::newRow("every and rate") << QStringList{"--pty", "--fault", "drop", "--every", "2", "--rate", "0.5"}
                                    << "--every";
    QTest::newRow("seed without fault") << QStringList{"--pty", "--seed", "3"} << "--fault";
    QTest::newRow("negative delay") << QStringList{"--pty", "--delay", "-5"} << "--delay";
    QTest::newRow("frames not a count") << QStringList{"--pty", "--frames", "1.5"} << "--frames";
    QTest::newRow("port cannot open") << QStringList{"--port", "/nonexistent"} << "/nonexistent";
    QTest::newRow("record cannot be written") << QStringList{"--pty", "--record", "/nonexistent/r.bin"}
                                              << "/nonexistent/r.bin";
}

// Nothing on standard output: a script reading the path gets none.
void TestPeer::refusesBadInvocations()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, complaint);

    const PeerProcess::Finished run = PeerProcess::runToEnd(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(complaint), qPrintable(run.err));
}

void TestPeer::helpNamesEveryOptionAndFault()
{
    const PeerProcess::Finished run = PeerProcess::runToEnd({"--help"});
    QCOMPARE(run.exitCode, 0);
    const QStringList words = {"--port", "--baud", "--pty", "--link", "--mode", "--fault", "--every",
                               "--rate", "--seed", "--delay", "--frames", "--record", "echo", "raw",
                               "extra", "bad-fcs", "bad-escape", "drop", "duplicate", "corrupt",
                               "short", "oversize", "noise"};
    for (const QString &word : words)
        QVERIFY2(run.out.contains(word), qPrintable(word));
}

QTEST_GUILESS_MAIN(TestPeer)
#include "tst_peer.moc"
