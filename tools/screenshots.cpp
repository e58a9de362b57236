// Writes the pictures of the documentation: the program runs on the Qt front end with
// the in-process simulator and the virtual clock, the operator's steps are played
// through the same Operator* functions as in the window tests, and each window or
// popup is grabbed into a PNG.
//   zek-screenshots <output folder>
#include <unistd.h>

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QLineEdit>
#include <QThread>
#include <QTreeView>
#include <QMessageBox>
#include <QPushButton>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "ui/window.h"
#include "app/shell.h"
#include "link/port_list.h"
#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/progress.h"
#include "platform/report.h"
#include "platform/frontend/qt/qt_internal.h"
#include "platform/userint.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"
#include "ui/uir.h"

namespace {

std::string outDir;
int failures = 0;
sim::Engine *simulator = nullptr;  // the simulator of the running program

void WriteFile(const std::string &name, const std::string &content)
{
    std::ofstream(name, std::ios::binary) << content;
}

void Shoot(int resource, const std::string &name)
{
    QCoreApplication::processEvents();
    platform::qt::PanelWindow *w = platform::qt::WindowOf(platform::PanelByResource(resource));
    std::string path = outDir + "/" + name;
    if (!w || !w->grab().save(QString::fromStdString(path))) {
        std::fprintf(stderr, "zek-screenshots: could not write %s\n", path.c_str());
        failures++;
        return;
    }
    std::printf("%s\n", path.c_str());
}

// Names of the pictures the next popups are grabbed into, one popup each.
std::deque<std::string> popupShots;

// A file dialog lists its folder in the background: wait a little for the listing.
void AwaitListing(QWidget *dialog)
{
    auto *view = dialog->findChild<QTreeView *>();
    QElapsedTimer waited;
    waited.start();
    while (view && view->model() && view->model()->rowCount(view->rootIndex()) == 0 &&
           waited.elapsed() < 3000) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    QCoreApplication::processEvents();
}

void ShootPopup(QWidget *dialog)
{
    if (popupShots.empty()) return;
    std::string path = outDir + "/" + popupShots.front();
    popupShots.pop_front();
    if (qobject_cast<QFileDialog *>(dialog)) AwaitListing(dialog);
    if (!dialog->grab().save(QString::fromStdString(path))) {
        std::fprintf(stderr, "zek-screenshots: could not write %s\n", path.c_str());
        failures++;
        return;
    }
    std::printf("%s\n", path.c_str());
}

// Answers popups as an operator would: the password prompt gets the password, file
// dialogs are cancelled, every other popup is confirmed.
void AnswerPopups(QWidget *dialog)
{
    ShootPopup(dialog);
    if (auto *files = qobject_cast<QFileDialog *>(dialog)) {
        files->reject();
        return;
    }
    if (auto *entry = dialog->findChild<QLineEdit *>()) entry->setText(QStringLiteral("vqd"));
    if (auto *box = qobject_cast<QMessageBox *>(dialog)) {
        QAbstractButton *yes = box->button(QMessageBox::Yes);
        (yes ? yes : box->buttons().first())->click();
        return;
    }
    static_cast<QDialog *>(dialog)->accept();
}

void Choose(int item) { platform::OperatorChooseMenu(GetPanelMenuBar(panel_handle), item); }

// The configuration sheet's first page as the program writes it: the PDF from the
// run-time layer's writer, rendered at 96 dots per inch by poppler's pdftoppm.
void ShootSheet(const std::string &name)
{
    const std::string path = outDir + "/" + name;
    const std::string pdf = path + ".pdf";
    const std::string stem = path.substr(0, path.size() - 4);  // pdftoppm adds ".png"
    const std::string render = "pdftoppm -png -r 96 -singlefile -f 1 -l 1 '" + pdf + "' '" + stem + "'";
    const bool written = WriteReportPdf(pdf.c_str(), configuration_sheet()) == 0 &&
                         std::system(render.c_str()) == 0;
    std::remove(pdf.c_str());
    if (!written) {
        std::fprintf(stderr, "zek-screenshots: could not write %s\n", path.c_str());
        failures++;
        return;
    }
    std::printf("%s\n", path.c_str());
}

// Runs the program once with the given settings; `steps` runs inside its event loop.
void RunProgram(int language, int rows, const std::function<void()> &steps)
{
    std::string dir = (std::filesystem::temp_directory_path() / "zek-screens-XXXXXX").string();
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) {
        failures++;
        return;
    }
    int device = rows == 16 ? 16 : 8;
    WriteFile("config.ctc", std::string{static_cast<char>(language), static_cast<char>(device - 1),
                                        static_cast<char>(rows - 1), 1});
    WriteFile("last.cfg", std::string(800, '0'));
    sim::Engine engine(device);
    sim::SimSerialBackend backend(engine, 1);
    simulator = &engine;
    platform::InstallSerialBackend(&backend);
    platform::UseVirtualClock();
    platform::ResetUserInterface();
    platform::ResetEventLoop();
    {
        platform::qt::ScopedFrontEnd frontEnd;
        platform::qt::SetDialogHook(AnswerPopups);
        platform::qt::SetRunStartedHook([steps] {
            steps();
            QuitUserInterface(0);
        });
        char arg0[] = "zek-config";
        char *argv[] = {arg0, nullptr};
        zek_main(1, argv);
    }
    simulator = nullptr;
    platform::ResetUserInterface();
    platform::ResetSerial();
    if (chdir("/") == 0) std::filesystem::remove_all(dir);
}

