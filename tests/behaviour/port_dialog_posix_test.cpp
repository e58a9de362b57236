// The port opened at start-up and the port selection dialog, over the in-process
// simulator serving one port number; its port list reads a device tree the test builds.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "link/protocol.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "link/port.h"
#include "link/port_list.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/progress.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/serial/ports.h"
#include "support/sim_env.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace {

using namespace platform;
using std::string;
namespace fs = std::filesystem;

constexpr const char *kById = "/dev/serial/by-id/usb-FTDI_FT232R USB UART_A1B2-if00-port0";

// A computer with a real ttyS0, the placeholder ttyS1, an FTDI adapter (its by-id name
// has spaces), a serial-less ACM adapter reached by-path, and a by-id link left behind
// by an adapter whose node is gone.
void MakeDeviceTree(const string &root)
{
    auto file = [&](const string &path, const string &content) {
        fs::create_directories(fs::path(root + path).parent_path());
        zektest::WriteFile(root + path, content);
    };
    auto link = [&](const string &path, const string &target) {
        fs::create_directories(fs::path(root + path).parent_path());
        fs::create_symlink(target, root + path);
    };
    file("/sys/class/tty/ttyS0/type", "4\n");
    file("/sys/class/tty/ttyS1/type", "0\n");
    file("/sys/devices/usb1/1-1/idVendor", "0403\n");
    file("/sys/devices/usb1/1-1/manufacturer", "FTDI\n");
    file("/sys/devices/usb1/1-1/product", "FT232R USB UART\n");
    file("/sys/devices/usb1/1-1/serial", "A1B2\n");
    file("/sys/devices/usb1/1-1/1-1:1.0/ttyUSB0/uevent", "");
    file("/sys/devices/usb1/1-2/idVendor", "2341\n");
    file("/sys/devices/usb1/1-2/product", "Uno\n");
    file("/sys/devices/usb1/1-2/1-2:1.0/uevent", "");
    link("/sys/class/tty/ttyUSB0/device", "../../../devices/usb1/1-1/1-1:1.0/ttyUSB0");
    link("/sys/class/tty/ttyACM0/device", "../../../devices/usb1/1-2/1-2:1.0");
    link("/sys/class/tty/ttyUSB1/device", "../../../devices/usb1/1-3/1-3:1.0/ttyUSB1");
    for (const char *node : {"/dev/ttyS0", "/dev/ttyS1", "/dev/ttyUSB0", "/dev/ttyACM0"})
        file(node, "");
    link(kById, "../../ttyUSB0");
    link("/dev/serial/by-id/usb-Gone_Adapter-if00-port0", "../../ttyUSB1");
    link("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0", "../../ttyACM0");
}

class PortDialogTest : public zektest::ZekTest {
protected:
    PortDialogTest() : sim(3) {}
    void SetUp() override
    {
        ZekTest::SetUp();
        root = dir + "/root";
        MakeDeviceTree(root);
        set_port_list_root(root.c_str());
        comopen = 1;
        com_fault = 0;
        zektest::WriteSettings({.language = 1, .port = 3});
        ASSERT_EQ(StartUp(), 0);
        scripted::ClearJournal();
    }
    int OpenDialog()
    {
        EXPECT_TRUE(OperatorChooseMenu(menubar_handle, MENU_com_port));
        return PanelByResource(PANEL_2);
    }
    void TearDown() override
    {
        set_port_list_root(nullptr);
        ZekTest::TearDown();
    }
    bool ChoosePort(int dialog, int port)
    {
        return OperatorSetValue(dialog, PANEL_2_NUMERIC, port) &&
               OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON);
    }
    // Picks the list entry whose label begins with `name`.
    bool Select(int dialog, const string &name)
    {
        const Control *list = FindControl(dialog, PANEL_2_LISTBOX);
        for (size_t i = 0; i < list->items.size(); ++i)
            if (list->items[i].label.rfind(name, 0) == 0)
                return OperatorSetValue(dialog, PANEL_2_LISTBOX, static_cast<int>(i));
        return false;
    }
    bool ChooseListed(int dialog, const string &name, int port)
    {
        return Select(dialog, name) && ChoosePort(dialog, port);
    }
    string root;
    zektest::SimEnv sim;
};

