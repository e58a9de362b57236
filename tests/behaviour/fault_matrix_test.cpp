// Fault matrix: every operator operation under every fault, one test case per cell. Each
// cell starts the program on a 16-channel system whose device, exit backup and
// acknowledged state agree, prepares the operation without faults, arms the fault and
// lets the operator act once. Every cell checks the same invariants, also where the fault
// cannot reach the operation:
//  - the operation ran (no crash) and showed at most one "COM ERROR";
//  - after a failed acknowledgement the image is the last acknowledged state, and the
//    window shows it, the calibration signal toggle and the calibration rows included;
//  - a memory reply that cannot be read is reported, and nothing is sent after it;
//  - image and device agree on every byte the operation wrote or left alone, except the
//    one whose frame went unanswered (the device may or may not have taken it);
//  - "last.cfg" and "temp.ctc" hold their old text or a whole new 800-character text at
//    every frame and message, and "temp.ctc" ends up holding the acknowledged state;
//  - nothing but the backups, the settings file, the chosen document and (for an
//    operation that opens or saves one) the recent documents in the state file was written;
//  - after a fault on the line, the next exchange reads its own reply.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <ostream>
#include <string>
#include <tuple>
#include <vector>

#include "behaviour/hardening_fixture.h"
#include "support/operations.h"
#include "calibration/calibration.h"
#include "link/port.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/state.h"
#include "ui/texts.h"

