// The operator's operations, one row each: where the operator finds an operation, what he
// does there, what it may ask him, what it is known to do, how often the seeded runs do it
// and how the fault matrix runs it. The fault matrix, the long run and the window soak all
// draw their operations from this table, so a new operation joins all three by one row.
#pragma once

#include <cstdint>
#include <ostream>
#include <random>
#include <span>
#include <vector>

namespace zektest {

enum class Panel { Main, Calibration };

// What the operator does on the panel.
enum class Gesture {
    Menu,      // chooses `target` from the main window's menu bar
    Ring,      // picks an entry of a ring
    Box,       // ticks or clears a check box
    Button,    // presses a command button
    Toggle,    // switches a toggle button
    Trim,      // sets a channel's gain numeric, or its offset numeric
    CloseBox,  // closes the panel
};

// What the operation may ask on the way; the suites answer before the gesture.
enum Asks : unsigned {
    kAsksPassword = 1u << 0,         // the calibration password
    kAsksSaveFirst = 1u << 1,        // whether to save the document first
    kAsksNameIfUnnamed = 1u << 2,    // a file to save to, when the document has no name
    kAsksDocumentToRead = 1u << 3,   // a document to open (the image is loaded, not sent)
    kAsksDocumentToWrite = 1u << 4,  // a file to save to, always
    kAsksSheetFile = 1u << 5,        // where the configuration sheet goes
    kOpensPortDialog = 1u << 6,      // the port dialog, answered after the gesture
    kAsksRestore = 1u << 7,          // closing calibration: whether to send back what the
                                     // calibration ranges replaced (only after some went out)
};

// What the operation is known to do.
enum Traits : unsigned {
    kEndsProgram = 1u << 0,
    kReportsResult = 1u << 1,         // ends with a message of its own when all went well
    kSavesUnderItsName = 1u << 2,     // writes the document under its current name
    kLoadsCalibrationRange = 1u << 3,  // sends range words that the image does not take
    kWritesRecord = 1u << 4,          // appends to the calibration record
    kLoadsDocument = 1u << 5,         // loads a document into the image, sends nothing
    kRemembersDocument = 1u << 6,     // a document opened or saved joins the recent list
};

// The fault matrix's fault-free steps before the operator acts.
enum class Preparation {
    None,
    DeviceModeByte,      // the device holds a mode byte the image does not
    DeviceRangeAndMode,  // the device holds a range byte and a mode byte the image does not
    CalibrationPanel,    // the calibration panel is open
    CalibrationTypeTwo,  // ... enabled, on thermocouple type 2
    Changed,             // an acknowledged change
    DocumentChanged,     // a document opened, then an acknowledged change
};

// One performance of an operation.
struct Step {
    int channel = 1;      // the channel row, from 1, of a per-channel control
    int value = 1;        // the value set or switched to
    bool offset = false;  // a trim of the offset instead of the gain
};

// How the fault matrix runs the operation on its 16-channel system.
struct MatrixCell {
    Preparation prepare = Preparation::None;
    Step step{};
    int frames = -1;   // frames sent without faults; -1: not in the matrix
    int faulted = 1;   // the frame (from 1) that a fault on the line hits
    int garbage = 0;   // the frame that a garbage reply hits, where it is not `faulted`
};

struct Operation {
    const char *name;
    Panel panel = Panel::Main;
    Gesture gesture = Gesture::Menu;
    int target = 0;                    // menu item or control
    const int *perChannel = nullptr;   // or one control per channel row, channel 1 first
    const int *offsets = nullptr;      // trims: the offset numerics beside the gain numerics
    unsigned asks = 0;
    unsigned traits = 0;
    double longRun = 0, soak = 0;      // weights in the seeded runs (0: not drawn)
    MatrixCell matrix{};
};

std::span<const Operation> Operations();
std::vector<const Operation *> MatrixOperations();
// An operation of the panel drawn by its weight (`&Operation::longRun` or `soak`).
const Operation &Draw(Panel panel, double Operation::*weight, std::mt19937_64 &rng);
// Words that an operation loading a calibration range sends without the image taking
// them (the calibration panel's OK re-reads the image): the 2 mV/V range words.
bool CalibrationRangeWord(int address);

// A number from the environment (the seeded runs' seed and length), else `fallback`.
std::uint64_t EnvNumber(const char *name, std::uint64_t fallback);

inline void PrintTo(const Operation *op, std::ostream *out) { *out << op->name; }

// The panel the operation is done on (0 when it is not open), the channel rows it may act
// on, and the control a step acts on.
int PanelOf(const Operation &op);
int ChannelRows(const Operation &op);
int ControlOf(const Operation &op, const Step &step);

// Does the step through the run-time's operator actions (the scripted front end).
bool Perform(const Operation &op, const Step &step);

}  // namespace zektest
