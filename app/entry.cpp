// Process entry of the desktop program: the program's start-up runs on the Qt front end
// (the Win32 one on Windows).
// With --data-home (the desktop menu's entry) the program works in its per-user folder;
// otherwise in the working directory it was started in.
#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "platform/host/arguments.h"
#include "platform/host/data_home.h"
#ifdef _WIN32
#include "platform/frontend/win32/win32_frontend.h"
#else
#include "platform/frontend/qt/qt_frontend.h"
#endif

namespace {

const char usage[] =
    "usage: zek-config [--data-home]\n"
    "  Keeps its settings (config.ctc), backups (last.cfg, temp.ctc) and serial port\n"
    "  links (COM<n>) in the working directory.\n"
    "  --data-home  work in $XDG_DATA_HOME/zek-config (~/.local/share/zek-config when\n"
    "               XDG_DATA_HOME is not set), created when missing; the desktop menu\n"
    "               starts the program this way\n";

bool has_option(int argc, char *argv[], const char *option)
{
    for (int i = 1; i < argc; i++)
        if (std::strcmp(argv[i], option) == 0) return true;
    return false;
}

}  // namespace

int main(int argc, char *argv[])
{
    // Our options are read in UTF-8; Qt is handed main's own arguments, which it reads
    // from the system's command line itself.
    int count = argc;
    char **args = argv;
    platform::Utf8Arguments(&count, &args);
    if (has_option(count, args, "--help")) {
        std::fputs(usage, stdout);
        return 0;
    }
    if (has_option(count, args, "--data-home")) {
        std::string failure = platform::EnterDataHome("zek-config");
        if (!failure.empty()) {
            std::fprintf(stderr, "zek-config: %s\n", failure.c_str());
            return -1;
        }
    }
#ifdef _WIN32
    return RunWithWin32FrontEnd(count, args, zek_main);
#else
    return RunWithQtFrontEnd(argc, argv, zek_main);
#endif
}
