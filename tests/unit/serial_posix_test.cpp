// The termios serial backend against a pseudo-terminal: line settings, exclusive open,
// the COM<n> mapping, reads to the terminator, time-outs, hang-up and bad port numbers.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <thread>

#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "support/test_env.h"

namespace {

using std::string;

class SerialPosixTest : public zektest::ZekTest {
protected:
    void SetUp() override
    {
        ZekTest::SetUp();
        platform::InstallSerialBackend(nullptr);
        platform::UseRealClock();
        master = posix_openpt(O_RDWR | O_NOCTTY);
        ASSERT_GE(master, 0);
        ASSERT_EQ(grantpt(master), 0);
        ASSERT_EQ(unlockpt(master), 0);
        slave = ptsname(master);
        // Opened before the port, so the test can look at the line as the port sees it.
        probe = open(slave.c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(probe, 0);
        ASSERT_EQ(symlink(slave.c_str(), "COM1"), 0);
    }
    void TearDown() override
    {
        ZekTest::TearDown();
        if (master >= 0) close(master);
        close(probe);
    }
    static int Open(int port) { return OpenComConfig(port, "", 4800, 0, 8, 2, 1540, 512); }
    // What the device end receives, waiting up to 2 s for n bytes.
    string FromPort(size_t n)
    {
        string got;
        pollfd p{master, POLLIN, 0};
        while (got.size() < n && poll(&p, 1, 2000) > 0) {
            char buf[256];
            ssize_t r = read(master, buf, sizeof buf);
            if (r <= 0) break;
            got.append(buf, static_cast<size_t>(r));
        }
        return got;
    }
    void ToPort(const string &s) { ASSERT_EQ(write(master, s.data(), s.size()), (ssize_t)s.size()); }
    // Waits until n bytes wait in the line's input (they travel asynchronously).
    void AwaitInput(int n)
    {
        int avail = 0;
        for (int i = 0; i < 2000 && avail < n; i++) {
            ASSERT_EQ(ioctl(probe, FIONREAD, &avail), 0);
            if (avail < n) usleep(1000);
        }
        ASSERT_GE(avail, n);
    }
    string Read(int port, int count = 64)
    {
        char buf[2048] = {};
        int n = ComRdTerm(port, buf, count, 13);
        return n < 0 ? "error " + std::to_string(n) : string(buf, static_cast<size_t>(n));
    }

    int master = -1, probe = -1;
    string slave;
};

TEST_F(SerialPosixTest, OpensWithTheFixedLineSettingsAndExclusively)
{
    ASSERT_EQ(Open(1), 0);
    EXPECT_EQ(GetRs232Err(), 0);
    termios t{};
    ASSERT_EQ(tcgetattr(probe, &t), 0);
    EXPECT_EQ(cfgetispeed(&t), B4800);
    EXPECT_EQ(cfgetospeed(&t), B4800);
    EXPECT_EQ(t.c_cflag & CSIZE, (tcflag_t)CS8);
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    EXPECT_FALSE(t.c_cflag & (PARENB | CRTSCTS));
    EXPECT_FALSE(t.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP));
    EXPECT_FALSE(t.c_lflag & (ICANON | ECHO | ISIG));
    EXPECT_FALSE(t.c_oflag & OPOST);

    // Another program, or another port number naming the same device, finds it in use.
    EXPECT_NE(flock(probe, LOCK_EX | LOCK_NB), 0);
    ASSERT_EQ(symlink(slave.c_str(), "COM2"), 0);
    EXPECT_EQ(Open(2), RS232_PORT_IN_USE);
    string text = GetRS232ErrorString(RS232_PORT_IN_USE);
    EXPECT_NE(text.find("COM2"), string::npos) << text;
    EXPECT_NE(text.find(slave), string::npos) << text;
    EXPECT_NE(text.find("in use"), string::npos) << text;

