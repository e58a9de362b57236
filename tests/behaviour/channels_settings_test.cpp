// Per-channel settings of the main window against the in-process simulator: the frames
// each change sends and when, what the image and the window hold afterwards, and the
// failure paths.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "channels/image.h"
#include "ui/window.h"
#include "settings/settings.h"
#include "channels_fixture.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"
#include "ui/uir.h"

using namespace platform;

namespace {

using Texts = std::vector<std::string>;
using zektest::WriteFile;

constexpr double kEps = 1e-9;
constexpr int kRed = MakeColor(255, 0, 0);
constexpr int kGrey = MakeColor(128, 128, 128);

// The factory image of the simulator for the layout, as the tool's image.
std::vector<int> Factory(int channels)
{
    sim::Memory m = sim::FactoryImage(channels);
    return std::vector<int>(m.begin(), m.end());
}

class ChannelSettingsTest : public zektest::ChannelsTest {
protected:
    void StartWith(int channels, std::vector<int> image, int language = 0)
    {
        Start(channels, image.data(), language);
        WriteFile("temp.ctc", zektest::ConfigText(image.data()));  // last acknowledged state
    }
    void ExpectStarts(const std::vector<double> &offsets)
    {
        auto frames = Frames();
        ASSERT_EQ(frames.size(), offsets.size());
        for (size_t k = 0; k < frames.size(); k++)
            EXPECT_NEAR(frames[k].start - frames[0].start, offsets[k], kEps) << frames[k].text;
    }
    int Mem(int address) const { return engine.Peek(address); }
};

// --- sensor range ------------------------------------------------------------------

TEST_F(ChannelSettingsTest, StrainGaugeRangeIsOneGroupOfFiveWritesClosedByOneD)
{
    StartWith(8, Factory(8));
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(2), 3));  // 4 mV/V, box clear

    ASSERT_EQ(FrameTexts(),
              (Texts{"001130W", "002200W", "002304W", "002400W", "002502W", "D"}));
    ExpectStarts({0.0, 0.4, 0.8, 1.2, 1.6, 2.1});
    auto f = Frames();
    EXPECT_NEAR(f.back().end - f.front().start, 2.2, kEps);
    EXPECT_EQ((std::vector<int>{aktuelle_daten[17], aktuelle_daten[34], aktuelle_daten[35],
                                aktuelle_daten[36], aktuelle_daten[37]}),
              (std::vector<int>{48, 0, 4, 0, 2}));
    EXPECT_EQ(Mem(35), 4);
    EXPECT_EQ(Mem(37), 2);
    // The calibration words of the block stay as they were.
    EXPECT_EQ(aktuelle_daten[32] | aktuelle_daten[33] << 8, sim::kFactoryCalOffset[0]);
    EXPECT_EQ(aktuelle_daten[38] | aktuelle_daten[39] << 8, sim::kFactoryCalGain);
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_FALSE(WaitCursorShown());
    EXPECT_EQ(zektest::ReadFile("temp.ctc"), zektest::ConfigText(aktuelle_daten));
}

TEST_F(ChannelSettingsTest, HalfBridgeChannelKeepsBitSevenAndSixteenChannelAddresses)
{
    auto image = Factory(16);
    image[18] = 176;  // channel 3 wired as a half bridge
    StartWith(16, image);
    ASSERT_EQ(Ctrl(Box(3))->value, 1);
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(3), 0));  // 32 mV/V

    EXPECT_EQ(FrameTexts(),
              (Texts{"0012B0W", "003200W", "003308W", "0034FFW", "00350FW", "D"}));
    EXPECT_EQ(Mem(18), 176);
    EXPECT_EQ(Mem(52) | Mem(53) << 8, 4095);
    EXPECT_EQ(aktuelle_daten[50] | aktuelle_daten[51] << 8, 2048);
    EXPECT_EQ(Ctrl(Box(3))->value, 1);
    EXPECT_FALSE(Ctrl(Box(3))->dimmed);
    EXPECT_FALSE(Ctrl(Button(3))->dimmed);
}

