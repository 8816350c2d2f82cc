// The window as bench_link drives it: through its buttons and fields, found by
// name, with the counts read from its session's ledger.
#include "bench_link.h"
#include "windowpart.h"

#include <QCheckBox>
#include <QEventLoop>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

#include <cstdio>

namespace {
constexpr int POLL_MS = 20;
} // namespace

void runUntil(const std::function<bool()> &done, int limitMs)
{
    QEventLoop loop;
    QTimer poll;
    QElapsedTimer clock;
    clock.start();
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (done() || clock.elapsed() >= limitMs)
            loop.quit();
    });
    poll.start(POLL_MS);
    loop.exec();
}

// The window lists the port it is given first and selects it.
WindowUnderTest::WindowUnderTest(const QString &port, bool showView) : window({port})
{
    window.show();
    windowPart<QCheckBox>(window, "cb_trxCmp")->setChecked(true);
    windowPart<QCheckBox>(window, "cb_txShow")->setChecked(showView);
    windowPart<QCheckBox>(window, "cb_rxShow")->setChecked(showView);
}

WindowUnderTest::~WindowUnderTest()
{
    for (const QString &warning : warnings.describe())
        std::fprintf(stderr, "the window warned: %s\n", qPrintable(warning));
}

double WindowUnderTest::answerDriven(const std::function<bool()> &done, int limitMs)
{
    return run("btn_txAck", done, limitMs, [this] { return counters().cntRxPackets; });
}

double WindowUnderTest::timed(int limitMs)
{
    windowPart<QLineEdit>(window, "le_txTm")->setText(QStringLiteral("1"));
    return run(
        "btn_txAuto", [] { return false; }, limitMs, [this] { return counters().cntTxPackets; });
}

// Closing the port stops the mode through its own stop path.
double WindowUnderTest::run(const char *modeButton, const std::function<bool()> &done, int limitMs,
                            const std::function<quint64()> &count)
{
    QPushButton *openClose = windowPart<QPushButton>(window, "btn_ser_conn");
    QPushButton *mode = windowPart<QPushButton>(window, modeButton);
    openClose->click();
    QElapsedTimer clock;
    clock.start();
    mode->click();
    runUntil(done, limitMs);
    const double rate = perSecond(count(), clock);
    openClose->click();
    return rate;
}
