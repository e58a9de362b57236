// The information dialog's identity lines: this program's name and version, what it
// does and where its documentation lies. The remaining lines stay empty.
#include <cstdio>

#include "app/shell.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"

void show_identity(int info_panel)
{
    char name_version[40];
    std::snprintf(name_version, sizeof name_version, "zek-config %s", version);
    SetCtrlVal(info_panel, PANEL_5_TEXTMSG_5, name_version);
    SetCtrlVal(info_panel, PANEL_5_TEXTMSG_6, text(txt::about_purpose));
    SetCtrlVal(info_panel, PANEL_5_TEXTMSG_7, text(txt::about_docs));
}