// A few channels set up the way an installation might be: ranges, a thermocouple
// channel (its box and button dimmed), half bridges.
void ConfigureChannels()
{
    const int ranges[] = {0, 3, 3, 6, 4, 5, 7, 1};
    for (int i = 0; i < 8; i++) platform::OperatorSetValue(panel_handle, panel_rings[i], ranges[i]);
    platform::OperatorSetValue(panel_handle, panel_checkbox[1], 1);
    platform::OperatorSetValue(panel_handle, panel_checkbox[4], 1);
}

// A lab PC as the port list sees it: one built-in port, an FTDI adapter and a
// serial-less CH340 adapter, in a device tree below the working directory.
void MakeLabPorts()
{
    namespace fs = std::filesystem;
    const std::string root = fs::current_path().string() + "/lab";
    auto file = [&](const std::string &path, const std::string &content) {
        fs::create_directories(fs::path(root + path).parent_path());
        WriteFile(root + path, content);
    };
    auto link = [&](const std::string &path, const std::string &target) {
        fs::create_directories(fs::path(root + path).parent_path());
        fs::create_symlink(target, root + path);
    };
    file("/sys/class/tty/ttyS0/type", "4");
    const char *usb[][5] = {{"ttyUSB0", "1-1", "FTDI", "FT232R USB UART", "A10KZ3F7"},
                            {"ttyUSB1", "1-2", "QinHeng", "USB Serial", ""}};
    for (const auto &u : usb) {
        const std::string dev = std::string("/sys/devices/usb1/") + u[1];
        file(dev + "/idVendor", "0403");
        file(dev + "/manufacturer", u[2]);
        file(dev + "/product", u[3]);
        if (*u[4]) file(dev + "/serial", u[4]);
        file(dev + "/" + u[1] + ":1.0/" + u[0] + "/uevent", "");
        link(std::string("/sys/class/tty/") + u[0] + "/device",
             "../../../devices/usb1/" + std::string(u[1]) + "/" + u[1] + ":1.0/" + u[0]);
        file(std::string("/dev/") + u[0], "");
    }
    file("/dev/ttyS0", "");
    link("/dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10KZ3F7-if00-port0", "../../ttyUSB0");
    link("/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", "../../ttyUSB1");
    set_port_list_root(root.c_str());
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: zek-screenshots <output folder>\n");
        return 2;
    }
    outDir = std::filesystem::absolute(argv[1]).string();
    QApplication app(argc, argv);
    platform::qt::ConfigureApplication();
    SetResourceDir(ZEK_UIR_DIR);

    RunProgram(0, 8, [] {
        ConfigureChannels();
        Shoot(PANEL, "main-window.png");
        MakeLabPorts();
        Choose(MENU_com_port);
        const int dialog = platform::PanelByResource(PANEL_2);
        platform::OperatorSetValue(dialog, PANEL_2_LISTBOX, 1);
        platform::OperatorSetValue(dialog, PANEL_2_NUMERIC, 3);
        Shoot(PANEL_2, "port-dialog.png");
        set_port_list_root(nullptr);
    });
    RunProgram(1, 16, [] {
        ConfigureChannels();
        Shoot(PANEL, "main-window-en-16.png");
    });
    RunProgram(0, 8, [] {
        Choose(MENU_cali);
        int cal = platform::PanelByResource(PANEL_3);
        platform::OperatorToggle(cal, PANEL_3_TOGGLEBUTTON_ACTIV, 1);
        Shoot(PANEL_3, "calibration-panel.png");
        // OK after calibration ranges went out asks whether to restore the channels.
        popupShots = {"restore-question-de.png"};
        platform::OperatorPressButton(cal, PANEL_3_COMMANDBUTTON);
    });
    RunProgram(0, 8, [] {
        Choose(MENU_info);
        Shoot(PANEL_5, "information-dialog.png");
    });
    // Popups and file dialogs in each language: New asks whether to save; Open shows the
    // configurations; Save as offers a name; the channel-count warning is the widest.
    RunProgram(0, 8, [] {
        popupShots = {"popup-de.png"};
        Choose(MENU_new);
        popupShots = {"open-dialog-de.png"};
        Choose(MENU_open);
        popupShots = {"warning-de.png"};
        Choose(MENU_4kanal);
    });
    RunProgram(1, 8, [] {
        popupShots = {"popup-en.png"};
        Choose(MENU_new);
        popupShots = {"save-dialog-en.png"};
        Choose(MENU_save_as);
        popupShots = {"warning-en.png"};
        Choose(MENU_4kanal);
    });
    // A download on the virtual clock, grabbed as channels 1, 6 and 12 start and after its
    // end; then the comparison with a device that differs in two places.
    RunProgram(1, 16, [] {
        Choose(MENU_read);
        ConfigureChannels();
        std::deque<std::pair<std::string, std::string>> moments = {
            {"channel 1 of", "download-progress-1.png"},
            {"channel 6 of", "download-progress-2.png"},
            {"channel 12 of", "download-progress-3.png"}};
        platform::qt::SetProgressHook([&moments] {
            const std::string line = platform::ProgressLine();
            if (moments.empty() || line.find(moments.front().first) == std::string::npos) return;
            const std::string name = moments.front().second;
            moments.pop_front();
            Shoot(PANEL, name);
        });
        Choose(MENU_down_load);
        platform::qt::SetProgressHook(nullptr);
        Shoot(PANEL, "download-finished.png");
        simulator->Poke(18, 0xB0);
        simulator->Poke(16 + 16 + 16 * 8 + 8 * 4 + 6, 0x34);
        popupShots = {"compare-dialog-en.png"};
        Choose(MENU_compare);
        ShootSheet("configuration-sheet-en-16.png");
    });
    return failures == 0 ? 0 : 1;
}
