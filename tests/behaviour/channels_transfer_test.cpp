// Whole-configuration download and upload through the Settings menu, against the
// in-process simulator in virtual time.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/log_menu.h"
#include "link/protocol.h"
#include "channels_fixture.h"
#include "platform/serial/testing.h"
#include "platform/frontend.h"
#include "platform/progress.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"
#include "ui/uir.h"

using namespace platform;

namespace {

using Texts = std::vector<std::string>;
using zektest::ConfigText;
using zektest::ReadFile;
using zektest::WriteFile;

constexpr double kEps = 1e-9;

void PutWords(std::vector<int> &image, int channels, int ch, int offsetWord, int gainWord)
{
    const int a = 16 + channels + 8 * ch + 2;
    image[a] = offsetWord & 0xFF;
    image[a + 1] = offsetWord >> 8;
    image[a + 2] = gainWord & 0xFF;
    image[a + 3] = gainWord >> 8;
}

// Eight channels of every kind: half and full bridge at several ranges, both
// thermocouples, a mode byte never set and one the tool does not interpret.
std::vector<int> MixedEight()
{
    sim::Memory m = sim::FactoryImage(8);
    std::vector<int> image(m.begin(), m.end());
    const int modes[8] = {176, 201, 48, 202, 0, 48, 0x55, 176};
    for (int ch = 0; ch < 8; ch++) image[16 + ch] = modes[ch];
    PutWords(image, 8, 0, 0x800, 0x400);  // 8 mV/V
    PutWords(image, 8, 2, 0x100, 0x080);  // 1 mV/V
    PutWords(image, 8, 5, 0x800, 0xFFF);  // 32 mV/V
    // Calibration words that differ from the device's: they must not be sent.
    for (int ch = 0; ch < 8; ch++) image[24 + 8 * ch] = image[88 + 8 * ch + 7] = 0x11;
    return image;
}

const Texts kMixedEightFrames = {
    "0010B0W", "D", "001A00W", "001B08W", "001C00W", "001D04W", "D",  // ch 1: half bridge
    "0011C9W", "D",                                                   // ch 2: TC type 1
    "001230W", "D", "002A00W", "002B01W", "002C80W", "002D00W", "D",  // ch 3: full bridge
    "0013CAW", "D",                                                   // ch 4: TC type 2
    "001400W", "D",                                                   // ch 5: never set
    "001530W", "D", "004200W", "004308W", "0044FFW", "00450FW", "D",  // ch 6
    "001655W", "D",                                                   // ch 7: unknown mode
    "0017B0W", "D", "005200W", "005302W", "005400W", "005501W", "D",  // ch 8: factory words
};

class TransferTest : public zektest::ChannelsTest {
protected:
    void StartWith(int channels, const std::vector<int> &image, int language = 0, int shown = 0)
    {
        Start(channels, image.data(), language, shown);
        WriteFile("temp.ctc", ConfigText(image.data()));
    }
    bool Choose(int item) { return OperatorChooseMenu(Bar(), item); }
    std::vector<int> Image() const { return std::vector<int>(aktuelle_daten, aktuelle_daten + 512); }
    // Start of each frame whose text is a write to the mode byte of a channel.
    std::vector<double> ChannelStarts(int channels) const
    {
        std::vector<double> starts;
        auto frames = Frames();
        for (const auto &f : frames)
            for (int ch = 0; ch < channels; ch++) {
                char prefix[16];
                std::snprintf(prefix, sizeof prefix, "00%02X", 16 + ch);
                if (f.text.size() == 7 && f.text.rfind(prefix, 0) == 0)
                    starts.push_back(f.start - frames[0].start);
            }
        return starts;
    }
};

// --- download --------------------------------------------------------------------------

TEST_F(TransferTest, DownloadOfEightMixedChannelsSendsModeBytesAndRangeWordsOnly)
{
    auto image = MixedEight();
    StartWith(8, image);
    com_fault = 1;  // cleared by the menu command
    ASSERT_TRUE(Choose(MENU_down_load));

    ASSERT_EQ(FrameTexts(), kMixedEightFrames);
    // 2.4 s of pacing per strain-gauge channel, 0.6 s per other channel.
    std::vector<double> starts = ChannelStarts(8);
    std::vector<double> expected = {0.0, 2.4, 3.0, 5.4, 6.0, 6.6, 9.0, 9.6};
    ASSERT_EQ(starts.size(), expected.size());
    for (size_t k = 0; k < starts.size(); k++) EXPECT_NEAR(starts[k], expected[k], kEps) << k;
    auto frames = Frames();
    EXPECT_NEAR(frames.back().end - frames.front().start, 12.0, kEps);

    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(com_fault, 0);
    EXPECT_EQ(Image(), image);  // the download does not change the image
    EXPECT_EQ(engine.Peek(16), 176);
    EXPECT_EQ(engine.Peek(22), 0x55);
    EXPECT_EQ(engine.Peek(24), sim::kFactoryCalOffset[0] & 0xFF);
    EXPECT_EQ(engine.Commits(), 12);
    const auto &cursor = scripted::WaitCursorLog();
    ASSERT_FALSE(cursor.empty());
    EXPECT_TRUE(cursor.front().second);
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(TransferTest, DownloadOfSixteenStrainGaugeChannelsReachesTheDevice)
{
    sim::Memory m = sim::FactoryImage(16);
    std::vector<int> image(m.begin(), m.end());
    const int offsets[6] = {2048, 2048, 2048, 1024, 512, 256};
    const int gains[6] = {4095, 2048, 1024, 512, 256, 128};
    for (int ch = 0; ch < 16; ch++) {
        image[16 + ch] = ch % 2 ? 176 : 48;
        PutWords(image, 16, ch, offsets[ch % 6], gains[ch % 6]);
        image[32 + 8 * ch] = 0x22;  // calibration offset low byte, not for the download
    }
    StartWith(16, image);
    ASSERT_TRUE(Choose(MENU_down_load));

    auto frames = Frames();
    ASSERT_EQ(frames.size(), 16u * 7u);
    EXPECT_NEAR(frames.back().end - frames.front().start, 38.4, kEps);
    for (int ch = 0; ch < 16; ch++) {
        EXPECT_EQ(engine.Peek(16 + ch), image[16 + ch]) << ch;
        for (int k = 2; k < 6; k++)
            EXPECT_EQ(engine.Peek(32 + 8 * ch + k), image[32 + 8 * ch + k]) << ch << "/" << k;
        EXPECT_EQ(engine.Peek(32 + 8 * ch), sim::kFactoryCalOffset[0] & 0xFF) << ch;
    }
    EXPECT_EQ(engine.Commits(), 32);
    EXPECT_TRUE(scripted::Messages().empty());
}

TEST_F(TransferTest, FourChannelInstallationGetsAllEightChannelsOfItsLayout)
{
    sim::Memory m = sim::FactoryImage(8);
    std::vector<int> image(m.begin(), m.end());
    for (int ch = 0; ch < 8; ch++) image[16 + ch] = 201;
    StartWith(8, image, 0, 4);
    ASSERT_TRUE(Choose(MENU_down_load));
    auto texts = FrameTexts();
    ASSERT_EQ(texts.size(), 16u);
    EXPECT_EQ(texts[14], "0017C9W");
    EXPECT_EQ(engine.Peek(23), 201);
}

TEST_F(TransferTest, SilentDeviceGivesOneMessageAndTheDownloadRunsToItsEnd)
{
    StartWith(8, MixedEight());
    engine.AddFault({sim::FaultKind::NoReply, 0});
    ASSERT_TRUE(Choose(MENU_down_load));

    ASSERT_EQ(FrameTexts(), kMixedEightFrames);
    auto messages = scripted::Messages();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].title, "COM ERROR");
    EXPECT_FALSE(messages[0].text.empty());
    // After the first time-out every remaining frame goes out with the pacing alone.
    auto frames = Frames();
    EXPECT_GT(messages[0].time - frames[0].end, 1.0);
    EXPECT_NEAR(frames.back().end - messages[0].time, 12.0 - 0.5, kEps);
    EXPECT_EQ(com_fault, 1);
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(TransferTest, RefusedFrameReportsOnceAndTheRestIsStillSent)
{
    StartWith(8, MixedEight(), 1);
    engine.AddFault({sim::FaultKind::Error, 9});  // the D after channel 2's mode byte
    ASSERT_TRUE(Choose(MENU_down_load));
    EXPECT_EQ(FrameTexts(), kMixedEightFrames);
    EXPECT_EQ(MessageList(), (Texts{std::string("COM ERROR|") + txt::refusal.en}));
    EXPECT_EQ(engine.Peek(23), 176);  // frames after the refusal still reached the device
}

// A failed acknowledgement puts the last acknowledged state back into the image; the
// rest of the download sends what the image holds from then on.
TEST_F(TransferTest, AfterAFailureTheDownloadSendsTheRestoredImage)
{
    auto acknowledged = MixedEight();
    StartWith(8, acknowledged);
    aktuelle_daten[16] = 202;  // unacknowledged changes, e.g. from a file just opened
    aktuelle_daten[17] = 48;
    engine.AddFault({sim::FaultKind::Error, 1});
    ASSERT_TRUE(Choose(MENU_down_load));

    auto texts = FrameTexts();
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ((Texts{texts[0], texts[1], texts[2]}), (Texts{"0010CAW", "D", "0011C9W"}));
    EXPECT_EQ(Image(), acknowledged);
}

// --- upload ----------------------------------------------------------------------------

TEST_F(TransferTest, UploadReplacesTheWholeImageAndRefillsTheWindow)
{
    StartWith(8, MixedEight());
    engine.Poke(3, 0xAB);     // not interpreted, carried
    engine.Poke(17, 202);     // channel 2: TC type 2
    engine.Poke(18, 176);     // channel 3: half bridge at 1 mV/V
    engine.Poke(44, 0x80);
    engine.Poke(45, 0x00);
    engine.Poke(450, 0x5A);   // above the banks, carried too
    const std::string acknowledged = ReadFile("temp.ctc");
    const std::string name = File_Name;
    com_fault = 1;
    ASSERT_TRUE(Choose(MENU_read));

    EXPECT_EQ(FrameTexts(), (Texts{"R"}));
    std::vector<int> device(engine.Mem().begin(), engine.Mem().end());
    EXPECT_EQ(Image(), device);
    EXPECT_EQ(Ctrl(Ring(2))->value, 7);
    EXPECT_TRUE(Ctrl(Box(2))->dimmed);
    EXPECT_EQ(Ctrl(Ring(3))->value, 5);
    EXPECT_EQ(Ctrl(Box(3))->value, 1);
    EXPECT_FALSE(Ctrl(Box(3))->dimmed);
    EXPECT_EQ(Ctrl(Ring(1))->value, 4);  // factory 2 mV/V
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(com_fault, 0);
    EXPECT_EQ(ReadFile("temp.ctc"), acknowledged);  // not an acknowledged write
    EXPECT_EQ(std::string(File_Name), name);
    EXPECT_FALSE(WaitCursorShown());
}

TEST_F(TransferTest, FailedUploadsLeaveTheImageAsItWas)
{
    struct Case {
        sim::FaultKind fault;
        int language;
        std::string message;  // "" for none; "*" for the serial library's text
    };
    const Case cases[] = {
        {sim::FaultKind::Error, 0, std::string("COM ERROR|") + txt::refusal.de},
        {sim::FaultKind::Error, 1, std::string("COM ERROR|") + txt::refusal.en},
        {sim::FaultKind::NoReply, 0, "*"},
        {sim::FaultKind::Garbage, 1, std::string("COM ERROR|") + txt::memory_unreadable.en},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string(sim::FaultName(c.fault)) + " language " +
                     std::to_string(c.language));
        StartWith(8, MixedEight(), c.language);
        const auto before = Image();
        engine.AddFault({c.fault, 0});
        ASSERT_TRUE(Choose(MENU_read));
        ASSERT_EQ(FrameTexts(), (Texts{"R"}));
        EXPECT_EQ(Image(), before);
        auto messages = scripted::Messages();
        if (c.message.empty()) {
            EXPECT_TRUE(messages.empty());
        } else if (c.message == "*") {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].title, "COM ERROR");
            EXPECT_NE(messages[0].text.find("COM1"), std::string::npos) << messages[0].text;
            EXPECT_NEAR(messages[0].time - Frames()[0].end, 0.1 + 20.0, kEps);
        } else {
            EXPECT_EQ(MessageList(), (Texts{c.message}));
        }
        EXPECT_FALSE(WaitCursorShown());
        ResetUserInterface();
        ResetSerial();
    }
}

}  // namespace

