// Options of the simulator program zek-sim (POSIX only: it serves a pseudo-terminal).
#include <gtest/gtest.h>

#include <string>

#include "sim/server.h"

namespace {

using sim::FaultKind;
using std::string;

TEST(SimServerOptions, ParsesAndRejects)
{
    sim::ServerOptions o;
    string error;
    ASSERT_EQ(sim::ParseServerOptions({"--port", "3", "--dir", "demo", "--channels", "8",
                                       "--fault", "slow:4.5@3", "--fault", "hangup"},
                                      &o, &error),
              sim::ParseOutcome::Run)
        << error;
    EXPECT_EQ(o.port, 3);
    EXPECT_EQ(o.dir, "demo");
    EXPECT_EQ(o.channels, 8);
    ASSERT_EQ(o.faults.size(), 2u);
    EXPECT_EQ(o.faults[0].kind, FaultKind::Slow);
    EXPECT_EQ(o.faults[0].frame, 3);
    EXPECT_DOUBLE_EQ(o.faults[0].seconds, 4.5);
    EXPECT_EQ(o.faults[1].frame, 0);
    EXPECT_TRUE(o.pacing);
    ASSERT_EQ(sim::ParseServerOptions({"--no-pacing", "--port", "2"}, &o, &error),
              sim::ParseOutcome::Run);
    EXPECT_FALSE(o.pacing);
    for (auto bad : std::vector<std::vector<string>>{
             {}, {"--port", "0"}, {"--port", "257"}, {"--port", "1x"}, {"--port"},
             {"--port", "1", "--channels", "12"}, {"--port", "1", "--fault", "error:3"},
             {"--port", "1", "--fault", "noise"}, {"--port", "1", "--fault", "error@0"}}) {
        sim::ServerOptions b;
        EXPECT_EQ(sim::ParseServerOptions(bad, &b, &error), sim::ParseOutcome::Error);
    }
    EXPECT_EQ(sim::ParseServerOptions({"--help"}, &o, &error), sim::ParseOutcome::Help);
}

}  // namespace
