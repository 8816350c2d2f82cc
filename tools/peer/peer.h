// One run of the simulated device: decodes what the tool sends, answers each
// good frame as the mode and the fault plan say, and counts it all.
#pragma once

#include "delay_line.h"
#include "fault_plan.h"
#include "line_noise.h"
#include "peer_counters.h"
#include "peer_link.h"
#include "peer_options.h"
#include "reply_builder.h"

#include "codec/ppp_frame.h"

#include <QElapsedTimer>
#include <QIODevice>
#include <QObject>
#include <QTimer>

#include <vector>

class Peer : public QObject
{
    Q_OBJECT
public:
    // record, when given, gets every byte received.
    Peer(const PeerOptions &options, PeerLink &link, QIODevice *record);

    const PeerCounters &counters() const { return tally; }

signals:
    // The frame limit was reached and the tool has read the last reply, or
    // gave up reading it.
    void finished();

private:
    void receive(const QByteArray &bytes);
    bool decode(uint8_t byte);
    void answer(const QByteArray &body);
    void transmit(Reply reply);
    void loseLine();
    void startAfresh();
    void startFinishing();
    void finishOnceDrained();

    PeerLink &link;
    QIODevice *record;
    ReplyMode mode;
    quint64 frameLimit;
    ReplyBuilder builder;
    FaultPlan plan;
    DelayLine delayLine;
    LineNoise noise;
    PeerCounters tally;
    DecoderState decoder{};
    std::vector<uint8_t> frame;
    bool finishing = false;
    qint64 giveUpAfterMs;
    QElapsedTimer finishClock;
    QTimer drainPoll;
};
