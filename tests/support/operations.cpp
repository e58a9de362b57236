#include "support/operations.h"

#include <algorithm>
#include <cstdlib>

#include "calibration/calibration.h"
#include "channels/image.h"
#include "platform/frontend.h"
#include "platform/userint.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace zektest {

namespace {

using P = Preparation;

// Main-window rows first, in the long run's order of drawing; the matrix's cells name the
// channel and value of their act, the frames they send and the frame a fault hits.
constexpr Operation kOperations[] = {
    {.name = "RangeChange", .gesture = Gesture::Ring, .perChannel = panel_rings,
     .longRun = 20, .soak = 25,  // the mode byte and the offset's low byte acknowledged
     .matrix = {.step = {2, 3}, .frames = 6, .faulted = 3}},
    {.name = "HalfBridge", .gesture = Gesture::Box, .perChannel = panel_checkbox,
     .longRun = 10, .soak = 10, .matrix = {.step = {3, 1}, .frames = 2, .faulted = 1}},
    {.name = "AutoZero", .gesture = Gesture::Button, .perChannel = panel_command_button,
     .longRun = 6, .soak = 7, .matrix = {.step = {4, 0}, .frames = 1}},
    {.name = "CalibrationSignal", .gesture = Gesture::Toggle, .target = PANEL_TOGGLEBUTTON,
     .longRun = 6, .soak = 7, .matrix = {.frames = 1}},
    {.name = "Upload", .target = MENU_read, .longRun = 5, .soak = 3.3,
     .matrix = {.prepare = P::DeviceModeByte, .frames = 1}},
    {.name = "Download", .target = MENU_down_load, .longRun = 2, .soak = 3.3,
     .matrix = {.prepare = P::DeviceRangeAndMode, .frames = 107, .faulted = 54}},  // channel 9
    {.name = "CalibrationPanel", .target = MENU_cali, .asks = kAsksPassword, .longRun = 3,
     .soak = 3.3},
    {.name = "New", .target = MENU_new, .asks = kAsksSaveFirst | kAsksNameIfUnnamed,
     .traits = kSavesUnderItsName | kRemembersDocument, .longRun = 3, .soak = 3.3,
     .matrix = {.prepare = P::DocumentChanged, .frames = 0}},
    {.name = "Compare", .target = MENU_compare, .traits = kReportsResult, .longRun = 2,
     .matrix = {.prepare = P::DeviceRangeAndMode, .frames = 1}},
    {.name = "SendChanges", .target = MENU_send_changes, .traits = kReportsResult,
     .longRun = 3,  // channel 9's first range byte, after the read
     .matrix = {.prepare = P::DeviceRangeAndMode, .frames = 16, .faulted = 4}},
    {.name = "Open", .target = MENU_open, .asks = kAsksDocumentToRead,
     .traits = kLoadsDocument | kRemembersDocument, .longRun = 4, .soak = 3.3,
     .matrix = {.prepare = P::Changed, .frames = 0}},
    {.name = "OpenRecent", .target = MENU_recent_1, .traits = kLoadsDocument | kRemembersDocument,
     .longRun = 2, .soak = 2, .matrix = {.prepare = P::DocumentChanged, .frames = 0}},
    {.name = "Save", .target = MENU_save, .asks = kAsksNameIfUnnamed,
     .traits = kSavesUnderItsName | kRemembersDocument, .longRun = 4, .soak = 3.3,
     .matrix = {.prepare = P::DocumentChanged, .frames = 0}},
    {.name = "SaveAs", .target = MENU_save_as, .asks = kAsksDocumentToWrite,
     .traits = kRemembersDocument, .longRun = 3,
     .soak = 3.3, .matrix = {.prepare = P::Changed, .frames = 0}},
    {.name = "PortDialog", .target = MENU_com_port, .asks = kOpensPortDialog, .longRun = 2,
     .soak = 3.3},
    {.name = "German", .target = MENU_sprache_d, .longRun = 0.5, .soak = 3.3},
    {.name = "English", .target = MENU_sprache_e, .longRun = 0.5, .soak = 3.3},
    {.name = "Exit", .gesture = Gesture::CloseBox, .traits = kEndsProgram, .longRun = 0.15,
     .soak = 1, .matrix = {.prepare = P::Changed, .frames = 0}},
    {.name = "Quit", .target = MENU_quit, .traits = kEndsProgram, .longRun = 0.15, .soak = 1,
     .matrix = {.prepare = P::Changed, .frames = 0}},
    {.name = "CalibrationRecord", .target = MENU_cal_record, .longRun = 1},
    {.name = "ConfigurationSheet", .target = MENU_config_sheet, .asks = kAsksSheetFile,
     .longRun = 1},
    {.name = "FourChannels", .target = MENU_4kanal, .traits = kEndsProgram, .soak = 1},
    {.name = "EightChannels", .target = MENU_8kanal, .traits = kEndsProgram, .soak = 1},
    {.name = "SixteenChannels", .target = MENU_16kanal, .traits = kEndsProgram, .soak = 1},
    {.name = "Information", .target = MENU_info, .soak = 3.3},
    {.name = "Undo", .target = MENU_undo, .longRun = 4, .soak = 3.3,
     .matrix = {.prepare = P::Changed, .frames = 2}},
    {.name = "Redo", .target = MENU_redo, .longRun = 2, .soak = 2},

    // The calibration panel (modal while it is open).
    {.name = "CalibrationLoad", .panel = Panel::Calibration, .gesture = Gesture::Toggle,
     .target = PANEL_3_TOGGLEBUTTON_ACTIV, .traits = kLoadsCalibrationRange | kWritesRecord,
     .longRun = 5, .soak = 3,  // channel 5's mode byte, after the re-read
     .matrix = {.prepare = P::CalibrationPanel, .frames = 33, .faulted = 10, .garbage = 1}},
    {.name = "CalibrationRange", .panel = Panel::Calibration, .gesture = Gesture::Ring,
     .target = PANEL_3_RING_Cali_Sel, .traits = kLoadsCalibrationRange | kWritesRecord,
     .longRun = 5, .soak = 3},
    // The low byte first: both bytes must stay. Garbage in reply to the high byte's
    // write frame must not be covered by the D's "OK".
    {.name = "CalibrationTrim", .panel = Panel::Calibration, .gesture = Gesture::Trim,
     .perChannel = panel_numeric_gain, .offsets = panel_numeric_off, .traits = kWritesRecord,
     .longRun = 20, .soak = 11,
     .matrix = {.prepare = P::CalibrationTypeTwo, .step = {16, 300}, .frames = 3,
                .garbage = 2}},
    {.name = "CalibrationOK", .panel = Panel::Calibration, .gesture = Gesture::Button,
     .target = PANEL_3_COMMANDBUTTON, .longRun = 2, .soak = 2,
     .matrix = {.prepare = P::CalibrationPanel, .frames = 1}},  // the re-read before closing
    {.name = "CalibrationClose", .panel = Panel::Calibration, .gesture = Gesture::CloseBox,
     .longRun = 2, .soak = 1},
    // OK answered Yes: every channel the calibration ranges switched goes back in the
    // download's frames, then the read-back.
    {.name = "CalibrationRestore", .panel = Panel::Calibration, .gesture = Gesture::Button,
     .target = PANEL_3_COMMANDBUTTON, .asks = kAsksRestore, .traits = kWritesRecord,
     .longRun = 2, .soak = 2,  // channel 9's first range byte; garbage: the read-back
     .matrix = {.prepare = P::CalibrationTypeTwo, .frames = 108, .faulted = 54,
                .garbage = 108}},
};

}  // namespace

