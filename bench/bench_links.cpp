// Several links in one headless run of the real program, each against its own simulated device
// paced at the line rate: the lowest link's line use each way, the frames left unanswered and
// the process's CPU share; and one answer-driven link beside seven at full speed.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <sys/resource.h>
#include <vector>

namespace {

constexpr double LINE_USE_TARGET = 0.97;
constexpr double BESIDE_TARGET = 0.8;
constexpr int DURATION_S = 10;
// Alone and beside, taken in turns: the rate alone drifts by a quarter from
// run to run on this machine, so one pair says little.
constexpr int ANSWER_ROUNDS = 5;
// 128 payload bytes behind the tag.
const char *const SETTINGS = "[send]\ntx-rand-data=true\ntx-len-min=128\ntx-len-max=128\n";

struct Peers {
    Peers(int count, const QStringList &options)
    {
        for (int i = 0; i < count; ++i) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(PAKTO_PEER_PATH, QStringList{"--pty"} + options);
            processes.back()->waitForReadyRead(10000);
            paths << QString(processes.back()->readLine()).trimmed();
        }
    }
    QStringList arguments() const
    {
        QStringList arguments;
        for (const QString &path : paths)
            arguments << "--port" << path << "--open" << path;
        return arguments;
    }
    ~Peers()
    {
        for (const auto &process : processes) {
            process->kill();
            process->waitForFinished();
        }
    }
    std::vector<std::unique_ptr<QProcess>> processes;
    QStringList paths;
};

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage); // the runs waited for; the peers still run
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

QProcess *startRun(const QTemporaryDir &dir, const QString &report, const QStringList &options)
{
    auto *run = new QProcess;
    run->setWorkingDirectory(dir.path());
    run->start(PAKTO_PATH, options + QStringList{"--report", report, "--tag"});
    return run;
}

QJsonObject finished(QProcess *run, const QTemporaryDir &dir, const QString &report)
{
    run->waitForFinished(-1);
    delete run;
    QFile file(dir.filePath(report));
    file.open(QIODevice::ReadOnly);
    return QJsonDocument::fromJson(file.readAll()).object();
}

// The lowest link's share each way, and every link's unanswered frames.
void lineUse(int links, int baud)
{
    QTemporaryDir dir;
    QFile settings(dir.filePath("dv-ppp.ini"));
    settings.open(QIODevice::WriteOnly);
    settings.write(SETTINGS);
    settings.close();
    Peers peers(links, {"--line-rate"}); // at the rate the program sets on the terminal
    const double cpuBefore = cpuSeconds();
    const QJsonObject report =
        finished(startRun(dir, "r.json",
                          peers.arguments() + QStringList{"--send", "stream", "--compare", "--baud",
                                                          QString::number(baud), "--duration",
                                                          QString::number(DURATION_S)}),
                 dir, "r.json");
    const double cpu = cpuSeconds() - cpuBefore;
    const QJsonArray measured = report["links"].toArray();
    double tx = measured.size() == links ? 1 : 0, rx = tx; // no report: nothing met
    for (const QJsonValue &link : measured) {
        tx = qMin(tx, link["line_use"]["tx"].toDouble());
        rx = qMin(rx, link["line_use"]["rx"].toDouble());
    }
    const qint64 noReply = qint64(report["counters"]["no_reply"].toDouble());
    const bool met = tx >= LINE_USE_TARGET && rx >= LINE_USE_TARGET && noReply == 0;
    std::printf("%d links at %d baud: lowest line use tx %.1f%%, rx %.1f%%, no reply %lld, "
                "CPU %.0f%% of one core (target %.0f%%, 0) %s\n",
                links, baud, 100 * tx, 100 * rx, noReply, 100 * cpu / DURATION_S,
                100 * LINE_USE_TARGET, met ? "met" : "MISSED");
}

double answerRate(bool beside)
{
    QTemporaryDir dir;
    std::unique_ptr<Peers> others;
    QProcess *fullSpeed = nullptr;
    if (beside) {
        others = std::make_unique<Peers>(7, QStringList{"--line-rate"});
        fullSpeed = startRun(dir, "others.json",
                             others->arguments() +
                                 QStringList{"--send", "stream", "--compare", "--duration", "7"});
        QThread::msleep(1000);
    }
    Peers alone(1, {});
    const QJsonObject report =
        finished(startRun(dir, "one.json",
                          alone.arguments() +
                              QStringList{"--send", "answer", "--compare", "--duration", "5"}),
                 dir, "one.json");
    if (fullSpeed)
        finished(fullSpeed, dir, "others.json");
    return report["counters"]["answered"].toDouble() / report["duration_s"]["run"].toDouble();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList counts = application.arguments().mid(1); // e.g. 8:921600 32:115200
    for (const QString &run : counts.isEmpty() ? QStringList{"8:921600", "32:115200"} : counts)
        lineUse(run.section(':', 0, 0).toInt(), run.section(':', 1).toInt());
    std::vector<double> alones, besides;
    for (int round = 0; round < ANSWER_ROUNDS; ++round) {
        alones.push_back(answerRate(false));
        besides.push_back(answerRate(true));
        std::printf("answer-driven round trips, round %d: %.0f/s alone, %.0f/s beside\n", round + 1,
                    alones.back(), besides.back());
    }
    const double alone = median(alones), beside = median(besides);
    std::printf("answer-driven round trips (medians of %d): %.0f/s alone, %.0f/s beside 7 links "
                "at full speed: %.2fx (target %.1fx) %s\n",
                ANSWER_ROUNDS, alone, beside, beside / alone, BESIDE_TARGET,
                beside >= BESIDE_TARGET * alone ? "met" : "MISSED");
}
