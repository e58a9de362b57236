// Information dialog: system line, version line and the program's identity.
#include <cstdio>

#include "channels/image.h"
#include "app/shell.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

const char version[] = ZEK_VERSION;  // the build's project version

namespace {

int info_handle = 0;
char system_version[40] = "";

}  // namespace

void info(int, int, void *, int)
{
    info_handle = LoadPanel(0, uir_file, PANEL_5);
    set_channel_system();
    SetCtrlVal(info_handle, PANEL_5_TEXTMSG_1, channel_system);
    std::snprintf(system_version, sizeof system_version, "%s%s", text(txt::version_prefix),
                  version);
    SetCtrlVal(info_handle, PANEL_5_TEXTMSG_2, system_version);
    show_identity(info_handle);
    InstallPopup(info_handle);
}

int info_ok(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) DiscardPanel(info_handle);
    return 0;
}

int info_panel(int, int event, void *, int, int)
{
    if (event == EVENT_CLOSE) DiscardPanel(info_handle);
    return 0;
}
