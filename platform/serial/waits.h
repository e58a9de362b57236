// Private to the serial backends: how a read or write waits on the platform clock, the
// same on every system. Waits run in short slices so the window repaints meanwhile.
#pragma once

#include <algorithm>
#include <cstddef>
#include <string>

#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/serial/backend.h"

namespace platform::serialwait {

constexpr double kSlice = 0.02;                 // longest single wait, seconds
constexpr size_t kQueueLimit = 64 * 1024;       // input kept beyond this stays in the driver

// Line time of one character: start, data, parity and stop bits at the baud rate.
inline double CharSeconds(const LineSettings &line)
{
    const int bits = 1 + line.dataBits + (line.parity != 0 ? 1 : 0) + line.stopBits;
    return bits / static_cast<double>(line.baud);
}

// Milliseconds of the next wait for a deadline `seconds` away: at most a slice; 0 on
// the virtual clock, where a wait never blocks.
inline int WaitMs(double seconds)
{
    if (ClockIsVirtual() || seconds <= 0.0) return 0;
    return static_cast<int>(std::min(seconds, kSlice) * 1000.0 + 0.999);
}

// After a slice without progress: the virtual clock moves on by the slice, and the
// window repaints.
inline void SliceDone(double deadline)
{
    if (ClockIsVirtual()) ClockSleepUntil(std::min(deadline, ClockNow() + kSlice));
    CurrentFrontEnd().Repaint();
}

// While a reply is coming in, characters arrive one by one at the line's pace. Letting a
// few gather before the next wait spares a wake-up per character on a long reply; the
// pause grows with what this read has taken (an eighth of its line time, at most a
// slice), so a short reply is hardly held up and a long one by at most a slice.
inline void GatherPause(int taken, double charSeconds, double deadline)
{
    if (ClockIsVirtual()) return;
    const double pause = std::min({kSlice, taken * charSeconds / 8.0, deadline - ClockNow()});
    if (pause > 0.0) ClockSleepUntil(ClockNow() + pause);
}

// A read to the terminator or count by the deadline, the same on every system: takes from
// `queue` what has arrived, and calls fill(ms) to wait up to ms for more (bytes appended,
// 0 for none, or a negative RS232_* code). hungUp tells whether the line has hung up.
template <typename Fill>
int ReadTermFrom(std::string &queue, const bool &hungUp, double charSeconds, char *buffer,
                 int count, int term, double deadline, Fill fill)
{
    int n = 0;
    bool arriving = false;
    for (;;) {
        if (TakeFromQueue(queue, buffer, count, term, &n)) return n;
        if (hungUp) return RS232_HANGUP;
        if (arriving) GatherPause(n, charSeconds, deadline);
        const double left = deadline - ClockNow();
        const int got = fill(WaitMs(left));
        if (got < 0) return got;
        arriving = got > 0;
        if (got > 0) continue;
        if (left <= 0.0) return RS232_TIMEOUT;
        SliceDone(deadline);
    }
}

// A port backed by a system driver: Fill moves what the driver has into queue_, and the
// read, the queue length and the flush are the same on every system.
class QueuedPort : public SerialPort {
public:
    explicit QueuedPort(double charSeconds) : charSeconds_(charSeconds) {}

    int ReadTerm(char *buffer, int count, int term, double deadline) override
    {
        return ReadTermFrom(queue_, hungUp_, charSeconds_, buffer, count, term, deadline,
                            [this](int ms) { return Fill(ms); });
    }
    int InQueueLength() override
    {
        const int r = Fill(0);
        if (r < 0) return r;
        return hungUp_ ? RS232_HANGUP : static_cast<int>(queue_.size());
    }
    int Flush() override
    {
        queue_.clear();
        if (hungUp_) return RS232_HANGUP;
        DropDriverInput();
        return 0;
    }

protected:
    // Waits up to waitMs for input and appends what has arrived to queue_ (at most up to
    // kQueueLimit). Returns the number of bytes moved, or a negative code.
    virtual int Fill(int waitMs) = 0;
    // Discards what the driver holds of the input.
    virtual void DropDriverInput() = 0;

    std::string queue_;  // bytes read from the driver, not yet taken
    bool hungUp_ = false;

private:
    double charSeconds_;  // line time of one character: start, data, parity and stop bits
};

}  // namespace platform::serialwait
