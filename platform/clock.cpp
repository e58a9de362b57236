// Real and virtual clocks behind Delay and every serial wait.
#include "platform/clock.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/frontend.h"

namespace platform {
namespace {

bool virtualMode = false;
double virtualNow = 0.0;
double realSpeed = 1.0;
const auto realStart = std::chrono::steady_clock::now();

double RealNow()
{
    return realSpeed *
           std::chrono::duration<double>(std::chrono::steady_clock::now() - realStart).count();
}

// Sleeps on the real clock until t, repainting the window between short slices so
// that it stays drawn while the operator is blocked.
void RealSleepUntil(double t, double slice)
{
    for (;;) {
        double left = t - RealNow();
        if (left <= 0.0) return;
        std::this_thread::sleep_for(std::chrono::duration<double>(std::min(left, slice) / realSpeed));
        CurrentFrontEnd().Repaint();
    }
}

}  // namespace

double ClockNow() { return virtualMode ? virtualNow : RealNow(); }

void ClockSleepUntil(double t)
{
    if (virtualMode) {
        virtualNow = std::max(virtualNow, t);
        return;
    }
    RealSleepUntil(t, 0.02);
}

bool ClockWaitFor(double deadline, const std::function<bool()> &ready,
                  const std::function<double()> &nextEvent, double sliceSeconds)
{
    if (virtualMode) {
        for (;;) {
            if (ready()) return true;
            if (virtualNow >= deadline) return false;
            double next = nextEvent ? nextEvent() : deadline;
            if (next <= virtualNow) next = deadline;  // nothing pending: wait out the time
            virtualNow = std::min(next, deadline);
        }
    }
    for (;;) {
        if (ready()) return true;
        double now = RealNow();
        if (now >= deadline) return false;
        RealSleepUntil(std::min(deadline, now + sliceSeconds), sliceSeconds);
    }
}

void UseRealClock(double speed)
{
    virtualMode = false;
    realSpeed = speed > 0.0 ? speed : 1.0;
}

void UseVirtualClock()
{
    virtualMode = true;
    virtualNow = 0.0;
}

bool ClockIsVirtual() { return virtualMode; }

}  // namespace platform

void Delay(double seconds)
{
    if (seconds <= 0.0) return;
    platform::ClockSleepUntil(platform::ClockNow() + seconds);
}