// --- compare and send changes ----------------------------------------------------------

class ExtrasTest : public TransferTest {
protected:
    // The program on MixedEight with the device holding the same memory.
    void StartEqual(int language = 1)
    {
        StartWith(8, MixedEight(), language);
        for (int a = 0; a < 512; a++) engine.Poke(a, aktuelle_daten[a]);
    }
};

// Compare reads into a scratch copy: image, window and temp.ctc stay; the message lists
// the differences per channel, or says there are none.
TEST_F(ExtrasTest, CompareListsEachDifferenceInWordsAndTouchesNothing)
{
    StartEqual();
    const std::string temp = ReadFile("temp.ctc");
    ASSERT_TRUE(Choose(MENU_compare));
    EXPECT_EQ(MessageList(), (Texts{std::string(txt::compare_title.en) + "|" + txt::no_differences.en}));

    scripted::ClearJournal();
    backend->ClearJournal();
    engine.Poke(18, MODE_BYTE_HALF_BRIDGE);                      // channel 3 half bridge
    engine.Poke(16 + 8 + 8 * 8 + 8 * 4 + OFF_CAL_GAIN, 0x34);    // channel 5, TC type 1 bank
    const auto before = Image();
    ASSERT_TRUE(Choose(MENU_compare));
    EXPECT_EQ(FrameTexts(), (Texts{"R"}));
    EXPECT_EQ(Image(), before);
    EXPECT_EQ(Ctrl(Box(3))->value, 0);
    EXPECT_EQ(ReadFile("temp.ctc"), temp);
    const auto messages = scripted::Messages();
    ASSERT_EQ(messages.size(), 1u);
    const int gain = before[16 + 8 + 64 + 32 + 6] | before[16 + 8 + 64 + 32 + 7] << 8;
    const int device = 0x34 | before[16 + 8 + 64 + 32 + 7] << 8;
    EXPECT_EQ(messages[0].text,
              "Channel 3, range and bridge: Strain gage 1mV/V, full bridge (window), "
              "Strain gage 1mV/V, half bridge (rotor)\n"
              "Channel 5, TC type 1 bank, calibration gain: " + std::to_string(gain) +
              " (window), " + std::to_string(device) + " (rotor)");
}

