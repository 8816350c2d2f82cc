// Cost of one frame in the traffic view with both show boxes on: formatting,
// queueing and its share of the batched append and repaint, while the view
// fills up and once it trims its oldest lines. Run from a Release build.
#include "mainwindowprobe.h"
#include "testsupport.h"

#include <benchmark/benchmark.h>

#include <QApplication>

namespace {

// 9000 lines a second (answer-driven sending, both directions shown) arrive
// at the 40 ms flush period in batches of this size.
constexpr int LINES_PER_FLUSH = 360;

class ShownTraffic
{
public:
    explicit ShownTraffic(int frameBytes) : frame(frameBytes, '\x5a')
    {
        Ui::MainWindow *ui = MainWindowProbe::ui(window);
        ui->cb_txShow->setChecked(true);
        ui->cb_rxShow->setChecked(true);
        window.show();
    }

    // One batch as the event loop sees it: frames in both directions, the
    // flush, and the repaint that follows.
    void showBatch()
    {
        for (int i = 0; i < LINES_PER_FLUSH; ++i, ++lines) {
            const auto direction = lines % 2 ? TrafficDirection::Received : TrafficDirection::Sent;
            MainWindowProbe::showTraffic(window, frame, direction, false, lines * 0.111);
        }
        MainWindowProbe::flushTraffic(window);
        QApplication::processEvents();
    }

    qint64 lines = 0;

private:
    TestWorkDir workDir; // the window's settings and pictures stay out of the caller's folder
    MainWindow window;
    QByteArray frame;
};

void reportPerLine(benchmark::State &state)
{
    const double lines = double(state.iterations()) * LINES_PER_FLUSH;
    state.counters["per_line"] =
        benchmark::Counter(lines, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_ViewFillingUp(benchmark::State &state)
{
    ShownTraffic traffic(int(state.range(0)));
    for (auto _ : state)
        traffic.showBatch();
    reportPerLine(state);
}

void BM_ViewAtItsBound(benchmark::State &state)
{
    ShownTraffic traffic(int(state.range(0)));
    while (traffic.lines < TRAFFIC_VIEW_LINES + TRAFFIC_TRIM_CHUNK)
        traffic.showBatch();
    for (auto _ : state)
        traffic.showBatch();
    reportPerLine(state);
}

// Stops short of the bound, so no batch trims.
constexpr int BATCHES_BELOW_BOUND = TRAFFIC_VIEW_LINES / LINES_PER_FLUSH - 1;
// Several trims of a chunk each.
constexpr int BATCHES_AT_BOUND = 10 * TRAFFIC_TRIM_CHUNK / LINES_PER_FLUSH;

} // namespace

BENCHMARK(BM_ViewFillingUp)
    ->Arg(16)
    ->Arg(128)
    ->Iterations(BATCHES_BELOW_BOUND)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ViewAtItsBound)
    ->Arg(16)
    ->Arg(128)
    ->Iterations(BATCHES_AT_BOUND)
    ->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    benchmark::Initialize(&argc, argv);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
