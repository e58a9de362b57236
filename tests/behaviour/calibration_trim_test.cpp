// Calibration data: loading a bank (display and device switch) and trimming words.
#include <string>
#include <vector>

#include "behaviour/calibration_fixture.h"
#include "ui/texts.h"

using namespace platform;
using zektest::CaliTest;
using Strings = std::vector<std::string>;

namespace {

// Ring indexes of the calibration ranges.
constexpr int TC1 = 0, TC2 = 1, SG = 2;

void PokeWord(sim::Engine &e, int address, int word)
{
    e.Poke(address, word & 0xFF);
    e.Poke(address + 1, word >> 8);
}

TEST_F(CaliTest, StrainGaugeBankSendsModeAndRangeWordsButKeepsTheImage)
{
    Start(16, 16);
    for (int i = 0; i < 16; i++)
        for (int b = 2; b < 6; b++) engine.Poke(32 + 8 * i + b, 0x10 * b + i);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    Clear();
    ASSERT_TRUE(Select(SG));
    Strings expected;
    for (int i = 0; i < 16; i++) {
        int a0 = 32 + 8 * i;
        for (const std::string &f : {W(16 + i, 0x30), std::string("D"), W(a0 + 2, 0x00),
                                     W(a0 + 3, 0x02), W(a0 + 4, 0x00), W(a0 + 5, 0x01),
                                     std::string("D")})
            expected.push_back(f);
        for (int b = 2; b < 6; b++) EXPECT_EQ(aktuelle_daten[a0 + b], 0x10 * b + i) << a0 + b;
        EXPECT_EQ(aktuelle_daten[16 + i], 0x30);
    }
    EXPECT_EQ(Frames(), expected);
    EXPECT_TRUE(scripted::Messages().empty());
}

TEST_F(CaliTest, ThermocoupleBanksSendOnlyTheModeBytes)
{
    Start(8, 4);  // four rows shown, eight device channels switched
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    Strings expected{"R"};
    for (int i = 0; i < 8; i++) expected.insert(expected.end(), {W(16 + i, 0xC9), "D"});
    EXPECT_EQ(Frames(), expected);
    Clear();
    ASSERT_TRUE(Select(TC2));
    expected.clear();
    for (int i = 0; i < 8; i++) expected.insert(expected.end(), {W(16 + i, 0xCA), "D"});
    EXPECT_EQ(Frames(), expected);
}

TEST_F(CaliTest, ShownValuesAndLimitsFollowTheBank)
{
    Start(16, 16);
    PokeWord(engine, 32, 32000);  // bank 0, channel 1
    PokeWord(engine, 38, 3900);
    PokeWord(engine, 40, 0);      // bank 0, channel 2
    PokeWord(engine, 46, 0);
    PokeWord(engine, 288, 20000);  // bank 2, channel 1
    PokeWord(engine, 294, 0xFFFF);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    ASSERT_TRUE(Select(SG));
    const Control &off1 = C(panel_numeric_off[0]), &gain1 = C(panel_numeric_gain[0]);
    EXPECT_EQ(off1.value, 0);
    EXPECT_EQ(gain1.value, 0);
    EXPECT_EQ(C(panel_numeric_off[1]).value, -32000);
    EXPECT_EQ(C(panel_numeric_gain[1]).value, -3900);
    EXPECT_EQ(off1.minValue, -32000);
    EXPECT_EQ(off1.maxValue, 33535);
    ASSERT_TRUE(Select(TC2));
    EXPECT_EQ(off1.value, 0);
    EXPECT_EQ(gain1.value, 61635);
    EXPECT_EQ(off1.minValue, -20000);
    EXPECT_EQ(off1.maxValue, 45535);
    EXPECT_EQ(gain1.minValue, -3900);
    EXPECT_EQ(gain1.maxValue, 61635);
}

TEST_F(CaliTest, TrimSendsLowByteThenHighByteWithD)
{
    Start(16, 16);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    ASSERT_TRUE(Select(TC2));
    struct Case {
        int ring, control, entry;
        Strings frames;
    } cases[] = {
        {TC2, panel_numeric_off[0], 5, {W(0x120, 0x25), W(0x121, 0x4E), "D"}},     // 20005
        {TC2, panel_numeric_gain[0], -1, {W(0x126, 0x3B), W(0x127, 0x0F), "D"}},   // 3899
        {SG, panel_numeric_off[0], 0, {W(0x20, 0x00), W(0x21, 0x7D), "D"}},        // 32000
        {SG, panel_numeric_gain[0], 0, {W(0x26, 0x3C), W(0x27, 0x0F), "D"}},       // 3900
        {SG, panel_numeric_off[2], 33535, {W(0x30, 0xFF), W(0x31, 0xFF), "D"}},    // 65535
        {SG, panel_numeric_gain[2], -3900, {W(0x36, 0x00), W(0x37, 0x00), "D"}},   // 0
    };
    for (const Case &c : cases) {
        if (C(PANEL_3_RING_Cali_Sel).value != c.ring) {
            ASSERT_TRUE(Select(c.ring));
        }
        Clear();
        ASSERT_TRUE(OperatorSetValue(cp, c.control, c.entry));
        EXPECT_EQ(Frames(), c.frames) << c.entry;
    }
    EXPECT_EQ(aktuelle_daten[0x30] + 256 * aktuelle_daten[0x31], 65535);
    EXPECT_EQ(engine.Peek(0x121), 0x4E);
    // Entries that would wrap the word are refused before anything is sent.
    Clear();
    EXPECT_FALSE(OperatorSetValue(cp, panel_numeric_off[0], 33536));
    EXPECT_FALSE(OperatorSetValue(cp, panel_numeric_gain[0], -3901));
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CaliTest, EachNumericTrimsItsOwnChannel)
{
    Start(16, 16);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));  // thermocouple type 1: bank 1 at 160, offset base 23500
    Clear();
    Strings expected;
    for (int i = 0; i < 16; i++) {
        ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[i], 1));   // 23501 = 0x5BCD
        ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[i], 1));  // 3901 = 0x0F3D
        int a = 160 + 8 * i;
        expected.insert(expected.end(), {W(a, 0xCD), W(a + 1, 0x5B), "D", W(a + 6, 0x3D),
                                         W(a + 7, 0x0F), "D"});
    }
    EXPECT_EQ(Frames(), expected);
}

