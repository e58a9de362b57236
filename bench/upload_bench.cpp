// zek-bench-upload: whole-memory reads (the upload) from zek-sim over a pseudo-terminal
// on the real clock, zek-sim pacing its reply like the real line; prints the time beside
// the line's floor and the CPU time the tool used meanwhile.
//
//   zek-bench-upload [RUNS] [--sim PATH]      RUNS defaults to 5 (about 4 s each)
//
// The floor: 0.1 s after "R", then the reply's 1540 characters at 4800 baud with 11 bits
// each (2.29 ms), 3.63 s. The device answers the CR at once, so the tool's 0.1 s after
// the CR passes while the reply comes in; counting it as well gives 3.73 s.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "link/protocol.h"
#include "platform/frontend/scripted/scripted.h"

namespace {

constexpr int REPLY_CHARACTERS = 1540;
constexpr double CHARACTER_SECONDS = 11.0 / 4800.0;
constexpr double FLOOR = COM_DELAY + REPLY_CHARACTERS * CHARACTER_SECONDS;

bool run_upload(double *wall, double *cpu)
{
    platform::scripted::ClearJournal();
    const bench::Stopwatch watch;
    const int failed = read_encoder();
    *wall = watch.Wall();
    *cpu = watch.Cpu();
    if (failed || !platform::scripted::Messages().empty()) {
        std::fprintf(stderr, "zek-bench-upload: the upload failed\n");
        return false;
    }
    return true;
}

void report(std::vector<double> walls, double cpu)
{
    std::sort(walls.begin(), walls.end());
    double sum = 0.0;
    for (double w : walls) sum += w;
    const double mean = sum / static_cast<double>(walls.size());
    std::printf("upload               whole memory, %d characters, %d run(s)\n",
                REPLY_CHARACTERS, static_cast<int>(walls.size()));
    std::printf("wall time            %.3f s mean  (min %.3f, median %.3f, max %.3f)\n", mean,
                walls.front(), walls[walls.size() / 2], walls.back());
    std::printf("line floor           %.3f s  (0.1 s after R, then %d characters at %.2f ms;\n"
                "                     with the 0.1 s after CR counted too: %.3f s)\n",
                FLOOR, REPLY_CHARACTERS, CHARACTER_SECONDS * 1000.0, FLOOR + COM_DELAY);
    std::printf("above the floor      %.3f s = %.2f %%  (goal: within 5 %%)\n", mean - FLOOR,
                (mean - FLOOR) / FLOOR * 100.0);
    std::printf("CPU time, tool       %.3f s = %.3f %% of the wall time  (goal: under 1 %%)\n",
                cpu, cpu / sum * 100.0);
}

}  // namespace

int main(int argc, char *argv[])
{
    int runs = 5;
    std::string sim_path = bench::DefaultSimPath(argv[0]);
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--sim" && i + 1 < argc) {
            sim_path = argv[++i];
        } else if (bench::CountArgument(a, 3) > 0) {
            runs = bench::CountArgument(a, 3);
        } else {
            std::fprintf(stderr, "usage: zek-bench-upload [RUNS] [--sim PATH]\n");
            return 2;
        }
    }
    bench::Bench b;
    if (!bench::BeginBench("zek-bench-upload", sim_path, "/tmp", {}, &b)) return 1;
    platform::scripted::Install();
    std::vector<double> walls;
    double cpu = 0.0;
    const bool ok = bench::Repeat(runs, run_upload, &walls, &cpu);
    bench::EndBench(&b);
    if (!ok) return 1;
    report(walls, cpu);
    return 0;
}
