// What the chart costs: the window's CPU time with its chart shown against the
// chart hidden, the traffic view off, at about 10,000 frames a second each way.
// The rate is honest line time: full-speed sending, compared and tagged, against
// pakto-peer --line-rate at 1,152,000 baud, which reads and echoes no faster
// than the line allows; 11-byte frames give some 10,500 a second. Every 500th
// reply has a bad FCS, so that every curve has points. The window is shown
// (offscreen) so that the chart paints. One window sends throughout; the
// chart is switched on and off between trials, the order turning each round,
// and the median of each round's difference is the figure (the machine is
// shared).
#include "app/mainwindow.h"
#include "widgets/runchart.h"
#include "windowpart.h"
#include "workdir.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QPushButton>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <optional>
#include <vector>

namespace {

constexpr int ROUNDS = 8;
constexpr int TRIAL_MS = 3000;
constexpr int SETTLE_MS = 1000; // after the switch, the layout and the first draw
constexpr int WAIT_MS = 10000;
constexpr double TARGET_POINTS = 2.0;
const QString BAUD = QStringLiteral("1152000");
// A tag with a wide SID range, so that round trips are taken; five payload bytes.
const QByteArray SETTINGS = "[control]\ntag-enable=true\nsid-min=0\nsid-max=255\n"
                            "[send]\ntx-data=00 01 02 03 04\n";

double processCpuS()
{
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9;
}

void runEvents(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Trial {
    double cpuPercent;
    double framesPerSecond;
};

// The window lists the port it is given first and selects it.
class ChartedWindow
{
public:
    explicit ChartedWindow(const QString &port)
    {
        QFile settings(workDir.filePath(QStringLiteral("dv-ppp.ini")));
        settings.open(QIODevice::WriteOnly);
        settings.write(SETTINGS);
        settings.close();
        window.emplace(QStringList{port});
        windowPart<QComboBox>(*window, "comb_bps")->setCurrentText(BAUD);
        windowPart<QCheckBox>(*window, "cb_trxCmp")->setChecked(true);
        window->show();
    }

    void start()
    {
        windowPart<QPushButton>(*window, "btn_ser_conn")->click();
        windowPart<QPushButton>(*window, "btn_txFull")->click();
    }
    void stop() { windowPart<QPushButton>(*window, "btn_ser_conn")->click(); }

    Trial trial(bool chartShown)
    {
        QCheckBox *chartBox = windowPart<QCheckBox>(*window, "cb_chart");
        if (chartBox->isChecked() != chartShown)
            chartBox->click();
        runEvents(SETTLE_MS);
        const quint64 framesBefore = counters().cntTxPackets;
        const double cpuBefore = processCpuS();
        QElapsedTimer clock;
        clock.start();
        runEvents(TRIAL_MS);
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        const quint64 frames = counters().cntTxPackets - framesBefore;
        return {100 * (processCpuS() - cpuBefore) / seconds, double(frames) / seconds};
    }

    const TrafficCounters &counters() const { return window->session().ledger().counters(); }
    QSize chartSize() const { return windowPart<RunChart>(*window, "plot_chart")->size(); }

private:
    TestWorkDir workDir; // entered before the window reads its settings
    std::optional<MainWindow> window;
};

// The cost of one redraw alone, painted at once: the chart at its size in the
// window, a minute of entries with every curve, drawn DRAWS times.
double msPerRedraw(QSize size)
{
    constexpr int DRAWS = 200;
    Timeline minute;
    for (int second = 0; second < 60; ++second)
        minute.add(
            {double(second), 1, 10000, 9990, 10, 0, 10, 0, 0, 0, -1, 120000, 119900, 0.2, 1.5});
    RunChart chart;
    chart.resize(size);
    chart.show();
    QApplication::processEvents(); // exposed: a repaint paints
    const double start = processCpuS();
    for (int draw = 0; draw < DRAWS; ++draw) {
        chart.showRecent(minute);
        chart.repaint();
    }
    return 1000 * (processCpuS() - start) / DRAWS;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QProcess peer;
    peer.start(PAKTO_PEER_PATH, {"--pty", "--line-rate", "--fault", "bad-fcs", "--every", "500"});
    peer.waitForReadyRead(WAIT_MS);
    ChartedWindow window(QString::fromLocal8Bit(peer.readLine()).trimmed());
    window.start();
    std::vector<double> off, on, added, rates;
    for (int round = 0; round < ROUNDS; ++round) {
        const bool onFirst = round % 2;
        const Trial first = window.trial(onFirst), second = window.trial(!onFirst);
        const Trial &chartOn = onFirst ? first : second, &chartOff = onFirst ? second : first;
        on.push_back(chartOn.cpuPercent);
        off.push_back(chartOff.cpuPercent);
        added.push_back(chartOn.cpuPercent - chartOff.cpuPercent);
        rates.insert(rates.end(), {chartOn.framesPerSecond, chartOff.framesPerSecond});
    }
    const TrafficCounters totals = window.counters();
    const QSize chartSize = window.chartSize();
    window.stop();
    peer.terminate();
    peer.waitForFinished(WAIT_MS);
    const double cost = median(added);
    std::printf("one redraw of a minute at %dx%d: %.2f ms of CPU (once a second)\n",
                chartSize.width(), chartSize.height(), msPerRedraw(chartSize));
    std::printf("full-speed sending at %s baud, view off: median %.0f frames/s each way, "
                "%llu answered, %llu CRC errors\n",
                qPrintable(BAUD), median(rates),
                static_cast<unsigned long long>(totals.cntAnswered),
                static_cast<unsigned long long>(totals.cntCrcErrors));
    std::printf("window CPU, chart off %.1f%%, chart on %.1f%% (medians of %d trials of %d ms)\n",
                median(off), median(on), ROUNDS, TRIAL_MS);
    std::printf("chart's cost: %+.2f percentage points (median of the rounds, range %+.2f..%+.2f; "
                "target <= %.0f) %s\n",
                cost, *std::min_element(added.begin(), added.end()),
                *std::max_element(added.begin(), added.end()), TARGET_POINTS,
                cost <= TARGET_POINTS ? "met" : "MISSED");
    return cost <= TARGET_POINTS ? 0 : 1;
}
