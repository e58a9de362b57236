// zek-sim run as a child process serving port 1 on a real pseudo-terminal in a test's
// working directory, and the fixture of the link tests around it (built where
// ZEK_SIM_PATH names the simulator).
#pragma once

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/types.h>

#include <string>
#include <utility>
#include <vector>

#include "support/test_env.h"

namespace zektest {

// Declare it as a member of the test fixture; a simulator still running when it is
// destroyed is killed.
class SimProcess {
public:
    explicit SimProcess(std::string path) : path_(std::move(path)) {}
    SimProcess(const SimProcess &) = delete;
    SimProcess &operator=(const SimProcess &) = delete;
    ~SimProcess() { Stop(SIGKILL); }

    // Starts the simulator as port 1 in `dir` with the extra options; false when no
    // child process could be made.
    bool Start(const std::string &dir, const std::vector<std::string> &extra = {});
    // Start, then waits for the announcement of the COM1 link; a failure says why.
    ::testing::AssertionResult StartLinked(const std::string &dir,
                                           const std::vector<std::string> &extra = {});
    // The simulator's next line of output (its link announcement, or the stop line);
    // what came before a 10 s silence or the end of its output.
    std::string Line();
    // Sends `sig` and waits for the simulator to end, keeping its wait status in
    // *status; false when none was running or it could not be signalled and waited for.
    bool Stop(int sig = SIGTERM, int *status = nullptr);

private:
    std::string path_;
    pid_t pid_ = -1;
    int out_ = -1;  // the simulator's standard output
};

// The link tests' fixture: the termios serial services on the real clock, and the
// simulator the build made as `sim`, stopped with `stopSignal` before the working
// directory is removed.
class LinkTest : public ZekTest {
protected:
    void SetUp() override;
    void TearDown() override;

    SimProcess sim{ZEK_SIM_PATH};
    int stopSignal = SIGTERM;
};

}  // namespace zektest
