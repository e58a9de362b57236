// The whole-memory read against zek-sim on a real pseudo-terminal, through the program's
// own start-up open, on the real clock.
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/globals.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/model.h"
#include "platform/rs232.h"
#include "platform/scripted.h"
#include "sim/engine.h"
#include "support/test_env.h"

namespace {

using std::string;

class ProtocolLinkTest : public zektest::ZekTest {
protected:
    void SetUp() override
    {
        ZekTest::SetUp();
        platform::InstallSerialBackend(nullptr);
        platform::UseRealClock();
    }
    void TearDown() override
    {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
        if (out >= 0) close(out);
        ZekTest::TearDown();
    }
    // Starts zek-sim as port 1 in the working directory and waits for its link.
    void StartSim(const string &memoryFile)
    {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        std::vector<string> args = {ZEK_SIM_PATH, "--port", "1", "--dir", dir, "--memory", memoryFile};
        pid = fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            dup2(fds[1], 1);
            std::vector<char *> argv;
            for (string &a : args) argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
        close(fds[1]);
        out = fds[0];
        string line;
        char c;
        pollfd p{out, POLLIN, 0};
        while (poll(&p, 1, 10000) > 0 && read(out, &c, 1) == 1 && c != '\n') line += c;
        ASSERT_NE(line.find("COM1 is"), string::npos) << line;
    }

    pid_t pid = -1;
    int out = -1;
};

TEST_F(ProtocolLinkTest, WholeMemoryReadThroughThePseudoTerminal)
{
    // Entries 0..399 from a configuration text: entry k is (k * 3) & 0xFF, except the
    // mode byte of channel 2 (thermocouple type 2).
    int expected[512];
    const sim::Memory factory = sim::FactoryImage(16);
    for (int k = 0; k < 512; k++) expected[k] = k < 400 ? (k * 3) & 0xFF : factory[k];
    expected[17] = 0xCA;
    string text;
    char pair[3];
    for (int k = 0; k < 400; k++) {
        std::snprintf(pair, sizeof pair, "%02x", expected[k]);
        text += pair;
    }
    zektest::WriteFile("memory.txt", text);
    StartSim(dir + "/memory.txt");

    zektest::WriteFile("config.ctc", string("\x01\x0F\x0F\x01", 4));
    ASSERT_EQ(StartUp(), 0);
    ASSERT_TRUE(platform::ComIsOpen(1)) << GetRS232ErrorString(GetRs232Err());
    platform::scripted::ClearJournal();
    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);

    const double start = platform::ClockNow();
    EXPECT_EQ(read_encoder(), 0);
    const double took = platform::ClockNow() - start;
    for (int k = 0; k < 512; k++) ASSERT_EQ(aktuelle_daten[k], expected[k]) << k;
    EXPECT_EQ(platform::FindControl(panel_handle, panel_rings[1])->value, 7);
    EXPECT_TRUE(platform::scripted::Messages().empty());
    EXPECT_GE(took, 2 * COM_DELAY);  // "R" and CR each followed by the pacing pause
}

}  // namespace
