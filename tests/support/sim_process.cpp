#include "support/sim_process.h"

#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/clock.h"
#include "platform/rs232.h"

namespace zektest {

bool SimProcess::Start(const std::string &dir, const std::vector<std::string> &extra)
{
    int fds[2];
    if (pipe(fds) != 0) return false;
    std::vector<std::string> args = {path_, "--port", "1", "--dir", dir};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = fork();
    if (pid_ < 0) {
        close(fds[0]);
        close(fds[1]);
        return false;
    }
    if (pid_ == 0) {
        dup2(fds[1], 1);
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    out_ = fds[0];
    return true;
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

std::string SimProcess::Line()
{
    std::string line;
    if (out_ < 0) return line;
    char c;
    pollfd p{out_, POLLIN, 0};
    while (poll(&p, 1, 10000) > 0 && read(out_, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

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