std::span<const Operation> Operations() { return kOperations; }

std::vector<const Operation *> MatrixOperations()
{
    std::vector<const Operation *> out;
    for (const Operation &op : kOperations)
        if (op.matrix.frames >= 0) out.push_back(&op);
    return out;
}

const Operation &Draw(Panel panel, double Operation::*weight, std::mt19937_64 &rng)
{
    double total = 0;
    for (const Operation &op : kOperations) total += op.panel == panel ? op.*weight : 0;
    double r = std::uniform_real_distribution<double>(0, total)(rng);
    const Operation *last = nullptr;
    for (const Operation &op : kOperations) {
        if (op.panel != panel || op.*weight <= 0) continue;
        if (r < op.*weight) return op;
        r -= op.*weight;
        last = &op;
    }
    return *last;
}

bool CalibrationRangeWord(int address)
{
    const int first = block_address(0, 0), offset = (address - first) % BLOCK_SIZE;
    return address >= first && address < block_address(1, 0) && offset >= OFF_RANGE_OFFSET &&
           offset < OFF_CAL_GAIN;
}

std::uint64_t EnvNumber(const char *name, std::uint64_t fallback)
{
    const char *text = std::getenv(name);
    return text && *text ? std::strtoull(text, nullptr, 0) : fallback;
}

int PanelOf(const Operation &op)
{
    return op.panel == Panel::Main ? panel_handle : cali_panel_handle;
}

// The calibration panel has rows only for channels the device has.
int ChannelRows(const Operation &op)
{
    return op.panel == Panel::Main ? Kanalzahl_GUI : std::min(Kanalzahl, Kanalzahl_GUI);
}

int ControlOf(const Operation &op, const Step &step)
{
    if (!op.perChannel) return op.target;
    return (step.offset ? op.offsets : op.perChannel)[step.channel - 1];
}

bool Perform(const Operation &op, const Step &step)
{
    const int panel = PanelOf(op), control = ControlOf(op, step);
    switch (op.gesture) {
    case Gesture::Menu: return platform::OperatorChooseMenu(GetPanelMenuBar(panel_handle), op.target);
    case Gesture::Ring:
    case Gesture::Box:
    case Gesture::Trim: return platform::OperatorSetValue(panel, control, step.value);
    case Gesture::Button: return platform::OperatorPressButton(panel, control);
    case Gesture::Toggle: return platform::OperatorToggle(panel, control, step.value);
    case Gesture::CloseBox: return platform::OperatorClosePanel(panel);
    }
    return false;
}

}  // namespace zektest
