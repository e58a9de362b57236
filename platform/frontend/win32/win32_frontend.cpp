// The Win32 front end: one top-level window per displayed panel, popups as small modal
// windows in the program's language, Open and Save as through the system's file dialogs,
// the run-time's event loop as a message loop. Operator actions reach the system's code
// only through the Operator* functions, one callback at a time.
#include "platform/frontend/win32/win32_frontend.h"

#include "platform/frontend/win32/win32_internal.h"  // <windows.h> first

#include <commctrl.h>
#include <commdlg.h>
#include <objbase.h>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

#include "platform/frontend.h"
#include "platform/frontend/win32/win32_internal.h"
#include "platform/language.h"
#include "platform/progress.h"
#include "platform/state.h"
#include "platform/ui/control_kinds.h"

namespace platform::win32 {

std::wstring Wide(const std::string &text)
{
    std::string crlf;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) crlf += '\r';
        crlf += text[i];
    }
    int n = MultiByteToWideChar(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, crlf.data(), static_cast<int>(crlf.size()), wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring &text)
{
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string narrow(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), narrow.data(), n,
                        nullptr, nullptr);
    return narrow;
}

std::wstring WithMnemonic(const std::string &label)
{
    std::string marked;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label.compare(i, 2, "__") == 0 && i + 2 < label.size()) {
            marked += '&';
            ++i;
        } else {
            if (label[i] == '&') marked += '&';
            marked += label[i];
        }
    }
    return Wide(marked);
}

namespace {

int ScreenDpi()
{
    static int dpi = [] {
        HDC dc = GetDC(nullptr);
        int d = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(nullptr, dc);
        return d > 0 ? d : 96;
    }();
    return dpi;
}

HFONT MakeFont(int pixels, const wchar_t *face, DWORD pitch)
{
    return CreateFontW(-Scaled(pixels), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, pitch, face);
}

}  // namespace

int Scaled(int units) { return MulDiv(units, ScreenDpi(), 96); }
int Unscaled(int pixels) { return MulDiv(pixels, 96, ScreenDpi()); }

HFONT DialogFont(int shrink)
{
    static std::map<int, HFONT> fonts;
    int pixels = std::max(8, kDialogPixels - shrink);
    HFONT &font = fonts[pixels];
    if (!font) font = MakeFont(pixels, L"Tahoma", VARIABLE_PITCH | FF_SWISS);
    return font;
}

SIZE TextExtent(HFONT font, const std::wstring &text, int wrapWidth)
{
    HDC dc = GetDC(nullptr);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r{0, 0, wrapWidth > 0 ? wrapWidth : 0, 0};
    UINT flags = DT_CALCRECT | DT_NOPREFIX | (wrapWidth > 0 ? DT_WORDBREAK : 0);
    DrawTextW(dc, text.empty() ? L" " : text.c_str(), -1, &r, flags);
    SelectObject(dc, old);
    ReleaseDC(nullptr, dc);
    return SIZE{r.right - r.left, r.bottom - r.top};
}

HFONT FixedFont()
{
    static HFONT font = MakeFont(kDialogPixels, L"Courier New", FIXED_PITCH | FF_MODERN);
    return font;
}

namespace {

class Win32FrontEnd;
Win32FrontEnd *current = nullptr;

const wchar_t kPopupClass[] = L"ZekPopup";

const wchar_t *Say(const wchar_t *german, const wchar_t *english)
{
    return GetRunTimeLanguage() == RUNTIME_GERMAN ? german : english;
}

// One of the program's own popups: a text, an optional entry field and its buttons.
struct Popup {
    HWND hwnd = nullptr, edit = nullptr;
    int answer = -1;  // the button's id once pressed
    int escapeAnswer = IDCANCEL, returnAnswer = IDOK;
};

LRESULT CALLBACK PopupProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *popup = reinterpret_cast<Popup *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (popup && msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
        int id = LOWORD(wp);
        popup->answer = id == IDOK ? popup->returnAnswer : id == IDCANCEL ? popup->escapeAnswer : id;
        return 0;
    }
    if (popup && msg == WM_CLOSE) {
        popup->answer = popup->escapeAnswer;
        return 0;
    }
    if (msg == WM_CTLCOLORSTATIC) return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return DefWindowProcW(hwnd, msg, wp, lp);
}