// Only the groups that differ go out, ascending, in the download's frame shapes, between
// the read and the read-back; nothing differing: the read alone and a message.
TEST_F(ExtrasTest, SendChangesSendsOnlyTheDifferingGroupsAndVerifies)
{
    StartEqual();
    ASSERT_TRUE(Choose(MENU_send_changes));
    EXPECT_EQ(FrameTexts(), (Texts{"R"}));
    EXPECT_EQ(MessageList(), (Texts{std::string(txt::send_changes_title.en) + "|" +
                                    txt::nothing_to_send.en}));

    scripted::ClearJournal();
    backend->ClearJournal();
    engine.Poke(0x2B, 0x08);  // channel 3's range offset high byte
    ASSERT_TRUE(Choose(MENU_send_changes));
    Texts one = {"R"};
    one.insert(one.end(), kMixedEightFrames.begin() + 9, kMixedEightFrames.begin() + 16);
    one.push_back("R");
    EXPECT_EQ(FrameTexts(), one);
    EXPECT_EQ(engine.Peek(0x2B), 0x01);
    EXPECT_EQ(MessageList(), (Texts{std::string(txt::send_changes_title.en) + "|1 channels sent and verified."}));

    scripted::ClearJournal();
    backend->ClearJournal();
    for (int ch = 0; ch < 8; ch++) engine.Poke(16 + ch, 0x99);
    ASSERT_TRUE(Choose(MENU_send_changes));
    Texts all = {"R"};
    all.insert(all.end(), kMixedEightFrames.begin(), kMixedEightFrames.end());
    all.push_back("R");
    EXPECT_EQ(FrameTexts(), all);
    EXPECT_EQ(MessageList(), (Texts{std::string(txt::send_changes_title.en) + "|8 channels sent and verified."}));
    EXPECT_EQ(scripted::ProgressLog().back().status.rfind("Changes sent: 8 channels, ", 0), 0u);
}

