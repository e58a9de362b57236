// Fixture of the calibration tests: the program started on the scripted front end and
// the virtual clock, its port answered by the in-process simulator.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "channels/image.h"
#include "link/protocol.h"
#include "ui/window.h"
#include "calibration/calibration.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"
#include "support/sim_env.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace zektest {

class CaliTest : public ZekTest {
protected:
    SimEnv sim{1, 8};
    sim::Engine &engine = sim.engine;
    sim::SimSerialBackend *backend = &sim.backend;
    int cp = 0;       // calibration panel handle
    size_t mark = 0;  // frames before this index are not looked at

    // Starts the program with k device channels, gui rows shown and the language.
    void Start(int k, int gui, int language = 0)
    {
        zektest::WriteSettings({.language = language, .channels = k, .shown = gui});
        engine.Reset(k);
        ASSERT_EQ(StartUp(), 0);
        platform::ResetEventLoop();
        Clear();
    }
    // Chooses the calibration item with this answer to the password prompt (none:
    // the prompt is cancelled); the panel handle, 0 when no panel opened.
    int Open(const char *password = "vqd")
    {
        if (password) platform::scripted::AnswerPrompt(password);
        EXPECT_TRUE(platform::OperatorChooseMenu(GetPanelMenuBar(panel_handle), MENU_cali));
        cp = platform::PanelByResource(PANEL_3);
        return cp;
    }
    bool Toggle(int on) { return platform::OperatorToggle(cp, PANEL_3_TOGGLEBUTTON_ACTIV, on); }
    bool Select(int index) { return platform::OperatorSetValue(cp, PANEL_3_RING_Cali_Sel, index); }
    platform::Control &C(int id) { return *platform::FindControl(cp, id); }
    void Clear()
    {
        platform::scripted::ClearJournal();
        mark = engine.FrameLog().size();
    }
    // Frames the device received since the last Clear, without CR.
    std::vector<std::string> Frames() const
    {
        const auto &log = engine.FrameLog();
        return {log.begin() + static_cast<long>(mark), log.end()};
    }
    // Makes the next frame the device receives fail in this way.
    void FailNext(sim::FaultKind kind) { engine.AddFault({kind, engine.Frames() + 1, 0.0}); }
    // The calibration record's lines, split at the commas (its fields hold none); the
    // byte order mark before the header is checked and taken off.
    static std::vector<std::vector<std::string>> RecordLines()
    {
        std::string text = ReadFile(cal_record_file);
        if (text.empty()) return {};
        EXPECT_EQ(text.substr(0, 3), "\xEF\xBB\xBF");
        std::vector<std::vector<std::string>> lines;
        size_t at = 3;
        for (size_t end; (end = text.find("\r\n", at)) != std::string::npos; at = end + 2) {
            std::vector<std::string> cells(1);
            for (char c : text.substr(at, end - at)) {
                if (c == ',') cells.emplace_back();
                else cells.back() += c;
            }
            lines.push_back(cells);
        }
        EXPECT_EQ(at, text.size()) << "the record ends in a torn line";
        return lines;
    }
    // A write frame as it goes out: address, data, "W".
    static std::string W(int address, int data)
    {
        char f[8];
        std::snprintf(f, sizeof f, "%04X%02XW", address & 0xFFFF, data & 0xFF);
        return f;
    }
};

}  // namespace zektest
