// Reports on the Win32 front end: a modal window with the lines above the table, the
// filter (a drop-down list of the filter column's values, first "all"), the table as a
// read-only list view, the notes below it and a Close button. Escape closes it too.
#include "platform/frontend/win32/win32_internal.h"  // <windows.h> first

#include <commctrl.h>

#include <algorithm>
#include "platform/language.h"

namespace platform::win32 {
namespace {

const wchar_t kReportClass[] = L"ZekReport";
constexpr int kFilterId = 100, kTableId = 101;

struct ReportWindow {
    const ReportContent *report = nullptr;
    int filterColumn = -1;
    HWND hwnd = nullptr, lines = nullptr, filterCaption = nullptr, filter = nullptr, table = nullptr,
         notes = nullptr, close = nullptr;
    std::vector<std::string> filterValues;
    bool closed = false;
};

std::string Joined(const std::vector<std::string> &texts)
{
    std::string out;
    for (const std::string &t : texts) out += (out.empty() ? "" : "\n") + t;
    return out;
}

int TextHeight(const std::string &text, int width)
{
    return text.empty() ? 0 : TextExtent(DialogFont(), Wide(text), width).cy;
}

int TextWidth(const std::string &text)
{
    return text.empty() ? 0 : TextExtent(DialogFont(), Wide(text)).cx;
}

// The rows the filter lets through, in the report's order.
void FillTable(ReportWindow &r)
{
    const LRESULT chosen = r.filter ? SendMessageW(r.filter, CB_GETCURSEL, 0, 0) : 0;
    const std::string *wanted = chosen > 0 && static_cast<size_t>(chosen) <= r.filterValues.size()
                                    ? &r.filterValues[static_cast<size_t>(chosen - 1)] : nullptr;
    SendMessageW(r.table, WM_SETREDRAW, FALSE, 0);
    ListView_DeleteAllItems(r.table);
    int shown = 0;
    for (const auto &row : r.report->rows) {
        const size_t column = static_cast<size_t>(std::max(r.filterColumn, 0));
        if (wanted && (column >= row.size() || row[column] != *wanted)) continue;
        for (size_t c = 0; c < r.report->header.size(); ++c) {
            std::wstring cell = Wide(c < row.size() ? row[c] : std::string());
            if (c == 0) {
                LVITEMW item{};
                item.mask = LVIF_TEXT;
                item.iItem = shown;
                item.pszText = cell.data();
                SendMessageW(r.table, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
            } else {
                ListView_SetItemText(r.table, shown, static_cast<int>(c), cell.data());
            }
        }
        ++shown;
    }
    SendMessageW(r.table, WM_SETREDRAW, TRUE, 0);
}

void Layout(ReportWindow &r, int width, int height)
{
    const int pad = Scaled(8), rowH = Scaled(24), inner = width - 2 * pad;
    int y = pad;
    const int linesH = TextHeight(Joined(r.report->lines), inner);
    MoveWindow(r.lines, pad, y, inner, linesH, TRUE);
    y += linesH ? linesH + pad : 0;
    if (r.filter) {
        const int captionW = TextWidth(r.report->header[static_cast<size_t>(r.filterColumn)]) + Scaled(4);
        MoveWindow(r.filterCaption, pad, y + Scaled(4), captionW, rowH - Scaled(4), TRUE);
        MoveWindow(r.filter, pad + captionW + pad, y, Scaled(200), Scaled(240), TRUE);
        y += rowH + pad;
    }
    const int notesH = TextHeight(Joined(r.report->notes), inner);
    const int bottom = height - pad - rowH - (notesH ? notesH + pad : 0) - pad;
    MoveWindow(r.table, pad, y, inner, std::max(bottom - y, rowH), TRUE);
    MoveWindow(r.notes, pad, bottom + pad, inner, notesH, TRUE);
    MoveWindow(r.close, width - pad - Scaled(88), height - pad - rowH, Scaled(88), rowH, TRUE);
}

LRESULT CALLBACK ReportProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    auto *r = reinterpret_cast<ReportWindow *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!r) return DefWindowProcW(hwnd, msg, wp, lp);
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wp) == IDCANCEL) r->closed = true;  // Close, or Escape through the dialog keys
        if (LOWORD(wp) == kFilterId && HIWORD(wp) == CBN_SELCHANGE) FillTable(*r);
        return 0;
    case WM_CLOSE: r->closed = true; return 0;
    case WM_SIZE: Layout(*r, LOWORD(lp), HIWORD(lp)); return 0;
    case WM_CTLCOLORSTATIC: return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    default: return DefWindowProcW(hwnd, msg, wp, lp);
    }
}

