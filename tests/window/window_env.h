// Window tests: the program on the Qt front end (offscreen platform), in a fresh working
// directory with the in-process simulator on port 1 and the virtual clock.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QLabel>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ui/window.h"
#include "platform/ui/model.h"
#include "platform/frontend/qt/qt_internal.h"
#include "support/sim_env.h"
#include "support/test_env.h"

namespace zektest {

// The one application of the test process, made by the first test that needs it (never
// at start: listing the tests must not need a display).
inline QApplication &App()
{
    static QApplication *app = [] {
        static int argc = 1;
        static char arg0[] = "zek-window-tests";
        static char *argv[] = {arg0, nullptr};
        auto *a = new QApplication(argc, argv);
        platform::qt::ConfigureApplication();
        return a;
    }();
    return *app;
}

// One event seen by a recording callback, with the control's model value at that moment.
struct Seen {
    int panel, control, event, value;
};

class WindowTest : public ZekTest {
protected:
    void SetUp() override
    {
        ZekTest::SetUp();
        App();
        frontEnd.emplace();
        seen.clear();
    }
    void TearDown() override
    {
        platform::qt::SetDialogHook(nullptr);
        platform::qt::SetRunStartedHook(nullptr);
        frontEnd.reset();
        ZekTest::TearDown();
    }

    // Starts the program with the given settings (language, displayed channel count);
    // the event loop runs `during` once it has started, then ends. The windows stay.
    int StartWindow(int language, int rows, const std::function<void()> &during = {})
    {
        zektest::WriteSettings({.language = language, .channels = rows == 16 ? 16 : 8, .shown = rows});
        WriteFile("last.cfg", std::string(800, '0'));
        platform::qt::SetRunStartedHook([during] {
            if (during) during();
            QuitUserInterface(0);
        });
        return StartUp();
    }

    platform::qt::PanelWindow *Main() { return platform::qt::WindowOf(panel_handle); }
    QWidget *Widget(int control) { return Main()->Body(control); }
    QComboBox *Ring(int channel) { return static_cast<QComboBox *>(Widget(panel_rings[channel])); }

    // Replaces a control's callback by one that records what it receives.
    void Record(int panel, int control)
    {
        platform::FindControl(panel, control)->callback = RecordControl;
    }
    void RecordPanel(int panel) { platform::FindPanel(panel)->callback = RecordPanelEvent; }

    static int RecordControl(int panel, int control, int event, void *, int, int)
    {
        int value = 0;
        if (GetCtrlIndex(panel, control, &value) < 0) GetCtrlVal(panel, control, &value);
        seen.push_back({panel, control, event, value});
        return 0;
    }
    static int RecordPanelEvent(int panel, int event, void *, int, int)
    {
        seen.push_back({panel, 0, event, 0});
        return 0;
    }

    SimEnv sim;
    std::optional<platform::qt::ScopedFrontEnd> frontEnd;
    static inline std::vector<Seen> seen;
};

}  // namespace zektest
