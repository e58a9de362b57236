// Channel count and language commands of the Settings menu.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "channels/image.h"
#include "platform/files.h"
#include "ui/window.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "support/test_env.h"
#include "ui/texts.h"
#include "ui/uir.h"

using namespace platform;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::WriteFile;
using zektest::WriteSettings;

namespace {

class LanguageTest : public zektest::ZekTest {
protected:
    int Bar() { return GetPanelMenuBar(panel_handle); }
    bool Checked(int item) { return FindMenuEntry(Bar(), item)->checked; }
    // Chooses a menu item as the operator and reports whether the program ended.
    bool ChooseEndsProgram(int item)
    {
        EXPECT_TRUE(OperatorChooseMenu(Bar(), item));
        return QuitRequested();
    }
    int VisibleRows()
    {
        int rows = 0;
        for (int i = 0; i < 16; i++) rows += FindControl(panel_handle, panel_rings[i])->visible;
        return rows;
    }
    std::string Settings() { return ReadFile("config.ctc"); }
};

// The backups of the 8-channel layout are kept under names that say so, in place of those
// an earlier change kept; the start in the 16-channel layout must not read them as its
// own.
TEST_F(LanguageTest, SixteenChannelsConfirmedEndsAndTakesEffectAtNextStart)
{
    const std::string eight(800, '0');
    WriteFile("last.cfg", eight);
    WriteFile("last-8.cfg", "an earlier change's backup");
    WriteFile("temp-8.ctc", "an earlier change's state");
    ASSERT_EQ(StartUp(), 0);
    WriteFile("temp.ctc", eight);
    ResetEventLoop();
    scripted::ClearJournal();
    scripted::AnswerConfirm(1);
    EXPECT_TRUE(ChooseEndsProgram(MENU_16kanal));

    auto popups = scripted::Popups();
    ASSERT_EQ(popups.size(), 2u);
    EXPECT_EQ(popups[0].kind, scripted::PopupRecord::Confirm);
    EXPECT_EQ(popups[0].title, "Warnung");
    EXPECT_EQ(popups[0].text, txt::kanal_confirm.de);
    EXPECT_EQ(popups[1].title, "Hinweis");
    EXPECT_EQ(popups[1].text.rfind("Die Änderungen werden erst nach einem Neustart wirksam !!!\r\n", 0), 0u);
    EXPECT_NE(popups[1].text.find("\"last-8.cfg\""), std::string::npos) << popups[1].text;
    EXPECT_EQ(Settings(), std::string("\x00\x0F\x0F\x01", 4));
    EXPECT_EQ(ReadFile("last-8.cfg"), eight);  // as the last exit left it: no exit backup
    EXPECT_EQ(ReadFile("temp-8.ctc"), eight);
    EXPECT_FALSE(FileExists("last.cfg"));
    EXPECT_FALSE(FileExists("temp.ctc"));
    EXPECT_TRUE(Checked(MENU_16kanal));
    EXPECT_FALSE(Checked(MENU_8kanal));

    ResetUserInterface();
    ResetEventLoop();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(VisibleRows(), 16);
    EXPECT_EQ(Kanalzahl, 16);
}

// 4 and 8 channels share one memory layout: the exit backup stays for the next start.
TEST_F(LanguageTest, FourChannelsFromEightKeepTheExitBackup)
{
    WriteFile("last.cfg", std::string(800, '0'));
    ASSERT_EQ(StartUp(), 0);
    ResetEventLoop();
    scripted::AnswerConfirm(1);
    EXPECT_TRUE(ChooseEndsProgram(MENU_4kanal));
    EXPECT_EQ(scripted::Popups().back().text, txt::restart_notice.de);
    EXPECT_EQ(ReadFile("last.cfg"), std::string(800, '0'));
    EXPECT_FALSE(FileExists("last-8.cfg"));
}

TEST_F(LanguageTest, DeclinedChannelCountChangesNothing)
{
    ASSERT_EQ(StartUp(), 0);
    ResetEventLoop();
    std::string before = Settings();
    scripted::ClearJournal();
    scripted::AnswerConfirm(0);
    EXPECT_FALSE(ChooseEndsProgram(MENU_4kanal));
    EXPECT_EQ(scripted::Popups().size(), 1u);  // the question only
    EXPECT_EQ(Settings(), before);
    EXPECT_TRUE(Checked(MENU_8kanal));
    EXPECT_FALSE(Checked(MENU_4kanal));
    EXPECT_EQ(Kanalzahl_GUI, 8);
}

TEST_F(LanguageTest, EnglishConfirmationsDifferForSixteenChannels)
{
    WriteSettings({.language = 1});
    ASSERT_EQ(StartUp(), 0);
    ResetEventLoop();
    for (int item : {MENU_4kanal, MENU_8kanal, MENU_16kanal}) {
        scripted::ClearJournal();
        EXPECT_FALSE(ChooseEndsProgram(item));  // no queued answer: No
        ASSERT_EQ(scripted::Popups().size(), 1u);
        const auto &question = scripted::Popups()[0];
        EXPECT_EQ(question.title, "Warning");
        EXPECT_FALSE(question.defaultYes) << "Yes may damage the system: Return must answer No";
        bool sixteen = item == MENU_16kanal;
        EXPECT_EQ(question.text.find("telemetriy") != std::string::npos, !sixteen);
        EXPECT_EQ(question.text.find("severe damage") != std::string::npos, !sixteen);
        EXPECT_EQ(question.text.find("it can damage the system.") != std::string::npos, sixteen);
        EXPECT_EQ(question.text.substr(0, 56),
                  "Do you really want to change the number of channels?\r\n\r\n");
    }
}

TEST_F(LanguageTest, FourChannelsStoreTheEightChannelLayout)
{
    WriteSettings({.language = 1, .channels = 16, .shown = 16, .port = 5});
    ASSERT_EQ(StartUp(), 0);
    ResetEventLoop();
    scripted::AnswerConfirm(1);
    EXPECT_TRUE(ChooseEndsProgram(MENU_4kanal));
    EXPECT_EQ(Settings(), std::string("\x01\x07\x03\x05", 4));
    EXPECT_EQ(scripted::Popups().back().title, "Tip");
    EXPECT_EQ(scripted::Popups().back().text, "You have to restart to apply the new settings!!!");
    EXPECT_TRUE(Checked(MENU_4kanal));
    EXPECT_FALSE(Checked(MENU_16kanal));
}

TEST_F(LanguageTest, EnglishChosenInGermanWindowTakesEffectForMessagesAndNextStart)
{
    ASSERT_EQ(StartUp(), 0);
    // The run-time's own error texts follow the language too.
    auto runtimeTexts = [] {
        return std::string(GetRS232ErrorString(RS232_PORT_IN_USE)) + "|" +
               GetFmtIOErrorString(FMTIO_WRITE_FAILED);
    };
    EXPECT_EQ(runtimeTexts().find("another"), std::string::npos) << runtimeTexts();
    EXPECT_NE(runtimeTexts().find("geschrieben"), std::string::npos) << runtimeTexts();
    ResetEventLoop();
    scripted::ClearJournal();
    EXPECT_FALSE(ChooseEndsProgram(MENU_sprache_e));
    EXPECT_NE(runtimeTexts().find("another program"), std::string::npos) << runtimeTexts();
    EXPECT_NE(runtimeTexts().find("Cannot write"), std::string::npos) << runtimeTexts();
    ASSERT_EQ(scripted::Popups().size(), 1u);
    EXPECT_EQ(scripted::Popups()[0].title, "Tip");
    EXPECT_EQ(scripted::Popups()[0].text, "You have to restart to apply the new settings!!!");
    EXPECT_TRUE(Checked(MENU_sprache_e));
    EXPECT_FALSE(Checked(MENU_sprache_d));
    EXPECT_EQ(Settings()[0], '\x01');
    // The window keeps its German texts; the next question is English.
    EXPECT_EQ(FindControl(panel_handle, PANEL_TEXTMSG_2)->text, "Konfiguration");
    EXPECT_EQ(FindControl(panel_handle, PANEL_RING_1)->items[0].label, "DMS            32mV/V");
    EXPECT_FALSE(ChooseEndsProgram(MENU_8kanal));
    EXPECT_EQ(scripted::Popups().back().title, "Warning");

    ResetUserInterface();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(FindControl(panel_handle, PANEL_TEXTMSG_2)->text, "Configuration");
    EXPECT_TRUE(Checked(MENU_sprache_e));
}

TEST_F(LanguageTest, ChoosingTheActiveLanguageAgainShowsTheNoticeAndRewrites)
{
    WriteSettings({.port = 2});
    ASSERT_EQ(StartUp(), 0);
    ResetEventLoop();
    std::remove("config.ctc");
    scripted::ClearJournal();
    EXPECT_FALSE(ChooseEndsProgram(MENU_sprache_d));
    ASSERT_EQ(scripted::Popups().size(), 1u);
    EXPECT_EQ(scripted::Popups()[0].title, "Hinweis");
    EXPECT_EQ(Settings(), std::string("\x00\x07\x07\x02", 4));
    EXPECT_TRUE(Checked(MENU_sprache_d));
    EXPECT_FALSE(Checked(MENU_sprache_e));
}

}  // namespace

// Every text pair is checked for matching conversions as it is compiled; this shows that the
// check tells a mismatch from a match, so a wrongly translated format cannot build.
TEST(TextPairCheck, ConversionsMustMatchInKindOrderAndPrecision)
{
    using text_check::same_conversions;
    EXPECT_TRUE(same_conversions("Kanal %d von %d, %.1f s", "channel %d of %d, %.1f s"));
    EXPECT_TRUE(same_conversions("100 %% fertig", "100 %% done"));
    EXPECT_TRUE(same_conversions("ohne", "without"));
    EXPECT_FALSE(same_conversions("Kanal %d", "channel %s"));
    EXPECT_FALSE(same_conversions("%s vor %d s", "%d s ago: %s"));
    EXPECT_FALSE(same_conversions("%.1f s", "%f s"));
    EXPECT_FALSE(same_conversions("Fehler: %s", "failed"));
    EXPECT_FALSE(same_conversions("%%", ""));
    EXPECT_FALSE(same_conversions("%ld", "%d"));
}
