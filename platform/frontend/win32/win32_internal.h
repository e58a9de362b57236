// Inside the Win32 front end: text conversion, fonts and scaling, and the panel windows.
// Only platform/frontend/win32 includes this.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "platform/report.h"
#include "platform/ui/model.h"

namespace platform::win32 {

// UTF-8 in the program, UTF-16 at every Win32 call. Line ends become CR LF.
std::wstring Wide(const std::string &text);
std::string Utf8(const std::wstring &text);
// "__X" mnemonic marks in Win32's form ("&X"); other '&' are doubled.
std::wstring WithMnemonic(const std::string &label);

// Resource units (96 per inch) to the screen's pixels.
int Scaled(int units);
int Unscaled(int pixels);
HFONT DialogFont(int shrink = 0);  // shrink: pixels smaller than the dialog font
HFONT FixedFont();
// The text's size in the font, in pixels: one line, or wrapped at wrapWidth (> 0).
SIZE TextExtent(HFONT font, const std::wstring &text, int wrapWidth = 0);
inline constexpr int kDialogPixels = 12;

// One displayed panel: a top-level window, its controls' bodies and captions, the
// menu bar with its accelerators, and (main windows) the status line below the panel.
struct PanelWindow {
    int panel = 0;
    HWND hwnd = nullptr;
    std::map<int, HWND> bodies, captions;
    int menuBar = 0;
    HMENU menu = nullptr;
    HACCEL accel = nullptr;
    std::map<UINT, int> menuItems;  // command id -> menu item
    HBRUSH back = nullptr;
    COLORREF backColour = 0;
    HWND status = nullptr, progress = nullptr, cancel = nullptr;
    bool placed = false;
};

inline constexpr UINT kFirstControlId = 1000;
inline constexpr UINT kFirstMenuId = 20000;
inline constexpr UINT kCancelId = 900;
inline constexpr int kStatusHeight = 24;
inline constexpr UINT_PTR kStatusTimer = 1;  // the main window's status line, once a second
extern const wchar_t kPanelClass[];

// panels.cpp: windows from the model.
PanelWindow *NewPanelWindow(int panel);
void DestroyPanelWindow(PanelWindow &w);
void SyncPanel(PanelWindow &w);
void SyncControl(PanelWindow &w, int control);
void SyncMenuBar(PanelWindow &w);
void SyncStatusLine(PanelWindow &w);
LRESULT CALLBACK PanelProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// win32_frontend.cpp: the front end the windows report to.
PanelWindow *WindowOfHwnd(HWND hwnd);
// Runs an operator action; afterwards the loop ends when a callback asked for it.
void Act(const std::function<void()> &fn);
bool WaitCursorOn();

// Takes messages for the window dialog until done() holds; the panel windows take no
// input meanwhile.
void RunModal(HWND dialog, const std::function<bool()> &done);

// log_window.cpp: the link log's window, not modal, following its file.
void OpenLogWindow(const std::string &title, const std::string &path);
// report.cpp: a report's read-only table, modal until closed (Escape, Close, close box).
void RunReportWindow(const ReportContent &report, int filterColumn, const std::string &allLabel,
                     HWND owner);

// accessible.cpp: a control's name and description for assistive technology (empty:
// none of ours), and their removal before the control goes.
void SetAccessText(HWND hwnd, const std::string &name, const std::string &description);
void ClearAccessText(HWND hwnd);

// picture.cpp: the resource's picture from its raster copy (a PNG beside the SVG).
void DrawPicture(HDC dc, const RECT &area, const std::string &image);

}  // namespace platform::win32
