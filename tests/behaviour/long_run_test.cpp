// Long run: thousands of random operator actions with random faults on the line, the
// port and the disk, in virtual time, on one program start (restarts only when the
// operator exits). After every acknowledged write the byte is the same in the image and
// in the device; after a failed acknowledgement the image is the last acknowledged
// state; the backups always hold what the program last wrote to them.
//
// Reproducible: ZEK_LONG_RUN_SEED sets the seed (printed with any failure) and
// ZEK_LONG_RUN_ACTIONS the number of actions.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <random>
#include <string>
#include <vector>

#include "behaviour/hardening_fixture.h"
#include "calibration/calibration.h"
#include "documents/files.h"

namespace {

using namespace hardening;
using platform::scripted::AnswerConfirm;
using platform::scripted::AnswerFileSelect;
using platform::scripted::AnswerPrompt;

constexpr std::uint64_t kDefaultSeed = 20261207;
constexpr int kDefaultActions = 10000;

std::uint64_t EnvNumber(const char *name, std::uint64_t fallback)
{
    const char *text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoull(text, nullptr, 0);
}

enum class Act {
    Range,
    HalfBridge,
    AutoZero,
    Signal,
    Upload,
    Download,
    Compare,
    SendChanges,
    CalOpen,
    New,
    Open,
    Save,
    SaveAs,
    Port,
    Language,
    Exit,
    CalToggle,
    CalSelect,
    CalTrim,
    CalOk,
    CalClose,
    Record,
    Sheet
};

struct Weighted {
    Act act;
    double weight;
};

// Actions of the main window, and of the calibration panel while it is open (modal).
const std::vector<Weighted> kMainActions = {
    {Act::Range, 20},   {Act::HalfBridge, 10}, {Act::AutoZero, 6}, {Act::Signal, 6},
    {Act::Upload, 5},   {Act::Download, 2},    {Act::CalOpen, 3},  {Act::New, 3},
    {Act::Compare, 2},  {Act::SendChanges, 3},
    {Act::Open, 4},     {Act::Save, 4},        {Act::SaveAs, 3},   {Act::Port, 2},
    {Act::Language, 1}, {Act::Exit, 0.3},      {Act::Record, 1},   {Act::Sheet, 1},
};
const std::vector<Weighted> kPanelActions = {
    {Act::CalToggle, 5}, {Act::CalSelect, 5}, {Act::CalTrim, 20},
    {Act::CalOk, 2},     {Act::CalClose, 2},
};

// Layouts the operator may find on a restart: device channels and rows shown.
const int kLayouts[3][2] = {{16, 16}, {8, 8}, {8, 4}};

class LongRun : public HardeningTest {
protected:
    std::uint64_t seed = kDefaultSeed;
    std::mt19937_64 rng;
    std::deque<std::string> history;  // the last actions, for the failure report
    std::string failure;              // the first broken invariant
    int index = 0;                    // the action being run
    Act act = Act::Range;
    bool diskFails = false;
    bool unplugged = false;
    bool tailKnown = false;  // an acknowledgement since start-up: the whole image is stored
    std::string expectTemp, expectLast;  // what the backups must hold
    std::vector<std::string> documents;
    std::string recordText;  // the calibration record as the last action left it
    int refused = 0, faults = 0, failedAcks = 0, checkedWrites = 0, restarts = 0;

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng); }

    Act Pick(const std::vector<Weighted> &table)
    {
        double total = 0;
        for (const auto &w : table) total += w.weight;
        double r = std::uniform_real_distribution<double>(0, total)(rng);
        for (const auto &w : table) {
            if (r < w.weight) return w.act;
            r -= w.weight;
        }
        return table.back().act;
    }

    void Fail(const std::string &what)
    {
        if (!failure.empty()) return;
        failure = what;
    }

    void Note(const std::string &what)
    {
        history.push_back(std::to_string(index) + ": " + what);
        if (history.size() > 25) history.pop_front();
    }

    // The calibration load switches the device to the 2 mV/V range words without
    // changing the image (the OK button's re-read brings the image in line): those
    // writes are meant to differ from the image.
    bool CalibrationRangeWord(int address) const
    {
        if (act != Act::CalToggle && act != Act::CalSelect) return false;
        const int first = block_address(0, 0);
        const int offset = (address - first) % BLOCK_SIZE;
        return address >= first && address < block_address(1, 0) && offset >= OFF_RANGE_OFFSET &&
               offset < OFF_CAL_GAIN;
    }

    void StartSystem(int layout)
    {
        const int k = kLayouts[layout][0];
        zektest::WriteSettings({.channels = k, .shown = kLayouts[layout][1]});
        engine.Reset(k);
        ResetProgramState();
        cali_panel_handle = 0;
        platform::ResetUserInterface();
        platform::ResetEventLoop();
        ASSERT_EQ(StartUp(), 0);
        platform::ResetEventLoop();
        tailKnown = false;  // an unplugged device stays so until the port dialog
    }

    // --- actions ------------------------------------------------------------------------

    bool Run()
    {
        const int rows = Kanalzahl_GUI;
        const int channels = Kanalzahl < rows ? Kanalzahl : rows;
        switch (act) {
        case Act::Range: {
            const int n = Uniform(1, rows), i = Uniform(0, 7);
            Note("range " + std::to_string(n) + " -> " + std::to_string(i));
            return platform::OperatorSetValue(panel_handle, panel_rings[n - 1], i);
        }
        case Act::HalfBridge: {
            const int n = Uniform(1, rows);
            const int value = platform::FindControl(panel_handle, panel_checkbox[n - 1])->value ^ 1;
            Note("half bridge " + std::to_string(n) + " -> " + std::to_string(value));
            return platform::OperatorSetValue(panel_handle, panel_checkbox[n - 1], value);
        }
        case Act::AutoZero: {
            const int n = Uniform(1, rows);
            Note("auto-zero " + std::to_string(n));
            return platform::OperatorPressButton(panel_handle, panel_command_button[n - 1]);
        }
        case Act::Signal: {
            const int value =
                platform::FindControl(panel_handle, PANEL_TOGGLEBUTTON)->value ? 0 : 1;
            Note("calibration signal " + std::to_string(value));
            return platform::OperatorToggle(panel_handle, PANEL_TOGGLEBUTTON, value);
        }
        case Act::Upload: Note("upload"); return Menu(MENU_read);
        case Act::Download: Note("download"); return Menu(MENU_down_load);
        case Act::Compare: Note("compare"); return Menu(MENU_compare);
        case Act::SendChanges: Note("send changes"); return Menu(MENU_send_changes);
        case Act::CalOpen: {
            const bool right = Chance(0.85);
            Note(std::string("calibration, password ") + (right ? "right" : "wrong"));
            AnswerPrompt(right ? "vqd" : "VQD");
            return Menu(MENU_cali);
        }
        case Act::New: {
            const bool yes = Chance(0.5);
            Note(std::string("new, save ") + (yes ? "yes" : "no"));
            AnswerConfirm(yes ? 1 : 0);
            AnswerDocument();
            return Saving([] { return Menu(MENU_new); }, yes);
        }
        case Act::Open: {
            const bool cancel = Chance(0.1);
            const std::string path = cancel ? "" : AnyDocument();
            Note("open " + (cancel ? std::string("cancelled") : path));
            AnswerFileSelect(cancel ? 0 : 1, path);
            return Menu(MENU_open);
        }
        case Act::Save:
            Note(std::string("save ") + File_Name);
            AnswerDocument();
            return Saving([] { return Menu(MENU_save); }, true);
        case Act::SaveAs:
            Note("save as");
            AnswerDocument();
            return Menu(MENU_save_as);
        case Act::Port: return ChoosePort();
        case Act::Language: {
            const int item = Chance(0.5) ? MENU_sprache_d : MENU_sprache_e;
            Note("language");
            return Menu(item);
        }
        case Act::Exit: return ExitAndRestart();
        case Act::CalToggle: {
            const auto *toggle =
                platform::FindControl(cali_panel_handle, PANEL_3_TOGGLEBUTTON_ACTIV);
            const int value = toggle->value ? 0 : 1;
            Note("calibration enable " + std::to_string(value));
            return platform::OperatorToggle(cali_panel_handle, PANEL_3_TOGGLEBUTTON_ACTIV, value);
        }
        case Act::CalSelect: {
            const int i = Uniform(0, 2);
            Note("calibration range " + std::to_string(i));
            return platform::OperatorSetValue(cali_panel_handle, PANEL_3_RING_Cali_Sel, i);
        }
        case Act::CalTrim: {
            const int i = Uniform(0, channels - 1);
            const bool gain = Chance(0.5);
            const int control = gain ? panel_numeric_gain[i] : panel_numeric_off[i];
            const auto *c = platform::FindControl(cali_panel_handle, control);
            const int value = Chance(0.5) ? Uniform(-300, 300) : Uniform(c->minValue, c->maxValue);
            Note(std::string("trim ") + (gain ? "gain " : "offset ") + std::to_string(i + 1) +
                 " = " + std::to_string(value));
            return platform::OperatorSetValue(cali_panel_handle, control, value);
        }
        case Act::CalOk:
            Note("calibration OK");
            return platform::OperatorPressButton(cali_panel_handle, PANEL_3_COMMANDBUTTON);
        case Act::CalClose:
            Note("calibration close box");
            return platform::OperatorClosePanel(cali_panel_handle);
        case Act::Record: Note("calibration record"); return Menu(MENU_cal_record);
        case Act::Sheet:
            Note("configuration sheet");
            AnswerFileSelect(Chance(0.1) ? 0 : 1, docs + "/sheet");
            return Menu(MENU_config_sheet);
        }
        return false;
    }

    // A Save as dialog may follow: a document of the run or a cancel.
    void AnswerDocument()
    {
        if (Chance(0.15)) {
            AnswerFileSelect(0);
            return;
        }
        AnswerFileSelect(1, AnyDocument());
    }

    const std::string &AnyDocument()
    {
        return documents[static_cast<size_t>(Uniform(0, static_cast<int>(documents.size()) - 1))];
    }

    // A save under the current name overwrites a backup when the name is one: the
    // backup then holds the saved image.
    template <typename Fn> bool Saving(Fn menu, bool saves)
    {
        const std::string name = File_Name;
        const bool ok = menu();
        if (saves && !diskFails && zektest::FileExists(name)) {
            if (name == "temp.ctc") expectTemp = TextOf(CurrentImage());
            if (name == "last.cfg") expectLast = TextOf(CurrentImage());
        }
        return ok;
    }

    // The port dialog: the device's port, or one with nothing behind it (then the dialog
    // stays open with "COM ERROR" and the operator cancels). Plugs the device back in.
    bool ChoosePort()
    {
        if (unplugged && Chance(0.7)) {
            unplugged = false;
            simBackend->SetUnplugged(false);
        }
        const int port = Chance(0.8) ? 1 : 2;
        Note("port dialog, port " + std::to_string(port) + (unplugged ? " (unplugged)" : ""));
        if (!Menu(MENU_com_port)) return false;
        const int dialog = platform::PanelByResource(PANEL_2);
        if (dialog == 0) return false;
        platform::OperatorSetValue(dialog, PANEL_2_NUMERIC, port);
        platform::OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON);
        if (platform::PanelByResource(PANEL_2) != 0)
            platform::OperatorPressButton(dialog, PANEL_2_COMMANDBUTTON_2);
        return platform::PanelByResource(PANEL_2) == 0;
    }

    bool ExitAndRestart()
    {
        const bool box = Chance(0.5);
        const int layout = Uniform(0, 2);
        Note(std::string("exit by ") + (box ? "close box" : "quit") + ", restart with layout " +
             std::to_string(layout));
        const bool ok = box ? platform::OperatorClosePanel(panel_handle) : Menu(MENU_quit);
        if (!ok || !platform::QuitRequested()) return false;
        if (!diskFails) expectLast = TextOf(CurrentImage());
        CheckBackups();
        platform::InjectFileWriteFailure(false);
        diskFails = false;
        restarts++;
        StartSystem(layout);
        if (HasFatalFailure()) Fail("the program did not start again");
        return true;
    }

    // --- checks -------------------------------------------------------------------------

    void CheckBackups()
    {
        if (zektest::ReadFile("temp.ctc") != expectTemp)
            Fail("temp.ctc is not the last acknowledged state");
        if (zektest::ReadFile("last.cfg") != expectLast)
            Fail("last.cfg is not what the program last wrote");
    }

    // fileText: what the acknowledged-state file held when the action began.
    void CheckAction(const std::string &fileText)
    {
        watch.Settle();
        if (ComErrors() > 1)
            Fail(std::to_string(ComErrors()) + " COM ERROR messages in one action");
        for (int a = 0; a < 512; a++)
            if (aktuelle_daten[a] < 0 || aktuelle_daten[a] > 255)
                Fail("image entry " + std::to_string(a) + " out of range");
        if (watch.oks > 0) tailKnown = true;
        if (watch.oks > 0 && !diskFails) expectTemp = TextOf(watch.acked);
        if (watch.failedAcks > 0) {
            failedAcks++;
            // The acknowledged-state file holds entries 0..399 as of the last stored "OK";
            // the rest of the image is as of the last "OK" of this run.
            Image expected = watch.oks > 0 && !diskFails ? watch.acked : Parse(fileText);
            for (int a = 400; a < 512; a++) {
                const size_t k = static_cast<size_t>(a);
                expected[k] = tailKnown ? watch.acked[k] : aktuelle_daten[a];
            }
            const std::string diff = Differences(expected);
            if (!diff.empty())
                Fail("after a failed acknowledgement the image is not the acknowledged state: " +
                     diff);
            const std::string rows = RowsDifferingFromImage();
            if (!rows.empty())
                Fail("after a failed acknowledgement the window does not show the image: " + rows);
        }
        CheckBackups();
        const std::string record = zektest::ReadFile(cal_record_file);
        if (record.compare(0, recordText.size(), recordText) != 0)
            Fail("the calibration record was changed instead of appended to");
        recordText = record;
    }

    // Entries 0..399 of a configuration text; the rest is filled in by the caller.
    static Image Parse(const std::string &text)
    {
        Image image{};
        for (size_t k = 0; k < 400 && 2 * k + 1 < text.size(); k++)
            image[k] = static_cast<int>(std::stoul(text.substr(2 * k, 2), nullptr, 16));
        return image;
    }

    void ArmFaults()
    {
        engine.ClearFaults();
        if (Chance(0.2)) {
            static const sim::FaultKind kinds[] = {
                sim::FaultKind::NoReply, sim::FaultKind::Error,    sim::FaultKind::Error,
                sim::FaultKind::Garbage, sim::FaultKind::Overlong, sim::FaultKind::NoReply,
                sim::FaultKind::Slow};
            sim::FaultKind kind = Chance(0.03) ? sim::FaultKind::Hangup : kinds[Uniform(0, 6)];
            const int frame = engine.Frames() + Uniform(1, 8);
            // A slow reply comes after the time-out of the wait it answers (5 or 20 s).
            engine.AddFault({kind, frame, Uniform(6, 26) * 1.0});
            faults++;
            Note(std::string("  fault ") + sim::FaultName(kind) + " on frame +" +
                 std::to_string(frame - engine.Frames()));
        }
        diskFails = Chance(0.03);
        platform::InjectFileWriteFailure(diskFails);
        if (diskFails) Note("  disk fails writes");
        if (!unplugged && Chance(0.005)) {
            unplugged = true;
            simBackend->SetUnplugged(true);
            Note("  device unplugged");
        }
    }
};

