// zek-sim on a real pseudo-terminal, reached through the termios serial services on
// the real clock.
#include <signal.h>
#include <sys/wait.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/rs232.h"
#include "support/sim_process.h"
#include "support/test_env.h"

namespace {

using std::string;

class SerialLinkTest : public zektest::LinkTest {
protected:
    SerialLinkTest() { stopSignal = SIGKILL; }
    // Starts zek-sim as port 1 in the working directory, logging its traffic; these
    // tests check bytes, not the line's pace.
    void Start(const std::vector<string> &extra = {})
    {
        std::vector<string> args = {"--log", dir + "/sim.log", "--no-pacing"};
        args.insert(args.end(), extra.begin(), extra.end());
        ASSERT_TRUE(sim.Start(dir, args));
    }
    static string Ask(const string &frame, int count = 64)
    {
        ComWrt(1, frame.data(), static_cast<int>(frame.size()));
        char buf[2048] = {};
        int n = ComRdTerm(1, buf, count, 13);
        return n < 0 ? "error " + std::to_string(n) : string(buf, static_cast<size_t>(n));
    }
    static int Open() { return OpenComConfig(1, "", 4800, 0, 8, 2, 1540, 512); }
};

TEST_F(SerialLinkTest, WriteFrameAndWholeMemoryReadThroughThePseudoTerminal)
{
    Start();
    EXPECT_NE(sim.Line().find("COM1 is " + dir + "/COM1 -> /dev/pts/"), string::npos);
    ASSERT_EQ(Open(), 0) << GetRS232ErrorString(GetRs232Err());
    SetComTime(1, 5.0);
    // The frame in its groups, as the tool sends it.
    for (const char *group : {"00", "10", "B0", "W"}) ComWrt(1, group, static_cast<int>(strlen(group)));
    EXPECT_EQ(Ask("\r"), "OK");
    const string dump = Ask("R\r", 1540);
    ASSERT_EQ(dump.size(), 1538u);
    EXPECT_EQ(dump.substr(1536), "OK");
    EXPECT_EQ(dump.substr(48, 2), "B0");  // address 16
    CloseCom(1);

    int status = 0;
    ASSERT_TRUE(sim.Stop(SIGTERM, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_FALSE(zektest::FileExists("COM1"));
    const string log = zektest::ReadFile("sim.log");
    EXPECT_NE(log.find(" ms rx 0010B0W<CR>\n"), string::npos) << log;
    EXPECT_NE(log.find(" ms tx OK<CR>\n"), string::npos) << log;
}

TEST_F(SerialLinkTest, HangUpFaultEndsTheLineAndANewOneIsLinked)
{
    Start({"--fault", "hangup@2"});
    const string first = sim.Line();
    ASSERT_EQ(Open(), 0) << GetRS232ErrorString(GetRs232Err());
    SetComTime(1, 5.0);
    EXPECT_EQ(Ask("C\r"), "OK");
    EXPECT_EQ(Ask("U\r"), "error " + std::to_string(RS232_HANGUP));
    const string second = sim.Line();
    EXPECT_NE(second, first);
    ASSERT_EQ(Open(), 0) << GetRS232ErrorString(GetRs232Err());
    SetComTime(1, 5.0);
    EXPECT_EQ(Ask("U\r"), "OK");
}

}  // namespace
