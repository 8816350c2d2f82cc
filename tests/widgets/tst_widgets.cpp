// The traffic view over a plain editor and the run's chart, without a window: line texts and
// colours, bursts against lines drawn one by one, the points a timeline gives.
#include "widgets/runchart.h"
#include "widgets/trafficview.h"

#include <qwt_plot_zoneitem.h>
#include <qwt_scale_draw.h>
#include <qwt_scale_widget.h>

#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextBrowser>
#include <QtTest>

const TrafficLabels WORDS{"发", "收", "字节", "比较失败"};
constexpr auto SENT = TrafficDirection::Sent, RECEIVED = TrafficDirection::Received;

struct View : QPlainTextEdit {
    View() { resize(600, 400); }
    void add(const QByteArray &bytes, TrafficDirection direction, bool failed, double stampMs)
    {
        traffic->add(reinterpret_cast<const quint8 *>(bytes.constData()), quint16(bytes.size()),
                     direction, failed, stampMs);
    }
    // Frames first..last-1 in turn: both directions, some failed, lengths 1 to 4.
    void addNumbered(int first, int last, bool drawEach)
    {
        for (int i = first; i < last; ++i) {
            add(QByteArray(1 + i % 4, char(i)), i % 3 ? RECEIVED : SENT, i % 5 == 4, i);
            if (drawEach)
                traffic->draw();
        }
    }
    QStringList lines()
    {
        traffic->draw();
        return toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    TrafficView *traffic = new TrafficView(this, WORDS); // owned by the editor
};

class TestWidgets : public QObject
{
    Q_OBJECT

private slots:
    // Each line's exact text in view and capture (stamps beyond single precision), and its
    // colour; clearing drops shown and waiting lines.
    void lineTexts()
    {
        View view;
        view.add("\xee", SENT, false, 0);
        view.lines();
        view.add("\xdd", RECEIVED, false, 0.5); // still waiting
        view.traffic->clear();
        QTextBrowser appended; // one QTextEdit::append per paragraph
        appended.document()->setDefaultFont(view.document()->defaultFont());
        const auto line = [&](const char *hex, double ms, const QString &body,
                              const QString &span) {
            const bool failed = span.contains("#a40000");
            const QByteArray bytes = QByteArray::fromHex(hex);
            const auto direction = body.contains("收") ? RECEIVED : SENT;
            view.add(bytes, direction, failed, ms);
            appended.append(span + body + (failed ? " [ 比较失败 ]" : "") + "</span>");
            const auto *data = reinterpret_cast<const quint8 *>(bytes.constData());
            QCOMPARE(captureLine(WORDS, data, quint16(bytes.size()), direction, ms), body);
        };
        line("ee", 0, "[ 发 0.000ms , 1字节 ]  EE", "<span>");
        line("5a0112ab", 1234.5, "[ 发 1234.500ms , 4字节 ]  5A 01 12 AB", "<span>");
        line("000fa0ff", 0.25, "[ 收 0.250ms , 4字节 ]  00 0F A0 FF",
             "<span style=\"background:#97c4f0;\">");
        line("0102", 16777217.4996, "[ 收 16777217.500ms , 2字节 ]  01 02",
             "<span style=\"background:#a40000;color:#ffffff;\">");
        QTRY_COMPARE(view.blockCount(), 4); // drawn on the view's timer
        QCOMPARE(view.document()->toHtml(), appended.toHtml());
    }

    // A burst drawn at once leaves the view as drawing each line on its own would, the newest
    // TRAFFIC_VIEW_LINES kept, older lines being read kept in sight while they last, the newest
    // followed.
    void burst_data()
    {
        QTest::addColumn<int>("drawnBefore");
        QTest::addColumn<int>("burst");
        QTest::newRow("below the bound") << 100 << 300;
        QTest::newRow("pushes the oldest lines out") << 7000 << 2500;
        QTest::newRow("longer than the view keeps") << 100 << 9000;
    }
    void burst()
    {
        QFETCH(int, drawnBefore);
        QFETCH(int, burst);
        const int total = drawnBefore + burst, kept = qMin(total, TRAFFIC_VIEW_LINES);
        View each, once;
        each.addNumbered(0, total, true);
        once.addNumbered(0, drawnBefore, false);
        once.lines();
        once.verticalScrollBar()->setValue(drawnBefore / 2);
        once.addNumbered(drawnBefore, total, false);
        const QStringList lines = once.lines();
        QCOMPARE(lines.size(), kept);
        QCOMPARE(once.verticalScrollBar()->value(), qMax(0, drawnBefore / 2 - (total - kept)));
        QCOMPARE(each.verticalScrollBar()->value(), each.verticalScrollBar()->maximum());
        QVERIFY(lines.first().contains(QString(" %1.000ms ").arg(total - kept)));
        QCOMPARE(once.document()->toHtml(), each.document()->toHtml());
    }

