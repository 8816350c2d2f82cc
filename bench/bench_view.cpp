// CPU cost per line of the traffic view while frames arrive at 9,000 lines a
// second (answer-driven sending, both directions shown), against the view as it
// drew before: every line formatted on arrival and, every 40 ms, appended to a
// QTextBrowser that lays out each line it holds. Both run paced in real time, so
// each draws when it would in the window; the figure is the main thread's CPU
// time per line over a run that fills the view and then trims it, the last draw
// included. Rounds alternate the two views; the medians are compared.
#include "app/mainwindow.h"
#include "engine/trafficline.h"
#include "widgets/trafficview.h"
#include "windowpart.h"
#include "workdir.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <functional>
#include <vector>

namespace {

constexpr int BATCH_MS = 40;
constexpr int LINES_PER_BATCH = 360; // 9,000 lines a second
constexpr int BATCHES = 60;          // 21,600 lines: the view fills and trims twice over
constexpr int ROUNDS = 3;
constexpr int EARLIER_FLUSH_MS = 40;
constexpr int EARLIER_MAX_WAITING = 1000;
constexpr int EARLIER_TRIM_CHUNK = 2000;
constexpr double TARGET = 3.0;

double threadCpuUs()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1e6 + double(now.tv_nsec) / 1e3;
}

void runEventsUntil(const QElapsedTimer &clock, qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(int(std::max<qint64>(0, ms - clock.elapsed())), &loop, &QEventLoop::quit);
    loop.exec();
}

TrafficDirection directionOf(int line)
{
    return line % 2 ? TrafficDirection::Received : TrafficDirection::Sent;
}

// A paced run: add(frame, line) for every line, a batch every 40 ms, then
// finish(); the main thread's CPU time per line.
double paced(const QByteArray &frame, const std::function<void(const QByteArray &, int)> &add,
             const std::function<void()> &finish)
{
    QElapsedTimer clock;
    clock.start();
    const double start = threadCpuUs();
    for (int batch = 0, line = 0; batch < BATCHES; ++batch) {
        for (int i = 0; i < LINES_PER_BATCH; ++i, ++line)
            add(frame, line);
        runEventsUntil(clock, qint64(batch + 1) * BATCH_MS);
    }
    finish();
    QApplication::processEvents(); // the last repaint
    return (threadCpuUs() - start) / (BATCHES * LINES_PER_BATCH);
}

// The view before it kept raw frames: the line formatted on arrival, each
// batch appended paragraph by paragraph in one edit, the oldest lines dropped a
// chunk at a time, the whole document laid out by the QTextBrowser.
class EarlierView
{
public:
    explicit EarlierView(QSize size)
    {
        browser.resize(size);
        browser.setLineWrapMode(QTextEdit::NoWrap);
        QFont font = browser.font();
        font.setStyleStrategy(QFont::PreferNoShaping);
        browser.setFont(font);
        received.setBackground(QColor(0x97, 0xc4, 0xf0));
        browser.show();
        flushTimer.setSingleShot(true);
        QObject::connect(&flushTimer, &QTimer::timeout, [this] { draw(); });
    }

    void add(const QByteArray &frame, int line)
    {
        const bool isReceived = directionOf(line) == TrafficDirection::Received;
        const QString body =
            QStringLiteral("[ ") + (isReceived ? QStringLiteral("收") : QStringLiteral("发")) +
            QLatin1Char(' ') + QString::number(line * 0.111, 'f', 3) + QStringLiteral("ms , ") +
            QString::number(frame.size()) + QStringLiteral("字节 ]  ") +
            QString::fromLatin1(frame.toHex(' ').toUpper());
        waiting.push_back({body.simplified(), isReceived ? received : sent});
        if (waiting.size() >= EARLIER_MAX_WAITING)
            draw();
        else if (!flushTimer.isActive())
            flushTimer.start(EARLIER_FLUSH_MS);
    }

    void draw()
    {
        flushTimer.stop();
        QScrollBar *bar = browser.verticalScrollBar();
        const bool following = bar->value() >= bar->maximum();
        QTextDocument *document = browser.document();
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::End);
        cursor.beginEditBlock();
        for (const auto &[text, format] : waiting) {
            if (!document->isEmpty())
                cursor.insertBlock(QTextBlockFormat(), QTextCharFormat());
            cursor.insertText(text, format);
        }
        cursor.endEditBlock();
        waiting.clear();
        if (document->blockCount() - TRAFFIC_VIEW_LINES > EARLIER_TRIM_CHUNK) {
            QTextCursor top(document);
            top.setPosition(
                document->findBlockByNumber(document->blockCount() - TRAFFIC_VIEW_LINES).position(),
                QTextCursor::KeepAnchor);
            top.removeSelectedText();
        }
        if (following)
            bar->setValue(bar->maximum());
    }

private:
    QTextBrowser browser;
    QTextCharFormat sent;
    QTextCharFormat received;
    std::vector<std::pair<QString, QTextCharFormat>> waiting;
    QTimer flushTimer;
};

// The window's own traffic widget, in the window's layout, drawn by a view of
// ours on its own schedule: the window has no port open, so its view stays idle.
class CurrentView
{
public:
    CurrentView()
        : widget(windowPart<QPlainTextEdit>(window, "txt_data")),
          view(new TrafficView(widget, translatedTrafficLabels()))
    {
        window.show();
        QApplication::processEvents();
    }

    QSize viewSize() const { return widget->size(); }
    void add(const QByteArray &frame, int line)
    {
        view->add(reinterpret_cast<const quint8 *>(frame.constData()), quint16(frame.size()),
                  directionOf(line), false, line * 0.111);
    }
    void draw() { view->draw(); }

private:
    TestWorkDir workDir; // the window's settings and pictures stay out of the caller's folder
    MainWindow window;
    QPlainTextEdit *widget;
    TrafficView *view; // owned by the widget
};

double earlierPerLine(const QByteArray &frame, QSize size)
{
    EarlierView view(size);
    QApplication::processEvents();
    return paced(
        frame, [&](const QByteArray &bytes, int line) { view.add(bytes, line); },
        [&] { view.draw(); });
}

double currentPerLine(const QByteArray &frame)
{
    CurrentView view;
    return paced(
        frame, [&](const QByteArray &bytes, int line) { view.add(bytes, line); },
        [&] { view.draw(); });
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

void compare(int frameBytes)
{
    const QByteArray frame(frameBytes, '\x5a');
    const QSize size = CurrentView().viewSize();
    std::vector<double> earlier, current;
    for (int round = 0; round < ROUNDS; ++round) {
        if (round % 2)
            earlier.push_back(earlierPerLine(frame, size));
        current.push_back(currentPerLine(frame));
        if (round % 2 == 0)
            earlier.push_back(earlierPerLine(frame, size));
    }
    const double ratio = median(earlier) / median(current);
    std::printf("%3d-byte frames, 9000 lines/s: earlier view %6.2f us/line (%.2f..%.2f), this view "
                "%6.2f us/line (%.2f..%.2f): %.1fx cheaper (target >= %.0fx: %s)\n",
                frameBytes, median(earlier), *std::min_element(earlier.begin(), earlier.end()),
                *std::max_element(earlier.begin(), earlier.end()), median(current),
                *std::min_element(current.begin(), current.end()),
                *std::max_element(current.begin(), current.end()), ratio, TARGET,
                ratio >= TARGET ? "met" : "MISSED");
    std::fflush(stdout);
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::printf("CPU time of the GUI thread per shown line, median of %d paced runs of %d lines\n",
                ROUNDS, BATCHES * LINES_PER_BATCH);
    compare(16);
    compare(128);
    return 0;
}
