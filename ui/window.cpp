// The main window's handles, control tables and title.
#include "ui/window.h"

#include "ui/texts.h"

#include <cstdio>

#include "platform/userint.h"
#include "ui/uir.h"

int panel_handle = 0;
int menubar_handle = 0;

const char uir_file[] = "zek-config.uir";
char kopfzeile[MAX_PATHNAME_LEN] = "";

void reset_ui_state(void)
{
    panel_handle = 0;
    menubar_handle = 0;
    kopfzeile[0] = '\0';
    sprache = 0;
}

const int panel_rings[16] = {
    PANEL_RING_1,  PANEL_RING_2,  PANEL_RING_3,  PANEL_RING_4,  PANEL_RING_5,  PANEL_RING_6,
    PANEL_RING_7,  PANEL_RING_8,  PANEL_RING_9,  PANEL_RING_10, PANEL_RING_11, PANEL_RING_12,
    PANEL_RING_13, PANEL_RING_14, PANEL_RING_15, PANEL_RING_16};
const int panel_checkbox[16] = {
    PANEL_CHECKBOX_1,  PANEL_CHECKBOX_2,  PANEL_CHECKBOX_3,  PANEL_CHECKBOX_4,
    PANEL_CHECKBOX_5,  PANEL_CHECKBOX_6,  PANEL_CHECKBOX_7,  PANEL_CHECKBOX_8,
    PANEL_CHECKBOX_9,  PANEL_CHECKBOX_10, PANEL_CHECKBOX_11, PANEL_CHECKBOX_12,
    PANEL_CHECKBOX_13, PANEL_CHECKBOX_14, PANEL_CHECKBOX_15, PANEL_CHECKBOX_16};
const int panel_command_button[16] = {
    PANEL_COMMANDBUTTON_1,  PANEL_COMMANDBUTTON_2,  PANEL_COMMANDBUTTON_3,
    PANEL_COMMANDBUTTON_4,  PANEL_COMMANDBUTTON_5,  PANEL_COMMANDBUTTON_6,
    PANEL_COMMANDBUTTON_7,  PANEL_COMMANDBUTTON_8,  PANEL_COMMANDBUTTON_9,
    PANEL_COMMANDBUTTON_10, PANEL_COMMANDBUTTON_11, PANEL_COMMANDBUTTON_12,
    PANEL_COMMANDBUTTON_13, PANEL_COMMANDBUTTON_14, PANEL_COMMANDBUTTON_15,
    PANEL_COMMANDBUTTON_16};

void show_title(const char *name)
{
    std::snprintf(kopfzeile, sizeof kopfzeile, "%s", name);
    SetPanelAttribute(panel_handle, ATTR_TITLE, kopfzeile);
}
