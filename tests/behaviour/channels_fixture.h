// Fixture of the channel-settings and transfer tests: the program started on the
// scripted front end and the virtual clock, its port wired to the in-process simulator.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "channels/image.h"
#include "ui/window.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"
#include "support/sim_env.h"
#include "support/test_env.h"

namespace zektest {

// One command frame as it went out: its characters without CR, the time of its first
// character group and the time of its CR.
struct SentFrame {
    std::string text;
    double start;
    double end;
};

// The configuration text of image entries 0..399 (lower-case hex pairs).
inline std::string ConfigText(const int image[512]) { return ConfigTextOf(image); }

class ChannelsTest : public ZekTest {
protected:
    SimEnv sim{1, 8};
    sim::Engine &engine = sim.engine;
    sim::SimSerialBackend *backend = &sim.backend;


    void TearDown() override
    {
        platform::scripted::OnRepaint(nullptr);
        platform::scripted::OnMessage(nullptr);
        engine.SetLog(nullptr);
        ZekTest::TearDown();
    }

    // Starts the program for `channels` device channels (rows shown: `shown`, else the
    // same) in the given language, with `image` as the configuration of the last exit; the journal,
    // the popups and the simulator's counters start empty afterwards.
    void Start(int channels, const int image[512], int language = 0, int shown = 0)
    {
        if (shown == 0) shown = channels;
        zektest::WriteSettings({.language = language, .channels = channels, .shown = shown});
        WriteFile("last.cfg", ConfigText(image));
        engine.Reset(channels);
        // Entries 400..511 are not in files: they come straight into the image.
        std::memcpy(aktuelle_daten, image, sizeof aktuelle_daten);
        ASSERT_EQ(StartUp(), 0);
        ASSERT_TRUE(platform::ComIsOpen(1));
        platform::ResetEventLoop();
        platform::scripted::ClearJournal();
        backend->ClearJournal();
    }

    platform::Control *Ctrl(int control) { return platform::FindControl(panel_handle, control); }
    int Ring(int n) { return panel_rings[n - 1]; }
    int Box(int n) { return panel_checkbox[n - 1]; }
    int Button(int n) { return panel_command_button[n - 1]; }
    int Bar() { return GetPanelMenuBar(panel_handle); }

    // The frames written since the journal was cleared.
    std::vector<SentFrame> Frames() const
    {
        std::vector<SentFrame> frames;
        SentFrame current{"", -1.0, -1.0};
        for (const auto &w : backend->Journal()) {
            for (char c : w.bytes) {
                if (current.start < 0) current.start = w.time;
                if (c == '\r') {
                    current.end = w.time;
                    frames.push_back(current);
                    current = {"", -1.0, -1.0};
                } else {
                    current.text += c;
                }
            }
        }
        return frames;
    }

    std::vector<std::string> FrameTexts() const
    {
        std::vector<std::string> texts;
        for (const auto &f : Frames()) texts.push_back(f.text);
        return texts;
    }

};

}  // namespace zektest
