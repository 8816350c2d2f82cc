// The program against tools no one here wrote: socat as the device, pppdump as a second decoder.
#include "linktest.h"

#include <QtTest>

class TestInterop : public QObject
{
    Q_OBJECT
    QTemporaryDir workDir;

private slots:
    // Random payloads of 1 to 600 bytes (under pppdump's MRU): flags, escapes and control bytes.
    void initTestCase()
    {
        QFile settings(workDir.filePath("dv-ppp.ini"));
        QVERIFY(settings.open(QIODevice::WriteOnly) &&
                settings.write("[send]\ntx-rand-data=true\ntx-len-min=1\ntx-len-max=600\n") > 0);
    }

    // socat's PIPE hands back every byte at once; timed sending every 2 ms keeps frames back to
    // back.
    void socatEchoComparesEveryFrame()
    {
        const QString socat = QStandardPaths::findExecutable("socat"),
                      device = workDir.filePath("device");
        if (socat.isEmpty())
            QSKIP("socat is not installed (make test installs it)");
        QProcess echo;
        echo.start(socat, {"-d", "-d", "pty,raw,echo=0,link=" + device, "PIPE"});
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(device), 10000);
        const QString options = "--send timed --period 2 --tag --compare --duration 1";
        const Run run = runToEnd(PAKTO_WINDOW_PATH,
                                 QString("--port %1 --open %1 %2").arg(device, options).split(' '),
                                 workDir.path());
        echo.terminate();
        QVERIFY(echo.waitForFinished(10000));
        QVERIFY2(run.exitCode == 0 && run.count(panel::SENT) > 0 &&
                     run.count(panel::COMPARED_OK) == run.count(panel::SENT),
                 qPrintable(run.out + run.err));
    }

    // pppdump finds the frames in what the peer recorded and checks each FCS; each body is the
    // capture's line.
    void pppdumpDecodesWhatWasSent()
    {
        const QString pppdump = QStandardPaths::findExecutable("pppdump", {"/usr/sbin"});
        if (pppdump.isEmpty())
            QSKIP("pppdump is not installed (package ppp; make test installs it)");
        PeerProcess peer({"--record", workDir.filePath("sent.raw")});
        const QString options = "--send answer --compare --tag --capture capture.txt --duration 1";
        const Run run = runToEnd(
            PAKTO_WINDOW_PATH, QString("--port %1 --open %1 %2").arg(peer.path, options).split(' '),
            workDir.path());
        QVERIFY2(peer.stop().exitCode == 0 && run.exitCode == 0, qPrintable(run.out + run.err));
        // pppd's record file for pppdump -p: type 1 (sent), a 2-byte big-endian length, the bytes.
        QFile record(workDir.filePath("sent.pppd"));
        QVERIFY(record.open(QIODevice::WriteOnly));
        for (QByteArray rest = readFile(workDir.filePath("sent.raw")); !rest.isEmpty();
             rest.remove(0, 255))
            record.write(QByteArray("\x01\x00", 2) + char(qMin(rest.size(), 255)) + rest.left(255));
        record.close();
        const Run dump = runToEnd(pppdump, {"-p", record.fileName()});
        // "sent  7e 01 ..." opens a packet, 16 bytes a line; anything else (bad FCS) fails.
        QList<QByteArray> packets;
        for (const QString &line : dump.out.split('\n', Qt::SkipEmptyParts)) {
            if (line.startsWith("sent  "))
                packets << QByteArray();
            QVERIFY2(!packets.isEmpty() && (line.startsWith("sent  ") || line.startsWith("      ")),
                     qPrintable(line));
            packets.last() += QByteArray::fromHex(line.mid(6, 16 * 3).toLatin1());
        }
        QList<QByteArray> captured; // "[ 发 12.345ms , 8字节 ]  00 01 ..." for a sent frame
        for (const QString &line :
             QString::fromUtf8(readFile(workDir.filePath("capture.txt"))).split('\n'))
            if (line.startsWith("[ 发 "))
                captured << QByteArray::fromHex(line.section(" ] ", 1).toLatin1());
        QVERIFY(dump.exitCode == 0 && !captured.isEmpty() &&
                quint64(captured.size()) == run.count(panel::SENT));
        QCOMPARE(packets, captured);
    }
};

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
