// platform/host/ owns what the operating system gives the program at start: its command
// line and the folder for its data (data_home.h), one backend file per system. It sees
// files/ below it.
//
// The program's command-line arguments as UTF-8, as every path and text of the program is.
#pragma once

namespace platform {

// Replaces *argc and *argv with the arguments in UTF-8. On Windows they are taken from the
// wide command line, since the ANSI code page that main receives loses every character it
// cannot show (and gives the rest in another encoding); elsewhere they stay as given.
void Utf8Arguments(int *argc, char ***argv);

}  // namespace platform
