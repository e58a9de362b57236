// Report services: the front end shows the table, report_pdf.h draws the PDF, the file
// services write it.
#include "platform/report.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <set>

#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/ui/report_pdf.h"

int ShowReportTable(const ReportContent &report, int filterColumn, const char *allLabel)
{
    platform::CurrentFrontEnd().ShowReport(report, filterColumn, allLabel ? allLabel : "");
    return 0;
}

int WriteReportPdf(const char *fileName, const ReportContent &report)
{
    const std::string pdf = ReportPdf(report);
    const int handle = CVI_OpenFile(fileName, VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    if (handle < 0) return -1;
    const int written = CVI_WriteFile(handle, pdf.data(), static_cast<int>(pdf.size()));
    // The close reports a failed write as well and keeps the old file then.
    const int closed = CVI_CloseFile(handle);
    return written < 0 || closed < 0 ? -1 : 0;
}

std::string LocalDateTime(char separator)
{
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    char text[32];
    const char format[] = {'%', 'Y', '-', '%', 'm', '-', '%', 'd', separator,
                           '%', 'H', ':', '%', 'M', ':', '%', 'S', '\0'};
    const std::tm *local = std::localtime(&now);
    if (!local || std::strftime(text, sizeof text, format, local) == 0) return "";
    return text;
}

namespace platform {
namespace {

// Places parts one below the other, starting a new page where one would not fit.
struct Pager {
    double top, bottom;
    bool breaks;
    std::vector<ReportPart> parts;
    double y = top;
    int page = 0;

    // True when the part went onto a new page.
    bool Place(ReportPart::Kind kind, size_t index, double height)
    {
        const bool turn = breaks && y + height > bottom;
        if (turn) {
            ++page;
            y = top;
        }
        parts.push_back({kind, index, page, y, height});
        y += height;
        return turn;
    }
};

}  // namespace

std::vector<ReportPart> PageReport(const ReportContent &report, const ReportMetrics &metrics,
                                   double pageTop, double pageBottom, bool breaks)
{
    const double heading = metrics.heading * 1.3, line = metrics.body * 1.3;
    const double row = metrics.body * 1.6;
    Pager pager{pageTop, pageBottom, breaks, {}};
    pager.Place(ReportPart::Title, 0, heading);
    for (size_t i = 0; i < report.lines.size(); ++i) pager.Place(ReportPart::Line, i, line);
    pager.y += 8;
    pager.parts.push_back({ReportPart::Header, 0, pager.page, pager.y, row});
    pager.y += row;
    for (size_t i = 0; i < report.rows.size(); ++i) {
        if (pager.Place(ReportPart::Row, i, row)) {
            // The heading comes first on the new page, the row below it.
            ReportPart moved = pager.parts.back();
            pager.parts.back() = {ReportPart::Header, 0, moved.page, moved.top, row};
            moved.top += row;
            pager.parts.push_back(moved);
            pager.y += row;
        }
    }
    pager.y += 8;
    for (size_t i = 0; i < report.notes.size(); ++i) pager.Place(ReportPart::Note, i, line);
    return pager.parts;
}

std::vector<double> ReportColumnWidths(const ReportContent &report,
                                       const std::function<double(const std::string &)> &advance,
                                       double width)
{
    std::vector<double> widths(report.header.size(), 0.0);
    auto widen = [&](const std::vector<std::string> &row) {
        for (size_t c = 0; c < widths.size() && c < row.size(); ++c)
            widths[c] = std::max(widths[c], advance(row[c]) + 12.0);
    };
    widen(report.header);
    for (const auto &row : report.rows) widen(row);
    double total = 0.0;
    for (double w : widths) total += w;
    if (total > 0)
        for (double &w : widths) w *= width / total;
    return widths;
}

std::vector<std::string> ReportFilterValues(const ReportContent &report, int column)
{
    std::set<std::pair<long long, std::string>> values;
    for (const auto &row : report.rows) {
        if (column < 0 || column >= static_cast<int>(row.size())) continue;
        const std::string &cell = row[static_cast<size_t>(column)];
        const bool number = !cell.empty() && cell.size() < 18 &&
                            std::all_of(cell.begin(), cell.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        values.insert({number ? std::stoll(cell) : (1LL << 62), cell});
    }
    std::vector<std::string> out;
    for (const auto &v : values) out.push_back(v.second);
    return out;
}

}  // namespace platform
