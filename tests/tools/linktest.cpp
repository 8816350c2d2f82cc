#include "linktest.h"

#include "codec/ppp_frame.h"
#include "referencedecoder.h"

#include <QFile>
#include <QRegularExpression>

#include <numeric>
#include <utility>

static constexpr int WAIT_MS = 10000;

static Run finish(QProcess &process, int waitMs)
{
    if (!process.waitForFinished(waitMs))
        process.kill();
    process.waitForFinished(WAIT_MS);
    const bool ended =
        process.exitStatus() == QProcess::NormalExit && process.error() != QProcess::FailedToStart;
    return {ended ? process.exitCode() : -1, process.readAllStandardOutput(),
            process.readAllStandardError()};
}

static QString nameOf(const QByteArray &body, const QVector<QByteArray> &sent)
{
    for (int k = 0; k < sent.size(); ++k) {
        const int extra = body.size() - sent[k].size(),
                  differing = extra != 0 && extra != 2
                                  ? 2
                                  : std::inner_product(sent[k].begin(), sent[k].end(), body.begin(),
                                                       0, std::plus<>(), std::not_equal_to<>());
        if (differing <= 1)
            return QString("%1 %2%3")
                .arg(extra ? "extra" : "echo")
                .arg(k + 1)
                .arg(differing ? " corrupt" : "");
    }
    return "frame ?";
}

QString Run::value(const QString &name) const
{
    const QRegularExpression line("(?m)^\\s*" + QRegularExpression::escape(name) + "(: | = )(.*)$");
    return line.match(out + err).captured(2);
}

Run readReport(const QByteArray &json)
{
    static const char *const check = R"(
import datetime, json, sys
d, Num, Opt = json.load(sys.stdin), (int, float), type(None)
for key, kind in dict(tool=dict, started=str, duration_s=dict, command_line=list, port=str,
        baud=(int, Opt), mode=str, period_ms=(int, Opt), reply_timeout_ms=(int, Opt), tag=bool,
        compare=bool, payload=(str, Opt), capture=(str, Opt), counters=dict, round_trip_ms=dict,
        verdict=str, reasons=list, warnings=list, exit_code=int).items():
    assert isinstance(d.get(key, {}), kind), key
assert sorted(d["tool"]) == ["name", "version"] and type(d["tool"]["version"]) is str
assert datetime.datetime.fromisoformat(d["started"]).utcoffset() is not None
assert all(isinstance(d["duration_s"][k], Num) for k in ("asked", "run"))
assert (d["verdict"] == "fail") == bool(d["reasons"]) == (d["exit_code"] != 0)
assert d["verdict"] in ("pass", "fail")
assert all(type(w) is str for w in d["reasons"] + d["warnings"] + d["command_line"])
trips = d.get("round_trip_ms", {"count": 0})  # one for each matched comparison
assert trips["count"] == d.get("counters", {}).get("compare_ok", 0)
assert sorted(trips) in (["count"], sorted("count min mean p50 p90 p99 p999 max".split()))
assert all(isinstance(v, Num) for v in trips.values())
assert sorted(d.get("counters", {})) in ([], sorted("tx_packets tx_bytes tx_errors rx_packets "
    "rx_bytes crc_errors escape_errors long_errors short_errors compare_ok compare_failed "
    "no_reply send_rate_bps".split()))
for key, value in list(d.get("counters", {}).items()) + [("exit_code", d["exit_code"]), ("reasons", " ".join(d["reasons"]))]:
    print(f"{key}: {value}")
)";
    QProcess python;
    python.start("python3", {"-c", check});
    python.write(json);
    python.closeWriteChannel();
    return finish(python, WAIT_MS);
}

Run runToEnd(const QString &program, const QStringList &arguments, const QString &workDir)
{
    for (const char *name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        qunsetenv(name);
    QProcess process;
    process.setWorkingDirectory(workDir);
    process.start(program, arguments);
    return finish(process, 12 * WAIT_MS);
}

PeerProcess::PeerProcess(const QStringList &arguments)
{
    process.start(PAKTO_PEER_PATH, QStringList{"--pty"} + arguments);
    path = process.waitForReadyRead(WAIT_MS) ? QString(process.readLine()).trimmed()
                                             : QString(); // one write
}

Run PeerProcess::stop(int signalNumber)
{
    if (signalNumber != 0 && process.processId() > 0)
        ::kill(pid_t(process.processId()), signalNumber);
    return finish(process, WAIT_MS);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QByteArray framesOf(const QVector<QByteArray> &bodies)
{
    QByteArray frames, frame(FRAME_BUF_SIZE, '\0');
    for (const QByteArray &body : bodies)
        frames += frame.left(ppp_frame_encode(reinterpret_cast<const uchar *>(body.constData()),
                                              body.size(), reinterpret_cast<uchar *>(frame.data()),
                                              FRAME_BUF_SIZE));
    return frames;
}

QStringList readEvents(QSerialPort &tool, const QVector<QByteArray> &bodies, int count,
                       QByteArray &received)
{
    QStringList events;
    ReferenceDecoder decoder(FRAME_BUF_SIZE);
    for (bool skipping = false; events.size() < count && tool.waitForReadyRead(WAIT_MS);)
        for (const char byte : tool.readAll()) {
            received += byte;
            if (std::exchange(skipping, decoder.hunting() && byte != '\x7E') && !skipping)
                events << "skip";
            const int result = decoder.feed(uchar(byte));
            if (result != 0) // the errors are -1 to -4
                events << (result > 0
                               ? nameOf(QByteArray(
                                            reinterpret_cast<const char *>(decoder.body().data()),
                                            result),
                                        bodies)
                               : QStringList{"short", "long", "crc", "7d"}.value(-1 - result));
        }
    return events;
}