// A refused frame in the middle: one message, the remaining changed groups still go out
// unawaited, and there is no read-back to verify against a failed link.
TEST_F(ExtrasTest, RefusedFrameInTheMiddleOfSendChanges)
{
    StartEqual();
    engine.Poke(17, 0x99);  // channel 2
    engine.Poke(21, 0x99);  // channel 6
    engine.AddFault({sim::FaultKind::Error, engine.Frames() + 2});  // channel 2's D
    ASSERT_TRUE(Choose(MENU_send_changes));
    Texts expected = {"R", "0011C9W", "D", "001530W", "D", "004200W", "004308W", "0044FFW",
                      "00450FW", "D"};
    EXPECT_EQ(FrameTexts(), expected);
    EXPECT_EQ(MessageList(), (Texts{std::string("COM ERROR|") + txt::refusal.en}));
    EXPECT_EQ(com_fault, 1);
    EXPECT_EQ(scripted::ProgressLog().back().status,
              "Link failed at channel 2: the rest is being sent without waiting.");
}

// --- progress and cancel ---------------------------------------------------------------

// The link log item: while checked, every frame and reply goes to zek-link.log; the check
// and the log come back at the next start, without touching the settings file's four
// bytes; unchecked, nothing more is written. A log that cannot be written is reported
// once and the link works on. Show Link Log opens the window on the file.
TEST_F(ExtrasTest, LinkLogItemLogsTheLinkAndIsKeptForTheNextStart)
{
    auto checked = [this] {
        int on = -1;
        GetMenuBarAttribute(Bar(), MENU_link_log, ATTR_CHECKED, &on);
        return on;
    };
    auto restart = [this] {
        ResetUserInterface();
        StartEqual();
    };
    StartEqual();
    EXPECT_EQ(checked(), 0);
    ASSERT_TRUE(Choose(MENU_link_log));
    EXPECT_EQ(checked(), 1);
    ASSERT_TRUE(Choose(MENU_compare));
    const std::string logged = ReadFile("zek-link.log");
    EXPECT_NE(logged.find(" COM1 -> R "), std::string::npos) << logged;
    EXPECT_NE(logged.find(" COM1 <- "), std::string::npos) << logged;

    restart();
    EXPECT_EQ(checked(), 1);
    EXPECT_EQ(ReadFile("config.ctc").size(), 4u);
    ASSERT_TRUE(Choose(MENU_compare));
    const std::string more = ReadFile("zek-link.log");
    EXPECT_GT(more.size(), logged.size());
    ASSERT_TRUE(Choose(MENU_link_log));
    EXPECT_EQ(checked(), 0);
    ASSERT_TRUE(Choose(MENU_compare));
    EXPECT_EQ(ReadFile("zek-link.log"), more);
    restart();
    EXPECT_EQ(checked(), 0);

    ASSERT_TRUE(Choose(MENU_show_link_log));
    ASSERT_EQ(scripted::LogWindows().size(), 1u);
    EXPECT_TRUE(std::filesystem::equivalent(scripted::LogWindows()[0].path, "zek-link.log"));

    std::filesystem::remove("zek-link.log");
    std::filesystem::create_directory("zek-link.log");  // no file can be made there
    scripted::ClearJournal();
    ASSERT_TRUE(Choose(MENU_link_log));
    EXPECT_EQ(checked(), 0);
    ASSERT_TRUE(Choose(MENU_compare));
    const auto messages = scripted::Messages();
    ASSERT_EQ(messages.size(), 2u) << MessageList().size();
    EXPECT_EQ(messages[0].title, txt::link_log_title.en);
    EXPECT_NE(messages[0].text.find("zek-link.log"), std::string::npos) << messages[0].text;
    EXPECT_EQ(messages[1].text, txt::no_differences.en);
}

