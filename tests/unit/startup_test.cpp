// Start-up, settings file, main window layout and shutdown.
#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/port.h"
#include "ui/window.h"
#include "app/shell.h"
#include "platform/host/data_home.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/frontend/scripted/scripted.h"
#include "support/test_env.h"
#include "ui/texts.h"
#include "ui/uir.h"

using namespace platform;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::SettingsBytes;
using zektest::WriteFile;
using zektest::WriteSettings;

namespace {

class StartupTest : public zektest::ZekTest {
protected:
    Panel &Main() { return *FindPanel(panel_handle); }
    Control &Ctl(int id) { return *FindControl(panel_handle, id); }
    bool Checked(int item)
    {
        MenuEntry *e = FindMenuEntry(GetPanelMenuBar(panel_handle), item);
        return e && e->checked;
    }
    int VisibleRows()
    {
        int rows = 0;
        for (int i = 0; i < 16; i++) {
            bool visible = Ctl(panel_rings[i]).visible;
            EXPECT_EQ(visible, Ctl(panel_checkbox[i]).visible) << "row " << i;
            EXPECT_EQ(visible, Ctl(panel_command_button[i]).visible) << "row " << i;
            rows += visible;
        }
        return rows;
    }
    void ExpectRingItems(bool english)
    {
        for (int i = 0; i < 16; i++) {
            const Control &ring = Ctl(panel_rings[i]);
            ASSERT_EQ(ring.items.size(), 8u);
            for (int k = 0; k < 8; k++) {
                const TextPair &pair = txt::range_items[k];
                EXPECT_EQ(ring.items[k].label, english ? pair.en : pair.de);
                EXPECT_EQ(ring.items[k].label.size(), 21u);
                EXPECT_EQ(ring.items[k].value, txt::range_item_values[k]);
            }
            std::string prefix = english ? "Channel " : "Kanal ";
            EXPECT_EQ(ring.label, prefix + std::to_string(i + 1));
        }
    }
};

TEST_F(StartupTest, FirstStartWithoutSettingsIsGermanWithEightRows)
{
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(Main().height, 395);
    EXPECT_EQ(Main().width, 550);
    EXPECT_EQ(Main().scrollBars, VAL_NO_SCROLL_BARS);
    EXPECT_EQ(VisibleRows(), 8);
    EXPECT_TRUE(Checked(MENU_sprache_d));
    EXPECT_FALSE(Checked(MENU_sprache_e));
    EXPECT_TRUE(Checked(MENU_8kanal));
    EXPECT_FALSE(Checked(MENU_4kanal));
    EXPECT_FALSE(Checked(MENU_16kanal));
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_1).text, "8 Kanal Telemetrie");
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_2).text, "Konfiguration");
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_5).text, "Halbbrücke");
    EXPECT_EQ(ReadFile("config.ctc"), SettingsBytes({}));
    EXPECT_TRUE(Main().displayed);
    EXPECT_EQ(Main().top, VAL_AUTO_CENTER);
    EXPECT_EQ(Main().left, VAL_AUTO_CENTER);
    ExpectRingItems(false);
}

TEST_F(StartupTest, EnglishSixteenRowsWithScrollBar)
{
    WriteSettings({.language = 1, .channels = 16, .shown = 16, .port = 3});
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(Main().height, 595);
    EXPECT_EQ(Main().width, 580);
    EXPECT_EQ(Main().scrollBars, VAL_VERT_SCROLL_BAR);
    EXPECT_EQ(VisibleRows(), 16);
    EXPECT_TRUE(Checked(MENU_sprache_e));
    EXPECT_TRUE(Checked(MENU_16kanal));
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_1).text, "16 Channel Telemetry");
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_2).text, "Configuration");
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_5).text, "Half Bridge");
    EXPECT_EQ(com_port, 3);
    EXPECT_EQ(Kanalzahl, 16);
    ExpectRingItems(true);
    // The English menu bar is installed: its labels are the English ones.
    EXPECT_EQ(FindMenuEntry(GetPanelMenuBar(panel_handle), MENU_quit)->label, "__Quit");
}