HWND Child(ReportWindow &r, const wchar_t *cls, const std::string &text, DWORD style, int id, DWORD exStyle = 0)
{
    HWND c = CreateWindowExW(exStyle, cls, Wide(text).c_str(),
                             WS_CHILD | WS_VISIBLE | style, 0, 0, 10, 10, r.hwnd,
                             reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(c, WM_SETFONT, reinterpret_cast<WPARAM>(DialogFont()), FALSE);
    return c;
}

// The columns' widths fill the table in proportion to each column's widest text, as the
// printed report's do; the table is as wide as its texts need, within the screen.
int AddColumns(ReportWindow &r)
{
    int natural = 0;
    for (size_t c = 0; c < r.report->header.size(); ++c) {
        int widest = TextWidth(r.report->header[c]);
        for (const auto &row : r.report->rows)
            if (c < row.size()) widest = std::max(widest, TextWidth(row[c]));
        natural += widest + Scaled(16);
    }
    const int width = std::clamp(natural, Scaled(300), GetSystemMetrics(SM_CXSCREEN) - Scaled(80));
    // Within the list view's frame and beside its vertical scroll bar.
    const int inside = width - GetSystemMetrics(SM_CXVSCROLL) - Scaled(6);
    const std::vector<double> widths = ReportColumnWidths(
        *r.report, [](const std::string &t) { return static_cast<double>(TextWidth(t)); }, inside);
    for (size_t c = 0; c < r.report->header.size(); ++c) {
        std::wstring heading = Wide(r.report->header[c]);
        LVCOLUMNW column{};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.pszText = heading.data();
        column.cx = c < widths.size() ? static_cast<int>(widths[c]) : Scaled(80);
        SendMessageW(r.table, LVM_INSERTCOLUMNW, c, reinterpret_cast<LPARAM>(&column));
    }
    return width;
}

void BuildChildren(ReportWindow &r, const std::string &allLabel)
{
    r.lines = Child(r, WC_STATICW, Joined(r.report->lines), SS_LEFT | SS_NOPREFIX, -1);
    if (r.filterColumn >= 0 && static_cast<size_t>(r.filterColumn) < r.report->header.size()) {
        r.filterCaption = Child(r, WC_STATICW, r.report->header[static_cast<size_t>(r.filterColumn)],
                                SS_LEFT | SS_NOPREFIX, -1);
        r.filter = Child(r, WC_COMBOBOXW, "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kFilterId);
        r.filterValues = ReportFilterValues(*r.report, r.filterColumn);
        SendMessageW(r.filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(allLabel).c_str()));
        for (const std::string &v : r.filterValues)
            SendMessageW(r.filter, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(v).c_str()));
        SendMessageW(r.filter, CB_SETCURSEL, 0, 0);
    }
    r.table = Child(r, WC_LISTVIEWW, "", LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | WS_TABSTOP, kTableId,
                    WS_EX_CLIENTEDGE);
    ListView_SetExtendedListViewStyle(r.table, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    r.notes = Child(r, WC_STATICW, Joined(r.report->notes), SS_LEFT | SS_NOPREFIX, -1);
    r.close = Child(r, WC_BUTTONW, GetRunTimeLanguage() == RUNTIME_GERMAN ? "Schließen" : "Close",
                    BS_DEFPUSHBUTTON | WS_TABSTOP, IDCANCEL);
}

void RegisterReportClass()
{
    static const ATOM registered = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        wc.lpfnWndProc = ReportProc;
        wc.lpszClassName = kReportClass;
        return RegisterClassExW(&wc);
    }();
    (void)registered;
}

}  // namespace

void RunReportWindow(const ReportContent &report, int filterColumn, const std::string &allLabel, HWND owner)
{
    RegisterReportClass();
    ReportWindow r;
    r.report = &report;
    r.filterColumn = filterColumn;
    const DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME;
    r.hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kReportClass, Wide(report.title).c_str(),
                             style, 0, 0, 10, 10, owner, nullptr, GetModuleHandleW(nullptr), nullptr);
    BuildChildren(r, allLabel);
    const int tableW = AddColumns(r);
    FillTable(r);
    SetWindowLongPtrW(r.hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&r));
    RECT frame{0, 0, tableW + Scaled(16), Scaled(520)};
    AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
    const int w = frame.right - frame.left, h = frame.bottom - frame.top;
    RECT area;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    SetWindowPos(r.hwnd, nullptr, area.left + std::max(0L, (area.right - area.left - w) / 2),
                 area.top + std::max(0L, (area.bottom - area.top - h) / 2), w, h, SWP_NOZORDER);
    ShowWindow(r.hwnd, SW_SHOW);
    SetForegroundWindow(r.hwnd);
    SetFocus(r.table);
    RunModal(r.hwnd, [&] { return r.closed; });
    DestroyWindow(r.hwnd);
    if (owner) SetForegroundWindow(owner);
}

}  // namespace platform::win32
