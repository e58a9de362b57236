// Calibration access: password, the panel for each channel count, the enable toggle and
// the two ways of closing.
#include <ostream>
#include <string>
#include <vector>

#include "behaviour/calibration_fixture.h"
#include "link/channel_group.h"
#include "ui/texts.h"

using namespace platform;
using zektest::CaliTest;
using Strings = std::vector<std::string>;

namespace {

TEST_F(CaliTest, OnlyTheExactPasswordOpensThePanel)
{
    Start(8, 8, 1);
    for (const char *entry : {"VQD", "vqd ", "", static_cast<const char *>(nullptr)}) {
        Clear();
        EXPECT_EQ(Open(entry), 0) << (entry ? entry : "(cancelled)");
        ASSERT_EQ(scripted::Popups().size(), entry ? 2u : 1u);
        EXPECT_EQ(scripted::Popups()[0].title, "Telemetry Calibration");
        EXPECT_EQ(scripted::Popups()[0].text, "Please enter your password");
        EXPECT_EQ(scripted::Popups()[0].answer, 1) << "the password prompt is masked";
        // Cancelling is no wrong password: it says nothing.
        EXPECT_EQ(MessageList(), entry ? Strings{"Error|Incorrect password"} : Strings{});
    }
    sprache = 0;  // the language is read when the texts are shown
    Clear();
    EXPECT_EQ(Open("vqdvqd"), 0);
    EXPECT_EQ(scripted::Popups()[0].title, "Telemetrie Kalibration");
    EXPECT_EQ(MessageList(), Strings{"Fehler|Falsches Passwort"});
    EXPECT_NE(Open("vqd"), 0);
    EXPECT_TRUE(engine.FrameLog().empty());
}

struct Layout {
    int k, gui, language, height, ok_top;
    const char *line;
};
void PrintTo(const Layout &l, std::ostream *os) { *os << l.line; }

class CaliLayoutTest : public CaliTest, public ::testing::WithParamInterface<Layout> {};

TEST_P(CaliLayoutTest, PanelFitsTheChannelsAndUnlocksOnlyAfterReading)
{
    const Layout &l = GetParam();
    Start(l.k, l.gui, l.language);
    ASSERT_NE(Open(), 0);
    bool en = l.language != 0;
    EXPECT_EQ(ActivePopup(), cp);
    EXPECT_EQ(FindPanel(cp)->height, l.height);
    EXPECT_EQ(C(PANEL_3_COMMANDBUTTON).top, l.ok_top);
    EXPECT_EQ(C(PANEL_3_TEXTMSG_3).text, l.line);
    EXPECT_EQ(C(PANEL_3_TEXTMSG_2).text, en ? "Gain" : "Verstärkung");
    EXPECT_EQ(C(PANEL_3_TEXTMSG_4).text, en ? "Calibration" : "Kalibration");
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).label, en ? "Enable" : "Aktivierung");
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).value, 0);
    const Control &ring = C(PANEL_3_RING_Cali_Sel);
    EXPECT_EQ(ring.label, en ? "Calibration Section" : "Kalibrationsbereich");
    ASSERT_EQ(ring.items.size(), 3u);
    for (int k = 0; k < 3; k++) {
        EXPECT_EQ(ring.items[k].label, text(txt::cali_items[k]));
        EXPECT_EQ(ring.items[k].value, txt::cali_item_values[k]);
    }
    EXPECT_EQ(ring.value, 0);
    EXPECT_TRUE(ring.dimmed);
    for (int i = 0; i < 16; i++) {
        bool hidden = i >= l.gui;
        EXPECT_EQ(C(panel_cali_text[i]).visible, !hidden) << i;
        EXPECT_EQ(C(panel_numeric_off[i]).visible, !hidden) << i;
        EXPECT_EQ(C(panel_numeric_gain[i]).visible, !hidden) << i;
        if (i >= l.gui) continue;
        EXPECT_EQ(C(panel_cali_text[i]).text, (en ? "Channel " : "Kanal ") + std::to_string(i + 1));
        EXPECT_TRUE(C(panel_numeric_off[i]).dimmed && C(panel_numeric_gain[i]).dimmed) << i;
    }
    EXPECT_TRUE(Frames().empty());

    // Enabling reads the device first, then unlocks the rows of the device's channels.
    ASSERT_TRUE(Toggle(1));
    ASSERT_FALSE(Frames().empty());
    EXPECT_EQ(Frames()[0], "R");
    EXPECT_FALSE(C(PANEL_3_RING_Cali_Sel).dimmed);
    for (int i = 0; i < l.k; i++) EXPECT_FALSE(C(panel_numeric_off[i]).dimmed) << i;
    for (int i = 0; i < l.k; i++) EXPECT_FALSE(C(panel_numeric_gain[i]).dimmed) << i;

    Clear();
    ASSERT_TRUE(Toggle(0));
    EXPECT_TRUE(Frames().empty());
    EXPECT_TRUE(C(PANEL_3_RING_Cali_Sel).dimmed);
    for (int i = 0; i < l.k; i++) EXPECT_TRUE(C(panel_numeric_off[i]).dimmed) << i;
}

