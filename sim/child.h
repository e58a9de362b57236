// zek-sim started as a child process, for programs that drive it over a real
// pseudo-terminal (the benchmarks and the link tests).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace sim {

// Starts the simulator at `path` serving `port` in `dir`, with `extra` options; its
// standard output goes to a pipe whose read end is returned in *out. Returns the
// child's pid, or -1 (nothing left open) when it cannot be started.
pid_t StartSimulator(const std::string &path, int port, const std::string &dir,
                     const std::vector<std::string> &extra, int *out);

// One line of the child's output without its line end, waiting at most timeoutMs for
// each character; what arrived so far when the wait runs out.
std::string ReadLine(int fd, int timeoutMs);

}  // namespace sim