TEST_F(ChannelSettingsTest, ThermocoupleRangesSendOnlyTheModeByteAndDimTheRow)
{
    auto image = Factory(8);
    image[20] = 176;  // channel 5: half bridge, 2 mV/V
    StartWith(8, image);

    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(5), 7));
    EXPECT_EQ(FrameTexts(), (Texts{"0014CAW", "D"}));
    ExpectStarts({0.0, 0.5});
    EXPECT_EQ(aktuelle_daten[20], 202);
    EXPECT_EQ(Ctrl(Box(5))->value, 0);
    EXPECT_TRUE(Ctrl(Box(5))->dimmed);
    EXPECT_TRUE(Ctrl(Button(5))->dimmed);
    // Range words of the block keep their 2 mV/V values.
    EXPECT_EQ((std::vector<int>{aktuelle_daten[58], aktuelle_daten[59], aktuelle_daten[60],
                                aktuelle_daten[61]}),
              (std::vector<int>{0, 2, 0, 1}));

    backend->ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(5), 6));
    EXPECT_EQ(FrameTexts(), (Texts{"0014C9W", "D"}));
    EXPECT_EQ(Mem(20), 201);
    EXPECT_TRUE(Ctrl(Box(5))->dimmed);
    EXPECT_TRUE(Ctrl(Button(5))->dimmed);

    // Back to a strain gauge: the row is enabled again, as a full bridge.
    backend->ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(5), 2));
    EXPECT_EQ(FrameTexts(),
              (Texts{"001430W", "003A00W", "003B08W", "003C00W", "003D04W", "D"}));
    EXPECT_FALSE(Ctrl(Box(5))->dimmed);
    EXPECT_FALSE(Ctrl(Button(5))->dimmed);
    EXPECT_TRUE(scripted::Messages().empty());
}

// --- half bridge ---------------------------------------------------------------------

TEST_F(ChannelSettingsTest, HalfBridgeBoxWritesOnlyTheModeByteWithD)
{
    StartWith(8, Factory(8));
    ASSERT_TRUE(OperatorSetValue(panel_handle, Box(2), 1));
    EXPECT_EQ(FrameTexts(), (Texts{"0011B0W", "D"}));
    EXPECT_EQ(aktuelle_daten[17], 176);
    EXPECT_EQ(Mem(17), 176);
    EXPECT_EQ(engine.Commits(), 1);

    backend->ClearJournal();
    ASSERT_TRUE(OperatorSetValue(panel_handle, Box(2), 0));
    EXPECT_EQ(FrameTexts(), (Texts{"001130W", "D"}));
    EXPECT_EQ(Mem(17), 48);
    EXPECT_EQ(aktuelle_daten[36] | aktuelle_daten[37] << 8, 256);  // range words untouched
}

TEST_F(ChannelSettingsTest, HalfBridgeClearsAnEarlierLinkFault)
{
    StartWith(8, Factory(8));
    com_fault = 1;
    ASSERT_TRUE(OperatorSetValue(panel_handle, Box(1), 1));
    EXPECT_EQ(com_fault, 0);
    EXPECT_TRUE(scripted::Messages().empty());  // the replies were awaited and read
    EXPECT_FALSE(engine.HasReplies(1e9));
}

TEST_F(ChannelSettingsTest, RefusedHalfBridgeRestoresTheAcknowledgedState)
{
    StartWith(8, Factory(8));
    engine.AddFault({sim::FaultKind::Error, 1});
    ASSERT_TRUE(OperatorSetValue(panel_handle, Box(4), 1));

    EXPECT_EQ(MessageList(), (Texts{std::string("COM ERROR|") + txt::refusal.de,
                                    "Schnittstellen-Fehler|Prüfen"}));
    EXPECT_EQ(FrameTexts(), (Texts{"0013B0W", "D"}));  // D still goes, unawaited
    EXPECT_EQ(aktuelle_daten[19], 48);
    EXPECT_EQ(Ctrl(Box(4))->value, 0);
    EXPECT_EQ(com_fault, 1);
}

// --- auto-zero -----------------------------------------------------------------------

