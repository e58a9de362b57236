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
#include "documents/file_menu.h"
#include "support/operations.h"

namespace {

using namespace hardening;
using namespace zektest;
using platform::scripted::AnswerConfirm;
using platform::scripted::AnswerFileSelect;
using platform::scripted::AnswerPrompt;

constexpr std::uint64_t kDefaultSeed = 20261207;
constexpr int kDefaultActions = 10000;

// Layouts the operator may find on a restart: device channels and rows shown.
const int kLayouts[3][2] = {{16, 16}, {8, 8}, {8, 4}};

class LongRun : public HardeningTest {
protected:
    std::uint64_t seed = kDefaultSeed;
    std::mt19937_64 rng;
    std::deque<std::string> history;  // the last actions, for the failure report
    std::string failure;              // the first broken invariant
    int index = 0;                    // the action being run
    const Operation *op = nullptr;  // the operation being run
    bool diskFails = false;
    bool unplugged = false;
    bool tailKnown = false;  // an acknowledgement since start-up: the whole image is stored
    std::string expectTemp, expectLast;  // what the backups must hold
    std::vector<std::string> documents;
    std::string recordText;  // the calibration record as the last action left it
    int refused = 0, faults = 0, failedAcks = 0, checkedWrites = 0, restarts = 0;

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng); }

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

    void StartSystem(int layout)
    {
        const int k = kLayouts[layout][0];
        zektest::WriteSettings({.channels = k, .shown = kLayouts[layout][1]});
        engine.Reset(k);
        ResetProgramState();
        platform::ResetUserInterface();
        platform::ResetEventLoop();
        ASSERT_EQ(StartUp(), 0);
        platform::ResetEventLoop();
        tailKnown = false;  // an unplugged device stays so until the port dialog
    }

    // --- actions ------------------------------------------------------------------------

    bool Run()
    {
        if (op->asks & kOpensPortDialog) return ChoosePort();
        if (op->traits & kEndsProgram) return ExitAndRestart();
        const bool saves = AnswerQuestions();
        const Step step = Draw();
        Note(std::string(op->name) + " channel " + std::to_string(step.channel) + " value " +
             std::to_string(step.value) + (step.offset ? " offset" : ""));
        if (op->traits & kSavesUnderItsName) return Saving([&] { return Perform(*op, step); }, saves);
        return Perform(*op, step);
    }

    // Answers what the operation may ask, either way; whether it saves the document.
    bool AnswerQuestions()
    {
        bool saves = true;
        if (op->asks & kAsksPassword) {
            const bool right = Chance(0.85);
            Note(std::string("  password ") + (right ? "right" : "wrong"));
            AnswerPrompt(right ? "vqd" : "VQD");
        }
        if (op->asks & kAsksSaveFirst) {
            saves = Chance(0.5);
            Note(std::string("  save first ") + (saves ? "yes" : "no"));
            AnswerConfirm(saves ? 1 : 0);
        }
        // Answered when a calibration range was loaded in full (a Yes left unasked would
        // answer the next question); after only failed or cancelled loads it is asked
        // too, and answered No.
        if ((op->asks & kAsksRestore) && cali_loaded_range >= 0) {
            Note("  restore yes");
            AnswerConfirm(1);
        }
        if (op->asks & (kAsksNameIfUnnamed | kAsksDocumentToWrite)) AnswerDocument();
        if (op->asks & kAsksDocumentToRead) {
            const bool cancel = Chance(0.1);
            const std::string path = cancel ? "" : AnyDocument();
            Note("  open " + (cancel ? std::string("cancelled") : path));
            AnswerFileSelect(cancel ? 0 : 1, path);
        }
        if (op->asks & kAsksSheetFile) AnswerFileSelect(Chance(0.1) ? 0 : 1, docs + "/sheet");
        return saves;
    }

    // The channel and value of the operator's act: any row, any ring entry or trim, the
    // other state of a box or toggle.
    Step Draw()
    {
        Step step;
        if (op->perChannel) step.channel = Uniform(1, ChannelRows(*op));
        if (op->gesture == Gesture::Trim) step.offset = !Chance(0.5);
        if (op->gesture == Gesture::Menu || op->gesture == Gesture::Button ||
            op->gesture == Gesture::CloseBox)
            return step;
        const platform::Control *c = platform::FindControl(PanelOf(*op), ControlOf(*op, step));
        switch (op->gesture) {
        case Gesture::Ring: step.value = Uniform(0, static_cast<int>(c->items.size()) - 1); break;
        case Gesture::Box:
        case Gesture::Toggle: step.value = c->value ^ 1; break;
        case Gesture::Trim:
            step.value = Chance(0.5) ? Uniform(-300, 300) : Uniform(c->minValue, c->maxValue);
            break;
        default: break;
        }
        return step;
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
        if (!Perform(*op, {})) return false;
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
        const int layout = Uniform(0, 2);
        Note(std::string(op->name) + ", restart with layout " + std::to_string(layout));
        const bool ok = Perform(*op, {});
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
        if ((op->traits & kLoadsCalibrationRange) && CalibrationRangeWord(address)) return;
        checkedWrites++;
        if (aktuelle_daten[address] != engine.Peek(address))
            Fail("acknowledged write to " + std::to_string(address) + ": image " +
                 std::to_string(aktuelle_daten[address]) + ", device " +
                 std::to_string(engine.Peek(address)));
    };

    for (index = 0; index < actions && failure.empty(); index++) {
        ArmFaults();
        op = &zektest::Draw(cali_panel_handle != 0 ? Panel::Calibration : Panel::Main, &Operation::longRun,
                   rng);
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
