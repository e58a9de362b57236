// The pacing schedule of zek-sim's replies.
#include "sim/line_pacer.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace sim {

void LinePacer::Queue(size_t count, double now)
{
    if (count == 0) return;
    double start = now;
    if (!runs_.empty()) {
        const Run &last = runs_.back();
        start = std::max(now, last.start + static_cast<double>(last.count) * char_);
    }
    runs_.push_back({start, count});
}

size_t LinePacer::TakeDue(double now)
{
    size_t due = 0;
    while (!runs_.empty()) {
        Run &run = runs_.front();
        // A tiny allowance keeps rounding from holding a character back a whole poll.
        const double through = char_ > 0.0 ? std::floor((now - run.start) / char_ + 1e-9) : 1e300;
        if (through < 1.0) break;
        const size_t n = std::min(run.count, static_cast<size_t>(std::min(through, 1e15)));
        due += n;
        run.count -= n;
        run.start += static_cast<double>(n) * char_;
        if (run.count > 0) break;
        runs_.pop_front();
    }
    return due;
}

double LinePacer::NextDue() const
{
    if (runs_.empty()) return std::numeric_limits<double>::infinity();
    return runs_.front().start + char_;
}

}  // namespace sim