TEST_F(ChannelSettingsTest, AutoZeroIsRedFromBeforeTheFrameUntilAfterTheReply)
{
    StartWith(16, Factory(16));
    struct Sample {
        double time;
        int colour;
        size_t written;
        std::string what;
    };
    std::vector<Sample> samples;
    auto colour = [&] { return Ctrl(Button(11))->buttonColor; };
    scripted::OnRepaint([&] {
        samples.push_back({ClockNow(), colour(), backend->Journal().size(), "repaint"});
    });
    engine.SetLog([&](const std::string &line) {
        samples.push_back({ClockNow(), colour(), backend->Journal().size(), line});
    });

    ASSERT_TRUE(OperatorPressButton(panel_handle, Button(11)));

    auto journal = backend->Journal();
    ASSERT_EQ(journal.size(), 3u);
    const double t = journal[0].time;
    EXPECT_EQ(journal[0].bytes, "0A");
    EXPECT_EQ(journal[1].bytes, "Z");
    EXPECT_EQ(journal[2].bytes, "\r");
    EXPECT_NEAR(journal[1].time - t, 0.1, kEps);
    EXPECT_NEAR(journal[2].time - t, 0.2, kEps);

    // Redrawn red before any byte went out; red when the frame arrived and when the
    // reply was read after the 3 s settle.
    ASSERT_GE(samples.size(), 3u);
    EXPECT_EQ(samples[0].what, "repaint");
    EXPECT_EQ(samples[0].written, 0u);
    EXPECT_EQ(samples[0].colour, kRed);
    auto reply = std::find_if(samples.begin(), samples.end(),
                              [](const Sample &s) { return s.what.rfind("tx OK", 0) == 0; });
    ASSERT_NE(reply, samples.end());
    EXPECT_NEAR(reply->time - t, 3.2, kEps);
    for (const auto &s : samples) EXPECT_EQ(s.colour, kRed) << s.what;
    EXPECT_EQ(colour(), kGrey);

    EXPECT_EQ(engine.AutoZeros(), (std::vector<int>{10}));
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_FALSE(WaitCursorShown());
    // The wait cursor came on before the frame and again for the reply.
    const auto &cursor = scripted::WaitCursorLog();
    ASSERT_FALSE(cursor.empty());
    EXPECT_TRUE(cursor.front().second);
    EXPECT_LE(cursor.front().first, t);
}

TEST_F(ChannelSettingsTest, RefusedAutoZeroReportsOnceAndEndsGrey)
{
    StartWith(8, Factory(8));
    com_fault = 1;  // cleared by the auto-zero
    engine.AddFault({sim::FaultKind::Error, 0});
    int colourAtMessage = 0;
    scripted::OnMessage([&](const scripted::PopupRecord &) {
        colourAtMessage = Ctrl(Button(3))->buttonColor;
    });
    ASSERT_TRUE(OperatorPressButton(panel_handle, Button(3)));
    EXPECT_EQ(MessageList(), (Texts{std::string("COM ERROR|") + txt::refusal.de}));
    EXPECT_EQ(colourAtMessage, kRed);
    EXPECT_EQ(Ctrl(Button(3))->buttonColor, kGrey);
    EXPECT_EQ(FrameTexts(), (Texts{"02Z"}));
}

TEST_F(ChannelSettingsTest, AutoZeroOfAThermocoupleChannelSendsNothing)
{
    auto image = Factory(8);
    image[22] = 201;
    StartWith(8, image);
    EXPECT_FALSE(OperatorPressButton(panel_handle, Button(7)));  // dimmed
    SetCtrlAttribute(panel_handle, Button(7), ATTR_DIMMED, 0);
    ASSERT_TRUE(OperatorPressButton(panel_handle, Button(7)));
    EXPECT_TRUE(FrameTexts().empty());
    EXPECT_TRUE(Ctrl(Button(7))->dimmed);
    EXPECT_EQ(Ctrl(Button(7))->buttonColor, kGrey);
}

// --- calibration signal --------------------------------------------------------------

