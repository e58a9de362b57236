// The simulator's protocol engine: factory image, frame parser, replies, faults,
// configuration texts and zek-sim's options.
#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <string>

#include "sim/engine.h"
#include "sim/line_pacer.h"

namespace {

using sim::Engine;
using sim::FaultKind;
using std::string;

int Word(const sim::Memory &m, int at) { return m[at] | (m[at + 1] << 8); }

// Feeds one frame at time 0 and returns the reply that is due.
string Ask(Engine &e, const string &frame)
{
    e.Feed(frame, 0.0);
    return e.TakeReplies(0.0);
}

TEST(SimEngine, FactoryImageIsFullBridgeTwoMilliVoltInBothLayouts)
{
    const sim::Memory m16 = sim::FactoryImage(16);
    const sim::Memory m8 = sim::FactoryImage(8);
    for (int ch = 0; ch < 16; ch++) {
        EXPECT_EQ(m16[16 + ch], 48);
        EXPECT_EQ(Word(m16, 32 + 8 * ch), 32000);  // bank 0 at 32
        EXPECT_EQ(Word(m16, 34 + 8 * ch), 512);
        EXPECT_EQ(Word(m16, 36 + 8 * ch), 256);
        EXPECT_EQ(Word(m16, 38 + 8 * ch), 3900);
        EXPECT_EQ(Word(m16, 160 + 8 * ch), 23500);  // bank 1 at 160
        EXPECT_EQ(Word(m16, 288 + 8 * ch), 20000);  // bank 2 at 288
        EXPECT_EQ(Word(m16, 294 + 8 * ch), 3900);
    }
    // Channel 3 of the 8-channel layout: range gain word at 44-45; bank 1 at 88.
    EXPECT_EQ(m8[18], 48);
    EXPECT_EQ(Word(m8, 24), 32000);  // bank 0 right after the 8 mode bytes
    EXPECT_EQ(Word(m8, 44), 256);
    EXPECT_EQ(Word(m8, 42), 512);
    EXPECT_EQ(Word(m8, 88), 23500);
    EXPECT_EQ(Word(m8, 152), 20000);
    EXPECT_EQ(m8[216], 0xFF);
    EXPECT_EQ(m16[415], 0x0F);
    EXPECT_EQ(m16[416], 0xFF);
}

TEST(SimEngine, ParsesFramesInAnySplitAndCase)
{
    Engine e;
    const string frame = "01a3ffw\r";
    for (char c : frame) e.Feed(string(1, c), 0.0);
    EXPECT_EQ(e.TakeReplies(0.0), "OK\r");
    EXPECT_EQ(e.Peek(0x1A3), 0xFF);
    EXPECT_EQ(Ask(e, "0010B0W\rd\r"), "OK\rOK\r");
    EXPECT_EQ(e.Peek(16), 0xB0);
    EXPECT_EQ(e.Commits(), 1);
    EXPECT_EQ(Ask(e, "C\r"), "OK\r");
    EXPECT_TRUE(e.CalibrationSignal());
    EXPECT_EQ(Ask(e, "u\r"), "OK\r");
    EXPECT_FALSE(e.CalibrationSignal());
    EXPECT_EQ(Ask(e, "0fZ\r"), "OK\r");
    EXPECT_EQ(e.AutoZeros(), std::vector<int>{15});
    EXPECT_EQ(Ask(e, "\r"), "");  // a bare CR is no frame
    EXPECT_EQ(e.Frames(), 6);
    EXPECT_EQ(e.FrameLog().front(), "01a3ffw");
}

TEST(SimEngine, RefusesJunkOverlongAndOutOfRangeFrames)
{
    Engine e(8);
    const sim::Memory before = e.Mem();
    for (const char *junk : {"XYZ\r", "0200FFW\r", "0010B0WX\r", "0010G0W\r", "08Z\r", "R1\r"})
        EXPECT_EQ(Ask(e, junk), "ERROR\r") << junk;
    EXPECT_EQ(Ask(e, string(5000, '7') + "\r"), "ERROR\r");  // one reply, bounded buffer
    EXPECT_EQ(Ask(e, "07Z\r"), "OK\r");                      // and it is in step again
    EXPECT_EQ(e.Mem(), before);
    EXPECT_EQ(e.Frames(), 8);
}

TEST(SimEngine, WholeMemoryReadPutsOkAtOffset1536)
{
    Engine e;
    e.Poke(511, 0xAB);
    const string r = Ask(e, "R\r");
    ASSERT_EQ(r.size(), 1539u);
    EXPECT_EQ(r.substr(1536), "OK\r");
    for (int a = 0; a < 512; a++) {
        const string hex = r.substr(3 * a, 2);
        EXPECT_EQ(std::stoi(hex, nullptr, 16), e.Peek(a)) << a;
        EXPECT_TRUE(std::isupper(hex[0]) || std::isdigit(hex[0])) << hex;
        EXPECT_FALSE(std::isxdigit(r[3 * a + 2]) || r[3 * a + 2] == '\r') << a;
    }
    EXPECT_EQ(r.substr(1533, 3), "AB ");
}

TEST(SimEngine, RepliesAreDueInOrderAfterTheirDelay)
{
    Engine e;
    e.SetReplyDelay(0.5);
    e.Feed("C\rU\r", 1.0);
    EXPECT_DOUBLE_EQ(e.NextReplyTime(), 1.5);
    EXPECT_EQ(e.TakeReplies(1.4), "");
    EXPECT_EQ(e.TakeReplies(1.5), "OK\r");
    EXPECT_EQ(e.TakeReplies(2.0), "OK\r");  // one frame after the other
}

TEST(SimEngine, FaultsHitEveryFrameOrOnlyTheNth)
{
    Engine e;
    e.AddFault({FaultKind::Error, 2});
    EXPECT_EQ(Ask(e, "0010B0W\r"), "OK\r");
    EXPECT_EQ(Ask(e, "0011B0W\r"), "ERROR\r");
    EXPECT_EQ(e.Peek(17), 48);  // refused frames are not carried out
    EXPECT_EQ(Ask(e, "D\r"), "OK\r");

    e.ClearFaults();
    e.AddFault({FaultKind::NoReply, 0});
    EXPECT_EQ(Ask(e, "0012B0W\r"), "");
    EXPECT_EQ(e.Peek(18), 0xB0);

    e.ClearFaults();
    e.AddFault({FaultKind::Garbage, 0});
    const string g = Ask(e, "D\r");
    EXPECT_EQ(g.back(), '\r');
    EXPECT_NE(g.substr(0, 2), "OK");
    EXPECT_NE(g.substr(0, 5), "ERROR");

    e.ClearFaults();
    e.AddFault({FaultKind::Overlong, 0});
    const string l = Ask(e, "D\r");
    EXPECT_GT(l.find('\r'), 10u);
    EXPECT_EQ(l.substr(0, 2), "OK");

    e.ClearFaults();
    e.AddFault({FaultKind::Slow, 0, 25.0});
    e.Feed("C\r", 2.0);
    EXPECT_DOUBLE_EQ(e.NextReplyTime(), 27.0);

    e.ClearFaults();
    e.TakeReplies(100.0);
    e.AddFault({FaultKind::Hangup, 0});
    EXPECT_EQ(Ask(e, "U\r"), "");
    EXPECT_TRUE(e.TakeHangup());
    EXPECT_FALSE(e.TakeHangup());
    EXPECT_TRUE(e.CalibrationSignal());  // the hung-up frame was not carried out
}

TEST(SimEngine, LoadsConfigurationTexts)
{
    Engine e;
    string text(800, '0');
    text.replace(32, 4, "b0Ca");  // entries 16, 17
    string error;
    ASSERT_TRUE(e.LoadConfigText(text + "\n", &error)) << error;
    EXPECT_EQ(e.Peek(16), 0xB0);
    EXPECT_EQ(e.Peek(17), 0xCA);
    EXPECT_EQ(e.Peek(399), 0);
    EXPECT_EQ(e.Peek(416), 0xFF);  // beyond the text: unchanged
    const sim::Memory before = e.Mem();
    EXPECT_FALSE(e.LoadConfigText(text.substr(1), &error));
    EXPECT_NE(error.find("799"), string::npos) << error;
    text[401] = 'g';
    EXPECT_FALSE(e.LoadConfigText(text, &error));
    EXPECT_EQ(e.Mem(), before);
}

// A memory reply of 1540 characters is through 3.53 s after it is handed to the line;
// a reply queued while the line is busy follows it, one queued later starts at once.
TEST(SimLinePacer, CharactersAreThroughOneAfterTheOtherAtElevenBitsEach)
{
    const double c = 11.0 / 4800.0;
    sim::LinePacer line;
    line.Queue(1540, 10.0);
    line.Queue(4, 11.0);
    EXPECT_NEAR(line.NextDue(), 10.0 + c, 1e-12);
    EXPECT_EQ(line.TakeDue(10.0 + 0.5 * c), 0u);
    EXPECT_EQ(line.TakeDue(10.0 + 100.5 * c), 100u);
    EXPECT_EQ(line.TakeDue(10.0 + 1539.5 * c), 1439u);
    EXPECT_EQ(line.TakeDue(10.0 + 1540 * c), 1u);
    EXPECT_NEAR(1540 * c, 3.529, 0.001);
    EXPECT_EQ(line.TakeDue(10.0 + 1543.5 * c), 3u);  // the short reply right behind it
    EXPECT_EQ(line.TakeDue(20.0), 1u);
    EXPECT_TRUE(std::isinf(line.NextDue()));
    line.Queue(2, 30.0);
    EXPECT_EQ(line.TakeDue(30.0 + 1.5 * c), 1u);  // an idle line starts at the hand-over

    sim::LinePacer unpaced(0.0);
    unpaced.Queue(1540, 5.0);
    EXPECT_EQ(unpaced.TakeDue(5.0), 1540u);
}

}  // namespace
