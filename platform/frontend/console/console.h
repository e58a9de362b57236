// The console front end: for programs without a window. Panels live in the ui model
// only; what a window would show in a popup becomes one line on stderr, questions are
// answered No, and no file is ever chosen. Progress shows on stderr when it is a terminal.
#pragma once

namespace platform {

// Makes the console front end current.
void InstallConsoleFrontEnd();
// Message lines written to stderr so far.
int ConsoleMessageCount();

}  // namespace platform
