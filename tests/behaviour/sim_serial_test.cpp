// The serial services over the in-process simulator on the virtual clock: exact reply
// times, time-outs, late and overlong replies, hang-up and refused opens.
#include <string>

#include "platform/clock.h"
#include "platform/rs232.h"
#include "support/sim_env.h"
#include "support/test_env.h"

namespace {

using std::string;

class SimSerialTest : public zektest::ZekTest {
protected:
    void SetUp() override
    {
        ZekTest::SetUp();
        ASSERT_EQ(OpenComConfig(1, "", 4800, 0, 8, 2, 1540, 512), 0);
    }
    string Read(int count = 10)
    {
        char buf[2048] = {};
        int n = ComRdTerm(1, buf, count, 13);
        return n < 0 ? "error " + std::to_string(n) : string(buf, static_cast<size_t>(n));
    }
    zektest::SimEnv sim;
};

TEST_F(SimSerialTest, RepliesArriveAtTheirVirtualTimeAndWritesAreJournaled)
{
    sim.engine.SetReplyDelay(0.25);
    Delay(1.0);
    ComWrt(1, "0010B0W", 7);
    ComWrtByte(1, '\r');
    EXPECT_EQ(Read(), "OK");
    EXPECT_DOUBLE_EQ(platform::ClockNow(), 1.25);
    ASSERT_EQ(sim.Journal().size(), 2u);
    EXPECT_DOUBLE_EQ(sim.Journal()[0].time, 1.0);
    EXPECT_EQ(sim.Written(), "0010B0W\r");
    EXPECT_EQ(sim.engine.Peek(16), 0xB0);
}

TEST_F(SimSerialTest, TimeOutsFollowTheDefaultThenSetComTime)
{
    sim.engine.AddFault({sim::FaultKind::NoReply, 0});
    ComWrt(1, "C\r", 2);
    EXPECT_EQ(Read(), "error " + std::to_string(RS232_TIMEOUT));
    EXPECT_DOUBLE_EQ(platform::ClockNow(), platform::kDefaultComTimeout);
    SetComTime(1, 20.0);
    ComWrt(1, "U\r", 2);
    EXPECT_EQ(Read(), "error " + std::to_string(RS232_TIMEOUT));
    EXPECT_DOUBLE_EQ(platform::ClockNow(), platform::kDefaultComTimeout + 20.0);
    string text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("20.0 s"), string::npos) << text;
    EXPECT_NE(text.find("COM1"), string::npos) << text;
}

TEST_F(SimSerialTest, LateAndOverlongRepliesStayQueuedForTheNextRead)
{
    SetComTime(1, 20.0);
    sim.engine.AddFault({sim::FaultKind::Slow, 1, 25.0});
    sim.engine.AddFault({sim::FaultKind::Overlong, 2});
    ComWrt(1, "C\r", 2);
    EXPECT_EQ(Read(), "error " + std::to_string(RS232_TIMEOUT));
    EXPECT_EQ(Read(), "OK");
    EXPECT_DOUBLE_EQ(platform::ClockNow(), 25.0);
    ComWrt(1, "D\r", 2);
    EXPECT_EQ(Read(), "OK TRAILIN");  // 10 characters judged now
    EXPECT_EQ(Read(), "G-DATA");      // the rest on the next read
    ComWrt(1, "U\r", 2);
    EXPECT_EQ(FlushInQ(1), 0);
    EXPECT_EQ(Read(), "error " + std::to_string(RS232_TIMEOUT));
}

TEST_F(SimSerialTest, HangUpAndRefusedOpens)
{
    sim.engine.AddFault({sim::FaultKind::Hangup, 1});
    ComWrt(1, "C\r", 2);
    EXPECT_EQ(Read(), "error " + std::to_string(RS232_HANGUP));
    EXPECT_EQ(ComWrt(1, "C\r", 2), RS232_HANGUP);
    ASSERT_EQ(OpenComConfig(1, "", 4800, 0, 8, 2, 1540, 512), 0);  // plugged in again
    ComWrt(1, "C\r", 2);
    EXPECT_EQ(Read(), "OK");

    EXPECT_EQ(OpenComConfig(2, "", 4800, 0, 8, 2, 1540, 512), RS232_PORT_NOT_FOUND);
    EXPECT_NE(string(GetRS232ErrorString(GetRs232Err())).find("COM2"), string::npos);
    CloseCom(1);
    sim.backend.SetHeldElsewhere(true);
    EXPECT_EQ(OpenComConfig(1, "", 4800, 0, 8, 2, 1540, 512), RS232_PORT_IN_USE);
}

}  // namespace
