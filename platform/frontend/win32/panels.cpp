// A panel of the ui model as a top-level window: the controls as native child windows at
// the resource's positions (scaled by the screen's DPI), the menu bar with its mnemonics
// and accelerators, and below the main window the progress and status line.
#include "platform/frontend/win32/win32_internal.h"  // <windows.h> first

#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdlib>
#include <cwchar>
#include <vector>

#include "platform/frontend/win32/win32_internal.h"
#include "platform/frontend.h"
#include "platform/language.h"
#include "platform/progress.h"
#include "platform/ui/control_kinds.h"
#include "platform/ui/layout.h"

namespace platform::win32 {
namespace {

COLORREF FromRgb(int rgb) { return RGB((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

// The layout's text measure, in resource units, through GDI.
class GdiMeasure : public TextMeasure {
public:
    explicit GdiMeasure(const std::wstring &text) : text_(text) {}
    Size OneLine(int shrink) override
    {
        SIZE s = TextExtent(DialogFont(shrink), text_, 0);
        return {Unscaled(s.cx), Unscaled(s.cy)};
    }
    int WrappedHeight(int width) override
    {
        return Unscaled(TextExtent(DialogFont(), text_, Scaled(width)).cy);
    }
    int DialogPixels() override { return kDialogPixels; }

private:
    std::wstring text_;
};

struct Made {
    const wchar_t *cls;
    DWORD style;
};

Made MadeFor(CtrlKind kind)
{
    switch (kind) {
    case CtrlKind::Ring: return {WC_COMBOBOXW, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP};
    case CtrlKind::Checkbox: return {WC_BUTTONW, BS_CHECKBOX | WS_TABSTOP};
    case CtrlKind::CommandButton: return {WC_BUTTONW, BS_PUSHBUTTON | WS_TABSTOP};
    case CtrlKind::ToggleButton: return {WC_BUTTONW, BS_CHECKBOX | BS_PUSHLIKE | WS_TABSTOP};
    case CtrlKind::Numeric: return {WC_EDITW, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP};
    case CtrlKind::TextMessage: return {WC_STATICW, SS_LEFT | SS_NOPREFIX};
    case CtrlKind::Picture: return {WC_STATICW, SS_OWNERDRAW};
    case CtrlKind::ListBox: return {WC_LISTBOXW, LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP};
    }
    return {WC_STATICW, 0};
}

// The body's size without the resource's: the content plus the native frame around it.
Size Natural(const Control &c, HWND body)
{
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(body, WM_GETFONT, 0, 0));
    auto extent = [font](const std::string &t) { return TextExtent(font, Wide(t), 0); };
    SIZE s{0, 0};
    switch (c.kind) {
    case CtrlKind::Ring:
        for (const ListItem &item : c.items) s.cx = std::max(s.cx, extent(item.label).cx);
        return {Unscaled(s.cx) + 28, 22};
    case CtrlKind::Checkbox: s = extent(c.label); return {Unscaled(s.cx) + 22, 18};
    case CtrlKind::CommandButton: s = extent(c.label); return {Unscaled(s.cx) + 20, 24};
    case CtrlKind::ToggleButton:
        s = extent(c.onText.size() > c.offText.size() ? c.onText : c.offText);
        return {Unscaled(s.cx) + 20, 24};
    case CtrlKind::Numeric: return {60, 22};
    case CtrlKind::TextMessage: s = extent(c.text); return {Unscaled(s.cx), Unscaled(s.cy)};
    default: return {100, 60};
    }
}

void Place(HWND hwnd, const Rect &r)
{
    SetWindowPos(hwnd, nullptr, Scaled(r.left), Scaled(r.top), Scaled(r.width), Scaled(r.height),
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void SyncValue(HWND body, const Control &c)
{
    switch (c.kind) {
    case CtrlKind::Ring:
    case CtrlKind::ListBox: {
        const bool ring = c.kind == CtrlKind::Ring;
        SendMessageW(body, ring ? CB_RESETCONTENT : LB_RESETCONTENT, 0, 0);
        for (const ListItem &item : c.items)
            SendMessageW(body, ring ? CB_ADDSTRING : LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(Wide(item.label).c_str()));
        bool valid = c.value >= 0 && c.value < static_cast<int>(c.items.size());
        SendMessageW(body, ring ? CB_SETCURSEL : LB_SETCURSEL, valid ? c.value : -1, 0);
        break;
    }
    case CtrlKind::Checkbox:
        SetWindowTextW(body, WithMnemonic(c.label).c_str());
        SendMessageW(body, BM_SETCHECK, c.value ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case CtrlKind::ToggleButton:
        SetWindowTextW(body, Wide(c.value ? c.onText : c.offText).c_str());
        SendMessageW(body, BM_SETCHECK, c.value ? BST_CHECKED : BST_UNCHECKED, 0);
        break;
    case CtrlKind::CommandButton: SetWindowTextW(body, WithMnemonic(c.label).c_str()); break;
    case CtrlKind::Numeric: SetWindowTextW(body, std::to_wstring(c.value).c_str()); break;
    case CtrlKind::TextMessage: SetWindowTextW(body, Wide(c.text).c_str()); break;
    case CtrlKind::Picture: InvalidateRect(body, nullptr, TRUE); break;
    }
}

HWND NewChild(const PanelWindow &w, const wchar_t *cls, DWORD style, UINT id, HFONT font)
{
    HWND h = CreateWindowExW(0, cls, L"", WS_CHILD | style, 0, 0, 10, 10, w.hwnd,
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                             GetModuleHandleW(nullptr), nullptr);
    SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return h;
}

void BuildControl(PanelWindow &w, const Control &c)
{
    Made made = MadeFor(c.kind);
    const bool fixed = c.kind == CtrlKind::Ring || c.kind == CtrlKind::ListBox;
    w.bodies[c.id] = NewChild(w, made.cls, made.style, kFirstControlId + static_cast<UINT>(c.id),
                              fixed ? FixedFont() : DialogFont());
    if (c.kind == CtrlKind::Ring) SendMessageW(w.bodies[c.id], CB_SETMINVISIBLE, 12, 0);
    if (RulesOf(c.kind).caption)
        w.captions[c.id] = NewChild(w, WC_STATICW, SS_LEFT, 0, DialogFont());
}

// A ring's body is as tall as its closed field: a taller combo box window would cover
// the controls and the status line below it. Its list drops down in a window of its own
// (CB_SETMINVISIBLE, set when it is made, gives its length).
void PlaceControl(PanelWindow &w, const Panel &p, const Control &c)
{
    HWND body = w.bodies[c.id];
    TextFit fit;
    GdiMeasure measure(Wide(c.text));
    if (c.kind == CtrlKind::TextMessage) {
        fit = FitText(p, c, measure);
        SendMessageW(body, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont(fit.shrink)), FALSE);
    }
    Rect r = BodyRect(p, c, Natural(c, body), fit,
                      c.kind == CtrlKind::TextMessage ? &measure : nullptr);
    Place(body, r);
    ShowWindow(body, c.visible ? SW_SHOWNA : SW_HIDE);
    EnableWindow(body, !c.dimmed);
    auto caption = w.captions.find(c.id);
    if (caption == w.captions.end()) return;
    SetWindowTextW(caption->second, WithMnemonic(c.label).c_str());
    SIZE s = TextExtent(DialogFont(), WithMnemonic(c.label), 0);
    Place(caption->second, CaptionRect(p, c, r.height, {Unscaled(s.cx) + 2, Unscaled(s.cy)}));
    ShowWindow(caption->second, CaptionShown(c) ? SW_SHOWNA : SW_HIDE);
}

// Accelerator keys from the resource's form: "Ctrl+Shift+S", "F1".
bool ParseShortcut(const std::string &text, ACCEL *accel)
{
    accel->fVirt = FVIRTKEY;
    size_t start = 0;
    for (;;) {
        size_t plus = text.find('+', start);
        std::string part = text.substr(start, plus == std::string::npos ? plus : plus - start);
        if (plus == std::string::npos) {
            if (part.size() == 1 && std::isalnum(static_cast<unsigned char>(part[0]))) {
                accel->key = static_cast<WORD>(std::toupper(static_cast<unsigned char>(part[0])));
                return true;
            }
            if (part.size() >= 2 && part[0] == 'F' && std::isdigit(static_cast<unsigned char>(part[1]))) {
                int n = std::atoi(part.c_str() + 1);
                if (n < 1 || n > 24) return false;
                accel->key = static_cast<WORD>(VK_F1 + n - 1);
                return true;
            }
            if (part == "Del" || part == "Delete") { accel->key = VK_DELETE; return true; }
            return false;
        }
        if (part == "Ctrl") accel->fVirt |= FCONTROL;
        else if (part == "Shift") accel->fVirt |= FSHIFT;
        else if (part == "Alt") accel->fVirt |= FALT;
        else return false;
        start = plus + 1;
    }
}

void BuildMenu(PanelWindow &w, const MenuBar &bar)
{
    w.menu = CreateMenu();
    std::map<int, HMENU> menus;
    std::vector<ACCEL> accels;
    for (const MenuEntry &e : bar.entries) {
        auto owner = menus.find(e.parent);
        if (e.kind == MenuKind::Menu) {
            if (!e.visible) continue;
            menus[e.id] = CreatePopupMenu();
            AppendMenuW(w.menu, MF_POPUP | (e.dimmed ? MF_GRAYED : 0),
                            reinterpret_cast<UINT_PTR>(menus[e.id]), WithMnemonic(e.label).c_str());
            continue;
        }
        if (owner == menus.end() || !e.visible || e.kind == MenuKind::Submenu) continue;
        if (e.kind == MenuKind::Separator) {
            AppendMenuW(owner->second, MF_SEPARATOR, 0, nullptr);
        } else if (e.submenu) {
            menus[e.submenu] = CreatePopupMenu();
            AppendMenuW(owner->second, MF_POPUP | (e.dimmed ? MF_GRAYED : 0),
                        reinterpret_cast<UINT_PTR>(menus[e.submenu]), WithMnemonic(e.label).c_str());
        } else {
            UINT id = kFirstMenuId + static_cast<UINT>(w.menuItems.size());
            w.menuItems[id] = e.id;
            std::wstring text = WithMnemonic(e.label);
            ACCEL accel{};
            if (!e.shortcut.empty() && ParseShortcut(e.shortcut, &accel)) {
                accel.cmd = static_cast<WORD>(id);
                accels.push_back(accel);
                text += L"\t" + Wide(e.shortcut);
            }
            AppendMenuW(owner->second, MF_STRING | (e.dimmed ? MF_GRAYED : 0) | (e.checked ? MF_CHECKED : 0),
                        id, text.c_str());
        }
    }
    if (!accels.empty()) w.accel = CreateAcceleratorTableW(accels.data(), static_cast<int>(accels.size()));
}

// The main window (the panel with a menu bar, which it may get after it was loaded):
// the progress and status line below the panel.
void AddStatusLine(PanelWindow &w)
{
    w.status = NewChild(w, WC_STATICW, SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS | WS_VISIBLE, 0, DialogFont());
    w.progress = NewChild(w, PROGRESS_CLASSW, 0, 0, DialogFont());
    SendMessageW(w.progress, PBM_SETRANGE32, 0, 1000);
    w.cancel = NewChild(w, WC_BUTTONW, BS_PUSHBUTTON, kCancelId, DialogFont());
    // The port part tells how long ago the last exchange ended, and an exchange without
    // progress (an auto-zero, a range change) sets no line of its own: read it every second.
    SetTimer(w.hwnd, kStatusTimer, 1000, nullptr);
}

void SizeWindow(PanelWindow &w, const Panel &p)
{
    RECT r{0, 0, Scaled(Extent(p.width)), Scaled(Extent(p.height))};
    if (w.status) r.bottom += Scaled(kStatusHeight);
    DWORD style = static_cast<DWORD>(GetWindowLongPtrW(w.hwnd, GWL_STYLE));
    AdjustWindowRectEx(&r, style, w.menu != nullptr, 0);
    Size size{r.right - r.left, r.bottom - r.top};
    if (!w.placed) {
        RECT area;
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
        Panel scaled = p;
        scaled.top = p.top == VAL_AUTO_CENTER ? p.top : Scaled(p.top);
        scaled.left = p.left == VAL_AUTO_CENTER ? p.left : Scaled(p.left);
        Rect at = PlaceWindow(scaled, size, {area.left, area.top, area.right - area.left, area.bottom - area.top});
        SetWindowPos(w.hwnd, nullptr, at.left, at.top, size.width, size.height, SWP_NOZORDER | SWP_NOACTIVATE);
    } else {
        SetWindowPos(w.hwnd, nullptr, 0, 0, size.width, size.height, SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    }
    if (w.status) {
        int top = Scaled(Extent(p.height)), width = Scaled(Extent(p.width)), h = Scaled(kStatusHeight);
        SetWindowPos(w.status, nullptr, Scaled(4), top + Scaled(4), width - Scaled(180), h - Scaled(6), SWP_NOZORDER);
        SetWindowPos(w.progress, nullptr, width - Scaled(170), top + Scaled(4), Scaled(90), h - Scaled(8), SWP_NOZORDER);
        SetWindowPos(w.cancel, nullptr, width - Scaled(76), top + Scaled(1), Scaled(72), h - Scaled(2), SWP_NOZORDER);
    }
}

}  // namespace

const wchar_t kPanelClass[] = L"ZekPanel";

PanelWindow *NewPanelWindow(int panel)
{
    const Panel *p = FindPanel(panel);
    if (!p) return nullptr;
    auto *w = new PanelWindow;
    w->panel = panel;
    DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
    if (!p->popup) style |= WS_MINIMIZEBOX;
    w->hwnd = CreateWindowExW(WS_EX_CONTROLPARENT, kPanelClass, Wide(p->title).c_str(), style,
                              CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(w->hwnd, GWLP_USERDATA, panel);
    for (const Control &c : p->controls) BuildControl(*w, c);
    return w;
}

void DestroyPanelWindow(PanelWindow &w)
{
    for (auto &[id, body] : w.bodies) ClearAccessText(body);
    if (w.hwnd) DestroyWindow(w.hwnd);  // destroys the attached menu too
    if (w.accel) DestroyAcceleratorTable(w.accel);
    if (w.back) DeleteObject(w.back);
    w.hwnd = nullptr;
}

void SyncPanel(PanelWindow &w)
{
    const Panel *p = FindPanel(w.panel);
    if (!p) return;
    SetWindowTextW(w.hwnd, Wide(p->title).c_str());
    if (!w.back || w.backColour != FromRgb(p->backColor)) {
        if (w.back) DeleteObject(w.back);
        w.backColour = FromRgb(p->backColor);
        w.back = CreateSolidBrush(w.backColour);
    }
    if (p->menuBar && !w.status) AddStatusLine(w);
    for (const Control &c : p->controls) SyncControl(w, c.id);
    SyncMenuBar(w);
    SyncStatusLine(w);
    SizeWindow(w, *p);
    if (p->displayed && !IsWindowVisible(w.hwnd)) {
        ShowWindow(w.hwnd, SW_SHOW);
        SetForegroundWindow(w.hwnd);
        std::vector<int> order = TabOrder(*p);
        if (!order.empty() && w.bodies.count(order.front())) SetFocus(w.bodies[order.front()]);
    } else if (!p->displayed && IsWindowVisible(w.hwnd)) {
        ShowWindow(w.hwnd, SW_HIDE);
    }
    w.placed = w.placed || p->displayed;
    // The children too: with WS_CLIPCHILDREN the panel alone would leave moved or resized
    // controls unpainted (black under Wine) until something covers them.
    RedrawWindow(w.hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SyncControl(PanelWindow &w, int control)
{
    const Panel *p = FindPanel(w.panel);
    const Control *c = FindControl(w.panel, control);
    if (!p || !c) return;
    if (!w.bodies.count(control)) BuildControl(w, *c);
    SyncValue(w.bodies[control], *c);
    PlaceControl(w, *p, *c);
    SetAccessText(w.bodies[control], AccessibleName(*p, *c), AccessibleDescription(*p, *c));
    // Only a command button changes between plain and default: a style set on a check box
    // or a toggle would turn it into a plain push button.
    if (c->kind == CtrlKind::CommandButton)
        SendMessageW(w.bodies[control], BM_SETSTYLE,
                     c->id == p->defaultButton ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void SyncMenuBar(PanelWindow &w)
{
    const Panel *p = FindPanel(w.panel);
    const MenuBar *bar = p && p->menuBar ? FindMenuBar(p->menuBar) : nullptr;
    HMENU old = w.menu;
    if (w.accel) DestroyAcceleratorTable(w.accel);
    w.accel = nullptr;
    w.menu = nullptr;
    w.menuItems.clear();
    w.menuBar = bar ? bar->handle : 0;
    if (bar) BuildMenu(w, *bar);
    SetMenu(w.hwnd, w.menu);
    if (old) DestroyMenu(old);
    DrawMenuBar(w.hwnd);
}

void SyncStatusLine(PanelWindow &w)
{
    if (!w.status) return;
    const ProgressState &state = CurrentProgress();
    std::string line = state.active ? ProgressLine() : state.status;
    std::string port = PortStatus();
    if (!state.active && !port.empty()) line = line.empty() ? port : line + "   |   " + port;
    SetWindowTextW(w.status, Wide(line).c_str());
    SendMessageW(w.progress, PBM_SETPOS, static_cast<WPARAM>(ProgressFraction() * 1000), 0);
    ShowWindow(w.progress, state.active ? SW_SHOWNA : SW_HIDE);
    SetWindowTextW(w.cancel, GetRunTimeLanguage() == RUNTIME_GERMAN ? L"Abbrechen" : L"Cancel");
    ShowWindow(w.cancel, state.active && state.cancellable ? SW_SHOWNA : SW_HIDE);
    UpdateWindow(w.hwnd);
}

namespace {

// The value the operator's input hands on, read from the native control.
bool InputValue(HWND body, const Control &c, UINT code, int *value)
{
    switch (c.kind) {
    case CtrlKind::Ring:
        *value = static_cast<int>(SendMessageW(body, CB_GETCURSEL, 0, 0));
        return code == CBN_SELCHANGE;
    case CtrlKind::ListBox:
        *value = static_cast<int>(SendMessageW(body, LB_GETCURSEL, 0, 0));
        return code == LBN_SELCHANGE;
    case CtrlKind::Checkbox:
    case CtrlKind::ToggleButton: *value = c.value ? 0 : 1; return code == BN_CLICKED;
    case CtrlKind::CommandButton: *value = 0; return code == BN_CLICKED;
    case CtrlKind::Numeric: {
        if (code != EN_KILLFOCUS) return false;
        wchar_t typed[32] = {};
        GetWindowTextW(body, typed, 32);
        wchar_t *end = nullptr;
        long number = std::wcstol(typed, &end, 10);
        if (end == typed || number < INT_MIN || number > INT_MAX) return false;
        *value = static_cast<int>(number);
        return *value != c.value;
    }
    default: return false;
    }
}

void OnCommand(HWND hwnd, UINT id, UINT code, HWND from)
{
    PanelWindow *w = WindowOfHwnd(hwnd);
    if (!w) return;
    const int panel = w->panel;
    if (id == kCancelId && from) {
        OperatorCancel();
    } else if (!from && w->menuItems.count(id)) {
        const int bar = w->menuBar, item = w->menuItems[id];
        Act([=] { OperatorChooseMenu(bar, item); });
    } else if (from && id >= kFirstControlId && id < kFirstMenuId) {
        const int control = static_cast<int>(id - kFirstControlId);
        const Control *c = FindControl(panel, control);
        int value = 0;
        if (!c || !InputValue(from, *c, code, &value)) return;
        Act([=] { OperatorControlInput(panel, control, value); });
        if (PanelWindow *still = WindowOfHwnd(hwnd)) SyncControl(*still, control);  // refused: back to the model
    }
}

}  // namespace

LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    PanelWindow *w = WindowOfHwnd(hwnd);
    switch (msg) {
    case WM_COMMAND:
        OnCommand(hwnd, LOWORD(wp), HIWORD(wp), reinterpret_cast<HWND>(lp));
        return 0;
    case WM_CLOSE:
        if (w) {
            const int panel = w->panel;
            Act([=] { OperatorClosePanel(panel); });  // the panel callback decides
        }
        return 0;
    case WM_ACTIVATE:
        if (w) {
            const int panel = w->panel;
            const bool gained = LOWORD(wp) != WA_INACTIVE;
            Act([=] { OperatorFocusPanel(panel, gained); });
        }
        break;
    case WM_SETCURSOR:
        if (LOWORD(lp) == HTCLIENT) {
            bool onCancel = w && reinterpret_cast<HWND>(wp) == w->cancel;
            SetCursor(LoadCursorW(nullptr, WaitCursorOn() && !onCancel ? IDC_WAIT : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_TIMER:
        if (w && wp == kStatusTimer) {
            SyncStatusLine(*w);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (w && w->back) {
            RECT r;
            GetClientRect(hwnd, &r);
            FillRect(reinterpret_cast<HDC>(wp), &r, w->back);
            return 1;
        }
        break;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
        if (w && w->back) {
            SetBkColor(reinterpret_cast<HDC>(wp), w->backColour);
            SetBkMode(reinterpret_cast<HDC>(wp), TRANSPARENT);
            return reinterpret_cast<LRESULT>(w->back);
        }
        break;
    case WM_DRAWITEM:
        if (w) {
            auto *item = reinterpret_cast<DRAWITEMSTRUCT *>(lp);
            const Control *c = FindControl(w->panel, static_cast<int>(item->CtlID - kFirstControlId));
            if (w->back) FillRect(item->hDC, &item->rcItem, w->back);  // owner-drawn: nothing else paints it
            if (c) DrawPicture(item->hDC, item->rcItem, c->image);
            return TRUE;
        }
        break;
    default: break;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace platform::win32
