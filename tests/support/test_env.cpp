#include "support/test_env.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "calibration/calibration.h"
#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/port.h"
#include "link/protocol.h"
#include "transfer/transfer.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "app/shell.h"
#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/language.h"
#include "platform/link_log.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/userint.h"

namespace zektest {

std::string MakeTempFolder(const std::string &parent)
{
    namespace fs = std::filesystem;
    static std::mt19937_64 random{std::random_device{}()};
    std::error_code ec;
    const fs::path base = parent.empty() ? fs::temp_directory_path(ec) : fs::path(parent);
    if (ec || !fs::is_directory(base, ec)) return "";
    for (int attempt = 0; attempt < 100; ++attempt) {
        const fs::path folder = base / ("zek-test-" + std::to_string(random()));
        if (fs::create_directory(folder, ec)) return folder.generic_string();
    }
    return "";
}

void ZekTest::SetUp()
{
    // A system that runs a death test's child as a new process (Windows) starts the test
    // afresh there: the child works in its parent's folder, so the parent sees its files.
    static char folderVariable[MAX_PATHNAME_LEN + 16];
    const char *parentFolder = std::getenv("ZEK_TEST_DIR");
    if (parentFolder && !GTEST_FLAG_GET(internal_run_death_test).empty()) {
        dir = parentFolder;
    } else {
        dir = MakeTempFolder("");
        std::snprintf(folderVariable, sizeof folderVariable, "ZEK_TEST_DIR=%s", dir.c_str());
        putenv(folderVariable);
    }
    ASSERT_FALSE(dir.empty());
    std::error_code ec;
    std::filesystem::current_path(dir, ec);
    ASSERT_FALSE(ec) << dir;
    SetResourceDir(ZEK_UIR_DIR);
    platform::ResetUserInterface();
    platform::ResetEventLoop();
    platform::ResetFiles();
    platform::RecordWrittenFiles(true);
    platform::scripted::Install();
    platform::UseVirtualClock();
    ResetProgramState();
}

// The program's globals as they are when the process starts, so that a test never
// depends on what an earlier test in the same process left behind.
void ZekTest::ResetProgramState()
{
    reset_program_state();
    SetRunTimeLanguage(RUNTIME_ENGLISH);  // the run-time's own default
}

void ZekTest::TearDown()
{
    platform::SetLinkLog("");
    platform::ResetSerial();
    platform::ResetFiles();
    platform::ResetUserInterface();
    std::error_code ec;
    std::filesystem::current_path(std::filesystem::temp_directory_path(), ec);
    if (ec) return;
    std::filesystem::remove_all(dir, ec);
}

int ZekTest::StartUp()
{
    char arg0[] = "zek-config";
    char *argv[] = {arg0, nullptr};
    return zek_main(1, argv);
}

int ZekTest::RunProgram() { return StartUp(); }

std::vector<std::string> ZekTest::MessageList()
{
    std::vector<std::string> list;
    for (const auto &m : platform::scripted::Messages()) list.push_back(m.title + "|" + m.text);
    return list;
}

std::string ConfigTextOf(const int *values)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (int k = 0; k < 400; k++) {
        out += digits[(values[k] >> 4) & 0xF];
        out += digits[values[k] & 0xF];
    }
    return out;
}

std::string ReadFile(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string &name, const std::string &content)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
}

bool FileExists(const std::string &name) { return std::filesystem::exists(name); }

std::string SettingsBytes(const Settings &s)
{
    const int bytes[] = {s.language, s.channels - 1, s.shown - 1, s.port};
    std::string out;
    for (int b : bytes) out += static_cast<char>(b & 0xFF);
    return out;
}

void WriteSettings(const Settings &settings) { WriteFile("config.ctc", SettingsBytes(settings)); }

}  // namespace zektest