TEST_F(ChannelSettingsTest, CalibrationToggleSendsCOnAndUOff)
{
    StartWith(8, Factory(8));
    ASSERT_TRUE(OperatorToggle(panel_handle, PANEL_TOGGLEBUTTON, 1));
    ASSERT_EQ(FrameTexts(), (Texts{"C"}));  // the commit that follows is ignored
    EXPECT_TRUE(engine.CalibrationSignal());
    auto f = Frames();
    EXPECT_NEAR(f[0].end - f[0].start, 0.1, kEps);

    backend->ClearJournal();
    ASSERT_TRUE(OperatorToggle(panel_handle, PANEL_TOGGLEBUTTON, 0));
    EXPECT_EQ(FrameTexts(), (Texts{"U"}));
    EXPECT_FALSE(engine.CalibrationSignal());
    EXPECT_TRUE(scripted::Messages().empty());
}

TEST_F(ChannelSettingsTest, CalibrationToggleKeepsASetLinkFaultAndDoesNotWait)
{
    StartWith(8, Factory(8));
    com_fault = 1;
    ASSERT_TRUE(OperatorToggle(panel_handle, PANEL_TOGGLEBUTTON, 1));
    EXPECT_EQ(FrameTexts(), (Texts{"C"}));
    EXPECT_EQ(com_fault, 1);
    EXPECT_TRUE(scripted::WaitCursorLog().empty());  // no acknowledgement wait
}

// --- failures of a range change ---------------------------------------------------------

TEST_F(ChannelSettingsTest, SilentDeviceStopsTheRangeChangeAfterTheModeByte)
{
    auto image = Factory(8);
    image[17] = 201;  // channel 2 acknowledged as thermocouple type 1
    StartWith(8, image);
    engine.AddFault({sim::FaultKind::NoReply, 0});
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(2), 3));

    ASSERT_EQ(FrameTexts(), (Texts{"001130W"}));
    auto messages = scripted::Messages();
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_EQ(messages[0].title, "COM ERROR");
    EXPECT_FALSE(messages[0].text.empty());
    EXPECT_NEAR(messages[0].time - Frames()[0].end, COM_TIMEOUT, kEps);
    EXPECT_EQ(messages[1].title, "Schnittstellen-Fehler");
    EXPECT_EQ(messages[1].text, "Prüfen");
    // The window and the image show the state the device last confirmed.
    EXPECT_EQ(aktuelle_daten[17], 201);
    EXPECT_EQ(Ctrl(Ring(2))->value, 6);
    EXPECT_EQ(com_fault, 1);
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(ChannelSettingsTest, RangeChangeStopsAtTheFirstRefusedRangeWord)
{
    StartWith(8, Factory(8), 1);
    engine.AddFault({sim::FaultKind::Error, 3});
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(1), 5));
    EXPECT_EQ(FrameTexts(), (Texts{"001030W", "001A00W", "001B01W"}));
    EXPECT_EQ(MessageList(), (Texts{std::string("COM ERROR|") + txt::refusal.en, "Port-Error|Check"}));
}

TEST_F(ChannelSettingsTest, RangeChangeWithTheFlagAlreadySetSendsOnlyTheModeByte)
{
    auto image = Factory(8);
    image[18] = 202;  // channel 3: thermocouple type 2
    StartWith(8, image, 1);
    // An earlier operation failed and nothing has cleared the flag since.
    engine.AddFault({sim::FaultKind::NoReply, 0});
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(4), 2));
    ASSERT_EQ(com_fault, 1);
    engine.ClearFaults();
    backend->ClearJournal();
    scripted::ClearJournal();

    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(3), 1));

    ASSERT_EQ(FrameTexts(), (Texts{"001230W"}));
    ASSERT_EQ(MessageList(), (Texts{"Port-Error|Check"}));
    auto f = Frames();
    EXPECT_NEAR(scripted::Messages()[0].time - f[0].start, 0.4, kEps);  // no wait
    EXPECT_EQ(aktuelle_daten[18], 202);  // unacknowledged: back to the acknowledged byte
    EXPECT_EQ(Ctrl(Ring(3))->value, 7);
    EXPECT_EQ(std::vector<int>(aktuelle_daten + 42, aktuelle_daten + 46),
              (std::vector<int>{0, 2, 0, 1}));  // range words still 2 mV/V
    EXPECT_EQ(com_fault, 1);
}