struct Button {
    int id;
    const wchar_t *text;
};

class Win32FrontEnd final : public FrontEnd {
public:
    ~Win32FrontEnd() override
    {
        for (auto &[panel, w] : windows_) DestroyPanelWindow(*w);
        Collect();
    }

    PanelWindow *Window(int panel) const
    {
        auto it = windows_.find(panel);
        return it == windows_.end() ? nullptr : it->second.get();
    }

    void PanelChanged(int panel, int control) override
    {
        PanelWindow *w = Window(panel);
        if (!w) {
            if (!FindPanel(panel)) return;
            w = NewPanelWindow(panel);
            windows_[panel].reset(w);
            SyncPanel(*w);
        } else if (control == 0) {
            SyncPanel(*w);
        } else {
            SyncControl(*w, control);
        }
        SyncModality();
    }

    void PanelDiscarded(int panel) override
    {
        auto it = windows_.find(panel);
        if (it == windows_.end()) return;
        ShowWindow(it->second->hwnd, SW_HIDE);
        graveyard_.push_back(std::move(it->second));
        windows_.erase(it);
        SyncModality();
        if (HWND back = DialogParent()) SetForegroundWindow(back);
    }

    void MenuBarChanged(int menuBar) override
    {
        MenuBar *bar = FindMenuBar(menuBar);
        for (auto &[handle, w] : windows_)
            if (w->menuBar == menuBar || (bar && bar->panel == handle)) SyncMenuBar(*w);
    }

    void WaitCursorChanged(bool on) override
    {
        waitCursor_ = on;
        POINT at;
        GetCursorPos(&at);
        SetCursorPos(at.x, at.y);  // the cursor is asked for again where it stands
        SetCursor(LoadCursorW(nullptr, on ? IDC_WAIT : IDC_ARROW));
    }

