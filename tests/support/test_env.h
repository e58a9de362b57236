// Test fixture: a fresh temporary working directory, the resource from the build
// folder, the scripted front end and the virtual clock.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace zektest {

class ZekTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs the program's start-up with no operator steps: the event loop ends at
    // once and leaves the panels loaded, so the test can act as the operator.
    int StartUp();
    // Runs the whole program with the steps queued so far.
    int RunProgram();
    void ResetProgramState();
    // Titles and texts of the message popups shown so far, "title|text" each.
    static std::vector<std::string> MessageList();

    std::string dir;  // the working directory
};

// A new folder of its own below parent (the system's temporary folder when empty); ""
// when parent is not a folder or takes none.
std::string MakeTempFolder(const std::string &parent);

// Whole-file helpers relative to the working directory.
std::string ReadFile(const std::string &name);
void WriteFile(const std::string &name, const std::string &content);
bool FileExists(const std::string &name);
// The configuration text of values[0..399]: lower-case hex pairs, built here on its own
// so that the program's writer is compared with something other than itself.
std::string ConfigTextOf(const int *values);

// The settings file "config.ctc" as the program stores it: one byte each for the language,
// the device channels minus one, the channel rows shown minus one and the port number.
struct Settings {
    int language = 0;  // 0 German, 1 English
    int channels = 8;  // device channels
    int shown = 8;     // channel rows shown
    int port = 1;
};
std::string SettingsBytes(const Settings &settings);
void WriteSettings(const Settings &settings);  // "config.ctc" in the working directory

}  // namespace zektest
