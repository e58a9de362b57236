// The whole-memory read against zek-sim on a real pseudo-terminal, through the program's
// own start-up open, on the real clock.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "channels/image.h"
#include "ui/window.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "support/sim_process.h"
#include "support/test_env.h"

namespace {

using std::string;

using ProtocolLinkTest = zektest::LinkTest;

TEST_F(ProtocolLinkTest, WholeMemoryReadThroughThePseudoTerminal)
{
    // Entries 0..399 from a configuration text: entry k is (k * 3) & 0xFF, except the
    // mode byte of channel 2 (thermocouple type 2).
    int expected[512];
    const sim::Memory factory = sim::FactoryImage(16);
    for (int k = 0; k < 512; k++) expected[k] = k < 400 ? (k * 3) & 0xFF : factory[k];
    expected[17] = 0xCA;
    zektest::WriteFile("memory.txt", zektest::ConfigTextOf(expected));
    ASSERT_TRUE(sim.StartLinked(dir, {"--memory", dir + "/memory.txt", "--no-pacing"}));

    zektest::WriteSettings({.language = 1, .channels = 16, .shown = 16});
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