    EXPECT_EQ(CloseCom(1), 0);
    EXPECT_EQ(flock(probe, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(CloseCom(1), RS232_PORT_NOT_OPEN);  // harmless
    EXPECT_EQ(OpenComConfig(1, "", 4800, 0, 9, 2, 1540, 512), RS232_BAD_SETTINGS);
    EXPECT_EQ(OpenComConfig(1, "", 4800, 0, 8, 3, 1540, 512), RS232_BAD_SETTINGS);
}

// The serial services take any valid line settings; the program's own are its choice.
// (A pseudo-terminal keeps 8 data bits without parity whatever is asked.)
TEST_F(SerialPosixTest, OpensWithOtherValidLineSettings)
{
    EXPECT_EQ(OpenComConfig(1, "", 4801, 0, 8, 2, 1540, 512), RS232_BAD_SETTINGS);
    ASSERT_EQ(OpenComConfig(1, "", 9600, 2, 7, 1, 1540, 512), 0);
    termios t{};
    ASSERT_EQ(tcgetattr(probe, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
}

TEST_F(SerialPosixTest, WritesAndReadsToTheTerminatorLeavingTheRestQueued)
{
    ASSERT_EQ(Open(1), 0);
    EXPECT_EQ(ComWrt(1, "0010B0W", 7), 7);
    EXPECT_EQ(ComWrtByte(1, 13), 1);
    EXPECT_EQ(FromPort(8), "0010B0W\r");

    ToPort("OK\rERROR\rOK OK OK OK OK OK\r");
    EXPECT_EQ(Read(1), "OK");
    EXPECT_EQ(Read(1), "ERROR");
    EXPECT_EQ(Read(1, 10), "OK OK OK O");  // at most count bytes; the rest stays queued
    EXPECT_EQ(Read(1, 10), "K OK OK");
    EXPECT_EQ(GetRs232Err(), 0);

    // A reply that arrives in pieces while the read waits.
    std::thread device([this] {
        usleep(50000);
        ToPort("O");
        usleep(50000);
        ToPort("K\r");
    });
    EXPECT_EQ(Read(1), "OK");
    device.join();

    // Flushing drops what waits in the input.
    ToPort("stale\r");
    AwaitInput(6);
    EXPECT_EQ(FlushInQ(1), 0);
    ToPort("OK\r");
    EXPECT_EQ(Read(1), "OK");
}

TEST_F(SerialPosixTest, TimesOutAfterThePortTimeOutRepaintingMeanwhile)
{
    ASSERT_EQ(Open(1), 0);
    ASSERT_EQ(SetComTime(1, 0.3), 0);
    ToPort("OK");  // no terminator
    const int repaints = platform::scripted::RepaintCount();
    const double start = platform::ClockNow();
    char buf[16] = {};
    EXPECT_EQ(ComRdTerm(1, buf, 10, 13), RS232_TIMEOUT);
    EXPECT_GE(platform::ClockNow() - start, 0.3);
    EXPECT_EQ(string(buf), "OK");  // what did arrive is handed over
    EXPECT_GT(platform::scripted::RepaintCount(), repaints);
    EXPECT_EQ(GetRs232Err(), RS232_TIMEOUT);
    string text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("COM1 (./COM1 -> " + slave + ")"), string::npos) << text;
    EXPECT_NE(text.find("0.3 s"), string::npos) << text;
    EXPECT_EQ(SetComTime(1, -1.0), RS232_BAD_SETTINGS);
}

TEST_F(SerialPosixTest, DefaultTimeOutHoldsUntilSetComTime)
{
    platform::UseVirtualClock();
    ASSERT_EQ(Open(1), 0);
    EXPECT_EQ(Read(1), "error " + std::to_string(RS232_TIMEOUT));
    EXPECT_DOUBLE_EQ(platform::ClockNow(), platform::kDefaultComTimeout);
}

TEST_F(SerialPosixTest, HangUpWhileOpenIsReportedAsUnplugged)
{
    ASSERT_EQ(Open(1), 0);
    ASSERT_EQ(SetComTime(1, 30.0), 0);
    close(master);
    master = -1;
    EXPECT_EQ(Read(1), "error " + std::to_string(RS232_HANGUP));
    string text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("unplugged"), string::npos) << text;
    EXPECT_EQ(ComWrt(1, "D\r", 2), RS232_HANGUP);
    EXPECT_EQ(CloseCom(1), 0);
}

TEST_F(SerialPosixTest, PortNumbersMapToLinksOrTtySAndBadOnesAreRefused)
{
    EXPECT_EQ(Open(200), RS232_PORT_NOT_FOUND);
    string text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("COM200"), string::npos) << text;
    EXPECT_NE(text.find("/dev/ttyS199"), string::npos) << text;

    ASSERT_EQ(symlink("/nonexistent/ttyUSB0", "COM4"), 0);
    EXPECT_EQ(Open(4), RS232_PORT_NOT_FOUND);
    text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("./COM4 -> /nonexistent/ttyUSB0"), string::npos) << text;

    zektest::WriteFile("COM5", "not a device");
    EXPECT_EQ(Open(5), RS232_BAD_SETTINGS);
    EXPECT_EQ(ComWrt(5, "R", 1), RS232_PORT_NOT_OPEN);

    ASSERT_EQ(symlink(slave.c_str(), "COM255"), 0);
    ASSERT_EQ(Open(255), 0);
    EXPECT_EQ(ComWrt(255, "R\r", 2), 2);
    EXPECT_EQ(FromPort(2), "R\r");

    char buf[4];
    for (int bad : {0, -1, 256, INT_MIN, INT_MAX}) {
        EXPECT_EQ(Open(bad), RS232_BAD_PORT_NUMBER) << bad;
        EXPECT_EQ(ComWrt(bad, "R", 1), RS232_BAD_PORT_NUMBER) << bad;
        EXPECT_EQ(ComRdTerm(bad, buf, 4, 13), RS232_BAD_PORT_NUMBER) << bad;
        EXPECT_EQ(SetComTime(bad, 1.0), RS232_BAD_PORT_NUMBER) << bad;
        EXPECT_EQ(FlushInQ(bad), RS232_BAD_PORT_NUMBER) << bad;
        EXPECT_EQ(CloseCom(bad), RS232_BAD_PORT_NUMBER) << bad;
    }
    text = GetRS232ErrorString(RS232_BAD_PORT_NUMBER);
    EXPECT_NE(text.find("1 to 255"), string::npos) << text;
}

TEST_F(SerialPosixTest, UnreadableDeviceIsPermissionDenied)
{
    if (geteuid() == 0) GTEST_SKIP() << "root may open any file";
    zektest::WriteFile("COM6", "");
    ASSERT_EQ(chmod("COM6", 0), 0);
    EXPECT_EQ(Open(6), RS232_PERMISSION_DENIED);
    string text = GetRS232ErrorString(GetRs232Err());
    EXPECT_NE(text.find("permission denied"), string::npos) << text;
}

}  // namespace
