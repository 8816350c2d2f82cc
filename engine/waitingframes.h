// The frames sent that wait for their reply, oldest first; the frames given up
// without one, kept a while to recognise their late replies; and the frames of
// the measurement before a clean start, whose replies belong to none of this one.
#pragma once

#include "packet.h"

#include <deque>
#include <memory>

// Holds at most this many outstanding packets: a second of 1 ms sending in
// flight, so that a slow device is not blamed for replies the ledger forgot.
// As many given-up packets, and as many earlier ones, are remembered.
constexpr int OUTSTANDING_LIMIT = 1024;

class WaitingFrames
{
public:
    struct Frame {
        std::unique_ptr<Packet> packet;
        quint64 number; // among the frames sent
        double leftMs;  // when it left the port's queue; < 0 while queued
    };

    void add(std::unique_ptr<Packet> packet, quint64 number);
    // The frame of that number left the port's queue: its reply may come now.
    void left(quint64 number, double nowMs);
    bool empty() const { return frames.empty(); }
    int size() const { return int(frames.size()); }
    const Frame &oldest() const { return frames.front(); }
    const Frame &newest() const { return frames.back(); }
    const Frame &at(int index) const { return frames[size_t(index)]; }

    // The index of the oldest frame that left whose packet the reply matches; -1: none.
    int oldestMatch(const quint8 *data, quint16 length) const;
    // Another frame that left after the one at besides matches too.
    bool matchesAnother(const quint8 *data, quint16 length, int besides) const;

    // Replies come in order: once a frame is answered, no frame sent before it
    // will be, so the given-up and earlier frames sent before it are forgotten.
    void answerOldest();
    // Remembered from nowMs, the newest kept when the memory is full.
    void giveUpOldest(double nowMs);
    // A frame that never left is no frame sent.
    void dropNewest() { frames.pop_back(); }
    // A clean start: every frame waiting or given up belongs to the earlier measurement.
    void startOver(double nowMs);
    bool remembersAny() const { return !givenUp.empty() || !earlier.empty(); }
    // Remembered frames are forgotten once remembered since before limitMs.
    void forgetBefore(double limitMs);
    // The reply is the late reply of a given-up frame, or the reply of an earlier
    // one, that left at or after leftAfterMs: the oldest such is forgotten.
    bool takeGivenUp(const quint8 *data, quint16 length, double leftAfterMs);
    bool takeEarlier(const quint8 *data, quint16 length, double leftAfterMs);

    // How many of the oldest frames are past their reply timeout at nowMs.
    int expired(int timeoutMs, double nowMs) const;
    // When the oldest frame's timeout runs out; < 0: none does.
    double nextDeadlineMs(int timeoutMs) const;

private:
    struct Remembered {
        std::unique_ptr<Packet> packet;
        quint64 number; // among the frames sent
        double leftMs;  // when it left; for one that never left, when it was remembered
        double sinceMs; // remembered since
    };
    using Memory = std::deque<Remembered>;

    static void remember(Memory &memory, Remembered frame);
    static bool take(Memory &memory, const quint8 *data, quint16 length, double leftAfterMs);

    std::deque<Frame> frames; // oldest first
    Memory givenUp;           // newest last, for recognition only
    Memory earlier;
};
