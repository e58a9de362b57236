// The log window of the Win32 front end: a read-only text field, not modal, with the
// newest lines of the file. A timer reads the file's end again twice a second and scrolls
// to the bottom when it changed, so the window follows the log as it grows and after it
// rotates. One window at a time; asked for another file, it shows that one.
#include "platform/frontend/win32/win32_internal.h"  // <windows.h> first

#include <commctrl.h>

#include "platform/ui/log_window.h"

namespace platform::win32 {
namespace {

constexpr long kShownBytes = 64 * 1024;  // about 600 lines
constexpr UINT kFollowMs = 500;
constexpr UINT_PTR kFollowTimer = 1;
const wchar_t kLogClass[] = L"ZekLogWindow";

struct LogWindow {
    HWND hwnd = nullptr, view = nullptr;
    std::string path, shown;
};
LogWindow logWindow;

// Shows the file's newest lines when they changed; the view stays at the bottom.
void Follow()
{
    std::string text = NewestLines(logWindow.path, kShownBytes);
    if (!logWindow.view || text == logWindow.shown) return;
    logWindow.shown = text;
    SetWindowTextW(logWindow.view, Wide(text).c_str());
    const LPARAM end = GetWindowTextLengthW(logWindow.view);
    SendMessageW(logWindow.view, EM_SETSEL, static_cast<WPARAM>(end), end);
    SendMessageW(logWindow.view, EM_SCROLLCARET, 0, 0);
}

LRESULT CALLBACK LogProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_TIMER: Follow(); return 0;
    case WM_SIZE:
        if (logWindow.view) MoveWindow(logWindow.view, 0, 0, LOWORD(lp), HIWORD(lp), TRUE);
        return 0;
    case WM_DESTROY:
        KillTimer(hwnd, kFollowTimer);
        logWindow = LogWindow{};
        return 0;
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

void NewLogWindow(const std::string &path)
{
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hIcon = LoadIconW(wc.hInstance, MAKEINTRESOURCEW(1));
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.lpfnWndProc = LogProc;
        wc.lpszClassName = kLogClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
    logWindow.path = path;
    logWindow.hwnd = CreateWindowExW(0, kLogClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                     Scaled(720), Scaled(360), nullptr, nullptr, GetModuleHandleW(nullptr),
                                     nullptr);
    logWindow.view = CreateWindowExW(WS_EX_CLIENTEDGE, WC_EDITW, L"",
                                     WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_HSCROLL | ES_MULTILINE |
                                         ES_READONLY | ES_AUTOHSCROLL | ES_AUTOVSCROLL,
                                     0, 0, 10, 10, logWindow.hwnd, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(logWindow.view, WM_SETFONT, reinterpret_cast<WPARAM>(FixedFont()), FALSE);
    SendMessageW(logWindow.view, EM_SETLIMITTEXT, 0, 0);  // beyond the default 32K characters
    RECT client;
    GetClientRect(logWindow.hwnd, &client);
    MoveWindow(logWindow.view, 0, 0, client.right, client.bottom, FALSE);
    SetTimer(logWindow.hwnd, kFollowTimer, kFollowMs, nullptr);
}

}  // namespace

void OpenLogWindow(const std::string &title, const std::string &path)
{
    if (logWindow.hwnd && logWindow.path != path) DestroyWindow(logWindow.hwnd);
    if (!logWindow.hwnd) NewLogWindow(path);
    SetWindowTextW(logWindow.hwnd, Wide(title).c_str());
    Follow();
    ShowWindow(logWindow.hwnd, IsIconic(logWindow.hwnd) ? SW_RESTORE : SW_SHOW);
    SetForegroundWindow(logWindow.hwnd);
}

}  // namespace platform::win32
