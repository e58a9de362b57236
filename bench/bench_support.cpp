#include "bench/bench_support.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "link/port.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/rs232.h"
#include "sim/child.h"

namespace bench {

namespace {

// Starts zek-sim serving the bench port in dir; waits for its announcement line.
bool start_sim(const std::string &path, const std::string &dir,
               const std::vector<std::string> &extra, Sim *sim)
{
    sim->pid = sim::StartSimulator(path, BENCH_PORT, dir, extra, &sim->out);
    if (sim->pid < 0) return false;
    sim->announce = sim::ReadLine(sim->out, 10000);
    return sim->announce.find("COM" + std::to_string(BENCH_PORT) + " is") != std::string::npos;
}

void stop_sim(Sim *sim)
{
    if (sim->pid > 0) {
        kill(sim->pid, SIGTERM);
        waitpid(sim->pid, nullptr, 0);
    }
    if (sim->out >= 0) close(sim->out);
    sim->pid = -1;
    sim->out = -1;
}

void leave(Bench *bench)
{
    stop_sim(&bench->sim);
    std::error_code ec;
    std::filesystem::remove_all(bench->dir, ec);
}

}  // namespace

std::string DefaultSimPath(const char *argv0)
{
    std::error_code ec;
    auto beside = std::filesystem::absolute(argv0, ec).parent_path() / "zek-sim";
    if (!ec && std::filesystem::exists(beside)) return beside.string();
    return ZEK_SIM_PATH;
}

bool BeginBench(const char *name, const std::string &sim_path, const std::string &parent,
                const std::vector<std::string> &extra, Bench *bench)
{
    std::string pattern = parent + "/" + name + "-XXXXXX";
    const std::string what = std::string(name) + ": working directory";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) {
        std::perror(what.c_str());
        return false;
    }
    bench->dir = pattern;
    if (!start_sim(sim_path, bench->dir, extra, &bench->sim)) {
        std::fprintf(stderr, "%s: cannot start %s\n", name, sim_path.c_str());
        leave(bench);
        return false;
    }
    if (OpenComConfig(BENCH_PORT, "", 4800, 0, 8, 2, 1540, 512) != 0) {
        std::fprintf(stderr, "%s: %s\n", name, GetRS232ErrorString(GetRs232Err()));
        leave(bench);
        return false;
    }
    platform::UseRealClock();
    com_port = BENCH_PORT;
    SetComTime(com_port, COM_TIMEOUT);
    std::printf("%s: %s\n", name, bench->sim.announce.c_str());
    return true;
}

void EndBench(Bench *bench)
{
    CloseCom(BENCH_PORT);
    leave(bench);
}

double CpuSeconds(int who)
{
    rusage u{};
    getrusage(who, &u);
    auto s = [](const timeval &t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return s(u.ru_utime) + s(u.ru_stime);
}

Stopwatch::Stopwatch() : cpu0_(CpuSeconds(RUSAGE_SELF)), wall0_(platform::ClockNow()) {}

double Stopwatch::Wall() const { return platform::ClockNow() - wall0_; }

double Stopwatch::Cpu() const { return CpuSeconds(RUSAGE_SELF) - cpu0_; }

int CountArgument(const std::string &word, size_t digits)
{
    if (word.empty() || word.size() > digits) return 0;
    if (word.find_first_not_of("0123456789") != std::string::npos) return 0;
    return std::atoi(word.c_str());
}

bool Repeat(int runs, const std::function<bool(double *wall, double *cpu)> &once,
            std::vector<double> *walls, double *cpu)
{
    for (int r = 0; r < runs; r++) {
        double wall = 0.0, used = 0.0;
        const bool ok = once(&wall, &used);
        walls->push_back(wall);
        *cpu += used;
        if (!ok) return false;
    }
    return true;
}

}  // namespace bench
