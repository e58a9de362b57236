// The platform clock. Every blocking wait of the program goes through it: Delay, the
// serial time-outs, the simulator's slow replies. The real clock uses the steady clock;
// the virtual clock advances at once, so tests run a 40 s download in milliseconds and
// can assert the exact time of every byte.
#pragma once

#include <functional>

// Blocking pause. On the real clock the front end still repaints meanwhile.
void Delay(double seconds);

namespace platform {

// Seconds since the clock was installed (virtual: since the last UseVirtualClock).
double ClockNow();
// Blocks until ClockNow() >= t. The real clock sleeps in short slices and lets the
// front end repaint between them.
void ClockSleepUntil(double t);
// Blocks until ready() is true or the clock reaches deadline; returns ready()'s last
// answer. The virtual clock asks nextEvent() for the earliest time at which ready() may
// change and jumps there; the real clock polls in slices of at most sliceSeconds.
bool ClockWaitFor(double deadline, const std::function<bool()> &ready,
                  const std::function<double()> &nextEvent, double sliceSeconds = 0.01);

// speed: clock seconds per real second; above 1 a harness runs the program's waits and
// time-outs faster than the line would (the simulator then answers without pacing).
void UseRealClock(double speed = 1.0);
void UseVirtualClock();  // starts at 0.0
bool ClockIsVirtual();

}  // namespace platform
