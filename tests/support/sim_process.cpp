#include "support/sim_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/rs232.h"
#include "sim/child.h"

namespace zektest {

bool SimProcess::Start(const std::string &dir, const std::vector<std::string> &extra)
{
    pid_ = sim::StartSimulator(path_, 1, dir, extra, &out_);
    return pid_ > 0;
}

::testing::AssertionResult SimProcess::StartLinked(const std::string &dir,
                                                   const std::vector<std::string> &extra)
{
    if (!Start(dir, extra)) return ::testing::AssertionFailure() << "cannot start " << path_;
    const std::string line = Line();
    if (line.find("COM1 is") == std::string::npos) {
        return ::testing::AssertionFailure() << "no COM1 link: \"" << line << "\"";
    }
    return ::testing::AssertionSuccess();
}

std::string SimProcess::Line() { return out_ < 0 ? std::string() : sim::ReadLine(out_, 10000); }

bool SimProcess::Stop(int sig, int *status)
{
    bool stopped = false;
    if (pid_ > 0) {
        int st = 0;
        stopped = kill(pid_, sig) == 0 && waitpid(pid_, &st, 0) == pid_;
        if (status) *status = st;
        pid_ = -1;
    }
    if (out_ >= 0) close(out_);
    out_ = -1;
    return stopped;
}

void LinkTest::SetUp()
{
    ZekTest::SetUp();
    platform::InstallSerialBackend(nullptr);
    platform::UseRealClock();
}

void LinkTest::TearDown()
{
    sim.Stop(stopSignal);
    platform::UseVirtualClock();
    ZekTest::TearDown();
}

}  // namespace zektest