TEST_F(StartupTest, FourRowsKeepTheEightChannelLayoutAndFullRings)
{
    WriteSettings({.shown = 4});
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(Main().height, 295);
    EXPECT_EQ(VisibleRows(), 4);
    EXPECT_TRUE(Checked(MENU_4kanal));
    EXPECT_EQ(Kanalzahl, 8);
    EXPECT_EQ(Kanalzahl_GUI, 4);
    ExpectRingItems(false);  // hidden rows hold their items too
    EXPECT_EQ(Ctl(PANEL_TEXTMSG_1).text, "4 Kanal Telemetrie");
}

TEST_F(StartupTest, ColoursOfToggleAndAutoZeroButtons)
{
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(Ctl(PANEL_TOGGLEBUTTON).offColor, 0xA0A0A0);
    EXPECT_EQ(Ctl(PANEL_TOGGLEBUTTON).onColor, 0x008000);
    for (int i = 0; i < 16; i++) EXPECT_EQ(Ctl(panel_command_button[i]).buttonColor, 0x808080);
}

TEST_F(StartupTest, ShortSettingsFileKeepsDefaultsForMissingBytes)
{
    WriteFile("config.ctc", SettingsBytes({.language = 1, .channels = 16, .shown = 16}).substr(0, 3));
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(sprache, 1);
    EXPECT_EQ(Kanalzahl, 16);
    EXPECT_EQ(Kanalzahl_GUI, 16);
    EXPECT_EQ(com_port, 1);  // byte 3 missing: port 1
    EXPECT_EQ(VisibleRows(), 16);

    WriteFile("config.ctc", SettingsBytes({.language = 1}).substr(0, 2));
    ResetUserInterface();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(sprache, 1);
    EXPECT_EQ(Kanalzahl, 8);
    EXPECT_EQ(Kanalzahl_GUI, 8);  // byte 2 missing: 8 rows

    WriteFile("config.ctc", "");
    ResetUserInterface();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(sprache, 0);
    EXPECT_EQ(Kanalzahl_GUI, 8);
    EXPECT_EQ(Main().height, 395);
}

TEST_F(StartupTest, OutOfRangeChannelCountsFallBackToEightByEight)
{
    // Unknown counts, and known counts in combinations the program never writes (8
    // device channels with 16 rows would let rows 9-16 write into the calibration bank).
    const int counts[][2] = {{0, 128}, {8, 6}, {16, 241}, {17, 16}, {8, 16}, {16, 4}, {16, 8}};
    for (const auto &[channels, shown] : counts) {
        WriteSettings({.channels = channels, .shown = shown, .port = 2});
        ResetUserInterface();
        ASSERT_EQ(StartUp(), 0);
        EXPECT_EQ(Kanalzahl, 8);
        EXPECT_EQ(Kanalzahl_GUI, 8);
        EXPECT_EQ(VisibleRows(), 8);
        EXPECT_EQ(Main().height, 395);
        EXPECT_EQ(com_port, 2);
    }
}

TEST_F(StartupTest, HighPortNumbersSurviveARestart)
{
    WriteSettings({.port = 200});
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(com_port, 200);
    write_config();
    EXPECT_EQ(ReadFile("config.ctc"), SettingsBytes({.port = 200}));
}

TEST_F(StartupTest, MissingOrDamagedResourceEndsStartUpWithMinusOne)
{
    SetResourceDir(dir.c_str());
    EXPECT_EQ(StartUp(), -1);
    WriteFile("zek-config.uir", "{\"panels\": [ {\"number\": 1, ");
    EXPECT_EQ(StartUp(), -1);
    WriteFile("zek-config.uir", "{\"panels\": [], \"menubars\": []}");
    EXPECT_EQ(StartUp(), -1);
}

// The code names the fault, whether or not the file was parsed by an earlier load.
TEST_F(StartupTest, ResourceLoadErrorCodeDoesNotDependOnTheCache)
{
    SetResourceDir(dir.c_str());
    EXPECT_EQ(LoadPanel(0, "zek-config.uir", 1), UIE_RESOURCE_FILE);
    WriteFile("zek-config.uir", "{\"panels\": [], \"menubars\": []}");
    for (int pass = 0; pass < 2; pass++) {
        EXPECT_EQ(LoadPanel(0, "zek-config.uir", 9), UIE_NOT_FOUND) << "pass " << pass;
        EXPECT_EQ(LoadMenuBar(0, "zek-config.uir", 9), UIE_NOT_FOUND) << "pass " << pass;
    }
}