namespace {

using namespace hardening;
using namespace zektest;
using platform::scripted::AnswerConfirm;
using platform::scripted::AnswerFileSelect;
using platform::scripted::AnswerPrompt;

enum class Fault {
    None,
    NoReply,
    Error,
    Garbage,
    Overlong,
    Hangup,
    MissingPort,
    UnwritableDirectory,
    DiskFailsWrites,
};

struct FaultCase {
    Fault fault;
    const char *name;
};
const FaultCase kFaults[] = {{Fault::None, "NoFault"},
                             {Fault::NoReply, "NoReply"},
                             {Fault::Error, "ErrorReply"},
                             {Fault::Garbage, "GarbageReply"},
                             {Fault::Overlong, "OverlongReply"},
                             {Fault::Hangup, "HangupInTheMiddle"},
                             {Fault::MissingPort, "MissingPort"},
                             {Fault::UnwritableDirectory, "UnwritableWorkingDirectory"},
                             {Fault::DiskFailsWrites, "DiskFailsWrites"}};

void PrintTo(const FaultCase &f, std::ostream *out) { *out << f.name; }

// The system of every cell: the simulator's 16-channel factory image with channel 2 on
// thermocouple type 1, so that a range change alters mode byte and range words.
Image CellImage()
{
    Image image = ImageOf(sim::FactoryImage(16));
    image[17] = MODE_BYTE_TE_1;
    return image;
}

// The document that Open reads: channel 3 thermocouple type 2, channel 4 half bridge,
// channel 6 at 8 mV/V.
Image DocumentImage()
{
    Image image = CellImage();
    image[18] = MODE_BYTE_TE_2;
    image[19] = MODE_BYTE_HALF_BRIDGE;
    const int a = block_address_k(16, 0, 5) + OFF_RANGE_OFFSET;
    image[static_cast<size_t>(a + 1)] = 0x08;
    image[static_cast<size_t>(a + 3)] = 0x04;
    return image;
}

class FaultMatrix : public HardeningTest,
                    public ::testing::WithParamInterface<std::tuple<const Operation *, FaultCase>> {
protected:
    const Operation *op = nullptr;
    Fault fault = Fault::None;
    std::string chosen, saved;     // the documents the operation may write
    std::string oldLast, oldTemp;  // the backups before the operation
    bool hadLast = false, hadTemp = false;
    long recordBefore = 0;        // lines of the calibration record before the operation
    std::string backupViolation;  // first moment a backup held a torn text
    int firstFrame = 0;           // device frame count before the operation
    int cp = 0;                   // calibration panel

    void SetUp() override
    {
        HardeningTest::SetUp();
        op = std::get<0>(GetParam());
        fault = std::get<1>(GetParam()).fault;
        chosen = docs + "/chosen.cfg";
        saved = docs + "/saved.cfg";
        zektest::WriteFile(chosen, TextOf(DocumentImage()));
        zektest::WriteFile(docs + "/other.cfg", TextOf(CellImage()));
        zektest::WriteFile(base + "/bystander.txt", "not the program's\n");
        zektest::WriteFile(work + "/keep.cfg", TextOf(CellImage()));
    }

    void TearDown() override
    {
        platform::InjectFileWriteFailure(false);
        HardeningTest::TearDown();
    }

    // --- the operations -----------------------------------------------------------------

    bool SetBox(int n, int value)
    {
        return platform::OperatorSetValue(panel_handle, panel_checkbox[n - 1], value);
    }

    void OpenCalibrationPanel()
    {
        AnswerPrompt("vqd");
        ASSERT_TRUE(Menu(MENU_cali));
        cp = platform::PanelByResource(PANEL_3);
        ASSERT_NE(cp, 0);
    }

    // Fault-free preparation: whatever the operation needs before the operator's act.
    void Prepare()
    {
        switch (op->matrix.prepare) {
        case Preparation::None: break;
        case Preparation::DeviceModeByte: engine.Poke(20, MODE_BYTE_TE_2); break;
        case Preparation::DeviceRangeAndMode:
            engine.Poke(block_address_k(16, 0, 8) + OFF_RANGE_OFFSET + 1, 0x04);
            engine.Poke(25, MODE_BYTE_HALF_BRIDGE);
            break;
        case Preparation::CalibrationPanel: OpenCalibrationPanel(); break;
        case Preparation::CalibrationTypeTwo:
            OpenCalibrationPanel();
            ASSERT_TRUE(platform::OperatorToggle(cp, PANEL_3_TOGGLEBUTTON_ACTIV, 1));
            ASSERT_TRUE(platform::OperatorSetValue(cp, PANEL_3_RING_Cali_Sel, 1));  // type 2
            break;
        case Preparation::DocumentChanged:
            AnswerFileSelect(1, chosen);
            ASSERT_TRUE(Menu(MENU_open));
            ASSERT_TRUE(SetBox(5, 1));  // an acknowledged change after opening
            break;
        case Preparation::Changed: ASSERT_TRUE(SetBox(5, 1)); break;
        }
    }

    // The operator's act, with what it asks answered: save first, the chosen document to
    // open, the new name to save under, the restore after calibration (asked only once a
    // calibration range went out; a Yes left unasked would answer a later question).
    bool Act()
    {
        if (op->asks & kAsksSaveFirst) AnswerConfirm(1);
        if ((op->asks & kAsksRestore) && cali_loaded_range >= 0) AnswerConfirm(1);
        if (op->asks & kAsksDocumentToRead) AnswerFileSelect(1, chosen);
        if (op->asks & kAsksDocumentToWrite) AnswerFileSelect(1, saved);
        return Perform(*op, op->matrix.step);
    }

    // --- the faults ---------------------------------------------------------------------

    // Garbage in reply to a write changes nothing; in reply to the re-read that enabling
    // starts with, it must stop the enabling.
    int FaultedFrame() const
    {
        if (fault == Fault::Garbage && op->matrix.garbage > 0) return op->matrix.garbage;
        return op->matrix.faulted;
    }

    void Arm()
    {
        const int at = firstFrame + FaultedFrame();
        switch (fault) {
        case Fault::None: break;
        case Fault::NoReply: engine.AddFault({sim::FaultKind::NoReply, at}); break;
        case Fault::Error: engine.AddFault({sim::FaultKind::Error, at}); break;
        case Fault::Garbage: engine.AddFault({sim::FaultKind::Garbage, at}); break;
        case Fault::Overlong: engine.AddFault({sim::FaultKind::Overlong, at}); break;
        case Fault::Hangup: engine.AddFault({sim::FaultKind::Hangup, at}); break;
        case Fault::MissingPort:
            // The device is gone from its port number: the start-up's open fails, as on a
            // machine where the configured port does not exist.
            CloseCom(com_port);
            simBackend->SetPort(com_port + 1);
            com_on();
            ASSERT_FALSE(platform::ComIsOpen(com_port));
            break;
        case Fault::UnwritableDirectory:
            // Removed under the program: nothing can be created there, whoever runs the test.
            // Windows keeps a working directory in use (EACCES): the fault cannot be made.
            for (const char *name : {"last.cfg", "temp.ctc", "config.ctc", "keep.cfg"})
                ASSERT_EQ(unlink(name), 0) << name;
            std::filesystem::remove(cal_record_file);  // the preparation's calibration lines
            std::filesystem::remove(platform::kStateFile);  // its recent documents
            if (rmdir(work.c_str()) != 0 && errno == EACCES)
                GTEST_SKIP() << "this system does not remove a working directory in use";
            ASSERT_FALSE(std::filesystem::exists(work));
            break;
        case Fault::DiskFailsWrites: platform::InjectFileWriteFailure(true); break;
        }
    }

    // --- the checks ---------------------------------------------------------------------

    // Each backup holds its text from before the operation or a whole new one.
    void CheckBackups(const char *when)
    {
        if (!backupViolation.empty()) return;
        const struct {
            const char *name;
            bool had;
            const std::string &old;
        } backups[] = {{"last.cfg", hadLast, oldLast}, {"temp.ctc", hadTemp, oldTemp}};
        for (const auto &b : backups) {
            const bool exists = zektest::FileExists(b.name);
            const std::string text = exists ? zektest::ReadFile(b.name) : "";
            if (!exists && !b.had) continue;
            if (exists && ((b.had && text == b.old) || IsConfigText(text))) continue;
            backupViolation = std::string(b.name) +
                              (exists ? " holds \"" + text.substr(0, 40) + "\"" : " vanished") +
                              " " + when;
        }
    }

    // Allowed to change: the backups, the settings file and the operation's documents.
    static long RecordLineCount()
    {
        const std::string text = zektest::ReadFile(cal_record_file);
        return static_cast<long>(std::count(text.begin(), text.end(), '\n'));
    }

    void ExpectRecordLines()
    {
        long sent = 0;  // channel switches that went out: mode byte frames
        for (const std::string &f : watch.frames)
            sent += f.size() == 7 && f.compare(0, 3, "001") == 0 && f.back() == 'W';
        const long after = RecordLineCount();
        const long added = after - recordBefore - (recordBefore == 0 && after > 0 ? 1 : 0);
        // Without a port the first switch goes nowhere: its line tells no reply came.
        const long unsent = fault == Fault::MissingPort && sent == 0 && added == 1 ? 1 : 0;
        EXPECT_EQ(added, op->gesture == Gesture::Trim ? 1 : sent + unsent) << "record lines";
        if (added <= 0) return;
        const std::string text = zektest::ReadFile(cal_record_file);
        const size_t end = text.rfind("\r\n"), start = text.rfind(',', end);
        const std::string outcome = text.substr(start + 1, end - start - 1);
        if (watch.failedAcks + watch.unreadableAcks + unsent > 0) {
            EXPECT_NE(outcome, txt::record_acknowledged.de)
                << "a write not answered \"OK\" recorded as acknowledged";
        } else if (watch.oks > 0) {  // the device answered every frame "OK"
            EXPECT_EQ(outcome, txt::record_acknowledged.de);
        }
    }

    bool WritesRecord() const { return op->traits & kWritesRecord; }

    bool MayChange(const std::string &path) const
    {
        if (path == chosen && (op->traits & kSavesUnderItsName)) return true;
        if (WritesRecord() && (path == cal_record_file || path == work + "/" + cal_record_file))
            return true;
        if (path == saved && (op->asks & kAsksDocumentToWrite)) return true;
        if (path == work + "/" + platform::kStateFile && (op->traits & kRemembersDocument)) return true;
        for (const char *name : {"last.cfg", "temp.ctc", "config.ctc"})
            if (path == work + "/" + name) return true;
        return false;
    }

    bool MayWrite(const std::string &name) const
    {
        return name == "last.cfg" || name == "temp.ctc" || name == "config.ctc" || MayChange(name);
    }

    // Image and device agree after the operation wherever they agreed before it and on
    // every byte it wrote. Left out: the byte whose frame went unanswered (the device may
    // or may not have taken it, the program cannot know), and Open and its recent
    // documents, which load a document into the image and send nothing.
    void ExpectImageAgreesWithDevice(const std::vector<bool> &agreedBefore)
    {
        if (op->traits & kLoadsDocument) return;
        const bool unknown = fault == Fault::NoReply || fault == Fault::Hangup;
        const int faulted = unknown ? op->matrix.faulted : 0;
        std::vector<bool> check = agreedBefore;
        int skipped = -1;
        for (size_t k = 0; k < watch.frames.size(); k++) {
            const int a = WriteAddress(watch.frames[k]);
            if (a < 0) continue;
            if (static_cast<int>(k) + 1 == faulted) {
                skipped = a;
            } else {
                check[static_cast<size_t>(a)] = true;
            }
        }
        for (int a = 0; a < 512; a++) {
            if (!check[static_cast<size_t>(a)] || a == skipped) continue;
            EXPECT_EQ(aktuelle_daten[a], engine.Peek(a)) << "address " << a;
        }
    }

    static std::vector<bool> AgreeingAddresses(const sim::Engine &device)
    {
        std::vector<bool> agree(512);
        for (int a = 0; a < 512; a++)
            agree[static_cast<size_t>(a)] = aktuelle_daten[a] == device.Peek(a);
        return agree;
    }

    // Calibration rows whose numerics differ from the image's words of the ring's bank.
    std::string CaliRowsDifferingFromImage() const
    {
        if (platform::PanelByResource(PANEL_3) == 0) return "";
        int value = 0;
        GetCtrlVal(cp, PANEL_3_RING_Cali_Sel, &value);
        const int bank = value == 64 ? 1 : (value == 128 ? 2 : 0);
        const int base[3] = {f_o_1, f_o_2, f_o_3};
        std::string out;
        for (int i = 0; i < Kanalzahl; i++) {
            const int a = block_address(bank, i);
            const int off = image_word(a + OFF_CAL_OFFSET) - base[bank];
            const int gain = image_word(a + OFF_CAL_GAIN) - CALI_GAIN_BASE;
            if (platform::FindControl(cp, panel_numeric_off[i])->value != off ||
                platform::FindControl(cp, panel_numeric_gain[i])->value != gain)
                out += "row " + std::to_string(i + 1) + " ";
        }
        return out;
    }

    // The link after the fault: the next exchange, refused by the device, must be
    // reported, which it is only if the wait reads the reply to its own frame.
    void ExpectNextExchangeReadsItsOwnReply()
    {
        engine.ClearFaults();
        platform::InjectFileWriteFailure(false);
        platform::scripted::ClearJournal();
        const int frames = engine.Frames();
        engine.AddFault({sim::FaultKind::Error, frames + 1});
        const bool signal = engine.CalibrationSignal();
        clear_com_fault();
        cal_on();
        EXPECT_EQ(engine.Frames(), frames + 1) << "the next frame did not reach the device";
        EXPECT_EQ(ComErrors(), 1) << "the refusal of the next frame was not read as its reply; "
                                  << MessageSummary();
        EXPECT_EQ(com_fault, 1);
        EXPECT_EQ(engine.CalibrationSignal(), signal);
    }

    // After a hang-up the same operation, done again, opens the port before its first
    // frame, whether or not it clears the link fault flag, and its frames reach the
    // device; the status line says so. The exchange after it reads its own reply.
    void ExpectReplug()
    {
        ASSERT_TRUE(platform::ComHungUp(com_port)) << "the hang-up did not reach the port";
        engine.ClearFaults();
        // OK closed the calibration panel: prepared again (the restore needs ranges sent).
        if (op->panel == Panel::Calibration && platform::PanelByResource(PANEL_3) == 0)
            Prepare();
        const int frames = engine.Frames();
        ASSERT_TRUE(Act()) << "the operation was refused after the hang-up";
        EXPECT_GT(engine.Frames(), frames) << "the operation ran on the hung-up port";
        ExpectNextExchangeReadsItsOwnReply();
        EXPECT_TRUE(platform::ComIsOpen(com_port));
        EXPECT_NE(platform::PortStatus().find(text(txt::port_reopened)), std::string::npos)
            << platform::PortStatus();
    }
};

TEST_P(FaultMatrix, InvariantsHold)
{
    Start(16, 16, CellImage());
    Prepare();
    ASSERT_EQ(ComErrors(), 0) << "preparation failed: " << MessageSummary();
    ASSERT_EQ(com_fault, 0);
    platform::scripted::ClearJournal();

    firstFrame = engine.Frames();
    Arm();
    if (IsSkipped()) return;
    hadLast = zektest::FileExists("last.cfg");
    hadTemp = zektest::FileExists("temp.ctc");
    oldLast = zektest::ReadFile("last.cfg");
    oldTemp = zektest::ReadFile("temp.ctc");
    const Tree before = Snapshot(base);
    const std::vector<bool> agreedBefore = AgreeingAddresses(engine);
    const size_t writtenBefore = platform::WrittenFiles().size();
    recordBefore = RecordLineCount();
    watch.Clear();
    watch.acked = CurrentImage();  // the preparation ended acknowledged
    watch.onTraffic = [this] { CheckBackups("during the exchanges"); };
    platform::scripted::OnMessage(
        [this](const auto &m) { CheckBackups(("at message " + m.title).c_str()); });

    ASSERT_TRUE(Act()) << "the operator's action was refused";

    platform::scripted::OnMessage(nullptr);
    watch.onTraffic = nullptr;
    CheckBackups("after the operation");
    SCOPED_TRACE("messages: " + MessageSummary());

    // At most one "COM ERROR", exactly one after a failed acknowledgement.
    EXPECT_LE(ComErrors(), 1);
    if (watch.failedAcks > 0) {
        EXPECT_EQ(ComErrors(), 1);
    }
    if (fault == Fault::None) {
        EXPECT_EQ(static_cast<int>(watch.frames.size()), op->matrix.frames);
        EXPECT_EQ(watch.failedAcks, 0);
        EXPECT_EQ(platform::scripted::Messages().size(), (op->traits & kReportsResult) ? 1u : 0u);
    }

    // After a failed acknowledgement: the last acknowledged state, in image and window.
    if (watch.failedAcks > 0) {
        EXPECT_EQ(Differences(watch.acked), "") << "image is not the last acknowledged state";
        EXPECT_EQ(RowsDifferingFromImage(), "") << "window does not show the image";
        EXPECT_EQ(CaliRowsDifferingFromImage(), "") << "calibration rows do not show the image";
        EXPECT_EQ(platform::FindControl(panel_handle, PANEL_TOGGLEBUTTON)->value,
                  watch.ackedSignal)
            << "toggle does not show the acknowledged calibration signal";
    }
    if (watch.unreadableAt >= 0) {
        EXPECT_EQ(ComErrors(), 1) << "an unreadable memory reply went unreported";
        EXPECT_EQ(static_cast<int>(watch.frames.size()), watch.unreadableAt)
            << "frames sent after an unreadable memory reply";
    }
    ExpectImageAgreesWithDevice(agreedBefore);

    // Backups: never torn; the acknowledged state and the exit backup as written.
    EXPECT_EQ(backupViolation, "");
    const bool filesWork = fault != Fault::UnwritableDirectory && fault != Fault::DiskFailsWrites;
    if (filesWork && watch.oks > 0) {
        EXPECT_EQ(zektest::ReadFile("temp.ctc"), TextOf(watch.acked));
    }
    if (!filesWork) {
        EXPECT_EQ(zektest::ReadFile("temp.ctc"), oldTemp);
        EXPECT_EQ(zektest::ReadFile("last.cfg"), oldLast);
    }
    if (op->traits & kEndsProgram) {
        EXPECT_TRUE(platform::QuitRequested());
        if (filesWork) {
            EXPECT_EQ(zektest::ReadFile("last.cfg"), TextOf(CurrentImage()));
        }
    }

    // Nothing else was touched.
    const Tree after = Snapshot(base);
    for (const auto &[path, state] : after) {
        auto it = before.find(path);
        if (it == before.end()) {
            EXPECT_TRUE(MayChange(path)) << "created " << path;
        } else if (!(it->second == state)) {
            EXPECT_TRUE(MayChange(path)) << "changed " << path;
        }
    }
    for (const auto &[path, state] : before)
        if (!after.count(path)) {
            EXPECT_TRUE(MayChange(path)) << "removed " << path;
        }
    const auto &written = platform::WrittenFiles();
    for (size_t k = writtenBefore; k < written.size(); k++) {
        EXPECT_TRUE(MayWrite(written[k])) << "wrote " << written[k];
    }

    // The calibration record: a line for every channel switch or trim that went out,
    // acknowledged only when its writes were.
    if (filesWork && WritesRecord()) ExpectRecordLines();

    // The link after a fault on it: the next exchange is in step again, after a hang-up
    // on the reopened port.
    if ((op->traits & kEndsProgram) || fault == Fault::MissingPort) return;
    if (fault != Fault::Hangup) {
        ExpectNextExchangeReadsItsOwnReply();
    } else if (op->matrix.frames > 0) {
        ExpectReplug();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cells, FaultMatrix, ::testing::Combine(::testing::ValuesIn(MatrixOperations()), ::testing::ValuesIn(kFaults)),
    [](const ::testing::TestParamInfo<FaultMatrix::ParamType> &cell) {
        return std::string(std::get<0>(cell.param)->name) + "_" + std::get<1>(cell.param).name;
    });

}  // namespace

// Faults the matrix found, one case each.
class FaultRegression : public HardeningTest {
protected:
    int cp = 0;

