#include "waitingframes.h"

#include <algorithm>
#include <cstring>

namespace {

// A device may append two bytes of its own (its FCS, say) to the echo.
bool replyMatches(const Packet &sent, const quint8 *data, quint16 length)
{
    const bool lengthFits = length == sent.length || length == sent.length + 2;
    return lengthFits && std::memcmp(data, sent.bytes, sent.length) == 0;
}

} // namespace

void WaitingFrames::add(std::unique_ptr<Packet> packet, quint64 number)
{
    frames.push_back({std::move(packet), number, -1});
}

void WaitingFrames::left(quint64 number, double nowMs)
{
    const auto frame =
        std::lower_bound(frames.begin(), frames.end(), number,
                         [](const Frame &f, quint64 wanted) { return f.number < wanted; });
    if (frame != frames.end() && frame->number == number)
        frame->leftMs = nowMs;
}

int WaitingFrames::oldestMatch(const quint8 *data, quint16 length) const
{
    for (size_t i = 0; i < frames.size() && frames[i].leftMs >= 0; ++i) {
        if (replyMatches(*frames[i].packet, data, length))
            return int(i);
    }
    return -1;
}

bool WaitingFrames::matchesAnother(const quint8 *data, quint16 length, int besides) const
{
    return std::any_of(frames.begin() + besides + 1, frames.end(), [&](const Frame &f) {
        return f.leftMs >= 0 && replyMatches(*f.packet, data, length);
    });
}

void WaitingFrames::answerOldest()
{
    const quint64 answered = frames.front().number;
    frames.pop_front();
    givenUp.erase(std::remove_if(givenUp.begin(), givenUp.end(),
                                 [answered](const Remembered &f) { return f.number < answered; }),
                  givenUp.end());
    earlier.clear();
}

void WaitingFrames::remember(Memory &memory, Remembered frame)
{
    memory.push_back(std::move(frame));
    if (memory.size() > OUTSTANDING_LIMIT)
        memory.pop_front();
}

void WaitingFrames::giveUpOldest(double nowMs)
{
    Frame &frame = frames.front();
    remember(givenUp, {std::move(frame.packet), frame.number,
                       frame.leftMs < 0 ? nowMs : frame.leftMs, nowMs});
    frames.pop_front();
}

void WaitingFrames::startOver(double nowMs)
{
    for (Remembered &frame : givenUp)
        remember(earlier, {std::move(frame.packet), frame.number, frame.leftMs, nowMs});
    givenUp.clear();
    for (Frame &frame : frames)
        remember(earlier, {std::move(frame.packet), frame.number,
                           frame.leftMs < 0 ? nowMs : frame.leftMs, nowMs});
    frames.clear();
}

void WaitingFrames::forgetBefore(double limitMs)
{
    for (Memory *memory : {&givenUp, &earlier}) {
        memory->erase(
            std::remove_if(memory->begin(), memory->end(),
                           [limitMs](const Remembered &f) { return f.sinceMs < limitMs; }),
            memory->end());
    }
}

bool WaitingFrames::take(Memory &memory, const quint8 *data, quint16 length, double leftAfterMs)
{
    const auto match = std::find_if(memory.begin(), memory.end(), [&](const Remembered &f) {
        return f.leftMs >= leftAfterMs && replyMatches(*f.packet, data, length);
    });
    if (match == memory.end())
        return false;
    memory.erase(match);
    return true;
}

bool WaitingFrames::takeGivenUp(const quint8 *data, quint16 length, double leftAfterMs)
{
    return take(givenUp, data, length, leftAfterMs);
}

bool WaitingFrames::takeEarlier(const quint8 *data, quint16 length, double leftAfterMs)
{
    return take(earlier, data, length, leftAfterMs);
}

int WaitingFrames::expired(int timeoutMs, double nowMs) const
{
    int count = 0;
    while (timeoutMs > 0 && count < size() && frames[size_t(count)].leftMs >= 0 &&
           frames[size_t(count)].leftMs + timeoutMs <= nowMs)
        ++count;
    return count;
}

double WaitingFrames::nextDeadlineMs(int timeoutMs) const
{
    if (timeoutMs <= 0 || frames.empty() || frames.front().leftMs < 0)
        return -1;
    return frames.front().leftMs + timeoutMs;
}
