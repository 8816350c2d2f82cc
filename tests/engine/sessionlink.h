// A link session on a pseudo-terminal, the test playing the device; payloads given, tag off.
#pragma once

#include "engine/linksession.h"
#include "frames.h"
#include "pseudoterminal.h"
#include "workdir.h"

#include <QTest>

constexpr int WAIT_MS = 5000, QUIET_MS = 200; // quiet: how long the device listens for nothing

struct SessionLink {
    SessionLink()
    {
        QObject::connect(&session, &LinkSession::frame, [this](const FrameEvent &event) {
            traffic += event.direction == TrafficDirection::Sent ? "发" : "收";
            failed += event.compareFailed;
            lastStampMs = event.stampMs;
        });
        for (auto signal : {&LinkSession::warning, &LinkSession::refused})
            QObject::connect(&session, signal, [this](const QString &title, const QString &text) {
                told << title + ": " + text;
            });
    }
    bool open()
    {
        apply();
        return session.open(device.slavePath());
    }
    void apply() { session.configure(settings); }
    const TrafficCounters &counters() const { return session.ledger().counters(); }
    // Bodies of the frames the session sends, until count have come or waitMs has passed.
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
    bool deliver(const QByteArray &wire) // as the device, waiting until the session has read it all
    {
        const quint64 expected = counters().cntRxBytes + quint64(wire.size());
        return device.write(wire) &&
               QTest::qWaitFor([&] { return counters().cntRxBytes >= expected; }, WAIT_MS);
    }

    TestWorkDir workDir; // the capture files land here
    PseudoTerminal device;
    SessionSettings settings{}; // applied at open and by apply()
    LinkSession session;
    QString traffic;         // "发" or "收" for each frame as it passed
    int failed = 0;          // frames that failed the comparison
    double lastStampMs = -1; // of the last frame that passed
    QStringList told;        // "title: text" of each warning and refusal
    DecoderState decoder{};  // the device's own
    uint8_t body[FRAME_BUF_SIZE];
};
