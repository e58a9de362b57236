// The Win32 serial backend on a real line: zek-sim runs on Linux and Wine maps COM<n>
// to its pseudo-terminal (scripts/test-windows.sh sets this up). ZEK_WINE_COM names the
// port and ZEK_WINE_COM_MISSING one with no device.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/language.h"
#include "platform/rs232.h"
#include "sim/engine.h"

namespace {

int Port(const char *name)
{
    const char *value = std::getenv(name);
    return value ? std::atoi(value) : 0;
}

int Open(int port) { return OpenComConfig(port, "", 4800, 0, 8, 2, 1540, 512); }

std::string Ask(int port, const std::string &frame, int count)
{
    ComWrt(port, frame.data(), static_cast<int>(frame.size()));
    std::string reply(static_cast<size_t>(count), '\0');
    const int n = ComRdTerm(port, reply.data(), count, 13);
    return n < 0 ? "error " + std::to_string(n) : reply.substr(0, static_cast<size_t>(n));
}

class SerialWin32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GT(port, 0) << "ZEK_WINE_COM is not set: run scripts/test-windows.sh";
        platform::UseRealClock();
    }
    void TearDown() override { CloseCom(port); }
    const int port = Port("ZEK_WINE_COM");
};

// The whole memory through \\.\COMn; a read with no reply ends at the port's time-out;
// a number without a device is refused as not found, named in the run-time language.
// (Wine does not refuse a second open of a device, so "in use" is not shown here.)
TEST_F(SerialWin32Test, WholeMemoryReadTimeOutAndRefusedOpen)
{
    ASSERT_EQ(Open(port), 0) << GetRS232ErrorString(GetRs232Err());
    SetComTime(port, 5.0);
    const std::string dump = Ask(port, "R\r", 1540);
    int values[512];
    ASSERT_EQ(parse_memory_reply(dump.data(), static_cast<int>(dump.size()), values), 1) << dump;
    const sim::Memory factory = sim::FactoryImage(16);
    for (int a = 0; a < 512; a++) ASSERT_EQ(values[a], factory[static_cast<size_t>(a)]) << a;

    SetComTime(port, 0.3);
    const double start = platform::ClockNow();
    char buf[8];
    EXPECT_EQ(ComRdTerm(port, buf, sizeof buf, 13), RS232_TIMEOUT);
    const double waited = platform::ClockNow() - start;
    EXPECT_GE(waited, 0.3);
    EXPECT_LT(waited, 1.5);

    const int missing = Port("ZEK_WINE_COM_MISSING");
    EXPECT_EQ(Open(missing), RS232_PORT_NOT_FOUND);
    const std::string english = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(english.find("\\\\.\\COM" + std::to_string(missing)), std::string::npos) << english;
    SetRunTimeLanguage(RUNTIME_GERMAN);
    EXPECT_NE(GetRS232ErrorString(GetRs232Err()), english);
    SetRunTimeLanguage(RUNTIME_ENGLISH);
}

}  // namespace
