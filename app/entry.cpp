// Process entry of the desktop program: the program's start-up runs on the Qt front end.
#include "app/shell.h"
#include "platform/qt/qt_frontend.h"

int main(int argc, char *argv[]) { return RunWithQtFrontEnd(argc, argv, zek_main); }
