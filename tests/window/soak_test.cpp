// Window soak: a seeded monkey drives the Qt window through its own event path (key and
// mouse events on the widgets, the menu's actions, the close box) while the in-process
// simulator injects random faults, on the virtual clock. Popups and file dialogs are
// answered either way through the dialog hook. No action may take longer than a watchdog
// allows (a dialog nobody answers, a loop that never ends), no wait between two line
// events may exceed the reply time-out, every acknowledged write must leave the byte
// equal in image and device, and a final fault-free download must agree byte for byte.
//
// Reproducible: ZEK_SOAK_SEED sets the seed (printed with the figures and any failure),
// ZEK_SOAK_ACTIONS the number of actions.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cinttypes>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <random>
#include <thread>

#include "behaviour/hardening_fixture.h"
#include "calibration/calibration.h"
#include "link/port.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "support/operations.h"
#include "window/window_env.h"

namespace {

using namespace platform;

constexpr std::uint64_t kDefaultSeed = 20261209;
constexpr int kDefaultActions = 5000;
// Virtual seconds between two line events: an auto-zero's settling, then a reply's time-out.
constexpr double kLongestWait = AUTOZERO_SETTLE + COM_DELAY + COM_TIMEOUT + 0.5;
constexpr int kWatchdogSeconds = 60;                // real seconds for one action

// Aborts the process, naming the seed, when one action takes too long in real time.
class Watchdog {
public:
    explicit Watchdog(std::uint64_t seed) : seed_(seed), thread_([this] { Watch(); }) {}
    ~Watchdog()
    {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        thread_.join();
    }
    void Tick(int action) { action_ = action; ticks_++; }

private:
    void Watch()
    {
        std::unique_lock lock(mutex_);
        long last = -1;
        while (!stop_) {
            if (wake_.wait_for(lock, std::chrono::seconds(kWatchdogSeconds), [this] { return stop_; })) return;
            if (ticks_ == last) {
                std::fprintf(stderr, "window soak: action %d hung; rerun with ZEK_SOAK_SEED=%" PRIu64 "\n",
                             action_.load(), seed_);
                std::abort();
            }
            last = ticks_;
        }
    }
    std::uint64_t seed_;
    std::atomic<int> action_{0};
    std::atomic<long> ticks_{0};
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stop_ = false;
    std::thread thread_;
};

class WindowSoak : public zektest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        watched = std::make_unique<hardening::WatchedBackend>(sim.backend, &watch);
        InstallSerialBackend(watched.get());
        ASSERT_EQ(mkdir((dir + "/docs").c_str(), 0755), 0);
        for (int k = 0; k < 3; k++) documents.push_back(dir + "/docs/doc" + std::to_string(k) + ".cfg");
        zektest::WriteFile(documents[0], std::string(800, '0'));
    }
    void TearDown() override
    {
        InstallSerialBackend(nullptr);
        watched.reset();
        WindowTest::TearDown();
    }

    int Uniform(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); }
    bool Chance(double p) { return std::bernoulli_distribution(p)(rng); }
    void Fail(const std::string &what)
    {
        if (!failure.empty()) return;
        failure = "action " + std::to_string(done) + " (" + last + "): " + what + "\nlast actions:";
        for (const auto &line : history) failure += "\n  " + line;
    }

    // --- the operator ----------------------------------------------------------------

    void Click(QWidget *w) { if (w) QTest::mouseClick(w, Qt::LeftButton); }
    void Close(int panel) { if (auto *w = qt::WindowOf(panel)) w->close(); }
    QWidget *On(int panel, int control) { auto *w = qt::WindowOf(panel); return w ? w->Body(control) : nullptr; }

    // The operator's act through the widgets: a key on a ring or numeric, a click on a
    // box or button, the menu's action, the close box.
    void ActOn(zektest::Panel panel)
    {
        using zektest::Gesture;
        const zektest::Operation &op = zektest::Draw(panel, &zektest::Operation::soak, rng);
        last = op.name;
        calibrationLoad = op.traits & zektest::kLoadsCalibrationRange;
        restoring = op.asks & zektest::kAsksRestore;
        zektest::Step step;
        if (op.perChannel) step.channel = Uniform(1, zektest::ChannelRows(op));
        step.offset = op.offsets && Chance(0.5);
        const bool control = op.gesture != Gesture::Menu && op.gesture != Gesture::CloseBox;
        QWidget *w = control ? On(zektest::PanelOf(op), zektest::ControlOf(op, step)) : nullptr;
        switch (op.gesture) {
        case Gesture::Menu:
            if (QAction *a = Main()->MenuAction(op.target)) a->trigger();
            break;
        case Gesture::Ring: QTest::keyClick(w, Chance(0.5) ? Qt::Key_Down : Qt::Key_Up); break;
        case Gesture::Trim: QTest::keyClick(w, Chance(0.5) ? Qt::Key_Up : Qt::Key_PageDown); break;
        case Gesture::Box:
        case Gesture::Button:
        case Gesture::Toggle: Click(w); break;
        case Gesture::CloseBox: Close(zektest::PanelOf(op)); break;
        }
    }

    void ActOnPortDialog(int dialog)
    {
        const int pick = Uniform(0, 9);
        last = "port dialog";
        if (pick < 3) {
            auto *spin = static_cast<QSpinBox *>(On(dialog, PANEL_2_NUMERIC));
            spin->selectAll();
            QTest::keyClicks(spin, QString::number(Chance(0.8) ? 1 : Uniform(2, 300)));
            QTest::keyClick(spin, Qt::Key_Return);
        } else if (pick < 4) {
            auto *list = static_cast<QListWidget *>(On(dialog, PANEL_2_LISTBOX));
            if (list->count() > 0) list->setCurrentRow(Uniform(0, list->count() - 1));
        } else if (pick < 7) {
            Click(On(dialog, PANEL_2_COMMANDBUTTON));
        } else if (pick < 9) {
            Click(On(dialog, PANEL_2_COMMANDBUTTON_2));
        } else {
            Close(dialog);
        }
    }

    void Act()
    {
        calibrationLoad = restoring = false;
        if (const int port = PanelByResource(PANEL_2)) return ActOnPortDialog(port);
        if (cali_panel_handle != 0 && FindPanel(cali_panel_handle))
            return ActOn(zektest::Panel::Calibration);
        if (const int info = PanelByResource(PANEL_5)) {
            last = "information OK";
            return Chance(0.5) ? Click(On(info, PANEL_5_COMMANDBUTTON)) : Close(info);
        }
        ActOn(zektest::Panel::Main);
    }

    // --- popups ----------------------------------------------------------------------

    void Answer(QWidget *w)
    {
        popups++;
        if (auto *box = qobject_cast<QMessageBox *>(w)) {
            // The restore after calibration is answered Yes; other rows close either way.
            if (QAbstractButton *yes = box->button(QMessageBox::Yes); restoring && yes) return Click(yes);
            const auto buttons = box->buttons();
            return Click(buttons[Uniform(0, static_cast<int>(buttons.size()) - 1)]);
        }
        if (auto *files = qobject_cast<QFileDialog *>(w)) return AnswerFiles(files);
        if (auto *entry = w->findChild<QLineEdit *>(); entry && !Chance(0.1)) {
            QTest::keyClicks(entry, Chance(0.8) ? "vqd" : "vqx");
            return QTest::keyClick(entry, Qt::Key_Return);
        }
        QTest::keyClick(w, Qt::Key_Escape);
    }

    // A document of the run, or Cancel. Replacing an existing file asks first; that
    // question is answered either way, and a dialog still open afterwards is cancelled.
    void AnswerFiles(QFileDialog *files)
    {
        if (Chance(0.15)) return QTest::keyClick(files, Qt::Key_Escape);
        QPointer<QFileDialog> open = files;
        QTimer::singleShot(0, files, [this] {
            if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
                const auto buttons = box->buttons();
                Click(buttons[Uniform(0, static_cast<int>(buttons.size()) - 1)]);
            }
        });
        files->selectFile(QString::fromStdString(documents[static_cast<size_t>(Uniform(0, 2))]));
        for (QAbstractButton *b : files->findChild<QDialogButtonBox *>()->buttons())
            if (files->findChild<QDialogButtonBox *>()->buttonRole(b) == QDialogButtonBox::AcceptRole) Click(b);
        if (open && open->isVisible()) open->reject();
    }

    // --- faults and checks -----------------------------------------------------------

    void ArmFaults()
    {
        sim.engine.ClearFaults();
        armed.clear();
        if (Chance(0.2)) {
            static const sim::FaultKind kinds[] = {sim::FaultKind::NoReply, sim::FaultKind::Error,
                                                   sim::FaultKind::Garbage, sim::FaultKind::Overlong,
                                                   sim::FaultKind::Slow,    sim::FaultKind::Hangup};
            const sim::FaultKind kind = kinds[Uniform(0, 5)];
            const int ahead = Uniform(1, 8);
            sim.engine.AddFault({kind, sim.engine.Frames() + ahead});
            armed = std::string(", fault ") + sim::FaultName(kind) + " on frame +" + std::to_string(ahead);
            faults++;
        }
        const bool unplug = Chance(0.005);
        if (unplug || Chance(0.05)) sim.backend.SetUnplugged(unplug);
        if (unplug) armed += ", device unplugged";
    }

    // One action: faults, the operator's event, the checks; then the next, until the
    // program ends or the run is complete.
    void Step()
    {
        if (done >= actions || !failure.empty()) {
            finalCheck = true;
            FinalDownload();
            qt::AsOperator([] { QuitUserInterface(0); });
            return;
        }
        watchdog->Tick(done);
        ArmFaults();
        watch.Clear();
        lastTraffic = ClockNow();
        Act();
        history.push_back(std::to_string(done) + ": " + last + armed);
        if (history.size() > 20) history.pop_front();
        done++;
        watch.Settle();
        if (!QuitRequested()) QTimer::singleShot(0, [this] { Step(); });
    }

    // Every popup and the port cleared, no faults: the whole image goes to the device.
    void FinalDownload()
    {
        sim.engine.ClearFaults();
        sim.backend.SetUnplugged(false);
        platform::qt::SetDialogHook([](QWidget *w) { QTest::keyClick(w, Qt::Key_Escape); });
        for (int tries = 0; tries < 5 && ActivePopup() != 0; tries++) Close(ActivePopup());
        // The port dialog leaves only through its buttons: one left open is answered too.
        if (!ComIsOpen(1) || com_port != 1 || PanelByResource(PANEL_2)) {
            if (!PanelByResource(PANEL_2)) Main()->MenuAction(MENU_com_port)->trigger();
            if (const int port = PanelByResource(PANEL_2)) {
                auto *spin = static_cast<QSpinBox *>(On(port, PANEL_2_NUMERIC));
                spin->selectAll();
                QTest::keyClicks(spin, "1");
                Click(On(port, PANEL_2_COMMANDBUTTON));
            }
        }
        watch.Clear();
        Main()->MenuAction(MENU_down_load)->trigger();
        watch.Settle();
        if (watch.oks == 0 || watch.failedAcks > 0) Fail("the final download was not acknowledged");
        for (const std::string &frame : watch.frames)
            if (const int a = hardening::WriteAddress(frame); a >= 0 && aktuelle_daten[a] != sim.engine.Peek(a))
                Fail("after the final download address " + std::to_string(a) + " differs");
        finalCompared = static_cast<int>(watch.frames.size());
    }

    void Session()
    {
        const std::string settings = zektest::ReadFile("config.ctc");
        const int device = settings.size() >= 2 && settings[1] == 15 ? 16 : 8;
        if (sim.engine.Channels() != device) sim.engine.Reset(device);
        frontEnd.reset();
        ResetProgramState();
        ResetUserInterface();
        ResetEventLoop();
        frontEnd.emplace();
        qt::SetDialogHook([this](QWidget *w) { Answer(w); });
        qt::SetRunStartedHook([this] { QTimer::singleShot(0, [this] { Step(); }); });
        if (StartUp() != 0) Fail("the program did not start");
        sessions++;
    }

    std::mt19937_64 rng;
    hardening::LinkWatch watch;
    std::unique_ptr<hardening::WatchedBackend> watched;
    std::unique_ptr<Watchdog> watchdog;
    std::vector<std::string> documents;
    std::string failure, last, armed;
    std::deque<std::string> history;  // the last actions, for the failure report
    int actions = 0, done = 0, faults = 0, popups = 0, sessions = 0, compared = 0, finalCompared = 0;
    bool calibrationLoad = false, restoring = false, finalCheck = false;
    double lastTraffic = 0;
};

