// Undo and redo of the main window's changes. Each step is replayed through the change
// function the operator used, so it goes out and is acknowledged like the original; a
// step the device does not acknowledge keeps its place in the history.
#include "channels/history.h"
#include "link/protocol.h"
#include "platform/userint.h"
#include "settings/settings.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

// Sets the row's ring or box, or the toggle, to value and sends it; true when the device
// acknowledged it.
bool replay(const HistoryStep &s, int value)
{
    clear_com_fault();
    history_replaying = true;
    if (s.kind == step_range) {
        SetCtrlIndex(panel_handle, panel_rings[s.ch], value);
        aktu_gain(s.ch + 1);
    } else if (s.kind == step_bridge) {
        SetCtrlVal(panel_handle, panel_checkbox[s.ch], value);
        vb_hb(s.ch + 1);
    } else {
        SetCtrlVal(panel_handle, PANEL_TOGGLEBUTTON, value);
        cal_on_off(panel_handle, PANEL_TOGGLEBUTTON, EVENT_VAL_CHANGED, nullptr, 0, 0);
    }
    history_replaying = false;
    return com_fault == 0;
}

}  // namespace

void undo(int, int, void *, int)
{
    const HistoryStep *s = undo_step();
    if (s && replay(*s, s->before)) history_undone();
}

void redo(int, int, void *, int)
{
    const HistoryStep *s = redo_step();
    if (s && replay(*s, s->after)) history_redone();
}