    // During a blocking wait: windows repaint, while operator input is dropped except
    // what the wait lets through (Cancel).
    void Repaint() override
    {
        if (repainting_) return;
        repainting_ = true;
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (PassesDuringWait(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        repainting_ = false;
    }

    void Message(const std::string &title, const std::string &text) override
    {
        RunPopup(title, text, {{IDOK, L"OK"}}, IDOK, IDOK, nullptr);
    }

    int Confirm(const std::string &title, const std::string &text, bool defaultYes) override
    {
        int yes = IDYES, no = IDNO;
        int answer = RunPopup(title, text, {{yes, Say(L"&Ja", L"&Yes")}, {no, Say(L"&Nein", L"&No")}},
                              defaultYes ? yes : no, no, nullptr);
        return answer == yes ? 1 : 0;
    }

    std::optional<std::string> Prompt(const std::string &title, const std::string &text,
                                      int maxLength, bool masked) override
    {
        EditRequest edit{maxLength, masked, {}};
        int answer = RunPopup(title, text, {{IDOK, L"OK"}, {IDCANCEL, Say(L"Abbrechen", L"Cancel")}},
                              IDOK, IDCANCEL, &edit);
        if (answer != IDOK) return std::nullopt;
        return edit.result;
    }

    int FileSelect(const std::string &directory, const std::string &fileSpec,
                   const std::string &title, bool saveButton, std::string *path) override;

    void Run() override
    {
        MSG msg;
        Collect();
        while (!QuitRequested() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!Translated(msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
            if (depth_ == 0) Collect();
        }
    }

    void ProgressChanged() override
    {
        for (auto &[handle, w] : windows_) SyncStatusLine(*w);
    }

    void Act(const std::function<void()> &fn)
    {
        ++depth_;
        fn();
        --depth_;
    }

    bool WaitCursor() const { return waitCursor_; }

private:
    struct EditRequest {
        int maxLength;
        bool masked;
        std::string result;
    };

    static bool IsInput(UINT msg)
    {
        return (msg >= WM_KEYFIRST && msg <= WM_KEYLAST) || (msg >= WM_MOUSEFIRST && msg <= WM_MOUSELAST) ||
               (msg >= WM_NCMOUSEMOVE && msg <= WM_NCXBUTTONDBLCLK);
    }

    bool PassesDuringWait(const MSG &msg)
    {
        if (!IsInput(msg.message)) return true;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            InputPassesDuringWait(WaitInput::CancelKey);
            return false;
        }
        if (msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST &&
            GetDlgCtrlID(msg.hwnd) == static_cast<int>(kCancelId))
            return InputPassesDuringWait(WaitInput::PointerOnCancel);
        return false;
    }

    // Accelerators, dialog keys (Return, Escape, Tab) of the panel the message is for.
    bool Translated(MSG &msg)
    {
        HWND top = GetAncestor(msg.hwnd, GA_ROOT);
        PanelWindow *w = WindowOfHwnd(top);
        if (!w) return false;
        if (w->accel && TranslateAcceleratorW(top, w->accel, &msg)) return true;
        if (msg.message == WM_KEYDOWN && (msg.wParam == VK_RETURN || msg.wParam == VK_ESCAPE)) {
            const bool enter = msg.wParam == VK_RETURN;
            wchar_t cls[32] = {};
            GetClassNameW(msg.hwnd, cls, 32);
            if (enter && lstrcmpiW(cls, WC_BUTTONW) == 0) {
                SendMessageW(msg.hwnd, BM_CLICK, 0, 0);
                return true;
            }
            if (enter && lstrcmpiW(cls, WC_EDITW) == 0) SetFocus(top);  // commits the number
            const Panel *p = FindPanel(w->panel);
            if (p && (!enter || p->defaultButton)) {
                const int panel = w->panel;
                Act([=] { enter ? OperatorReturnKey(panel) : OperatorEscapeKey(panel); });
                return true;
            }
        }
        return IsDialogMessageW(top, &msg) != FALSE;
    }

    // Only the topmost modal popup takes input while one is installed.
    void SyncModality()
    {
        int popup = ActivePopup();
        for (auto &[handle, w] : windows_) EnableWindow(w->hwnd, popup == 0 || handle == popup);
    }

    HWND DialogParent() const
    {
        if (PanelWindow *w = Window(ActivePopup())) return w->hwnd;
        for (int handle : PanelHandles()) {
            PanelWindow *w = Window(handle);
            if (w && IsWindowVisible(w->hwnd)) return w->hwnd;
        }
        return nullptr;
    }

    // Every enabled panel window but keep, disabled; returned to be enabled again.
    std::vector<HWND> DisableOthers(HWND keep)
    {
        std::vector<HWND> disabled;
        for (auto &[handle, w] : windows_)
            if (w->hwnd != keep && IsWindowEnabled(w->hwnd)) {
                EnableWindow(w->hwnd, FALSE);
                disabled.push_back(w->hwnd);
            }
        return disabled;
    }

    void Collect()
    {
        for (auto &w : graveyard_) DestroyPanelWindow(*w);
        graveyard_.clear();
    }

    int RunPopup(const std::string &title, const std::string &text, const std::vector<Button> &buttons,
                 int returnAnswer, int escapeAnswer, EditRequest *edit);

public:
    // Takes messages for the window dialog until done() holds, every panel window disabled
    // meanwhile (only the dialog's own input runs), with the normal arrow over it.
    void RunModal(HWND dialog, const std::function<bool()> &done)
    {
        std::vector<HWND> disabled = DisableOthers(dialog);
        const bool wait = std::exchange(waitCursor_, false);
        MSG msg;
        while (!done() && GetMessageW(&msg, nullptr, 0, 0) > 0) {
            if (!IsDialogMessageW(dialog, &msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        waitCursor_ = wait;
        for (HWND d : disabled) EnableWindow(d, TRUE);
        SyncModality();
    }

    void ShowLog(const std::string &title, const std::string &path) override { OpenLogWindow(title, path); }

    void ShowReport(const ReportContent &report, int filterColumn, const std::string &allLabel) override
    {
        RunReportWindow(report, filterColumn, allLabel, DialogParent());
    }

    std::map<int, std::unique_ptr<PanelWindow>> windows_;
    std::vector<std::unique_ptr<PanelWindow>> graveyard_;
    int depth_ = 0;
    bool repainting_ = false;
    bool waitCursor_ = false;
};

// Lays out the text, the entry field and the buttons, disables every panel window, and
// takes messages until a button (or Return, Escape, the close box) answers.
int Win32FrontEnd::RunPopup(const std::string &title, const std::string &text,
                            const std::vector<Button> &buttons, int returnAnswer, int escapeAnswer,
                            EditRequest *edit)
{
    Popup popup;
    popup.returnAnswer = returnAnswer;
    popup.escapeAnswer = escapeAnswer;
    HWND owner = DialogParent();
    std::wstring body = Wide(text);
    const SIZE measured = TextExtent(DialogFont(), body, Scaled(420));
    const int pad = Scaled(12), buttonW = Scaled(80), buttonH = Scaled(24);
    int width = std::max<int>(measured.cx, static_cast<int>(buttons.size()) * (buttonW + pad)) + 2 * pad;
    int editTop = pad + measured.cy + pad / 2;
    int buttonsTop = editTop + (edit ? Scaled(22) + pad : pad / 2);
    RECT frame{0, 0, width, buttonsTop + buttonH + pad};
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    RECT at{};
    if (owner) GetWindowRect(owner, &at);
    else SystemParametersInfoW(SPI_GETWORKAREA, 0, &at, 0);
    int w = frame.right - frame.left, h = frame.bottom - frame.top;
    popup.hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kPopupClass, Wide(title).c_str(),
                                 style, (at.left + at.right - w) / 2, (at.top + at.bottom - h) / 2, w, h,
                                 owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(popup.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&popup));
    auto child = [&](const wchar_t *cls, const wchar_t *label, DWORD s, int id, int x, int y, int cx, int cy) {
        HWND c = CreateWindowExW(0, cls, label, WS_CHILD | WS_VISIBLE | s, x, y, cx, cy, popup.hwnd,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
        SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
        return c;
    };
    child(WC_STATICW, body.c_str(), SS_LEFT | SS_NOPREFIX, -1, pad, pad, measured.cx, measured.cy);
    if (edit) {
        popup.edit = child(WC_EDITW, L"", WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL | (edit->masked ? ES_PASSWORD : 0),
                           100, pad, editTop, width - 2 * pad, Scaled(22));
        SendMessageW(popup.edit, EM_LIMITTEXT, static_cast<WPARAM>(std::max(edit->maxLength, 0)), 0);
    }
    int x = width - pad - static_cast<int>(buttons.size()) * (buttonW + pad) + pad;
    HWND focus = popup.edit;
    for (const Button &b : buttons) {
        bool isDefault = b.id == returnAnswer;
        HWND button = child(WC_BUTTONW, b.text, WS_TABSTOP | (isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON),
                            b.id, x, buttonsTop, buttonW, buttonH);
        if (isDefault && !focus) focus = button;
        x += buttonW + pad;
    }
    ShowWindow(popup.hwnd, SW_SHOW);
    SetForegroundWindow(popup.hwnd);
    SetFocus(focus);
    RunModal(popup.hwnd, [&] { return popup.answer >= 0; });
    if (edit && popup.answer == IDOK) {
        int n = GetWindowTextLengthW(popup.edit);
        std::wstring typed(static_cast<size_t>(n) + 1, L'\0');
        GetWindowTextW(popup.edit, typed.data(), n + 1);
        typed.resize(static_cast<size_t>(n));
        // The reply buffer holds maxLength bytes: whole characters only.
        while (!typed.empty() && static_cast<int>(Utf8(typed).size()) > edit->maxLength) typed.pop_back();
        if (!typed.empty() && IS_HIGH_SURROGATE(typed.back())) typed.pop_back();
        edit->result = Utf8(typed);
    }
    DestroyWindow(popup.hwnd);
    if (owner) SetForegroundWindow(owner);
    return popup.answer;
}

int Win32FrontEnd::FileSelect(const std::string &directory, const std::string &fileSpec,
                              const std::string &title, bool saveButton, std::string *path)
{
    const FileDialogOffer offer = OfferFileDialog(directory, fileSpec);
    std::wstring pattern = Wide(offer.pattern), all = Say(L"Alle Dateien", L"All files");
    std::wstring filter = pattern.empty() ? L"" : pattern + L'\0' + pattern + L'\0';
    filter += all + L" (*.*)" + L'\0' + L"*.*" + L'\0' + L'\0';
    std::wstring extension = Wide(offer.suffix), proposed = Wide(offer.name);
    std::wstring folder = Wide(offer.folder), caption = Wide(title);
    std::vector<wchar_t> file(32768, L'\0');
    std::copy_n(proposed.begin(), std::min(proposed.size(), file.size() - 1), file.begin());
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = DialogParent();
    ofn.lpstrFilter = filter.c_str();
    ofn.lpstrFile = file.data();
    ofn.nMaxFile = static_cast<DWORD>(file.size());
    ofn.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    ofn.lpstrTitle = caption.c_str();
    ofn.lpstrDefExt = extension.empty() ? nullptr : extension.c_str();
    ofn.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR | OFN_HIDEREADONLY | OFN_PATHMUSTEXIST |
                (saveButton ? OFN_OVERWRITEPROMPT : OFN_FILEMUSTEXIST);
    std::vector<HWND> disabled = DisableOthers(ofn.hwndOwner);
    BOOL chosen = saveButton ? GetSaveFileNameW(&ofn) : GetOpenFileNameW(&ofn);
    for (HWND d : disabled) EnableWindow(d, TRUE);
    SyncModality();
    if (!chosen) return CommDlgExtendedError() == 0 ? 0 : -1;
    *path = Utf8(file.data());
    const size_t folderEnd = path->find_last_of("/\\");
    if (folderEnd != std::string::npos) SaveState("file_dialog_folder", path->substr(0, folderEnd));
    return 1;
}

void RegisterClasses()
{
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = nullptr;  // the panels set it: arrow or wait cursor
    wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
    wc.lpfnWndProc = PanelProc;
    wc.lpszClassName = kPanelClass;
    RegisterClassExW(&wc);
    wc.lpfnWndProc = PopupProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kPopupClass;
    RegisterClassExW(&wc);
}

}  // namespace

PanelWindow *WindowOfHwnd(HWND hwnd)
{
    if (!current || !hwnd) return nullptr;
    wchar_t cls[16] = {};
    GetClassNameW(hwnd, cls, 16);
    if (lstrcmpW(cls, kPanelClass) != 0) return nullptr;
    PanelWindow *w = current->Window(static_cast<int>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    return w && w->hwnd == hwnd ? w : nullptr;
}

void Act(const std::function<void()> &fn)
{
    if (current) current->Act(fn);
    else fn();
}

bool WaitCursorOn() { return current && current->WaitCursor(); }

void RunModal(HWND dialog, const std::function<bool()> &done)
{
    if (current) current->RunModal(dialog, done);
}

}  // namespace platform::win32

int RunWithWin32FrontEnd(int argc, char *argv[], int (*programMain)(int, char *[]))
{
    using namespace platform::win32;
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    RegisterClasses();
    // COM in this thread: the accessibility property service, the file dialogs.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    int status;
    {
        auto frontEnd = std::make_unique<Win32FrontEnd>();
        current = frontEnd.get();
        platform::InstallFrontEnd(frontEnd.get());
        status = programMain(argc, argv);
        platform::InstallFrontEnd(nullptr);
        current = nullptr;
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return status;
}
