// The port selection dialog: the port number, the list of adapters present, and opening
// the chosen port in place of the old one.
#include "link/port.h"
#include "link/port_list.h"
#include "link/protocol.h"
#include "platform/serial/ports.h"
#include "platform/userint.h"
#include "platform/rs232.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

// Port numbers the dialog's field accepts: those the serial services take.
static const int com_port_min = platform::kFirstComPort;
static const int com_port_max = platform::kLastComPort;

// Handle of the port selection dialog while it is loaded.
static int com_panel = 0;

void com_select(int, int, void *, int)
{
    clear_com_fault();
    com_selection_up();
}

int com_selection_up(void)
{
    com_panel = LoadPanel(0, uir_file, PANEL_2);
    if (com_panel < 0) return 0;
    SetCtrlVal(com_panel, PANEL_2_TEXTMSG, text(txt::com_heading));
    SetCtrlAttribute(com_panel, PANEL_2_COMMANDBUTTON_2, ATTR_LABEL_TEXT, text(txt::com_cancel));
    SetCtrlAttribute(com_panel, PANEL_2_NUMERIC, ATTR_MIN_VALUE, com_port_min);
    SetCtrlAttribute(com_panel, PANEL_2_NUMERIC, ATTR_MAX_VALUE, com_port_max);
    SetCtrlVal(com_panel, PANEL_2_NUMERIC, com_port);
    fill_port_list(com_panel);
    InstallPopup(com_panel);
    return 0;
}

// The dialog leaves only through its buttons.
int panel_com_select(int, int, void *, int, int) { return 0; }

int com_selection(int, int, int, void *, int, int)
{
    clear_com_fault();
    return 0;
}

int com_seletion_ok(int panel, int, int event, void *, int, int)
{
    clear_com_fault();
    if (event != EVENT_COMMIT) return 0;
    if (!link_chosen_adapter(panel)) return 0;  // the old port stays open
    CloseCom(com_port);
    GetCtrlVal(panel, PANEL_2_NUMERIC, &com_port);
    DisableBreakOnLibraryErrors();
    open_port_afresh();
    EnableBreakOnLibraryErrors();
    if (GetRs232Err() < 0) {
        MessagePopup(text(txt::com_error), GetRS232ErrorString(GetRs232Err()));
        comopen = 1;
        return 0;
    }
    comopen = 0;
    DiscardPanel(panel);
    com_panel = 0;
    return 0;
}

int com_seletion_cancel(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    DiscardPanel(panel);
    com_panel = 0;
    return 0;
}

void register_port_callbacks(void)
{
    RegisterMenuCallback("com_select", com_select);
    RegisterPanelCallback("panel_com_select", panel_com_select);
    RegisterCtrlCallback("com_selection", com_selection);
    RegisterCtrlCallback("com_seletion_ok", com_seletion_ok);
    RegisterCtrlCallback("com_seletion_cancel", com_seletion_cancel);
    register_port_list_callbacks();
}
