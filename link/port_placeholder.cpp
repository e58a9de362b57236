// PLACEHOLDER until the serial port module lands: the port functions do nothing and
// the dialog callbacks only exist so that the resource binds.
#include "app/shell.h"
#include "link/port.h"
#include "platform/userint.h"

void com_on(void) {}
void com_off(void) { SetWaitCursor(0); }
void com_select(int, int, void *, int) {}
int panel_com_select(int, int, void *, int, int) { return 0; }
int com_selection(int, int, int, void *, int, int) { return 0; }
int com_seletion_ok(int, int, int, void *, int, int) { return 0; }
int com_seletion_cancel(int, int, int, void *, int, int) { return 0; }

void register_port_callbacks(void)
{
    RegisterMenuCallback("com_select", com_select);
    RegisterPanelCallback("panel_com_select", panel_com_select);
    RegisterCtrlCallback("com_selection", com_selection);
    RegisterCtrlCallback("com_seletion_ok", com_seletion_ok);
    RegisterCtrlCallback("com_seletion_cancel", com_seletion_cancel);
}
