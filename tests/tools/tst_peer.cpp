#include "linktest.h"

#include "frames.h"
#include "referencedecoder.h"

#include <QSerialPort>
#include <QtTest>

#include <utility>

// Lengths differ by other than 0 or 2, so no reply can pass for another's.
const QVector<QByteArray> BODIES = {"first frame",
                                    QByteArrayLiteral("\x7E second \x7D frame\x11\x13"), "third!"};

// What reaches the tool (into received) until count events or 10 s of silence, decoded apart from
// the codec: "echo 2" (BODIES[1]), "extra 2" (and 55 AA), "frame ?" (another good frame), "short",
// "long", "crc", "7d", "skip" (bytes hunted over).
static QStringList readEvents(QSerialPort &tool, int count, QByteArray &received)
{
    QStringList events;
    QMap<QByteArray, QString> names;
    for (int k = 0; k < BODIES.size(); ++k) {
        names[BODIES[k]] = QString("echo %1").arg(k + 1);
        names[BODIES[k] + "\x55\xAA"] = QString("extra %1").arg(k + 1);
    }
    ReferenceDecoder decoder(FRAME_BUF_SIZE);
    for (bool skipping = false;
         events.size() < count && (tool.bytesAvailable() || tool.waitForReadyRead(10000));)
        for (const char byte : tool.readAll()) {
            received += byte;
            if (std::exchange(skipping, decoder.hunting() && byte != '\x7E') && !skipping)
                events << "skip";
            const int result = decoder.feed(uchar(byte));
            if (result > 0)
                events << names.value(
                    QByteArray(reinterpret_cast<const char *>(decoder.body().data()), result),
                    "frame ?");
            else if (result < 0)
                events << QStringList{"short", "long", "crc", "7d"}.value(-1 - result);
        }
    return events;
}

