#include "support/test_env.h"

#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "channels/image.h"
#include "documents/files.h"
#include "link/port.h"
#include "link/protocol.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "app/shell.h"
#include "platform/rs232_testing.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/files_testing.h"
#include "platform/frontend.h"
#include "platform/language.h"
#include "platform/model.h"
#include "platform/rs232.h"
#include "platform/scripted.h"
#include "platform/userint.h"

namespace zektest {

void ZekTest::SetUp()
{
    char pattern[] = "/tmp/zek-test-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
    ASSERT_EQ(chdir(dir.c_str()), 0);
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
    sprache = 0;
    Kanalzahl = 16;
    Kanalzahl_GUI = 16;
    com_port = 1;
    comopen = 1;
    com_fault = 0;
    panel_handle = 0;
    menubar_handle = 0;
    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
    std::snprintf(File_Name, sizeof File_Name, "%s", "unnamed.cfg");
    kopfzeile[0] = '\0';
    SetRunTimeLanguage(RUNTIME_ENGLISH);  // the run-time's own default
}

void ZekTest::TearDown()
{
    platform::ResetSerial();
    platform::ResetFiles();
    platform::ResetUserInterface();
    if (chdir("/tmp") != 0) return;
    std::error_code ec;
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

}  // namespace zektest
