// A window on a pseudo-terminal, the test playing the device; payloads typed, tag off.
#pragma once

#include "frames.h"
#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QTest>

using Probe = MainWindowProbe;
constexpr int WAIT_MS = 5000, QUIET_MS = 200; // quiet: how long the device listens for nothing

struct EngineLink {
    bool open()
    {
        ui->comb_sers->setCurrentText(device.slavePath());
        ui->btn_ser_conn->click();
        return Probe::portOpen(window);
    }
    TrafficCounters &counters() { return Probe::counters(window); }
    void setPayload(const QByteArray &bytes)
    {
        ui->te_txData->setPlainText(QString::fromLatin1(bytes.toHex(' ')));
    }
    // Bodies of the frames the window sends, until count have come or waitMs has passed.
    QList<QByteArray> sent(int count = INT_MAX, int waitMs = WAIT_MS)
    {
        QList<QByteArray> bodies;
        for (const QDeadlineTimer end(waitMs); bodies.size() < count && !end.hasExpired();)
            for (const char byte : device.readAll(5))
                if (const int n = ppp_frame_decode(decoder, uint8_t(byte), body, sizeof body);
                    n > 0)
                    bodies << QByteArray(reinterpret_cast<const char *>(body), n);
        return bodies;
    }
    bool deliver(const QByteArray &wire) // as the device, waiting until the window has read it all
    {
        const quint64 expected = counters().cntRxBytes + quint64(wire.size());
        return device.write(wire) &&
               QTest::qWaitFor([&] { return counters().cntRxBytes >= expected; }, WAIT_MS);
    }
    QStringList viewLines()
    {
        Probe::flushTraffic(window);
        return ui->txt_data->toPlainText().split('\n', Qt::SkipEmptyParts);
    }
    QString viewLabels() { return labels(viewLines()); }
    static QString labels(const QStringList &lines) // "[ 发 ...", "[ 收 ..." give "发收"
    {
        QString found;
        for (const QString &line : lines)
            found += line.mid(2, 1);
        return found;
    }

    TestWorkDir workDir; // first: the window reads its settings from here
    PseudoTerminal device;
    MainWindow window{nullptr, WindowOptions{{device.slavePath()}, false}};
    Ui::MainWindow *ui = Probe::ui(window);
    DecoderState decoder{}; // the device's own
    uint8_t body[FRAME_BUF_SIZE];
};
