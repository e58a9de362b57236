// Settings file reader: any content of config.ctc starts the program with a window
// whose rows, size and checked items stay within the channel tables.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "channels/image.h"
#include "ui/window.h"
#include "fuzz/fuzz_support.h"
#include "app/shell.h"
#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/userint.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    static fuzzsupport::NoPorts noPorts;
    platform::InstallSerialBackend(&noPorts);
    fuzzsupport::EnterWorkDir("settings");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FILE *f = std::fopen("config.ctc", "wb");
    if (!f) std::abort();
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    platform::ResetUserInterface();
    platform::ResetEventLoop();
    platform::ResetFiles();
    platform::ResetSerial();
    platform::scripted::Install();
    char arg0[] = "zek-config";
    char *argv[] = {arg0, nullptr};
    if (zek_main(1, argv) != 0) std::abort();

    if (Kanalzahl != 8 && Kanalzahl != 16) std::abort();
    if (Kanalzahl_GUI != 4 && Kanalzahl_GUI != 8 && Kanalzahl_GUI != 16) std::abort();
    int visible = 0;
    for (int i = 0; i < 16; i++) visible += platform::FindControl(panel_handle, panel_rings[i])->visible;
    if (visible != Kanalzahl_GUI) std::abort();
    return 0;
}