TEST_F(StartupTest, CloseBoxWritesBackupThenSettingsAndEndsTheLoop)
{
    WriteSettings({.port = 4});
    scripted::QueueStep([] {
        com_port = 6;
        aktuelle_daten[16] = 0xC9;
        ResetFiles();
        EXPECT_TRUE(OperatorClosePanel(panel_handle));
    });
    scripted::QueueStep([] { ADD_FAILURE() << "the loop should have ended"; });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(WrittenFiles(), (std::vector<std::string>{"last.cfg", "config.ctc"}));
    EXPECT_EQ(ReadFile("config.ctc"), SettingsBytes({.port = 6}));
    EXPECT_EQ(ReadFile("last.cfg").substr(32, 2), "c9");
}

TEST_F(StartupTest, QuitWritesTheSameFilesInTheSameOrder)
{
    scripted::QueueStep([] {
        ResetFiles();
        EXPECT_TRUE(OperatorChooseMenu(menubar_handle, MENU_quit));
    });
    scripted::QueueStep([] { ADD_FAILURE() << "the loop should have ended"; });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(WrittenFiles(), (std::vector<std::string>{"last.cfg", "config.ctc"}));
    EXPECT_EQ(ReadFile("last.cfg"), std::string(800, '0'));
}

// The journal of written files is a test aid: without its switch a session keeps none.
TEST_F(StartupTest, WrittenFilesAreNotJournaledWithoutTheSwitch)
{
    RecordWrittenFiles(false);
    scripted::QueueStep([] { EXPECT_TRUE(OperatorChooseMenu(menubar_handle, MENU_quit)); });
    EXPECT_EQ(RunProgram(), 0);
    EXPECT_EQ(ReadFile("last.cfg"), std::string(800, '0'));
    EXPECT_TRUE(WrittenFiles().empty());
}

TEST_F(StartupTest, FocusRefreshesTitleFromDocumentName)
{
    ASSERT_EQ(StartUp(), 0);
    std::snprintf(File_Name, sizeof File_Name, "%s", "/data/rig 4.cfg");
    EXPECT_TRUE(OperatorFocusPanel(panel_handle, true));
    EXPECT_EQ(Main().title, "/data/rig 4.cfg");
    EXPECT_STREQ(kopfzeile, "/data/rig 4.cfg");
    EXPECT_EQ(menubar_handle, GetPanelMenuBar(panel_handle));
}

TEST_F(StartupTest, InformationDialogInBothLanguages)
{
    ASSERT_EQ(StartUp(), 0);
    int bar = GetPanelMenuBar(panel_handle);
    ASSERT_TRUE(OperatorChooseMenu(bar, MENU_info));
    int dialog = ActivePopup();
    ASSERT_NE(dialog, 0);
    EXPECT_EQ(FindControl(dialog, PANEL_5_TEXTMSG_1)->text, "8 Kanal Telemetrie");
    EXPECT_EQ(FindControl(dialog, PANEL_5_TEXTMSG_2)->text, "Konfigurationssoftware Version 2.4.0");
    // While the dialog is up the main window takes no input.
    EXPECT_FALSE(OperatorChooseMenu(bar, MENU_info));
    EXPECT_TRUE(OperatorPressButton(dialog, PANEL_5_COMMANDBUTTON));
    EXPECT_EQ(FindPanel(dialog), nullptr);

    sprache = 1;
    Kanalzahl_GUI = 4;
    ASSERT_TRUE(OperatorChooseMenu(bar, MENU_info));
    dialog = ActivePopup();
    EXPECT_EQ(FindControl(dialog, PANEL_5_TEXTMSG_1)->text, "4 Channel Telemetry");
    EXPECT_EQ(FindControl(dialog, PANEL_5_TEXTMSG_2)->text, "Configuration Software Version 2.4.0");
    EXPECT_TRUE(OperatorClosePanel(dialog));
    EXPECT_EQ(ActivePopup(), 0);
}

}  // namespace