class TestPeer : public QObject
{
    Q_OBJECT

private slots:
    // --every 2 spoils the second reply; report: counts other than 3 frames, 3 replies, 1 of the
    // fault. Own flags: 15, 24 and 10 bytes for the three replies.
    void repliesAndReport_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("events");
        QTest::addColumn<QString>("report");
        // clang-format off
        const char *const rows[][4] = {
            {"raw: every byte as it came", "--mode raw", "skip, echo 1, 7d, echo 2, echo 3", "replies_sent: 0"},
            {"bad-escape: 7d, rest skipped", "--fault bad-escape --every 2", "echo 1, 7d, skip, echo 3", ""},
            {"drop, the rest 30 ms late and in order", "--fault drop --every 2 --delay 30", "echo 1, echo 3", "replies_sent: 2"},
            {"corrupt: one byte of the body, good fcs (mode extra)", "--mode extra --fault corrupt --every 2", "extra 1, frame ?, extra 3", ""},
            {"short", "--fault short --every 2", "echo 1, short, echo 3", ""},
            {"oversize: long, rest skipped", "--fault oversize --every 2", "echo 1, long, skip, echo 3", ""},
            {"noise: a frame of its own between two flags", "--fault noise --every 2", "echo 1, crc, echo 2, echo 3", ""},
            {"shared flags, a duplicate's frames too: 3 flags fewer", "--flags shared --fault duplicate --every 2", "echo 1, echo 2, echo 2, echo 3", "replies_sent: 4, bytes_sent: 70"},
            {"idle flags: 3 more", "--flags idle --fault bad-fcs --every 2", "echo 1, crc, echo 3", "bytes_sent: 52"},
            {"--rate: seed 7 spoils the second", "--fault bad-fcs --rate 0.5 --seed 7", "echo 1, crc, echo 3", ""},
            {"--rate: seed 8 spoils none", "--fault bad-fcs --rate 0.5 --seed 8", "echo 1, echo 2, echo 3", "fault_bad_fcs: 0"}};
        // clang-format on
        for (const auto &row : rows)
            QTest::newRow(row[0]) << row[1] << row[2] << row[3];
    }

    void repliesAndReport()
    {
        QFETCH(QString, options);
        QFETCH(QString, events);
        QFETCH(QString, report);
        QTemporaryDir dir;
        const QString link = dir.filePath("device"), record = dir.filePath("received.bin");
        QVERIFY(QFile::link(dir.filePath("gone"), link));
        PeerProcess peer(options.split(' ', Qt::SkipEmptyParts) +
                         QStringList{"--link", link, "--record", record});
        QCOMPARE(QFileInfo(link).symLinkTarget(), peer.path);
        QSerialPort tool(link);
        const QByteArray sent = QByteArrayLiteral("\x00noise\x7D") + frameOf(BODIES[0]) +
                                QByteArrayLiteral("\x7E\x7D\x31\x7E") + frameOf(BODIES[1]) +
                                frameOf(BODIES[2]);
        QElapsedTimer sinceWrite;
        QVERIFY(tool.open(QIODevice::ReadWrite) && tool.write(sent) == sent.size() &&
                tool.waitForBytesWritten(1000));
        sinceWrite.start();
        QVERIFY(tool.waitForReadyRead(10000)); // a delay holds every reply at least that long
        QVERIFY(sinceWrite.nsecsElapsed() >= options.section("--delay ", 1).toInt() * 1000000);
        QByteArray received;
        const QStringList seen = readEvents(tool, events.split(", ").size(), received);
        QCOMPARE(seen.join(", "), events);

        const Run end = peer.stop();
        QCOMPARE(end.exitCode, 0);
        QVERIFY(!QFileInfo(link).isSymLink()); // the link goes on exit
        QCOMPARE(readFile(record), sent);
        // Each line of the report: what the tool saw on the wire, as a row says otherwise.
        QMap<QString, int> counts{{"bytes_received", sent.size()}, {"bytes_sent", received.size()}};
        for (const QString &event : seen) // "skip" counts nowhere
            ++counts[event.contains(' ') ? "wire_good_frames" : "wire_" + event + "_errors"];
        ++counts["fault_" +
                 QRegularExpression("--fault (\\S+)").match(options).captured(1).replace('-', '_')];
        for (const QString &count : ("frames_received: 3, replies_sent: 3, " + report).split(", "))
            counts[count.section(": ", 0, 0)] = count.section(": ", 1).toInt();
        QString expected;
        for (const QString &line : end.out.split('\n', Qt::SkipEmptyParts))
            expected += line.section(": ", 0, 0) + ": " +
                        QString::number(counts.value(line.section(": ", 0, 0))) + '\n';
        QCOMPARE(end.out, expected);
    }

    // 2064 bytes sent back in raw mode: the Nth, 2Nth, ... dropped, and bits flipped at about the
    // rate but none in the first 64 bytes, each counted in the report.
    void rawLineNoise_data()
    {
        QTest::addColumn<QString>("options");
        for (const char *row :
             {"--bit-errors 0.01 --seed 5", "--bit-errors 0.02 --line-rate --delay 30",
              "--slip-every 7", "--slip-every 100 --bit-errors 0.01 --line-rate"})
            QTest::newRow(row) << row;
    }

    void rawLineNoise()
    {
        QFETCH(QString, options);
        const int slipEvery = options.section("--slip-every ", 1).section(' ', 0, 0).toInt();
        const double rate = options.section("--bit-errors ", 1).section(' ', 0, 0).toDouble();
        QByteArray sent(2064, '\0'), expected, back;
        QRandomGenerator(3).fillRange(reinterpret_cast<quint32 *>(sent.data()), sent.size() / 4);
        for (int k = 0; k < sent.size(); ++k)
            expected += slipEvery && (k + 1) % slipEvery == 0 ? QByteArray() : sent.mid(k, 1);
        PeerProcess peer(QStringList{"--mode", "raw"} + options.split(' '));
        QSerialPort tool(peer.path);
        QVERIFY(tool.open(QIODevice::ReadWrite) && tool.setBaudRate(115200));
        const bool paced = options.contains("--line-rate");
        QTest::qWait(paced ? 300 : 0); // idle, a paced line saves up no more than 50 ms
        QElapsedTimer clock;
        clock.start();
        QVERIFY(tool.write(sent));
        while (back.size() < expected.size() && tool.waitForReadyRead(WAIT_MS))
            back += tool.readAll();
        const Run end = peer.stop();
        QCOMPARE(back.size(), expected.size());
        // 2064 bytes of 10 bits at 115,200 baud take 179 ms on the line.
        QVERIFY2(!paced || clock.elapsed() >= 179 - 50,
                 qPrintable(QString::number(clock.elapsed())));
        QCOMPARE(back.left(64), expected.left(64));
        int flipped = 0;
        for (int k = 0; k < back.size(); ++k)
            flipped += qPopulationCount(quint8(back[k] ^ expected[k]));
        const double mean = rate * 8 * (back.size() - 64);
        QVERIFY(flipped >= 0.7 * mean && flipped <= 1.3 * mean);
        QCOMPARE(end.count("bits_flipped"), quint64(flipped));
        QCOMPARE(end.count("bytes_dropped"), quint64(sent.size() - expected.size()));
        QCOMPARE(end.count("bytes_sent"), quint64(back.size()));
    }

    // Milliseconds from the printed path to each change of the link, gone first, met from 30 ms
    // early to 100 ms late. With shared flags the first reply on a new line has its opening flag.
    void vanishAndReturn_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("changes");
        // clang-format off
        QTest::newRow("once") << "--vanish 300:500" << "300 800";
        QTest::newRow("twice, then for good") << "--vanish 200:100,500:never" << "200 300 500";
        QTest::newRow("every 800 ms") << "--vanish-every 800:200 --flags shared" << "800 1000";
        // clang-format on
    }

    void vanishAndReturn()
    {
        QFETCH(QString, options);
        QFETCH(QString, changes);
        QTemporaryDir dir;
        const QString link = dir.filePath("device");
        PeerProcess peer(options.split(' ') + QStringList{"--link", link});
        QElapsedTimer clock;
        clock.start();
        QSerialPort before(link), after(link);
        QByteArray received;
        QVERIFY(before.open(QIODevice::ReadWrite) && before.write(frameOf(BODIES[0])));
        QCOMPARE(readEvents(before, 1, received), QStringList{"echo 1"});
        const QStringList expected = changes.split(' ');
        QStringList seen;
        while (clock.elapsed() < expected.last().toInt() + 200) {
            if (QFileInfo(link).isSymLink() != (seen.size() % 2 == 0))
                seen << QString::number(clock.elapsed());
            QTest::qWait(2);
        }
        QCOMPARE(seen.size(), expected.size());
        for (int k = 0; k < seen.size(); ++k)
            QVERIFY2(qAbs(seen[k].toInt() - expected[k].toInt() - 35) < 65,
                     qPrintable(seen.join(' ')));
        QVERIFY(before.error() != QSerialPort::NoError); // the far end went
        if (seen.size() % 2 == 0) {                      // back, at a new terminal
            QVERIFY(QFileInfo(link).symLinkTarget() != peer.path);
            before.close(); // which frees the lock the two share by name
            QVERIFY(after.open(QIODevice::ReadWrite) && after.write(frameOf(BODIES[1])));
            QCOMPARE(readEvents(after, 1, received), QStringList{"echo 2"});
        }
        const Run end = peer.stop();
        QCOMPARE(end.exitCode, 0);
        QCOMPARE(end.count("vanished"), quint64(seen.size() + 1) / 2);
        QCOMPARE(end.count("returned"), quint64(seen.size()) / 2);
    }
};

QTEST_GUILESS_MAIN(TestPeer)
#include "tst_peer.moc"
