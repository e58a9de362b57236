// Private to the serial backends: how a read or write waits on the platform clock, the
// same on every system. Waits run in short slices so the window repaints meanwhile.
#pragma once

#include <algorithm>
#include <cstddef>

#include "platform/clock.h"
#include "platform/frontend.h"

namespace platform::serialwait {

constexpr double kSlice = 0.02;                 // longest single wait, seconds
constexpr size_t kQueueLimit = 64 * 1024;       // input kept beyond this stays in the driver
constexpr double kCharSeconds = 11.0 / 4800.0;  // one character at the fixed line settings

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
inline void GatherPause(int taken, double deadline)
{
    if (ClockIsVirtual()) return;
    const double pause = std::min({kSlice, taken * kCharSeconds / 8.0, deadline - ClockNow()});
    if (pause > 0.0) ClockSleepUntil(ClockNow() + pause);
}

}  // namespace platform::serialwait
