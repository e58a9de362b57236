// Shared set-up of the fuzz targets: a private working directory, the resource from the
// build folder, the scripted front end on the virtual clock, and the program started.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/shell.h"
#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/userint.h"

namespace fuzzsupport {

// No serial device: every open fails, as on a machine without the port.
class NoPorts : public platform::SerialBackend {
public:
    std::unique_ptr<platform::SerialPort> Open(int, const platform::LineSettings &,
                                               int *error, std::string *path) override
    {
        *error = RS232_PORT_NOT_FOUND;
        *path = "(none)";
        return nullptr;
    }
};

inline void EnterWorkDir(const char *name)
{
    std::string pattern = std::string("/tmp/zek-fuzz-") + name + "-XXXXXX";
    if (!mkdtemp(pattern.data()) || chdir(pattern.c_str()) != 0) std::abort();
    SetResourceDir(ZEK_UIR_DIR);
    platform::UseVirtualClock();
}

// Runs the program's start-up; the event loop ends at once and leaves the window.
inline void StartProgram(platform::SerialBackend *serial)
{
    platform::InstallSerialBackend(serial);
    platform::scripted::Install();
    char arg0[] = "zek-config";
    char *argv[] = {arg0, nullptr};
    if (zek_main(1, argv) != 0) std::abort();
    platform::ResetEventLoop();
}

}  // namespace fuzzsupport
