// The program against tools no one here wrote: socat as the device at the
// other end of the line, and pppdump as a second decoder of what was sent.
#include "linktest.h"

#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

class TestInterop : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void socatEchoComparesEveryFrame();
    void pppdumpDecodesWhatWasSent();

private:
    QTemporaryDir workDir;
};

// Random payloads of many lengths, so that flags, escapes and control bytes all
// come up; kept under pppdump's default MRU.
void TestInterop::initTestCase()
{
    QFile settings(workDir.filePath("dv-ppp.ini"));
    QVERIFY(settings.open(QIODevice::WriteOnly)
            && settings.write("[send]\ntx-rand-data=true\ntx-len-min=1\ntx-len-max=600\n") > 0);
}

// socat's PIPE hands back at once every byte written to the terminal it makes;
// timed sending every 2 ms keeps frames back to back on the line.
void TestInterop::socatEchoComparesEveryFrame()
{
    const QString socat = QStandardPaths::findExecutable("socat"), device = workDir.filePath("device");
    if (socat.isEmpty())
        QSKIP("socat is not installed (make test installs it)");
    QProcess echo;
    echo.start(socat, {"-d", "-d", "pty,raw,echo=0,link=" + device, "PIPE"});
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(device), 10000);
    const Run run = runToEnd(PAKTO_WINDOW_PATH, {"--port", device, "--open", device, "--send", "timed", "--period", "2",
                                                 "--tag", "--compare", "--duration", "1"}, workDir.path());
    echo.terminate();
    QVERIFY(echo.waitForFinished(10000));
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    QVERIFY2(run.count(panel::SENT) > 0 && run.count(panel::COMPARED_OK) == run.count(panel::SENT), qPrintable(run.out));
}

// The peer records every byte the window wrote; pppdump finds the frames in
// them and checks each FCS, and each body must be the capture file's line.
void TestInterop::pppdumpDecodesWhatWasSent()
{
    const QString pppdump = QStandardPaths::findExecutable("pppdump", {"/usr/sbin"});
    if (pppdump.isEmpty())
        QSKIP("pppdump is not installed (package ppp; make test installs it)");
    PeerProcess peer({"--mode", "echo", "--record", workDir.filePath("sent.raw")});
    const Run run = runToEnd(PAKTO_WINDOW_PATH, {"--port", peer.path, "--open", peer.path, "--send", "answer",
                                                 "--compare", "--tag", "--capture", "capture.txt", "--duration", "1"},
                             workDir.path());
    QCOMPARE(peer.stop().exitCode, 0);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

    // pppd's record file: a type byte (1: sent), a 2-byte big-endian length, the
    // bytes; frames straddle records. (pppdump -p decodes files, not standard input.)
    const QByteArray sent = readFile(workDir.filePath("sent.raw"));
    QFile record(workDir.filePath("sent.pppd"));
    QVERIFY(record.open(QIODevice::WriteOnly));
    for (int at = 0; at < sent.size(); at += 1000) {
        const QByteArray chunk = sent.mid(at, 1000);
        record.write(QByteArray(1, '\x01') + char(chunk.size() >> 8) + char(chunk.size() & 0xFF) + chunk);
    }
    record.close();
    const Run dump = runToEnd(pppdump, {"-p", record.fileName()});
    QCOMPARE(dump.exitCode, 0);
    // "sent  7e 01 ..." opens a packet, lines of blanks continue it, 16 bytes a
    // line; anything else, such as a bad FCS, fails.
    QList<QByteArray> packets;
    for (const QString &line : dump.out.split('\n', Qt::SkipEmptyParts)) {
        if (line.startsWith("sent  "))
            packets << QByteArray();
        QVERIFY2(!packets.isEmpty() && (line.startsWith("sent  ") || line.startsWith("      ")), qPrintable(line));
        packets.last() += QByteArray::fromHex(line.mid(6, 16 * 3).toLatin1());
    }
    QList<QByteArray> captured; // "[ 发 12.345ms , 8字节 ]  00 01 ..." for a sent frame
    for (const QString &line : QString::fromUtf8(readFile(workDir.filePath("capture.txt"))).split('\n'))
        if (line.startsWith("[ 发 "))
            captured << QByteArray::fromHex(line.section(" ] ", 1).toLatin1());
    QVERIFY(!captured.isEmpty());
    QCOMPARE(quint64(captured.size()), run.count(panel::SENT));
    QCOMPARE(packets, captured);
}

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