// The link log keeps a line for a write that fails as for a read. At its size limit it
// moves to zek-link.log.1, replacing the copy an earlier rotation left, and goes on in a
// fresh file. A rotation that fails ends the log: one message naming the file, the check
// mark off, nothing written on.
TEST_F(ExtrasTest, LinkLogRecordsFailedWritesAndRotatesUntilItCannot)
{
    auto checked = [this] {
        int on = -1;
        GetMenuBarAttribute(Bar(), MENU_link_log, ATTR_CHECKED, &on);
        return on;
    };
    StartEqual();
    ASSERT_TRUE(Choose(MENU_link_log));
    engine.AddFault({sim::FaultKind::Hangup, engine.Frames() + 1});
    ASSERT_TRUE(Choose(MENU_down_load));  // its first write frame's D meets the hang-up
    ASSERT_TRUE(Choose(MENU_link_log));
    EXPECT_NE(ReadFile("zek-link.log").find(" COM1 !! -> D   44 "), std::string::npos)
        << ReadFile("zek-link.log");

    for (const char c : {'a', 'b'}) {
        const std::string full(static_cast<size_t>(LINK_LOG_ROTATE_BYTES), c);
        WriteFile("zek-link.log", full);  // as a long session left it
        ASSERT_TRUE(Choose(MENU_link_log));
        ASSERT_TRUE(Choose(MENU_compare));
        EXPECT_EQ(checked(), 1);
        ASSERT_TRUE(Choose(MENU_link_log));
        EXPECT_EQ(ReadFile("zek-link.log.1").compare(0, full.size(), full), 0) << c;
        const std::string fresh = ReadFile("zek-link.log");
        EXPECT_NE(fresh.find(" COM1 <- "), std::string::npos) << fresh;
        EXPECT_EQ(fresh.find(c), std::string::npos) << "not rotated: " << c;
    }

    WriteFile("zek-link.log", std::string(static_cast<size_t>(LINK_LOG_ROTATE_BYTES), 'c'));
    std::filesystem::remove("zek-link.log.1");
    std::filesystem::create_directories("zek-link.log.1/kept");  // no file moves over it
    scripted::ClearJournal();
    ASSERT_TRUE(Choose(MENU_link_log));
    ASSERT_TRUE(Choose(MENU_compare));
    const auto messages = scripted::Messages();
    ASSERT_EQ(messages.size(), 2u) << MessageList().size();
    EXPECT_EQ(messages[0].title, txt::link_log_title.en);
    EXPECT_NE(messages[0].text.find("zek-link.log.1"), std::string::npos) << messages[0].text;
    EXPECT_EQ(checked(), 0);
    const std::string stopped = ReadFile("zek-link.log");
    ASSERT_TRUE(Choose(MENU_compare));
    EXPECT_EQ(ReadFile("zek-link.log"), stopped);
    EXPECT_EQ(scripted::Messages().size(), 3u);  // the comparison's own, no second report
}

