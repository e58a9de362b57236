// zek-bench: sends write frames with D (send_byte) to zek-sim over a pseudo-terminal on
// the real clock and prints the time per frame beside its pacing floor, and the CPU time
// the tool used while waiting.
//
//   zek-bench [FRAMES] [--sim PATH]      FRAMES defaults to 100 (about 60 s)
//
// A frame's floor is its pacing: 0.5 s before the write's reply is read (three hex
// pairs, "W" and CR, each followed by 0.1 s) and 0.1 s after "D" before its reply.
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "channels/acknowledged.h"
#include "link/port.h"
#include "bench/bench_support.h"
#include "channels/image.h"
#include "documents/backups.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/rs232.h"

namespace {

constexpr double FLOOR_WRITE = 5 * COM_DELAY;  // before the write's reply
constexpr double FLOOR_D = COM_DELAY;          // before the D reply

int usage()
{
    std::fprintf(stderr, "usage: zek-bench [FRAMES] [--sim PATH]\n");
    return 2;
}

// Sends the frames; fills the time of each. False at the first frame that fails. As the
// channel settings do, each value is stored in the image before it is sent; every frame
// toggles a channel's half-bridge bit, so each write's "OK" stores a changed image.
bool run_frames(int frames, std::vector<double> *times)
{
    for (int i = 0; i < frames; i++) {
        const int address = mode_address(i % 16);
        const int value = (i / 16) % 2 ? MODE_BYTE_HALF_BRIDGE : MODE_BYTE_FULL_BRIDGE;
        aktuelle_daten[address] = value;
        const double start = platform::ClockNow();
        const int failed = send_byte(address, value);
        times->push_back(platform::ClockNow() - start);
        if (failed) {
            std::fprintf(stderr, "zek-bench: frame %d failed\n", i + 1);
            return false;
        }
    }
    return true;
}

// The pieces of a frame's time above its floor, each measured alone after the frames:
// the overshoot of one pacing pause (six per frame); the acknowledged-state store after
// each "OK", a file write after the write's reply (the image changed) and a comparison
// only after the D's; the round trip of the D command, whose reply is read right after
// its CR (the write's reply arrives during the pause after its CR).
struct Parts {
    double delay_over = 0.0;
    double backup = 0.0;
    double unchanged = 0.0;
    double round_trip = 0.0;
};

Parts measure_parts(int rounds)
{
    Parts p;
    char reply[16];
    for (int i = 0; i < rounds; i++) {
        double t = platform::ClockNow();
        Delay(COM_DELAY);
        p.delay_over += platform::ClockNow() - t - COM_DELAY;
        aktuelle_daten[MODE_BASE] ^= 0x80;
        t = platform::ClockNow();
        temp_backup();
        p.backup += platform::ClockNow() - t;
        t = platform::ClockNow();
        temp_backup();
        p.unchanged += platform::ClockNow() - t;
        t = platform::ClockNow();
        ComWrt(com_port, "D\r", 2);
        ComRdTerm(com_port, reply, 10, 13);
        p.round_trip += platform::ClockNow() - t;
    }
    p.delay_over /= rounds;
    p.backup /= rounds;
    p.unchanged /= rounds;
    p.round_trip /= rounds;
    return p;
}

void report(const std::vector<double> &times, double wall, double cpu, double sim_cpu,
            const Parts &parts)
{
    const double n = static_cast<double>(times.size());
    const double floor = FLOOR_WRITE + FLOOR_D;
    const double per = wall / n;
    std::vector<double> sorted = times;
    std::sort(sorted.begin(), sorted.end());
    std::printf("frames               %d write frames with D\n", static_cast<int>(times.size()));
    std::printf("wall time            %.3f s\n", wall);
    std::printf("time per frame       %.4f s  (min %.4f, median %.4f, max %.4f)\n", per,
                sorted.front(), sorted[sorted.size() / 2], sorted.back());
    std::printf("pacing floor         %.4f s  (%.1f s before the write's reply, %.1f s before "
                "the D reply)\n", floor, FLOOR_WRITE, FLOOR_D);
    std::printf("above the floor      %.2f %% (mean), %.2f %% (median)  (goal: under 2 %%)\n",
                (per - floor) / floor * 100.0, (sorted[sorted.size() / 2] - floor) / floor * 100.0);
    std::printf("pieces, alone        pause overshoot %.2f ms x 6, temp.ctc write %.2f ms + "
                "unchanged check %.2f ms, D round trip %.2f ms = %.2f ms\n",
                parts.delay_over * 1000.0, parts.backup * 1000.0, parts.unchanged * 1000.0,
                parts.round_trip * 1000.0,
                (6 * parts.delay_over + parts.backup + parts.unchanged + parts.round_trip) * 1000.0);
    std::printf("CPU time, tool       %.3f s = %.3f %% of the wall time  (goal: under 1 %%)\n",
                cpu, cpu / wall * 100.0);
    std::printf("CPU time, zek-sim    %.3f s = %.3f %% of the wall time\n", sim_cpu,
                sim_cpu / wall * 100.0);
}

}  // namespace

int main(int argc, char *argv[])
{
    int frames = 100;
    std::string sim_path = bench::DefaultSimPath(argv[0]);
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--sim" && i + 1 < argc) {
            sim_path = argv[++i];
        } else if (bench::CountArgument(a, 6) > 0) {
            frames = bench::CountArgument(a, 6);
        } else {
            return usage();
        }
    }

    bench::Bench b;
    if (!bench::BeginBench("zek-bench", sim_path, "/tmp", {}, &b)) return 1;
    std::vector<double> times;
    const bench::Stopwatch watch;
    const bool ok = run_frames(frames, &times);
    const double wall = watch.Wall();
    const double cpu = watch.Cpu();
    const Parts parts = measure_parts(10);
    bench::EndBench(&b);  // zek-sim's CPU time counts once it has been waited for
    if (!ok) return 1;
    report(times, wall, cpu, bench::CpuSeconds(RUSAGE_CHILDREN), parts);
    return 0;
}
