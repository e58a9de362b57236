// Fixture of the document and backup tests: the program on the scripted front end in a
// fresh working directory, with the program-wide document state back at its load values.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <algorithm>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/protocol.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/userint.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace doctest {

// Entry k of a test image: a different byte for every entry, 0 and 255 included.
inline int PatternValue(int k, int seed) { return (k * seed + 3 * seed) & 0xFF; }

inline void FillImage(int seed)
{
    for (int k = 0; k < 512; k++) aktuelle_daten[k] = PatternValue(k, seed);
}

// The 800-character text a file holds for the current image.
inline std::string TextOfImage() { return zektest::ConfigTextOf(aktuelle_daten); }

inline std::string TextOfPattern(int seed)
{
    int values[400];
    for (int k = 0; k < 400; k++) values[k] = PatternValue(k, seed);
    return zektest::ConfigTextOf(values);
}

inline std::vector<int> Image() { return std::vector<int>(aktuelle_daten, aktuelle_daten + 512); }

// What the main window shows of the channel rows: ring position, box, dimming.
struct RowState {
    int ring, box, boxDimmed, buttonDimmed;
    bool operator==(const RowState &) const = default;
};

class DocumentsTest : public zektest::ZekTest {
protected:
    // Names in the working directory, the write service's temporary files included.
    std::vector<std::string> DirectoryNames() const
    {
        std::vector<std::string> names;
        for (const auto &e : std::filesystem::directory_iterator(dir))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
    void SetUp() override
    {
        ZekTest::SetUp();
    }

    void TearDown() override
    {
        platform::scripted::OnMessage(nullptr);
        ZekTest::TearDown();
    }

    std::string Path(const std::string &name) const { return dir + "/" + name; }
    static int Bar() { return GetPanelMenuBar(panel_handle); }
    static bool Menu(int item) { return platform::OperatorChooseMenu(Bar(), item); }
    static bool Focus() { return platform::OperatorFocusPanel(panel_handle, true); }
    static std::string Title() { return platform::FindPanel(panel_handle)->title; }

    static std::vector<RowState> Rows()
    {
        std::vector<RowState> rows;
        for (int i = 0; i < 16; i++) {
            const platform::Control *ring = platform::FindControl(panel_handle, panel_rings[i]);
            const platform::Control *box = platform::FindControl(panel_handle, panel_checkbox[i]);
            const platform::Control *button =
                platform::FindControl(panel_handle, panel_command_button[i]);
            rows.push_back({ring->value, box->value, box->dimmed, button->dimmed});
        }
        return rows;
    }

    static std::vector<platform::scripted::PopupRecord> Messages()
    {
        return platform::scripted::Messages();
    }
    static int PopupsOf(platform::scripted::PopupRecord::Kind kind)
    {
        int n = 0;
        for (const auto &p : platform::scripted::Popups()) n += p.kind == kind;
        return n;
    }
};

// An image that the 8-channel window shows distinctly: channel 1 thermocouple type 1
// (dimmed), channel 2 half bridge at 2 mV/V, channel 3 full bridge at 4 mV/V.
inline void ShowableImage()
{
    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
    aktuelle_daten[16] = 0xC9;
    aktuelle_daten[17] = 0xB0;
    aktuelle_daten[16 + 8 + 8 + 4] = 0x00;  // channel 2 gain word 0x100
    aktuelle_daten[16 + 8 + 8 + 5] = 0x01;
    aktuelle_daten[18] = 0x30;
    aktuelle_daten[16 + 8 + 16 + 4] = 0x00;  // channel 3 gain word 0x200
    aktuelle_daten[16 + 8 + 16 + 5] = 0x02;
}

}  // namespace doctest
