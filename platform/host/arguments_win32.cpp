// Command-line arguments on Windows: the wide command line, split as the C runtime splits
// it, each argument converted to UTF-8. The strings live until the program ends.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "platform/host/arguments.h"

namespace platform {
namespace {

std::string Utf8(const wchar_t *wide)
{
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (n <= 1) return "";
    std::string utf8(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), n, nullptr, nullptr);
    utf8.resize(static_cast<size_t>(n - 1));
    return utf8;
}

}  // namespace

void Utf8Arguments(int *argc, char ***argv)
{
    static std::vector<std::string> texts;
    static std::vector<char *> pointers;
    int count = 0;
    wchar_t **wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!wide) return;  // keep what main was given
    texts.clear();
    for (int i = 0; i < count; i++) texts.push_back(Utf8(wide[i]));
    LocalFree(wide);
    pointers.clear();
    for (std::string &t : texts) pointers.push_back(t.data());
    pointers.push_back(nullptr);
    *argc = count;
    *argv = pointers.data();
}

}  // namespace platform