INSTANTIATE_TEST_SUITE_P(Counts, CaliLayoutTest,
                         ::testing::Values(Layout{8, 4, 0, 240, 200, "4 Kanal Telemetrie"},
                                           Layout{8, 8, 1, 340, 300, "8 Channel Telemetry"},
                                           Layout{16, 16, 0, 540, 500, "16 Kanal Telemetrie"}),
                         [](const auto &p) { return "Shown" + std::to_string(p.param.gui); });

TEST_F(CaliTest, FailedReadOnEnablingKeepsThePanelLocked)
{
    Start(8, 8, 1);
    ASSERT_NE(Open(), 0);
    FailNext(sim::FaultKind::Error);
    EXPECT_TRUE(Toggle(1));
    EXPECT_EQ(Frames(), Strings{"R"});
    EXPECT_EQ(MessageList(), (Strings{std::string("COM ERROR|") + txt::refusal.en, "Port-Error|Check"}));
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).value, 0);
    EXPECT_EQ(com_fault, 1);
    EXPECT_TRUE(C(PANEL_3_RING_Cali_Sel).dimmed);
    EXPECT_TRUE(C(panel_numeric_off[0]).dimmed);
}

TEST_F(CaliTest, OkReReadsTheDeviceButTheCloseBoxDoesNot)
{
    Start(8, 8);
    auto main_ring = [] { return FindControl(panel_handle, panel_rings[0])->value; };
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));  // switches the device to thermocouple type 1
    ASSERT_EQ(main_ring(), 4);
    Clear();
    EXPECT_TRUE(OperatorClosePanel(cp));
    EXPECT_EQ(PanelByResource(PANEL_3), 0);
    EXPECT_TRUE(Frames().empty());
    EXPECT_EQ(main_ring(), 4);

    ASSERT_NE(Open(), 0);
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).value, 0);  // a fresh panel
    EXPECT_TRUE(OperatorPressButton(cp, PANEL_3_COMMANDBUTTON));
    EXPECT_EQ(PanelByResource(PANEL_3), 0);
    EXPECT_EQ(Frames(), Strings{"R"});
    EXPECT_EQ(main_ring(), 6);

    // After a failed write the OK button closes without reading.
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    FailNext(sim::FaultKind::Error);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[0], 7));
    ASSERT_EQ(com_fault, 1);
    Clear();
    EXPECT_TRUE(OperatorPressButton(cp, PANEL_3_COMMANDBUTTON));
    EXPECT_EQ(PanelByResource(PANEL_3), 0);
    EXPECT_TRUE(Frames().empty());
}

// Closing after calibration ranges were sent offers to send back what they replaced:
// Yes restores every switched channel's mode byte and range words, the trims stay; No
// leaves the device on the calibration ranges.
TEST_F(CaliTest, ClosingWithYesRestoresTheChannelsButKeepsTheTrims)
{
    Start(8, 8);
    engine.Mem()[mode_address(1)] = MODE_BYTE_HALF_BRIDGE;
    engine.Mem()[range_words_address(1) + 2] = 0x00;  // range gain word 1024: 8 mV/V
    engine.Mem()[range_words_address(1) + 3] = 0x04;
    engine.Mem()[mode_address(4)] = MODE_BYTE_TE_2;
    sim::Memory before = engine.Mem();
    const size_t lines = RecordLines().size();
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));  // thermocouple type 1, then the strain-gauge bank: what the
    ASSERT_TRUE(Select(2));  // first switch replaced goes back
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[0], 7));
    const int trimmed = block_address(0, 0) + OFF_CAL_OFFSET;
    before[trimmed] = (f_o_1 + 7) & 0xFF;
    before[trimmed + 1] = (f_o_1 + 7) >> 8;
    ASSERT_NE(engine.Mem(), before);
    platform::scripted::AnswerConfirm(1);
    Clear();
    EXPECT_TRUE(OperatorClosePanel(cp));
    EXPECT_EQ(engine.Mem(), before);
    const auto &popups = scripted::Popups();
    ASSERT_FALSE(popups.empty());
    EXPECT_TRUE(popups.front().defaultYes);
    EXPECT_NE(popups.front().text.find('8'), std::string::npos);
    EXPECT_EQ(Frames().back(), "R");  // read back
    EXPECT_EQ(FindControl(panel_handle, panel_rings[1])->value, 2);
    EXPECT_EQ(RecordLines().size(), lines + 1 + 16 + 1 + 8);  // header, loads, trim, restores

    // No keeps the device on the calibration ranges; OK re-reads as before.
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    platform::scripted::AnswerConfirm(0);
    Clear();
    EXPECT_TRUE(OperatorPressButton(cp, PANEL_3_COMMANDBUTTON));
    EXPECT_EQ(Frames(), Strings{"R"});
    EXPECT_EQ(engine.Mem()[mode_address(4)], MODE_BYTE_TE_1);
}

}  // namespace