TEST_F(ChannelSettingsTest, EveryChannelCallbackActsOnItsOwnChannel)
{
    StartWith(16, Factory(16));
    for (int n = 1; n <= 16; n++) {
        backend->ClearJournal();
        ASSERT_TRUE(OperatorSetValue(panel_handle, Box(n), 1));
        char frame[16];
        std::snprintf(frame, sizeof frame, "00%02XB0W", 15 + n);
        EXPECT_EQ(FrameTexts(), (Texts{frame, "D"})) << "hb_" << n;
        backend->ClearJournal();
        ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(n), 7));
        std::snprintf(frame, sizeof frame, "00%02XCAW", 15 + n);
        EXPECT_EQ(FrameTexts(), (Texts{frame, "D"})) << "gain_" << n;
        SetCtrlAttribute(panel_handle, Button(n), ATTR_DIMMED, 0);
        SetCtrlIndex(panel_handle, Ring(n), 0);
        backend->ClearJournal();
        ASSERT_TRUE(OperatorPressButton(panel_handle, Button(n)));
        std::snprintf(frame, sizeof frame, "%02XZ", n - 1);
        EXPECT_EQ(FrameTexts(), (Texts{frame})) << "az_" << n;
    }
    // Callbacks ignore events other than commit.
    backend->ClearJournal();
    EXPECT_EQ(Ctrl(Ring(1))->callback(panel_handle, Ring(1), EVENT_VAL_CHANGED, nullptr, 0, 0), 0);
    EXPECT_TRUE(FrameTexts().empty());
}

// --- undo and redo -----------------------------------------------------------------

// Undo and Redo step through the acknowledged range changes, each sent like the
// original; a step the device refuses keeps its place; New clears the history.
TEST_F(ChannelSettingsTest, UndoAndRedoResendTheRangesAndAFailedStepKeepsItsPlace)
{
    StartWith(8, Factory(8), 1);
    auto undo = [&] { return FindMenuEntry(Bar(), MENU_undo); };
    auto redo = [&] { return FindMenuEntry(Bar(), MENU_redo); };
    EXPECT_TRUE(undo()->dimmed);
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(2), 3));  // 4 mV/V
    ASSERT_TRUE(OperatorSetValue(panel_handle, Ring(2), 1));  // 16 mV/V
    EXPECT_EQ(undo()->label, "__Undo: channel 2, Strain gage 16mV/V");
    backend->ClearJournal();
    ASSERT_TRUE(OperatorChooseMenu(Bar(), MENU_undo));
    EXPECT_EQ(FrameTexts(), (Texts{"001130W", "002200W", "002304W", "002400W", "002502W", "D"}));
    EXPECT_EQ(Ctrl(Ring(2))->value, 3);
    EXPECT_EQ(redo()->label, "__Redo: channel 2, Strain gage 16mV/V");
    EXPECT_FALSE(redo()->dimmed);

    engine.AddFault({sim::FaultKind::Error, engine.Frames() + 1, 0.0});
    ASSERT_TRUE(OperatorChooseMenu(Bar(), MENU_redo));
    EXPECT_EQ(Mem(35), 4);
    EXPECT_EQ(redo()->label, "__Redo: channel 2, Strain gage 16mV/V");
    scripted::ClearJournal();
    ASSERT_TRUE(OperatorChooseMenu(Bar(), MENU_redo));
    EXPECT_EQ(Mem(35), 8);
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_TRUE(redo()->dimmed);
    EXPECT_EQ(undo()->label, "__Undo: channel 2, Strain gage 16mV/V");

    scripted::AnswerConfirm(0);
    ASSERT_TRUE(OperatorChooseMenu(Bar(), MENU_new));
    EXPECT_TRUE(undo()->dimmed);
    EXPECT_EQ(undo()->label, "__Undo");
}

}  // namespace