// The line names the channel being sent and the seconds of pacing still planned, at the
// moment its group starts; the status line stays with the totals.
TEST_F(TransferTest, DownloadShowsChannelAndTimeLeftThenItsTotals)
{
    StartWith(8, MixedEight(), 1);
    ASSERT_TRUE(Choose(MENU_down_load));
    const std::vector<double> starts = {0.0, 2.4, 3.0, 5.4, 6.0, 6.6, 9.0, 9.6};
    std::vector<scripted::ProgressRecord> updates;
    for (const auto &r : scripted::ProgressLog())
        if (r.active && r.line.find(" of 8") != std::string::npos) updates.push_back(r);
    ASSERT_EQ(updates.size(), 8u);
    const double t0 = updates[0].time;
    for (size_t k = 0; k < 8; k++) {
        char left[16];
        std::snprintf(left, sizeof left, "%.1f s", 12.0 - starts[k]);
        EXPECT_EQ(updates[k].line, "Download: channel " + std::to_string(k + 1) + " of 8  " + left);
        EXPECT_NEAR(updates[k].time - t0, starts[k], kEps) << k;
        EXPECT_NEAR(updates[k].fraction, starts[k] / 12.0, kEps) << k;
    }
    const auto &last = scripted::ProgressLog().back();
    EXPECT_FALSE(last.active);
    EXPECT_EQ(last.status, "Download finished: 8 channels, 36 frames, 12.0 s");
}

