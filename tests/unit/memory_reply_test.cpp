// Whole-memory reply parser on replies no device should send.
#include <gtest/gtest.h>

#include <string>

#include "link/protocol.h"

namespace {

std::string Reply(const std::string &first)
{
    std::string reply = first + " ";
    for (int k = 1; k < 512; k++) reply += "5A ";
    return reply + "OK";
}

// A run of digits long enough to overflow an int if it were accumulated (the
// sanitizer build reports the overflow).
TEST(MemoryReply, AValueOfManyDigitsIsRefusedWithoutOverflow)
{
    int values[512] = {};
    std::string reply = Reply(std::string(80, 'c'));
    EXPECT_EQ(parse_memory_reply(reply.data(), static_cast<int>(reply.size()), values), 0);
    EXPECT_EQ(values[0], 0);

    reply = Reply("07");
    ASSERT_EQ(parse_memory_reply(reply.data(), 1536, values), 1);
    EXPECT_EQ(values[0], 7);
    EXPECT_EQ(values[511], 0x5A);
}

}  // namespace
