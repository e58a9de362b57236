// The Windows front end. Plain interface for code that must not see <windows.h>: the
// process entry installs the Win32 front end around the program's own main.
#pragma once

// Installs the Win32 front end, runs programMain(argc, argv) and returns its result.
int RunWithWin32FrontEnd(int argc, char *argv[], int (*programMain)(int, char *[]));
