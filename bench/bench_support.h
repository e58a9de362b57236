// What the benchmarks share: a scratch working directory with zek-sim serving the bench
// port on a pseudo-terminal there, the port opened on the real clock, and the wall and
// CPU time of the tool.
#pragma once

#include <sys/types.h>

#include <functional>
#include <string>
#include <vector>

namespace bench {

constexpr int BENCH_PORT = 1;

// zek-sim as a child process; `announce` is its first line, naming the port's link.
struct Sim {
    pid_t pid = -1;
    int out = -1;
    std::string announce;
};

// A benchmark's surroundings, from BeginBench to EndBench.
struct Bench {
    std::string dir;  // the working directory
    Sim sim;
};

// zek-sim beside the program, else the one the build made.
std::string DefaultSimPath(const char *argv0);

// Makes and enters a working directory below `parent`, starts zek-sim there (with the
// extra options) and opens the bench port as the tool does, on the real clock, with the
// reply time-out set. False, with a message on stderr headed by `name`, when a step
// fails; what was done by then is undone.
bool BeginBench(const char *name, const std::string &sim_path, const std::string &parent,
                const std::vector<std::string> &extra, Bench *bench);
// Closes the port, stops zek-sim and removes the working directory.
void EndBench(Bench *bench);

// A positive count given on the command line as at most `digits` digits; 0 when the word
// is not one.
int CountArgument(const std::string &word, size_t digits);

// Runs `once` `runs` times or until it fails, collecting each run's wall time and adding
// up its CPU time; false when a run failed.
bool Repeat(int runs, const std::function<bool(double *wall, double *cpu)> &once,
            std::vector<double> *walls, double *cpu);

// CPU time (user + system) of RUSAGE_SELF or RUSAGE_CHILDREN; a child's counts once it
// has been waited for.
double CpuSeconds(int who);

// Wall time on the platform clock and CPU time of this process since it was made.
class Stopwatch {
public:
    Stopwatch();
    double Wall() const;
    double Cpu() const;

private:
    double cpu0_;
    double wall0_;
};

}  // namespace bench
