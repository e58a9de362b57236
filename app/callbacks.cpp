// Binds every callback of the program to its name in the resource file.
#include "app/shell.h"
#include "platform/userint.h"

void register_shell_callbacks(void)
{
    RegisterPanelCallback("panel", panel);
    RegisterMenuCallback("quit", quit);
    RegisterMenuCallback("sprache_d", sprache_d);
    RegisterMenuCallback("sprache_e", sprache_e);
    RegisterMenuCallback("kanal_4", kanal_4);
    RegisterMenuCallback("kanal_8", kanal_8);
    RegisterMenuCallback("kanal_16", kanal_16);
    RegisterMenuCallback("info", info);
    RegisterCtrlCallback("info_ok", info_ok);
    RegisterPanelCallback("info_panel", info_panel);
}

void register_callbacks(void)
{
    register_shell_callbacks();
    register_port_callbacks();
    register_channel_callbacks();
    register_document_callbacks();
    register_calibration_callbacks();
}
