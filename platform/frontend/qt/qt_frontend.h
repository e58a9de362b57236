// The desktop front end. Plain interface for code that must not see Qt: the process
// entry installs the Qt front end around the program's own main.
#pragma once

// Creates the application (unless one exists), installs the Qt front end, runs
// programMain(argc, argv) and returns its result. Returns -1 without running
// programMain when no display can be reached.
int RunWithQtFrontEnd(int argc, char *argv[], int (*programMain)(int, char *[]));
