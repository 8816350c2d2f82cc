// pakto-peer alone: the bytes each fault puts on the wire, decoded with the
// codec, and its exact report.
#include "linktest.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

// Lengths differ by other than 0 or 2, so no reply can pass for another's.
const QVector<QByteArray> BODIES = {"first frame", QByteArrayLiteral("\x7E second \x7D frame\x11\x13"), "third!"};

// The report's lines, in order.
const QStringList REPORT =
    QString("frames_received replies_sent bytes_received bytes_sent fault_bad_fcs fault_bad_escape fault_drop "
            "fault_duplicate fault_corrupt fault_short fault_oversize fault_noise wire_good_frames "
            "wire_short_errors wire_long_errors wire_crc_errors wire_7d_errors").split(' ');

class TestPeer : public QObject
{
    Q_OBJECT

private slots:
    void repliesAndReport_data();
    void repliesAndReport();
    void randomFaultsFollowTheSeed();
};

// Noise, a broken frame and three frames go out at once; with --every 2 the
// second reply is spoiled, its knock-on shows on the third. The report column
// holds counts other than 3 frames, 3 replies and 1 of the fault named.
void TestPeer::repliesAndReport_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("events");
    QTest::addColumn<QString>("report");
    QTest::addColumn<int>("signalNumber"); // 0: it ends by itself
    const auto row = [](const char *name, const QString &options, const QString &events,
                        const QString &report = "", int signalNumber = SIGTERM) {
        QTest::newRow(name) << options << events << report << signalNumber;
    };
    row("echo, ended by SIGINT", "", "echo 1, echo 2, echo 3", "", SIGINT);
    row("raw: every byte as it came", "--mode raw", "skip, echo 1, 7d, short, echo 2, echo 3", "replies_sent: 0");
    row("bad-fcs: crc, short on the next opening flag", "--fault bad-fcs --every 2", "echo 1, crc, short, echo 3");
    row("bad-fcs on the last reply: no knock-on yet", "--fault bad-fcs --every 3", "echo 1, echo 2, crc");
    row("bad-escape: 7d, rest skipped, short", "--fault bad-escape --every 2", "echo 1, 7d, skip, short, echo 3");
    row("drop", "--fault drop --every 2", "echo 1, echo 3", "replies_sent: 2");
    row("duplicate", "--fault duplicate --every 2", "echo 1, echo 2, echo 2, echo 3", "replies_sent: 4");
    row("corrupt: one byte, good fcs", "--fault corrupt --every 2", "echo 1, echo 2 corrupt, echo 3");
    row("extra: two more bytes, which corrupt spares", "--mode extra --fault corrupt --every 2",
        "extra 1, extra 2 corrupt, extra 3");
    row("short: short twice", "--fault short --every 2", "echo 1, short, short, echo 3");
    row("oversize: long, rest skipped, short", "--fault oversize --every 2", "echo 1, long, skip, short, echo 3");
    row("noise: skipped while hunting", "--fault noise --every 2", "echo 1, skip, echo 2, echo 3");
    row("rate 1 spoils every reply", "--fault duplicate --rate 1", "echo 1, echo 1, echo 2, echo 2, echo 3, echo 3",
        "replies_sent: 6, fault_duplicate: 3");
    row("delay keeps every reply and the order", "--delay 30", "echo 1, echo 2, echo 3");
    row("--frames 2 of 3", "--frames 2", "echo 1, echo 2", "frames_received: 2, replies_sent: 2", 0);
}

// Every run also makes its link, over one an earlier run left, and records.
void TestPeer::repliesAndReport()
{
    QFETCH(QString, options);
    QFETCH(QString, events);
    QFETCH(QString, report);
    QFETCH(int, signalNumber);

    QTemporaryDir dir;
    const QString link = dir.filePath("device"), record = dir.filePath("received.bin");
    QVERIFY(QFile::link(dir.filePath("gone"), link));
    PeerProcess peer(options.split(' ', Qt::SkipEmptyParts) + QStringList{"--link", link, "--record", record});
    QCOMPARE(QFileInfo(link).symLinkTarget(), peer.path);
    QSerialPort tool(link);
    const QByteArray sent = QByteArrayLiteral("\x00noise\x7D") + framesOf({BODIES[0]})
        + QByteArrayLiteral("\x7E\x7D\x31\x7E") + framesOf({BODIES[1], BODIES[2]});
    QVERIFY(tool.open(QIODevice::ReadWrite) && tool.write(sent) == sent.size());
    QByteArray received;
    const QStringList seen = readEvents(tool, BODIES, events.split(", ").size() - events.count("short"), received);
    QCOMPARE(seen.join(", "), events);

    const Run end = peer.stop(signalNumber);
    QCOMPARE(end.exitCode, 0);
    QVERIFY(!QFileInfo(link).isSymLink());
    QCOMPARE(readFile(record), sent);
    QMap<QString, int> counts = {{"frames_received", 3}, {"replies_sent", 3}, {"bytes_received", sent.size()},
                                 {"bytes_sent", received.size()},
                                 {"wire_good_frames", seen.filter(QRegularExpression("^(echo|extra|frame) ")).size()}};
    for (const char *error : {"short", "long", "crc", "7d"})
        counts[QString("wire_%1_errors").arg(error)] = seen.count(error);
    if (options.contains("--fault "))
        counts["fault_" + options.section("--fault ", 1).section(' ', 0, 0).replace('-', '_')] = 1;
    for (const QString &count : report.split(", ", Qt::SkipEmptyParts))
        counts[count.section(": ", 0, 0)] = count.section(": ", 1).toInt();
    QString expected;
    for (const QString &name : REPORT)
        expected += QString("%1: %2\n").arg(name).arg(counts.value(name));
    QCOMPARE(end.out, expected);
}

// Each of 20 replies is "echo 1" or "crc"; the same seed spoils the same ones.
void TestPeer::randomFaultsFollowTheSeed()
{
    QStringList runs;
    for (const char *seed : {"7", "7", "8"}) {
        PeerProcess peer({"--fault", "bad-fcs", "--rate", "0.5", "--seed", seed});
        QSerialPort tool(peer.path);
        QVERIFY(tool.open(QIODevice::ReadWrite) && tool.write(framesOf(QVector<QByteArray>(20, BODIES[0]))) > 0);
        QByteArray received;
        const QStringList seen = readEvents(tool, BODIES, 20, received);
        QCOMPARE(seen.count("echo 1") + seen.count("crc"), 20);
        QVERIFY(seen.contains("echo 1") && seen.contains("crc"));
        QCOMPARE(peer.stop().count("fault_bad_fcs"), quint64(seen.count("crc")));
        runs << seen.join(", ");
    }
    QCOMPARE(runs[1], runs[0]);
    QVERIFY(runs[2] != runs[0]);
}

QTEST_GUILESS_MAIN(TestPeer)
#include "tst_peer.moc"
