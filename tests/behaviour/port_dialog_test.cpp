// The port opened at start-up and the port selection dialog, over the in-process
// simulator serving one port number.
#include <string>
#include <tuple>

#include "link/protocol.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "link/port.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/model.h"
#include "platform/rs232.h"
#include "platform/scripted.h"
#include "support/sim_env.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace {

using namespace platform;
using std::string;

class PortDialogTest : public zektest::ZekTest {
protected:
    PortDialogTest() : sim(3) {}
    void SetUp() override
    {
        ZekTest::SetUp();
        comopen = 1;
        com_fault = 0;
        zektest::WriteFile("config.ctc", string("\x01\x07\x07\x03", 4));  // English, port 3
        ASSERT_EQ(StartUp(), 0);
        scripted::ClearJournal();
    }
    int OpenDialog()
    {
        EXPECT_TRUE(OperatorChooseMenu(menubar_handle, MENU_com_port));
        return PanelByResource(PANEL_2);
    }
    bool ChoosePort(int dialog, int port)
    {
        return OperatorSetValue(dialog, PANEL_2_NUMERIC, port) &&
               OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON);
    }
    zektest::SimEnv sim;
};

TEST_F(PortDialogTest, StartUpOpensThePortQuietlyAndTheDialogShowsIt)
{
    EXPECT_TRUE(ComIsOpen(3));
    const LineSettings &line = sim.backend.Line();  // the link's own settings: 4800 8N2
    EXPECT_EQ(std::tie(line.baud, line.parity, line.dataBits, line.stopBits),
              std::make_tuple(4800L, 0, 8, 2));
    EXPECT_EQ(comopen, 1);
    com_fault = 1;
    int dialog = OpenDialog();
    ASSERT_GT(dialog, 0);
    EXPECT_EQ(com_fault, 0);
    EXPECT_EQ(ActivePopup(), dialog);
    EXPECT_EQ(FindControl(dialog, PANEL_2_NUMERIC)->value, 3);
    EXPECT_EQ(FindControl(dialog, PANEL_2_TEXTMSG)->text, "Select Serial Interface");
    EXPECT_EQ(FindControl(dialog, PANEL_2_COMMANDBUTTON_2)->label, "__Cancel");
    EXPECT_EQ(FindControl(dialog, PANEL_2_COMMANDBUTTON)->label, "__OK");
    EXPECT_EQ(FindPanel(dialog)->title, "QUARVO Telemetriesysteme");
    EXPECT_FALSE(OperatorChooseMenu(menubar_handle, MENU_com_port));  // modal
    EXPECT_TRUE(OperatorClosePanel(dialog));
    EXPECT_EQ(PanelByResource(PANEL_2), dialog);  // the close box does nothing

    com_fault = 1;
    EXPECT_TRUE(OperatorSetValue(dialog, PANEL_2_NUMERIC, 5));
    EXPECT_EQ(com_fault, 0);
    EXPECT_TRUE(OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON_2));
    EXPECT_EQ(PanelByResource(PANEL_2), 0);
    EXPECT_EQ(com_port, 3);  // cancel keeps the port
    EXPECT_TRUE(ComIsOpen(3));
    EXPECT_TRUE(scripted::Messages().empty());
}

TEST_F(PortDialogTest, FailedOkKeepsTheDialogOpenAndAnotherNumberSucceeds)
{
    int dialog = OpenDialog();
    com_fault = 1;
    ASSERT_TRUE(ChoosePort(dialog, 7));
    EXPECT_EQ(com_fault, 0);
    ASSERT_EQ(scripted::Messages().size(), 1u);
    EXPECT_EQ(scripted::Messages()[0].title, "COM ERROR");
    EXPECT_EQ(scripted::Messages()[0].text, GetRS232ErrorString(RS232_PORT_NOT_FOUND));
    EXPECT_NE(scripted::Messages()[0].text.find("COM7"), string::npos);
    EXPECT_EQ(ActivePopup(), dialog);
    EXPECT_EQ(comopen, 1);
    EXPECT_EQ(com_port, 7);
    EXPECT_FALSE(ComIsOpen(3));

    ASSERT_TRUE(ChoosePort(dialog, 3));
    EXPECT_EQ(PanelByResource(PANEL_2), 0);
    EXPECT_EQ(comopen, 0);
    EXPECT_TRUE(ComIsOpen(3));
    EXPECT_EQ(scripted::Messages().size(), 1u);
}

TEST_F(PortDialogTest, HighestPortNumberIsTheOneTheSettingsFileCanHold)
{
    int dialog = OpenDialog();
    EXPECT_FALSE(OperatorSetValue(dialog, PANEL_2_NUMERIC, 256));
    EXPECT_FALSE(OperatorSetValue(dialog, PANEL_2_NUMERIC, 0));
    EXPECT_TRUE(ChoosePort(dialog, 255));  // no such port: the dialog stays open
    EXPECT_TRUE(OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON_2));
    EXPECT_TRUE(OperatorClosePanel(panel_handle));
    ResetUserInterface();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(com_port, 255);
}

TEST_F(PortDialogTest, CancelAfterAFailedOkLeavesNoPortAndTheNumberIsSaved)
{
    sim.backend.SetHeldElsewhere(true);
    int dialog = OpenDialog();
    ASSERT_TRUE(ChoosePort(dialog, 3));
    ASSERT_EQ(scripted::Messages().size(), 1u);
    EXPECT_NE(scripted::Messages()[0].text.find("in use"), string::npos);
    ASSERT_TRUE(ChoosePort(dialog, 9));
    EXPECT_TRUE(OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON_2));
    EXPECT_EQ(PanelByResource(PANEL_2), 0);
    EXPECT_FALSE(ComIsOpen(3));
    EXPECT_FALSE(ComIsOpen(9));
    EXPECT_EQ(comopen, 1);
    EXPECT_TRUE(OperatorClosePanel(panel_handle));
    EXPECT_EQ(zektest::ReadFile("config.ctc")[3], '\x09');
}

TEST_F(PortDialogTest, GermanDialogAndClosingAfterASuccessfulSwitch)
{
    sprache = 0;
    int dialog = OpenDialog();
    EXPECT_EQ(FindControl(dialog, PANEL_2_TEXTMSG)->text, "Serielle Schnittstelle wählen");
    EXPECT_EQ(FindControl(dialog, PANEL_2_COMMANDBUTTON_2)->label, "__Abbruch");
    ASSERT_TRUE(ChoosePort(dialog, 3));
    EXPECT_EQ(comopen, 0);
    com_off();
    EXPECT_FALSE(ComIsOpen(3));
    com_off();  // closing a closed port is harmless
    EXPECT_FALSE(scripted::WaitCursorOn());
}

using PortStartUpTest = zektest::ZekTest;

TEST_F(PortStartUpTest, PortThatCannotBeOpenedIsNotReportedAtStartUp)
{
    // No simulator: the termios backend finds neither COM200 nor /dev/ttyS199.
    zektest::WriteFile("config.ctc", string("\x00\x07\x07\xC8", 4));
    comopen = 1;
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(com_port, 200);
    EXPECT_FALSE(ComIsOpen(200));
    EXPECT_EQ(GetRs232Err(), RS232_PORT_NOT_FOUND);
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(comopen, 1);
}

}  // namespace