    // The newest line stays in sight after lines of any length, wrapped or not.
    void followsLongLines_data()
    {
        QTest::addColumn<bool>("wrapped");
        QTest::newRow("wrapped") << true;
        QTest::newRow("one line each") << false;
    }
    void followsLongLines()
    {
        QFETCH(bool, wrapped);
        View view;
        view.setLineWrapMode(wrapped ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        view.show();
        view.addNumbered(0, 50, true);
        view.add(QByteArray(4096, 'x'), RECEIVED, false, 50);
        view.traffic->draw();
        view.addNumbered(51, 60, true);
        QApplication::processEvents();
        const QTextBlock bottom =
            view.cursorForPosition(QPoint(2, view.viewport()->height() - 2)).block();
        QVERIFY2(bottom.text().contains(" 59.000ms "), qPrintable(bottom.text().left(40)));
    }

    // Under a flood of frames the view still draws at its cadence: new frames do not put it off.
    void drawsDuringAFlood()
    {
        View view;
        QTimer flood;
        int frames = 0, draws = 0, shown = 0;
        QObject::connect(&flood, &QTimer::timeout, [&] {
            view.add("\x01", SENT, false, frames++);
            const int lines = view.document()->characterCount() > 1 ? view.blockCount() : 0;
            draws += lines != shown;
            shown = lines;
        });
        flood.start(2);
        QTest::qWait(600);
        QVERIFY2(draws >= 3, qPrintable(QString("%1 draws of %2 frames").arg(draws).arg(frames)));
    }

    // What the chart draws of a timeline: rates over the time each entry covered (a run's
    // partial last second as its rate, a sliver left out), every error kind together where
    // there were any, round trips where taken, the seconds the port was away shaded in bands
    // (one named in the legend); the window's span is the last minute. Each axis spans from 0 a
    // little beyond what it shows now, not what an earlier, busier timeline showed.
    void chartPoints_data()
    {
        // "t seconds length tx rx framing compared noReply txErrors p50 p99 [awayMs]" by ';'
        QTest::addColumn<QString>("entries");
        QTest::addColumn<bool>("recent");
        QTest::addColumn<QString>("expected"); // "from..to left right received|sent|errors|p50|p99"
        // clang-format off
        QTest::newRow("a second, every error kind") << "0 1 1 10 9 1 2 3 4 0.5 2" << false << "0..1 0..12 0..2.5 0:9|0:10|0:10|0:0.5|0:2";
        QTest::newRow("merged seconds: per second") << "0 2 2 10 8 2 0 0 0 -1 -1" << false << "0..2 0..6 0..1 0:4|0:5|0:1||";
        QTest::newRow("clean, no round trip") << "0 1 1 7 7 0 0 0 0 -1 -1;1 1 1 8 8 0 0 0 0 -1 -1" << false << "0..2 0..10 0..1 0:7,1:8|0:7,1:8|||";
        QTest::newRow("all zero") << "0 1 1 0 0 0 0 0 0 -1 -1" << false << "0..1 0..1 0..1 0:0|0:0|||";
        QTest::newRow("the end: a rate, a sliver left out") << "0 1 1 8 8 0 0 0 0 -1 -1;1 1 0.5 4 4 0 0 0 0 -1 -1;2 1 0.1 1 1 0 0 0 0 -1 -1" << false << "0..3 0..10 0..1 0:8,1:8|0:8,1:8|||";
        QTest::newRow("outages: neighbours one band, the legend's") << "0 1 1 5 5 0 0 0 0 -1 -1 300;1 1 1 5 5 0 0 0 0 -1 -1 1000;2 1 1 5 5 0 0 0 0 -1 -1;3 1 0.5 2 2 0 0 0 0 -1 -1 20" << false << "0..4 0..6 0..1 0:5,1:5,2:5,3:4|0:5,1:5,2:5,3:4||||0..2 断线|3..3.5 ";
        QTest::newRow("the window: the last minute") << "0 1 1 5 5 0 0 0 0 -1 -1;100 1 1 7 7 0 0 0 0 -1 -1" << true << "41..101 0..8 0..1 100:7|100:7|||";
        // clang-format on
    }
    void chartPoints()
    {
        QFETCH(QString, entries);
        QFETCH(bool, recent);
        QFETCH(QString, expected);
        RunChart chart;
        chart.showWhole(timelineOf("0 1 1 9000 9000 0 0 0 0 800 950 1;2 1 1 0 0 0 0 0 0 -1 -1 1"));
        recent ? chart.showRecent(timelineOf(entries)) : chart.showWhole(timelineOf(entries));
        QStringList seen;
        for (int axis : {QwtPlot::xBottom, QwtPlot::yLeft, QwtPlot::yRight}) {
            const QwtInterval span = chart.axisInterval(axis);
            seen << QString("%1..%2").arg(span.minValue()).arg(span.maxValue());
        }
        QStringList curves;
        for (const QwtPlotItem *item : chart.itemList(QwtPlotItem::Rtti_PlotCurve)) {
            const auto *curve = static_cast<const QwtPlotCurve *>(item);
            QStringList points;
            for (size_t i = 0; i < curve->dataSize(); ++i)
                points << QString("%1:%2").arg(curve->sample(i).x()).arg(curve->sample(i).y());
            curves << points.join(',');
        }
        for (const QwtPlotItem *zone : chart.itemList(QwtPlotItem::Rtti_PlotZone)) {
            const QwtInterval span = static_cast<const QwtPlotZoneItem *>(zone)->interval();
            curves << QString("%1..%2 ").arg(span.minValue()).arg(span.maxValue()) +
                          (zone->testItemAttribute(QwtPlotItem::Legend) ? zone->title().text()
                                                                        : "");
        }
        QCOMPARE(seen.join(' ') + ' ' + curves.join('|'), expected);
    }

    // Sent and received frames that coincide both show.
    void coincidingCurves()
    {
        // By hue, as antialiasing lightens the lines: the received blue, the sent purple.
        const auto blue = [](QRgb p) { return qBlue(p) - qRed(p) > 40 && qGreen(p) > qRed(p); };
        const auto purple = [](QRgb p) {
            return qRed(p) - qGreen(p) > 30 && qBlue(p) - qGreen(p) > 30;
        };
        RunChart chart;
        chart.resize(600, 300);
        chart.showWhole(timelineOf("0 1 1 50 50 0 0 0 0 -1 -1;1 1 1 50 50 0 0 0 0 -1 -1"));
        QImage whole(chart.size(), QImage::Format_RGB32);
        chart.render(&whole);
        const QImage image = whole.copy(chart.canvas()->geometry()); // the legend has both
        int sent = 0, received = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                sent += purple(image.pixel(x, y));
                received += blue(image.pixel(x, y));
            }
        QVERIFY2(sent > 30 && received > 30, qPrintable(QString("%1 %2").arg(sent).arg(received)));
    }