TEST_F(PortDialogTest, StartUpOpensThePortQuietlyAndTheDialogShowsIt)
{
    EXPECT_TRUE(ComIsOpen(3));
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

TEST_F(PortDialogTest, ListShowsRealPortsAdaptersAndComLinks)
{
    ASSERT_EQ(symlink("/nowhere/ttyUSB7", "COM5"), 0);
    // Names that port numbers never open: listed, they would stand for another port.
    for (const char *other : {"COM01", "COM005", "COM0", "COM256", "COM1000", "COM1a"})
        ASSERT_EQ(symlink("/dev/null", other), 0) << other;
    std::vector<SerialPortInfo> ports = ListSerialPorts(root, ".");
    ASSERT_EQ(ports.size(), 4u);  // not the placeholder ttyS1, not the unplugged ttyUSB1
    EXPECT_EQ(ports[0].name, "ttyS0");
    EXPECT_EQ(ports[0].port, 1);
    EXPECT_EQ(ports[1].name, "ttyACM0");
    EXPECT_EQ(ports[1].serial, "");
    EXPECT_EQ(ports[1].stable, root + "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0");
    EXPECT_EQ(ports[2].name, "ttyUSB0");
    EXPECT_EQ(ports[2].kind, SerialPortKind::UsbAdapter);
    EXPECT_EQ(ports[2].maker + "|" + ports[2].product + "|" + ports[2].serial,
              "FTDI|FT232R USB UART|A1B2");
    EXPECT_EQ(ports[2].stable, root + kById);
    EXPECT_EQ(ports[3].name, "COM5");
    EXPECT_FALSE(ports[3].present);

    int dialog = OpenDialog();
    EXPECT_EQ(FindControl(dialog, PANEL_2_LISTBOX)->items.size(), 4u);
    EXPECT_TRUE(Select(dialog, "COM1"));  // a built-in port brings its number
    EXPECT_EQ(FindControl(dialog, PANEL_2_NUMERIC)->value, 1);
}

TEST_F(PortDialogTest, ChosenAdapterIsLinkedAsTheNumberInTheField)
{
    ASSERT_EQ(symlink("/dev/ttyUSB5", "COM3"), 0);  // an earlier link is replaced
    int dialog = OpenDialog();
    ASSERT_TRUE(ChooseListed(dialog, "ttyUSB0", 3));
    EXPECT_EQ(fs::read_symlink("COM3").string(), root + kById);
    EXPECT_EQ(PanelByResource(PANEL_2), 0);
    EXPECT_TRUE(ComIsOpen(3));
    EXPECT_TRUE(scripted::Messages().empty());
    // The status line names the device behind the link and the adapter's product.
    const string status = PortStatus();
    EXPECT_EQ(status.rfind("COM3: " + fs::canonical(root + "/dev/ttyUSB0").string() +
                               " (FT232R USB UART), 4800 8N2, ", 0),
              0u)
        << status;
}

TEST_F(PortDialogTest, AdapterThatCannotBeLinkedLeavesThePreviousPortOpen)
{
    zektest::WriteFile("COM4", "notes");
    int dialog = OpenDialog();
    ASSERT_TRUE(ChooseListed(dialog, "ttyUSB0", 4));  // COM4 is a file: refused
    fs::remove(root + "/dev/ttyUSB0");                 // unplugged while the dialog is open
    ASSERT_TRUE(ChooseListed(dialog, "ttyUSB0", 5));
    fs::remove(root + "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0");
    fill_port_list(dialog);
    ASSERT_TRUE(ChooseListed(dialog, "ttyACM0", 6));  // no stable name at all

    std::vector<string> messages = MessageList();
    ASSERT_EQ(messages.size(), 3u);
    EXPECT_NE(messages[0].find("COM4 in the working folder is a file"), string::npos);
    EXPECT_NE(messages[1].find("no longer plugged in: ttyUSB0"), string::npos) << messages[1];
    EXPECT_NE(messages[2].find("no lasting name"), string::npos) << messages[2];
    EXPECT_EQ(zektest::ReadFile("COM4"), "notes");
    EXPECT_FALSE(zektest::FileExists("COM5") || zektest::FileExists("COM6"));
    EXPECT_EQ(FindControl(dialog, PANEL_2_LISTBOX)->items.size(), 2u);  // renewed list
    EXPECT_EQ(ActivePopup(), dialog);
    EXPECT_EQ(com_port, 3);
    EXPECT_TRUE(ComIsOpen(3));
}

// As a user outside the device's group, in a working folder it may not write.
TEST_F(PortDialogTest, ForbiddenDeviceAndUnwritableFolderNameTheirRemedy)
{
    const bool asRoot = geteuid() == 0;
    const string group = asRoot ? "dialout" : "[a-z_]+";
    ASSERT_EQ(chmod(dir.c_str(), asRoot ? 0755 : 0555), 0);
    const string node = root + "/dev/ttyUSB0";
    if (asRoot) {
        ASSERT_EQ(chown(node.c_str(), 0, 20), 0);  // Debian's dialout
    }
    ASSERT_EQ(chmod(node.c_str(), asRoot ? 0660 : 0), 0);
    ASSERT_EQ(chmod((root + "/dev/ttyACM0").c_str(), 0666), 0);
    int dialog = OpenDialog();
    EXPECT_EXIT({
        if (asRoot && (setgid(65534) != 0 || setuid(65534) != 0)) std::exit(9);
        ChooseListed(dialog, "ttyUSB0", 4);
        ChooseListed(dialog, "ttyACM0", 4);
        for (const string &m : MessageList()) std::fprintf(stderr, "message: %s\n", m.c_str());
        std::exit(static_cast<int>(scripted::Messages().size()));
    }, ::testing::ExitedWithCode(2),
       "may not open this port: [^\n]*ttyUSB0(.|\n)*group " + group + "(.|\n)*usermod -aG " +
           group + " (.|\n)*log in again(.|\n)*COM4 could not be created in the working folder");
    ASSERT_EQ(chmod(dir.c_str(), 0700), 0);
}

using PortStartUpTest = zektest::ZekTest;

TEST_F(PortStartUpTest, PortThatCannotBeOpenedIsNotReportedAtStartUp)
{
    // No simulator: the termios backend finds neither COM200 nor /dev/ttyS199.
    zektest::WriteSettings({.port = 200});
    comopen = 1;
    ASSERT_EQ(StartUp(), 0);
    EXPECT_EQ(com_port, 200);
    EXPECT_FALSE(ComIsOpen(200));
    EXPECT_EQ(GetRs232Err(), RS232_PORT_NOT_FOUND);
    EXPECT_TRUE(scripted::Messages().empty());
    EXPECT_EQ(comopen, 1);
}

}  // namespace