    Image Factory(int k) { return ImageOf(sim::FactoryImage(k)); }
    void FailFrame(int fromNow, sim::FaultKind kind)
    {
        engine.AddFault({kind, engine.Frames() + fromNow});
    }
    bool Box(int n, int value)
    {
        return platform::OperatorSetValue(panel_handle, panel_checkbox[n - 1], value);
    }
    void OpenEnabledPanel(int ring)
    {
        AnswerPrompt("vqd");
        ASSERT_TRUE(Menu(MENU_cali));
        cp = platform::PanelByResource(PANEL_3);
        ASSERT_TRUE(platform::OperatorToggle(cp, PANEL_3_TOGGLEBUTTON_ACTIV, 1));
        if (ring != 0) {
            ASSERT_TRUE(platform::OperatorSetValue(cp, PANEL_3_RING_Cali_Sel, ring));
        }
        ASSERT_EQ(ComErrors(), 0);
    }
    // The next write is refused; the operation must report it and keep the device's byte.
    void ExpectNextRefusalReported()
    {
        platform::scripted::ClearJournal();
        FailFrame(1, sim::FaultKind::Error);
        ASSERT_TRUE(Box(3, 1));
        EXPECT_EQ(ComErrors(), 1) << MessageSummary();
        EXPECT_EQ(aktuelle_daten[18], engine.Peek(18));
    }
};

// A reply over ten characters is judged by its first ten; the rest, up to its CR, is
// no one's reply. Read by the next wait, it made a refused write count as acknowledged.
TEST_F(FaultRegression, RestOfAnOverlongReplyIsNotTakenForTheNextReply)
{
    Start(8, 8, Factory(8));
    FailFrame(1, sim::FaultKind::Overlong);
    ASSERT_TRUE(Box(2, 1));
    EXPECT_TRUE(platform::scripted::Messages().empty());
    EXPECT_EQ(aktuelle_daten[17], MODE_BYTE_HALF_BRIDGE);
    EXPECT_EQ(engine.Peek(17), MODE_BYTE_HALF_BRIDGE);
    ExpectNextRefusalReported();
}

TEST_F(FaultRegression, RestOfAnOverlongMemoryReplyIsNotTakenForTheNextReply)
{
    Start(8, 8, Factory(8));
    engine.Poke(20, MODE_BYTE_TE_2);
    FailFrame(1, sim::FaultKind::Overlong);
    ASSERT_TRUE(Menu(MENU_read));
    EXPECT_TRUE(platform::scripted::Messages().empty());
    EXPECT_EQ(aktuelle_daten[20], MODE_BYTE_TE_2);  // the values before the OK are whole
    ExpectNextRefusalReported();
}

// A failed range load takes the ring and the rows back to the range the device last took
// in full, so that trims go to the bank shown and choosing the range again retries it.
TEST_F(FaultRegression, FailedRangeLoadReturnsTheRingToTheLoadedRange)
{
    Image image = Factory(8);
    image[static_cast<size_t>(block_address_k(8, 1, 0) + OFF_CAL_OFFSET)] += 5;
    Start(8, 8, image);
    OpenEnabledPanel(0);  // thermocouple type 1
    FailFrame(1, sim::FaultKind::Error);
    ASSERT_TRUE(platform::OperatorSetValue(cp, PANEL_3_RING_Cali_Sel, 1));  // type 2
    EXPECT_EQ(ComErrors(), 1);
    int value = -1;
    GetCtrlVal(cp, PANEL_3_RING_Cali_Sel, &value);
    EXPECT_EQ(value, 64);
    EXPECT_EQ(platform::FindControl(cp, panel_numeric_off[0])->value, 5);
}

// The range words enter the image one by one as they are sent: a refused word leaves it
// and the words after it as the device has them, and the window shows that range.
TEST_F(FaultRegression, RefusedRangeWordLeavesTheRestAsTheDeviceHasThem)
{
    Image image = Factory(8);
    image[16] = MODE_BYTE_TE_1;
    Start(8, 8, image);
    const int a = block_address(0, 0) + OFF_RANGE_OFFSET;
    FailFrame(3, sim::FaultKind::Error);  // the offset word's high byte
    ASSERT_TRUE(platform::OperatorSetValue(panel_handle, panel_rings[0], 0));  // 32 mV/V
    EXPECT_EQ(ComErrors(), 1);
    for (int k = 0; k < 4; k++) EXPECT_EQ(aktuelle_daten[a + k], engine.Peek(a + k)) << a + k;
    EXPECT_EQ(aktuelle_daten[16], MODE_BYTE_FULL_BRIDGE);                      // acknowledged
    EXPECT_EQ(platform::FindControl(panel_handle, panel_rings[0])->value, 4);  // still 2 mV/V
    EXPECT_EQ(zektest::ReadFile("temp.ctc"), TextOf(CurrentImage()));
}

// A trim's high byte enters the image only when it is sent: refused, the image keeps the
// device's high byte beside the acknowledged low byte.
TEST_F(FaultRegression, RefusedTrimHighByteLeavesTheDevicesHighByte)
{
    Start(8, 8, Factory(8));
    OpenEnabledPanel(0);  // thermocouple type 1
    const int a = block_address(1, 1) + OFF_CAL_GAIN;
    FailFrame(2, sim::FaultKind::Error);
    ASSERT_TRUE(platform::OperatorSetValue(cp, panel_numeric_gain[1], 300));  // 4200 = 0x1068
    EXPECT_EQ(ComErrors(), 1);
    EXPECT_EQ(aktuelle_daten[a], 0x68);
    EXPECT_EQ(aktuelle_daten[a + 1], 0x0F);
    EXPECT_EQ(engine.Peek(a + 1), 0x0F);
}

// Entries 400 to 511 are not in the acknowledged-state file. A failed frame brings them
// back to their acknowledged values too (16 channels: thermocouple type 2 words of
// channels 15 and 16), and start-up forgets them with the rest of the run.
TEST_F(FaultRegression, FailedFrameRestoresTheImageBeyondTheFile)
{
    Start(16, 16, Factory(16));
    OpenEnabledPanel(1);  // thermocouple type 2
    const int a = block_address(2, 15) + OFF_CAL_GAIN;
    ASSERT_GE(a, 400);
    ASSERT_TRUE(platform::OperatorSetValue(cp, panel_numeric_gain[15], 300));
    ASSERT_EQ(ComErrors(), 0);
    const Image acknowledged = CurrentImage();

    FailFrame(1, sim::FaultKind::Error);
    ASSERT_TRUE(platform::OperatorSetValue(cp, panel_numeric_gain[15], 500));
    EXPECT_EQ(ComErrors(), 1);
    EXPECT_EQ(Differences(acknowledged), "");
    EXPECT_EQ(aktuelle_daten[a] | aktuelle_daten[a + 1] << 8, 4200);
}

// Reopening the port starts a new connection: a reply the device sent to the old one
// and nobody read (here to a frame sent without waiting) must not answer the new one's
// first frame, as a serial driver empties its queues when a port is opened.
TEST_F(FaultRegression, ReopenedPortDoesNotDeliverTheOldConnectionsReplies)
{
    Start(8, 8, Factory(8));
    ASSERT_EQ(ComWrt(com_port, "C\r", 2), 2);  // answered "OK", never read
    ASSERT_TRUE(Menu(MENU_com_port));
    const int dialog = platform::PanelByResource(PANEL_2);
    ASSERT_TRUE(platform::OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON));
    ASSERT_EQ(platform::PanelByResource(PANEL_2), 0);
    ExpectNextRefusalReported();
}

