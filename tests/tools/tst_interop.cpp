// The program against tools no one here wrote: socat as the device at the
// other end of the line, and pppdump as a second decoder of what was sent.
#include "peer_process.h"
#include "window_run.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>

namespace {

constexpr int WAIT_MS = 10000;
constexpr int POLL_MS = 20;
// pppd's record file: a type byte (1: bytes sent), a 2-byte big-endian
// length, the bytes. Small records make frames straddle them.
constexpr char RECORD_SENT = 1;
constexpr int RECORD_CHUNK = 1000;
// pppdump -p prints 16 bytes a line, after a 6-column direction field.
constexpr int PPPDUMP_HEX_COLUMN = 6;
constexpr int PPPDUMP_HEX_WIDTH = 16 * 3;

// Random payloads of many lengths, so that flags, escapes and control bytes
// all come up; kept under pppdump's default MRU.
const QByteArray RANDOM_PAYLOAD_SETTINGS = "[send]\ntx-rand-data=true\ntx-len-min=1\ntx-len-max=600\n";

QString findTool(const QString &name)
{
    return QStandardPaths::findExecutable(name, {"/usr/sbin", "/sbin", "/usr/bin", "/bin"});
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray asPppdRecord(const QByteArray &sentBytes)
{
    QByteArray record;
    for (int at = 0; at < sentBytes.size(); at += RECORD_CHUNK) {
        const QByteArray chunk = sentBytes.mid(at, RECORD_CHUNK);
        record += RECORD_SENT;
        record += char(chunk.size() >> 8);
        record += char(chunk.size() & 0xFF);
        record += chunk;
    }
    return record;
}

struct PppdumpPackets {
    QList<QByteArray> sent;
    QStringList otherLines; // anything else pppdump had to say: bad FCS, ...
};

// "sent  7e 01 ..." opens a packet, lines of blanks and hex continue it.
PppdumpPackets parsePppdump(const QString &output)
{
    PppdumpPackets packets;
    const QStringList lines = output.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString &line : lines) {
        const QByteArray hex = line.mid(PPPDUMP_HEX_COLUMN, PPPDUMP_HEX_WIDTH).toLatin1();
        if (line.startsWith(QLatin1String("sent  ")))
            packets.sent << QByteArray::fromHex(hex);
        else if (line.startsWith(QLatin1String("      ")) && !packets.sent.isEmpty())
            packets.sent.last() += QByteArray::fromHex(hex);
        else
            packets.otherLines << line;
    }
    return packets;
}

// socat's echo: the pipe hands back at once every byte written to the
// pseudo-terminal it makes at linkPath.
class SocatEcho
{
public:
    bool start(const QString &socat, const QString &linkPath)
    {
        process.start(socat, {"-d", "-d", "pty,raw,echo=0,link=" + linkPath, "PIPE"});
        const QDeadlineTimer deadline(WAIT_MS);
        while (!QFile::exists(linkPath) && !deadline.hasExpired()
               && process.state() != QProcess::NotRunning)
            QTest::qWait(POLL_MS);
        return QFile::exists(linkPath);
    }
    ~SocatEcho()
    {
        process.terminate();
        if (!process.waitForFinished(WAIT_MS))
            process.kill();
    }
    QString log() { return QString::fromLocal8Bit(process.readAllStandardError()); }

private:
    QProcess process;
};

} // namespace

class TestInterop : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void socatEchoComparesEveryFrame_data();
    void socatEchoComparesEveryFrame();
    void pppdumpDecodesWhatWasSent();

private:
    std::unique_ptr<QTemporaryDir> workDir;
};

void TestInterop::init()
{
    workDir = std::make_unique<QTemporaryDir>();
    QVERIFY(workDir->isValid());
    QVERIFY(writeFile(workDir->filePath("dv-ppp.ini"), RANDOM_PAYLOAD_SETTINGS));
}

void TestInterop::socatEchoComparesEveryFrame_data()
{
    QTest::addColumn<QStringList>("options");

    QTest::newRow("answer-driven") << QStringList{"--send", "answer"};
    QTest::newRow("answer-driven, tagged") << QStringList{"--send", "answer", "--tag"};
    QTest::newRow("timed, 2 ms") << QStringList{"--send", "timed", "--period", "2"};
}

void TestInterop::socatEchoComparesEveryFrame()
{
    QFETCH(QStringList, options);
    const QString socat = findTool("socat");
    if (socat.isEmpty())
        QSKIP("socat is not installed (make test installs it)");

    const QString device = workDir->filePath("device");
    SocatEcho echo;
    QVERIFY2(echo.start(socat, device), qPrintable(echo.log()));
    const WindowRun run = runWindow(workDir->path(), QStringList{"--port", device, "--open", device, "--compare",
                                                                 "--duration", "1"}
                                                         + options);
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
    const quint64 sent = run.count(panel::SENT);
    QVERIFY(sent > 0);
    QCOMPARE(run.count(panel::RECEIVED), sent);
    QCOMPARE(run.count(panel::COMPARED_OK), sent);
    QCOMPARE(run.count(panel::COMPARE_FAILED), quint64(0));
}

// The peer records every byte the window wrote; pppdump finds the frames in
// them and checks each FCS, and each body must be the capture file's line.
void TestInterop::pppdumpDecodesWhatWasSent()
{
    const QString pppdump = findTool("pppdump");
    if (pppdump.isEmpty())
        QSKIP("pppdump is not installed (package ppp; make test installs it)");

    const QString recorded = workDir->filePath("sent.raw");
    PeerProcess peer;
    QVERIFY(peer.startPty({"--mode", "echo", "--record", recorded}));
    const QString device = peer.ptyPath();
    const WindowRun run = runWindow(workDir->path(), {"--port", device, "--open", device, "--send", "answer",
                                                      "--compare", "--tag", "--capture", "capture.txt",
                                                      "--duration", "1"});
    QVERIFY(peer.stop(SIGTERM));
    QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

    const QString record = workDir->filePath("sent.pppd");
    QVERIFY(writeFile(record, asPppdRecord(readFile(recorded))));
    QProcess dump;
    dump.start(pppdump, {"-p", record});
    QVERIFY(dump.waitForFinished(WAIT_MS));
    const PppdumpPackets packets = parsePppdump(QString::fromLatin1(dump.readAllStandardOutput()));
    QVERIFY2(packets.otherLines.isEmpty(), qPrintable(packets.otherLines.join('\n')));

    const QList<QByteArray> captured = capturedFrames(workDir->filePath("capture.txt"), true);
    QVERIFY(!captured.isEmpty());
    QCOMPARE(quint64(captured.size()), run.count(panel::SENT));
    QCOMPARE(packets.sent.size(), captured.size());
    for (int i = 0; i < captured.size(); ++i)
        QVERIFY2(packets.sent.at(i) == captured.at(i), qPrintable(QString("frame %1").arg(i)));
}

QTEST_GUILESS_MAIN(TestInterop)
#include "tst_interop.moc"
