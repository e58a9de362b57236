// Start-up, the main window's panel callback and quitting.
#include <cstdio>
#include <cstring>

#include "app/shell.h"
#include "calibration/calibration.h"
#include "channels/history.h"
#include "channels/image.h"
#include "documents/backups.h"
#include "documents/file_menu.h"
#include "link/log_menu.h"
#include "link/port.h"
#include "settings/settings.h"
#include "platform/files.h"
#include "platform/language.h"
#include "platform/rs232.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

char channel_system[24] = "";

namespace {

constexpr int TOGGLE_OFF_COLOR = 0xA0A0A0;
constexpr int TOGGLE_ON_COLOR = 0x008000;
constexpr int AUTOZERO_COLOR = 0x808080;

void hide_rows_beyond_count(void)
{
    for (int i = Kanalzahl_GUI; i < 16; i++) {
        SetCtrlAttribute(panel_handle, panel_command_button[i], ATTR_VISIBLE, 0);
        SetCtrlAttribute(panel_handle, panel_checkbox[i], ATTR_VISIBLE, 0);
        SetCtrlAttribute(panel_handle, panel_rings[i], ATTR_VISIBLE, 0);
    }
}

// Labels every ring in the current language and fills it with the eight ranges.
void fill_rings(void)
{
    char label[32];
    for (int i = 0; i < 16; i++) {
        std::snprintf(label, sizeof label, "%s%d", text(txt::kanal_prefix), i + 1);
        SetCtrlAttribute(panel_handle, panel_rings[i], ATTR_LABEL_TEXT, label);
        DeleteListItem(panel_handle, panel_rings[i], 0, -1);
        for (int k = 0; k < 8; k++)
            InsertListItem(panel_handle, panel_rings[i], k, text(txt::range_items[k]),
                           txt::range_item_values[k]);
    }
}

void install_language(void)
{
    fill_rings();
    menubar_handle = LoadMenuBar(panel_handle, uir_file, sprache == 0 ? MENUBAR : MENUBAR_2);
    SetPanelMenuBar(panel_handle, menubar_handle);
    SetMenuBarAttribute(menubar_handle, sprache == 0 ? MENU_sprache_d : MENU_sprache_e,
                        ATTR_CHECKED, 1);
    set_channel_system();
    SetCtrlVal(panel_handle, PANEL_TEXTMSG_1, channel_system);
    SetCtrlVal(panel_handle, PANEL_TEXTMSG_2, text(txt::konfiguration));
    SetCtrlVal(panel_handle, PANEL_TEXTMSG_5, text(txt::halbbruecke));
}

// Height, width, checked channel-count item and scroll bars by displayed channels.
void size_panel(void)
{
    int height, width, item, scroll;
    switch (Kanalzahl_GUI) {
    case 4: height = 295; width = 550; item = MENU_4kanal; scroll = VAL_NO_SCROLL_BARS; break;
    case 8: height = 395; width = 550; item = MENU_8kanal; scroll = VAL_NO_SCROLL_BARS; break;
    case 16: height = 595; width = 580; item = MENU_16kanal; scroll = VAL_VERT_SCROLL_BAR; break;
    default: return;
    }
    SetPanelAttribute(panel_handle, ATTR_HEIGHT, height);
    SetPanelAttribute(panel_handle, ATTR_WIDTH, width);
    SetMenuBarAttribute(menubar_handle, item, ATTR_CHECKED, 1);
    SetPanelAttribute(panel_handle, ATTR_SCROLL_BARS, scroll);
}

}  // namespace

void set_channel_system(void)
{
    std::snprintf(channel_system, sizeof channel_system, "%d%s", Kanalzahl_GUI,
                  text(txt::system_suffix));
}

int load_main_panel(void (*settings)(void))
{
    panel_handle = LoadPanel(0, uir_file, PANEL);
    if (panel_handle < 0) return -1;
    SetCtrlAttribute(panel_handle, PANEL_TOGGLEBUTTON, ATTR_OFF_COLOR, TOGGLE_OFF_COLOR);
    SetCtrlAttribute(panel_handle, PANEL_TOGGLEBUTTON, ATTR_ON_COLOR, TOGGLE_ON_COLOR);
    reset_settings_state();
    settings();
    SetRunTimeLanguage(sprache);
    for (int i = 0; i < 16; i++)
        SetCtrlAttribute(panel_handle, panel_command_button[i], ATTR_CMD_BUTTON_COLOR,
                         AUTOZERO_COLOR);
    hide_rows_beyond_count();
    install_language();
    if (menubar_handle < 0) return -1;  // a damaged resource without the menu bar
    show_history_menu();
    show_recent_menu();
    size_panel();
    return 0;
}

int zek_main(int, char *argv[])
{
    if (InitCVIRTE(nullptr, argv, nullptr) == 0) return -1;
    RemoveStaleWriteFiles();
    register_callbacks();
    if (load_main_panel(read_config) != 0) return -1;
    Letzte_hoch();
    restore_link_log();
    com_on();
    SetPanelAttribute(panel_handle, ATTR_TOP, VAL_AUTO_CENTER);
    SetPanelAttribute(panel_handle, ATTR_LEFT, VAL_AUTO_CENTER);
    DisplayPanel(panel_handle);
    RunUserInterface();
    record_at_exit();
    return 0;
}

int panel(int panel, int event, void *, int, int)
{
    switch (event) {
    case EVENT_GOT_FOCUS:
        show_title(File_Name);
        menubar_handle = GetPanelMenuBar(panel);
        break;
    case EVENT_CLOSE:
        if (comopen == 0) CloseCom(com_port);
        backup();
        com_off();
        write_config();
        QuitUserInterface(0);
        break;
    default: break;
    }
    return 0;
}

void quit(int, int, void *, int)
{
    backup();
    write_config();
    CloseCom(com_port);
    QuitUserInterface(0);
}