// An adapter pulled out during an operation: while it is out, each later operation tries
// once to open the port again and reports its own failure; once it is back, the next
// operation runs on the reopened port, which keeps the 20 s time-out a range change set
// before the hang-up. The status line tells each state and the age of the last exchange.
TEST_F(FaultRegression, HungUpPortIsReopenedByTheNextOperations)
{
    Start(8, 8, Factory(8));
    EXPECT_EQ(platform::PortStatus().rfind("COM1: simulator COM1, 4800 8N2, ", 0), 0u)
        << platform::PortStatus();
    ASSERT_TRUE(platform::OperatorSetValue(panel_handle, panel_rings[0], 3));  // sets 20 s
    FailFrame(1, sim::FaultKind::Hangup);
    ASSERT_TRUE(Box(2, 1));
    ASSERT_EQ(ComErrors(), 1);

    simBackend->SetUnplugged(true);
    for (int attempt = 0; attempt < 2; attempt++) {
        platform::scripted::ClearJournal();
        ASSERT_TRUE(Box(3, 1));
        EXPECT_EQ(ComErrors(), 1) << MessageSummary();
        EXPECT_FALSE(platform::ComIsOpen(com_port));
        EXPECT_EQ(platform::PortStatus(), std::string("COM1: ") + text(txt::port_not_open) +
                                              ", " + text(txt::port_reopen_failed));
    }

    simBackend->SetUnplugged(false);
    platform::scripted::ClearJournal();
    const int frames = engine.Frames();
    ASSERT_TRUE(Box(3, 1));
    EXPECT_EQ(ComErrors(), 0) << MessageSummary();
    EXPECT_EQ(engine.Frames(), frames + 2);
    EXPECT_EQ(engine.Peek(18), MODE_BYTE_HALF_BRIDGE);
    double timeout = 0.0;
    ASSERT_EQ(GetComTime(com_port, &timeout), 0);
    EXPECT_EQ(timeout, COM_TIMEOUT);
    Delay(65.5);
    EXPECT_EQ(platform::PortStatus(), std::string("COM1: simulator COM1, 4800 8N2, ") +
                                          text(txt::port_reopened) + ", OK vor 65 s");
}