TEST_F(WindowSoak, MonkeyOnTheWindowWithLineFaults)
{
    const std::uint64_t seed = zektest::EnvNumber("ZEK_SOAK_SEED", kDefaultSeed);
    actions = static_cast<int>(zektest::EnvNumber("ZEK_SOAK_ACTIONS", kDefaultActions));
    rng.seed(seed);
    watchdog = std::make_unique<Watchdog>(seed);
    watch.onTraffic = [this] {
        const double now = ClockNow();
        if (now - lastTraffic > kLongestWait) Fail("a wait of " + std::to_string(now - lastTraffic) + " s between line events");
        lastTraffic = now;
    };
    watch.onAckedWrite = [this](int address) {
        if (calibrationLoad && zektest::CalibrationRangeWord(address)) return;
        compared++;
        if (aktuelle_daten[address] != sim.engine.Peek(address))
            Fail("acknowledged write to " + std::to_string(address) + ": image " +
                 std::to_string(aktuelle_daten[address]) + ", device " + std::to_string(sim.engine.Peek(address)));
    };
    zektest::WriteSettings({.channels = 16, .shown = 16});
    zektest::WriteFile("last.cfg", std::string(800, '0'));
    const auto start = std::chrono::steady_clock::now();
    while (!finalCheck && failure.empty()) Session();
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("window soak: seed %" PRIu64 ", %d actions in %d program starts, %d faults armed, %d popups "
                "answered, %d acknowledged writes compared, final download %d frames, %.0f s\n",
                seed, done, sessions, faults, popups, compared, finalCompared, seconds);
    EXPECT_TRUE(failure.empty()) << failure << "\nrerun with ZEK_SOAK_SEED=" << seed;
    EXPECT_GE(finalCompared, 1);
}

}  // namespace
