// Replies to frames sent while the link fault flag was set must not be taken for the
// replies of a later operation.
#include <gtest/gtest.h>

#include <string>

#include "channels/image.h"
#include "link/protocol.h"
#include "ui/window.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "support/sim_env.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace {

using namespace platform;

class StaleReplyTest : public zektest::ZekTest {
protected:
    void SetUp() override
    {
        ZekTest::SetUp();
        zektest::WriteSettings({});
        ASSERT_EQ(StartUp(), 0);
        scripted::ClearJournal();
    }
    int Mode(int ch) { return aktuelle_daten[16 + ch]; }
    zektest::SimEnv sim{1, 8};
};

TEST_F(StaleReplyTest, RefusalAfterAnEarlierFailureIsStillReported)
{
    // An acknowledged change first, so that there is an acknowledged state to go back to.
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_4, 1));
    ASSERT_TRUE(scripted::Messages().empty());
    ASSERT_EQ(Mode(3), 176);

    // Channel 1's half bridge: the write (frame 3) is refused, the D goes out unawaited
    // and its "OK" stays queued.
    sim.engine.AddFault({sim::FaultKind::Error, 3});
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_1, 1));
    EXPECT_EQ(com_fault, 1);
    EXPECT_EQ(scripted::Messages().size(), 2u);  // COM ERROR, then the link failure
    EXPECT_EQ(Mode(0), 0);                       // back to the acknowledged state

    // The next operation's write (frame 5) is refused too; the queued "OK" must not
    // count for it.
    sim.engine.AddFault({sim::FaultKind::Error, 5});
    scripted::ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_2, 1));
    ASSERT_FALSE(scripted::Messages().empty());
    EXPECT_EQ(scripted::Messages()[0].title, "COM ERROR");
    EXPECT_EQ(sim.engine.Peek(17), 48);  // the device did not take it ...
    EXPECT_EQ(Mode(1), 0);               // ... and neither image nor acknowledged state say so
    EXPECT_EQ(zektest::ReadFile("temp.ctc").substr(2 * 17, 2), "00");
    EXPECT_EQ(zektest::ReadFile("temp.ctc").substr(2 * 19, 2), "b0");

    // Once the device answers again, the next change goes through normally.
    scripted::ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_3, 1));
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(Mode(2), 176);
    EXPECT_EQ(sim.engine.Peek(18), 176);
}

TEST_F(StaleReplyTest, LateReplyIsNotTakenForTheNextFramesReply)
{
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_2, 1));  // an acknowledged state
    ASSERT_TRUE(scripted::Messages().empty());

    // Channel 4's write is answered 7 s late, after the port's 5 s time-out.
    sim.engine.AddFault({sim::FaultKind::Slow, sim.engine.Frames() + 1, 7.0});
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_4, 1));
    ASSERT_FALSE(scripted::Messages().empty());
    EXPECT_EQ(Mode(3), 0);

    // The next operation starts before that reply is in; its write is refused. The device
    // answers in order: the late "OK" first, then the "ERROR" that belongs to this write.
    const int next = sim.engine.Frames() + 1;
    sim.engine.AddFault({sim::FaultKind::Error, next});
    scripted::ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_1, 1));
    ASSERT_FALSE(scripted::Messages().empty());
    EXPECT_EQ(scripted::Messages()[0].title, "COM ERROR");
    EXPECT_EQ(sim.engine.Peek(16), 48);
    EXPECT_EQ(Mode(0), 0);
    EXPECT_EQ(zektest::ReadFile("temp.ctc").substr(2 * 16, 2), "00");

    // In step again: the next change is acknowledged by its own reply, without delay.
    scripted::ClearJournal();
    const double before = ClockNow();
    ASSERT_TRUE(OperatorSetValue(panel_handle, PANEL_CHECKBOX_3, 1));
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(Mode(2), 176);
    EXPECT_EQ(sim.engine.Peek(18), 176);
    EXPECT_LT(ClockNow() - before, 1.5);
}

}  // namespace
