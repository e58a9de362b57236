// zek-winspy: what a Windows program shows, for the window tier under Wine. Inside Wine's
// virtual desktop the program's windows are not X windows, so xdotool can send keys and
// clicks but cannot see them; this small console program looks from inside instead.
//   zek-winspy wait TITLE [SECONDS]    until a visible top-level window titled TITLE shows;
//                                      prints its screen rectangle "x y w h"
//   zek-winspy gone TITLE [SECONDS]    until no visible window is titled TITLE
//   zek-winspy list                    every visible top-level window: rectangle, class, title
//   zek-winspy controls TITLE          the window's child controls: rectangle, class, state,
//                                      text (a check box's state is 0/1, a list's its choice,
//                                      a masked field's "masked"; a list box's items)
//   zek-winspy find TITLE TEXT [SECONDS]
//                                      until a visible child control of TITLE has a text
//                                      containing TEXT; prints its rectangle and text
// A TITLE ending in '*' matches every title that starts with the rest. Exit 0 when found,
// 1 on a time-out, 2 on a usage error. Texts are printed as UTF-8.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring &text)
{
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), out.data(), n, nullptr,
                        nullptr);
    return out;
}

std::wstring ClassOf(HWND hwnd);

// WM_GETTEXT, not GetWindowText: across processes the latter gives only the caption the
// window was created with, not what an edit field holds now. A list box gives its items.
std::wstring TextOf(HWND hwnd)
{
    if (_wcsicmp(ClassOf(hwnd).c_str(), L"ListBox") == 0) {
        std::wstring items;
        const LRESULT n = SendMessageW(hwnd, LB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < n; i++) {
            std::wstring item(size_t(SendMessageW(hwnd, LB_GETTEXTLEN, WPARAM(i), 0)) + 1, L'\0');
            item.resize(size_t(SendMessageW(hwnd, LB_GETTEXT, WPARAM(i), LPARAM(item.data()))));
            items += (i ? L" | " : L"") + item;
        }
        return items;
    }
    std::wstring text(size_t(SendMessageW(hwnd, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
    text.resize(size_t(SendMessageW(hwnd, WM_GETTEXT, WPARAM(text.size()), LPARAM(text.data()))));
    return text;
}

std::wstring ClassOf(HWND hwnd)
{
    wchar_t name[128] = {};
    GetClassNameW(hwnd, name, 128);
    return name;
}

bool Matches(const std::wstring &title, const std::wstring &pattern)
{
    if (!pattern.empty() && pattern.back() == L'*')
        return title.compare(0, pattern.size() - 1, pattern, 0, pattern.size() - 1) == 0;
    return title == pattern;
}

std::vector<HWND> TopLevel()
{
    std::vector<HWND> found;
    EnumWindows([](HWND hwnd, LPARAM all) {
        if (IsWindowVisible(hwnd)) reinterpret_cast<std::vector<HWND> *>(all)->push_back(hwnd);
        return TRUE;
    }, reinterpret_cast<LPARAM>(&found));
    return found;
}

HWND Find(const std::wstring &pattern)
{
    for (HWND hwnd : TopLevel())
        if (Matches(TextOf(hwnd), pattern)) return hwnd;
    return nullptr;
}

void PrintRect(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::printf("%ld %ld %ld %ld", r.left, r.top, r.right - r.left, r.bottom - r.top);
}

// Polls every 50 ms until found (or gone) or the time is up.
int Wait(const std::wstring &pattern, double seconds, bool gone)
{
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
    for (;;) {
        HWND hwnd = Find(pattern);
        if (gone ? hwnd == nullptr : hwnd != nullptr) {
            if (hwnd) { PrintRect(hwnd); std::printf("\n"); }
            return 0;
        }
        if (GetTickCount64() >= end) {
            std::fprintf(stderr, "zek-winspy: %s \"%s\" after %.0f s\n",
                         gone ? "still shown:" : "no window", Utf8(pattern).c_str(), seconds);
            return 1;
        }
        Sleep(50);
    }
}

std::string StateOf(HWND hwnd)
{
    const std::wstring kind = ClassOf(hwnd);
    if (_wcsicmp(kind.c_str(), L"Button") == 0) {
        const LONG style = GetWindowLongW(hwnd, GWL_STYLE) & BS_TYPEMASK;
        if (style == BS_CHECKBOX || style == BS_AUTOCHECKBOX || style == BS_AUTORADIOBUTTON ||
            style == BS_RADIOBUTTON || style == BS_PUSHLIKE)
            return std::to_string(SendMessageW(hwnd, BM_GETCHECK, 0, 0));
    }
    if (_wcsicmp(kind.c_str(), L"Edit") == 0)
        return GetWindowLongW(hwnd, GWL_STYLE) & ES_PASSWORD ? "masked" : "-";
    if (_wcsicmp(kind.c_str(), L"ComboBox") == 0)
        return std::to_string(SendMessageW(hwnd, CB_GETCURSEL, 0, 0));
    if (_wcsicmp(kind.c_str(), L"ListBox") == 0)
        return std::to_string(SendMessageW(hwnd, LB_GETCURSEL, 0, 0));
    return "-";
}

int Controls(const std::wstring &pattern)
{
    HWND top = Find(pattern);
    if (!top) { std::fprintf(stderr, "zek-winspy: no window \"%s\"\n", Utf8(pattern).c_str()); return 1; }
    EnumChildWindows(top, [](HWND hwnd, LPARAM) {
        if (!IsWindowVisible(hwnd)) return TRUE;
        PrintRect(hwnd);
        std::printf("\t%s\t%s%s\t%s\n", Utf8(ClassOf(hwnd)).c_str(), StateOf(hwnd).c_str(),
                    IsWindowEnabled(hwnd) ? "" : " dimmed", Utf8(TextOf(hwnd)).c_str());
        return TRUE;
    }, 0);
    return 0;
}

struct Search {
    std::wstring text;
    HWND found = nullptr;
};

HWND FindControl(HWND top, const std::wstring &text)
{
    Search search{text};
    EnumChildWindows(top, [](HWND hwnd, LPARAM all) {
        auto *s = reinterpret_cast<Search *>(all);
        if (IsWindowVisible(hwnd) && TextOf(hwnd).find(s->text) != std::wstring::npos) {
            s->found = hwnd;
            return FALSE;
        }
        return TRUE;
    }, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls every 50 ms until the text shows in one of the window's controls.
int FindText(const std::wstring &pattern, const std::wstring &text, double seconds)
{
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds * 1000);
    for (;;) {
        HWND top = Find(pattern);
        HWND hwnd = top ? FindControl(top, text) : nullptr;
        if (hwnd) {
            PrintRect(hwnd);
            std::printf("\t%s\n", Utf8(TextOf(hwnd)).c_str());
            return 0;
        }
        if (GetTickCount64() >= end) {
            std::fprintf(stderr, "zek-winspy: no control \"%s\" in \"%s\" after %.0f s\n",
                         Utf8(text).c_str(), Utf8(pattern).c_str(), seconds);
            return 1;
        }
        Sleep(50);
    }
}

int List()
{
    for (HWND hwnd : TopLevel()) {
        PrintRect(hwnd);
        std::printf("\t%s\t%s\n", Utf8(ClassOf(hwnd)).c_str(), Utf8(TextOf(hwnd)).c_str());
    }
    return 0;
}

int Usage()
{
    std::fprintf(stderr, "usage: zek-winspy wait|gone TITLE [SECONDS] | list | controls TITLE"
                         " | find TITLE TEXT [SECONDS]\n");
    return 2;
}

}  // namespace

// wmain: the arguments as the caller gave them (a title with umlauts), not in the ANSI
// code page.
int wmain(int argc, wchar_t **argv)
{
    const std::wstring command = argc > 1 ? argv[1] : L"";
    const double seconds = argc > 3 ? _wtof(argv[3]) : 20.0;
    if (command == L"list" && argc == 2) return List();
    if (command == L"find" && (argc == 4 || argc == 5))
        return FindText(argv[2], argv[3], argc == 5 ? _wtof(argv[4]) : 20.0);
    if (argc < 3 || argc > 4) return Usage();
    const std::wstring title = argv[2];
    if (command == L"wait") return Wait(title, seconds, false);
    if (command == L"gone") return Wait(title, seconds, true);
    if (command == L"controls" && argc == 3) return Controls(title);
    return Usage();
}