TEST_F(LongRun, RandomActionsKeepImageDeviceAndBackupsInStep)
{
    seed = EnvNumber("ZEK_LONG_RUN_SEED", kDefaultSeed);
    const int actions = static_cast<int>(EnvNumber("ZEK_LONG_RUN_ACTIONS", kDefaultActions));
    rng.seed(seed);
    SCOPED_TRACE("ZEK_LONG_RUN_SEED=" + std::to_string(seed));

    const Image factory = ImageOf(sim::FactoryImage(16));
    zektest::WriteFile("last.cfg", TextOf(factory));
    zektest::WriteFile("temp.ctc", TextOf(factory));
    expectLast = expectTemp = TextOf(factory);
    for (int k = 0; k < 3; k++) documents.push_back(docs + "/doc" + std::to_string(k) + ".cfg");
    zektest::WriteFile(documents[0], TextOf(factory));
    StartSystem(0);
    ASSERT_TRUE(failure.empty());

    watch.onAckedWrite = [this](int address) {
        if (CalibrationRangeWord(address)) return;
        checkedWrites++;
        if (aktuelle_daten[address] != engine.Peek(address))
            Fail("acknowledged write to " + std::to_string(address) + ": image " +
                 std::to_string(aktuelle_daten[address]) + ", device " +
                 std::to_string(engine.Peek(address)));
    };

    for (index = 0; index < actions && failure.empty(); index++) {
        ArmFaults();
        act = Pick(cali_panel_handle != 0 ? kPanelActions : kMainActions);
        const std::string fileText = expectTemp;
        platform::scripted::ClearJournal();
        simBackend->ClearJournal();
        watch.Clear();
        if (!Run()) refused++;
        CheckAction(fileText);
        platform::InjectFileWriteFailure(false);
    }

    if (!failure.empty()) {
        std::string report =
            "action " + std::to_string(index - 1) + ": " + failure + "\nlast actions:\n";
        for (const auto &line : history) report += "  " + line + "\n";
        report += "messages: " + MessageSummary();
        ADD_FAILURE() << report << "\nrerun with ZEK_LONG_RUN_SEED=" << seed;
    }
    std::printf("long run: seed %" PRIu64 ", %d actions (%d refused), %d faults armed, %d failed "
                "acknowledgements, %d acknowledged writes compared, %d restarts\n",
                seed, index, refused, faults, failedAcks, checkedWrites, restarts);
}

}  // namespace
