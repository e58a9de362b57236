// Event loop state and operator actions: one callback at a time, never re-entered.
// Input that arrives while a callback runs is dropped; focus events are kept and
// delivered once the running callback has returned.
#include <vector>

#include "platform/ui/control_kinds.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/progress.h"

namespace platform {

FrontEnd &ScriptedFrontEnd();  // frontend/scripted/scripted.cpp

namespace {

FrontEnd *installed = nullptr;
bool quitRequested = false;
int quitCode = 0;
bool inCallback = false;
bool waitCursor = false;
std::vector<std::pair<int, bool>> pendingFocus;

// May the operator act on this panel now?
bool Reachable(int panel)
{
    if (inCallback) return false;
    Panel *p = FindPanel(panel);
    if (!p || !p->displayed) return false;
    int popup = ActivePopup();
    return popup == 0 || popup == panel;
}

bool Usable(int panel, int control)
{
    if (!Reachable(panel)) return false;
    Control *c = FindControl(panel, control);
    return c && c->visible && !c->dimmed;
}

void DeliverPendingFocus();

// Runs one callback with the re-entry guard, then any focus events that waited.
template <typename Fn>
void Dispatch(Fn &&call)
{
    inCallback = true;
    call();
    inCallback = false;
    DeliverPendingFocus();
}

void SendControlEvent(int panel, int control, int event)
{
    Control *c = FindControl(panel, control);
    if (!c || !c->callback) return;
    CtrlCallbackPtr fn = c->callback;
    Dispatch([&] { fn(panel, control, event, nullptr, 0, 0); });
}

void SendPanelEvent(int panel, int event)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->callback) return;
    PanelCallbackPtr fn = p->callback;
    Dispatch([&] { fn(panel, event, nullptr, 0, 0); });
}

void DeliverPendingFocus()
{
    while (!pendingFocus.empty() && !inCallback) {
        auto [panel, gained] = pendingFocus.front();
        pendingFocus.erase(pendingFocus.begin());
        SendPanelEvent(panel, gained ? EVENT_GOT_FOCUS : EVENT_LOST_FOCUS);
    }
}

}  // namespace

FrontEnd &CurrentFrontEnd() { return installed ? *installed : ScriptedFrontEnd(); }
void InstallFrontEnd(FrontEnd *frontEnd) { installed = frontEnd; }

bool QuitRequested() { return quitRequested; }
int QuitCode() { return quitCode; }
bool CallbackRunning() { return inCallback; }
bool WaitCursorShown() { return waitCursor; }

bool OperatorSetValue(int panel, int control, int value)
{
    if (!Usable(panel, control)) return false;
    Control *c = FindControl(panel, control);
    if (RulesOf(c->kind).input == OperatorInput::Press) return false;
    if (!OperatorValueAccepted(*c, value)) return false;
    CurrentFrontEnd().PanelChanged(panel, control);
    SendControlEvent(panel, control, EVENT_VAL_CHANGED);
    SendControlEvent(panel, control, EVENT_COMMIT);
    return true;
}

bool OperatorPressButton(int panel, int control)
{
    if (!Usable(panel, control)) return false;
    if (RulesOf(FindControl(panel, control)->kind).input != OperatorInput::Press) return false;
    SendControlEvent(panel, control, EVENT_COMMIT);
    return true;
}

bool OperatorToggle(int panel, int control, int value)
{
    if (!Usable(panel, control)) return false;
    if (RulesOf(FindControl(panel, control)->kind).input != OperatorInput::Toggle) return false;
    return OperatorSetValue(panel, control, value);
}

bool OperatorControlInput(int panel, int control, int value)
{
    const Control *c = FindControl(panel, control);
    if (!c) return false;
    switch (RulesOf(c->kind).input) {
    case OperatorInput::SetValue: return OperatorSetValue(panel, control, value);
    case OperatorInput::Press: return OperatorPressButton(panel, control);
    case OperatorInput::Toggle: return OperatorToggle(panel, control, value);
    case OperatorInput::None: break;
    }
    return false;
}

bool OperatorChooseMenu(int menuBar, int item)
{
    MenuBar *bar = FindMenuBar(menuBar);
    if (!bar || !Reachable(bar->panel)) return false;
    MenuEntry *e = FindMenuEntry(menuBar, item);
    if (!e || e->kind != MenuKind::Item || e->dimmed || !e->visible || !e->callback) return false;
    MenuCallbackPtr fn = e->callback;
    int panel = bar->panel;
    Dispatch([&] { fn(menuBar, item, nullptr, panel); });
    return true;
}

bool OperatorClosePanel(int panel)
{
    if (!Reachable(panel)) return false;
    SendPanelEvent(panel, EVENT_CLOSE);
    return true;
}

bool OperatorReturnKey(int panel)
{
    Panel *p = FindPanel(panel);
    return p && p->defaultButton && OperatorPressButton(panel, p->defaultButton);
}

bool OperatorEscapeKey(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p) return false;
    if (p->cancelButton) return OperatorPressButton(panel, p->cancelButton);
    return p->popup && OperatorClosePanel(panel);
}

bool OperatorFocusPanel(int panel, bool gained)
{
    Panel *p = FindPanel(panel);
    if (!p || !p->displayed) return false;
    pendingFocus.emplace_back(panel, gained);
    DeliverPendingFocus();
    return true;
}

void ResetEventLoop()
{
    quitRequested = false;
    quitCode = 0;
    inCallback = false;
    waitCursor = false;
    pendingFocus.clear();
    ResetProgress();
}

}  // namespace platform

int SetWaitCursor(int on)
{
    platform::waitCursor = on != 0;
    platform::CurrentFrontEnd().WaitCursorChanged(on != 0);
    return 0;
}

int RunUserInterface(void)
{
    platform::quitRequested = false;
    platform::CurrentFrontEnd().Run();
    return platform::quitCode;
}

int QuitUserInterface(int returnCode)
{
    platform::quitRequested = true;
    platform::quitCode = returnCode;
    return 0;
}
