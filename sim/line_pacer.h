// The pace of a real serial line: a character is through only when its last stop bit
// has gone, one character after the other. At 4800 baud with 8 data bits, no parity and
// 2 stop bits a character is 11 bits, 2.29 ms, so a whole-memory reply of 1540
// characters takes 3.5 s.
#pragma once

#include <cstddef>
#include <deque>

namespace sim {

constexpr double kLineCharSeconds = 11.0 / 4800.0;

class LinePacer {
public:
    // charSeconds 0: no pacing, every character is through at once.
    explicit LinePacer(double charSeconds = kLineCharSeconds) : char_(charSeconds) {}
    // `count` characters handed to the line at `now`; they follow those still queued.
    void Queue(size_t count, double now);
    // Takes the number of queued characters that are through by `now`.
    size_t TakeDue(double now);
    // When the next queued character is through; infinity when none is queued.
    double NextDue() const;
    void Clear() { runs_.clear(); }

private:
    struct Run {
        double start;  // when its first character's start bit goes out
        size_t count;
    };
    double char_;
    std::deque<Run> runs_;
};

}  // namespace sim