TEST_F(CaliTest, FailedWriteStopsLoadingWithOneMessage)
{
    Start(8, 8);
    ASSERT_NE(Open(), 0);
    engine.AddFault({sim::FaultKind::Error, engine.Frames() + 6, 0.0});  // channel 3's mode byte
    ASSERT_TRUE(Toggle(1));
    EXPECT_EQ(Frames(), (Strings{"R", W(16, 0xC9), "D", W(17, 0xC9), "D", W(18, 0xC9), "D"}));
    EXPECT_EQ(MessageList(), (Strings{std::string("COM ERROR|") + txt::refusal.de,
                                      "Schnittstellen-Fehler|Prüfen"}));
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).value, 1);
    EXPECT_FALSE(C(panel_numeric_off[7]).dimmed);
    EXPECT_EQ(engine.Peek(19), 0x30);
}

TEST_F(CaliTest, RefusedLowByteLeavesTheHighByteUnsent)
{
    Start(8, 8, 1);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    const int a = 88 + 8 + 6;  // bank 1, channel 2, gain word
    const int before = aktuelle_daten[a] + 256 * aktuelle_daten[a + 1];
    Clear();
    FailNext(sim::FaultKind::Error);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[1], 10));
    EXPECT_EQ(Frames(), Strings{W(a, 0x46)});  // 3910 = 0x0F46
    EXPECT_EQ(MessageList(), (Strings{std::string("COM ERROR|") + txt::refusal.en, "Port-Error|Check"}));
    EXPECT_EQ(aktuelle_daten[a] + 256 * aktuelle_daten[a + 1], before);
    EXPECT_EQ(com_fault, 1);
}

}  // namespace
