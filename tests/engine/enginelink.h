// A window with its port open on a pseudo-terminal, the test playing the device
// at the other end: it reads the frames the window sends and writes replies.
#pragma once

#include "mainwindowprobe.h"
#include "pseudoterminal.h"
#include "testsupport.h"

#include <QDeadlineTimer>
#include <QList>
#include <QTest>

namespace enginetest {

constexpr int WAIT_MS = 5000;
constexpr int QUIET_MS = 200; // how long a device listens to be sure nothing comes

inline QByteArray frameOf(const QByteArray &body)
{
    QByteArray frame(FRAME_BUF_SIZE, '\0');
    const int length = ppp_frame_encode(reinterpret_cast<const uint8_t *>(body.constData()), body.size(),
                                        reinterpret_cast<uint8_t *>(frame.data()), frame.size());
    frame.truncate(length);
    return frame;
}

// The frame of body with its last FCS byte damaged; the body must be chosen so
// that this byte needs no escape.
inline QByteArray badFcsFrameOf(const QByteArray &body)
{
    QByteArray frame = frameOf(body);
    frame[frame.size() - 2] = char(frame.at(frame.size() - 2) ^ 0x01);
    return frame;
}

class EngineLink
{
public:
    EngineLink() : window(nullptr, WindowOptions{{device.slavePath()}, false}), ui(MainWindowProbe::ui(window)) {}

    bool open()
    {
        ui->comb_sers->setCurrentIndex(ui->comb_sers->findText(device.slavePath()));
        ui->btn_ser_conn->click();
        return MainWindowProbe::portOpen(window);
    }

    TrafficCounters &counters() { return MainWindowProbe::counters(window); }

    int outstanding()
    {
        const int head = MainWindowProbe::txRingHead(window);
        const int tail = MainWindowProbe::txRingTail(window);
        return (head - tail + TX_RING_SLOTS) % TX_RING_SLOTS;
    }

    // Typed payload, tag off (the default of a fresh working directory).
    void setPayload(const QByteArray &bytes) { ui->te_txData->setPlainText(QString::fromLatin1(bytes.toHex(' '))); }

    // Bodies of the frames the window sent, until count have come or the wait ends.
    QList<QByteArray> sentBodies(int count, int waitMs = WAIT_MS)
    {
        QList<QByteArray> bodies;
        const QDeadlineTimer deadline(waitMs);
        while (bodies.size() < count && !deadline.hasExpired())
            bodies += decode(device.readAll(5));
        return bodies;
    }

    // Everything the window sends while the device listens for waitMs.
    QList<QByteArray> sentWithin(int waitMs = QUIET_MS) { return decode(device.readAll(waitMs)); }

    // Writes the bytes as the device and waits until the window has read them.
    bool deliver(const QByteArray &wire)
    {
        const quint64 expected = counters().cntRxBytes + quint64(wire.size());
        if (!device.write(wire))
            return false;
        return QTest::qWaitFor([&] { return counters().cntRxBytes >= expected; }, WAIT_MS);
    }

    // The decoder outlives every window: a good frame brings it back to hunting
    // whatever an earlier test left, so that crafted streams start clean.
    bool resyncDecoder() { return deliver(frameOf(QByteArray::fromHex("5a5a"))); }

    // View lines once the coalesced appends have reached the view; the caller
    // checks the count, so a wait that ends early shows up there.
    QStringList viewLines(int expectedCount)
    {
        static_cast<void>(QTest::qWaitFor([&] { return lines().size() >= expectedCount; }, WAIT_MS));
        return lines();
    }

    TestWorkDir workDir; // first: the window reads its settings from here
    PseudoTerminal device;
    MainWindow window;
    Ui::MainWindow *ui;

private:
    QList<QByteArray> decode(const QByteArray &wire)
    {
        QList<QByteArray> bodies;
        for (const char byte : wire) {
            const int length = ppp_frame_decode(deviceDecoder, uint8_t(byte), deviceBuffer, FRAME_BUF_SIZE);
            if (length > 0)
                bodies << QByteArray(reinterpret_cast<const char *>(deviceBuffer), length);
        }
        return bodies;
    }

    QStringList lines() const { return ui->txt_data->toPlainText().split('\n', Qt::SkipEmptyParts); }

    DecoderState deviceDecoder{}; // the device's own, apart from the window's
    uint8_t deviceBuffer[FRAME_BUF_SIZE];
};

} // namespace enginetest