    // The time axis's labels keep apart, however narrow the chart.
    void timeLabelsApart_data()
    {
        QTest::addColumn<int>("width");
        for (int width : {260, 320, 600, 1200})
            QTest::newRow(qPrintable(QString::number(width))) << width;
    }
    void timeLabelsApart()
    {
        QFETCH(int, width);
        RunChart chart;
        chart.resize(width, 300);
        chart.show(); // lays the canvas out
        chart.showRecent(Timeline());
        const QwtScaleDraw *draw = chart.axisWidget(QwtPlot::xBottom)->scaleDraw();
        const QList<double> ticks = draw->scaleDiv().ticks(QwtScaleDiv::MajorTick);
        const QFont font = chart.axisWidget(QwtPlot::xBottom)->font();
        double widest = 0;
        for (double tick : ticks)
            widest = qMax(widest, draw->labelSize(font, tick).width());
        QVERIFY2(ticks.size() >= 2 && draw->length() / (ticks.size() - 1) > widest * 1.5,
                 qPrintable(QString("%1 labels up to %2 px on %3 px")
                                .arg(ticks.size()).arg(widest).arg(draw->length())));
    }

    // The vertical axes' Chinese titles (帧/秒, 毫秒) keep their glyphs apart: across the
    // text's direction, blank lines between them (the slash may touch its neighbour).
    void axisTitles()
    {
        for (int axis : {QwtPlot::yLeft, QwtPlot::yRight}) {
            RunChart chart;
            chart.resize(600, 300);
            QImage with(chart.size(), QImage::Format_RGB32), without = with;
            chart.render(&with);
            QwtText blank = chart.axisTitle(axis);
            blank.setText(" ");
            chart.setAxisTitle(axis, blank);
            chart.render(&without);
            int runs = 0;
            for (int y = 0, inked = false; y < with.height(); ++y) {
                bool row = false;
                for (int x = 0; x < with.width() && !row; ++x)
                    row = with.pixel(x, y) != without.pixel(x, y);
                runs += row && !inked;
                inked = row;
            }
            QCOMPARE(runs, 2);
        }
    }

private:
    static Timeline timelineOf(const QString &entries)
    {
        Timeline timeline;
        for (const QString &entry : entries.split(';')) {
            QVector<double> f;
            for (const QString &field : entry.split(' '))
                f << field.toDouble();
            const auto n = [&f](int i) { return quint64(f[i]); };
            TimelineEntry e{f[0], int(f[1]), n(3), n(4), n(5), n(6), n(7),  0,
                            0,    n(8),      -1,   0,    0,    f[9], f[10], f[2]};
            e.outageMs = f.value(11);
            timeline.add(e);
        }
        return timeline;
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