// Cancel while a channel's group goes out: that group ends, no later one starts; the image
// and the acknowledged state stay as the device acknowledged them. At the last channel
// there is nothing left to stop.
TEST_F(TransferTest, CancelledDownloadStopsAfterTheGroupInProgress)
{
    struct Case { int at; size_t frames; const char *message; };
    const Case cases[] = {
        {1, 7, "Written: channels 1\nNot written: channels 2-8"},
        {4, 18, "Written: channels 1-4\nNot written: channels 5-8"},
        {8, kMixedEightFrames.size(), nullptr},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.at);
        StartWith(8, MixedEight(), 1);
        const auto image = Image();
        const std::string marker = "channel " + std::to_string(c.at) + " of";
        bool asked = false;
        scripted::OnProgress([&](const scripted::ProgressRecord &r) {
            if (!asked && r.line.find(marker) != std::string::npos) {
                asked = true;
                EXPECT_TRUE(OperatorCancel());
            }
        });
        ASSERT_TRUE(Choose(MENU_down_load));
        scripted::OnProgress(nullptr);
        const Texts expected(kMixedEightFrames.begin(), kMixedEightFrames.begin() + static_cast<long>(c.frames));
        EXPECT_EQ(FrameTexts(), expected);
        EXPECT_EQ(Image(), image);
        EXPECT_EQ(ReadFile("temp.ctc"), ConfigText(image.data()));
        EXPECT_EQ(MessageList(), c.message ? Texts{std::string("Cancelled|") + c.message} : Texts{});
        EXPECT_FALSE(OperatorCancel());  // nothing runs any more
    }
}

// The whole-memory read counts the bytes of its reply; the time left follows them.
TEST_F(TransferTest, UploadCountsTheBytesOfTheReply)
{
    StartWith(8, MixedEight(), 1);
    ASSERT_TRUE(Choose(MENU_read));
    int most = 0;
    for (const auto &r : scripted::ProgressLog())
        if (r.active && r.line.find("/1539") != std::string::npos) {
            const int received = std::stoi(r.line.substr(r.line.find("  ") + 2));
            EXPECT_GE(received, most);
            most = received;
        }
    EXPECT_EQ(most, 1539);  // 512 values, "OK" and CR
    EXPECT_EQ(scripted::ProgressLog().back().status.rfind("Upload finished: 512 bytes, ", 0), 0u);
}
