// Binds every callback of the program to its name in the resource file, and the hooks
// through which the lower layers reach the shell.
#include "app/shell.h"
#include "calibration/calibration.h"
#include "documents/backups.h"
#include "documents/file_menu.h"
#include "link/log_menu.h"
#include "link/port.h"
#include "link/protocol.h"
#include "ui/window.h"
#include "channels/history.h"
#include "channels/image.h"
#include "platform/userint.h"
#include "settings/settings.h"
#include "transfer/transfer.h"

namespace {

// What the program keeps when a failed file dialog ends it: the exit backup and the
// settings, as quitting writes them.
void save_session(void)
{
    backup();
    write_config();
}

}  // namespace

void reset_program_state(void)
{
    reset_ui_state();
    reset_channels_state();
    reset_history_state();
    reset_link_state();
    reset_settings_state();
    reset_transfer_state();
    reset_calibration_state();
    reset_documents_state();
    channel_system[0] = '\0';
}

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
    RegisterMenuCallback("config_sheet", config_sheet);
}

void register_callbacks(void)
{
    session_saver = save_session;
    image_observer = history_observer;
    register_shell_callbacks();
    register_port_callbacks();
    register_link_log_callbacks();
    register_channel_callbacks();
    register_transfer_callbacks();
    register_document_callbacks();
    register_calibration_callbacks();
    register_trim_callbacks();
}
