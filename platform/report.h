// Reports that the run-time shows or prints: a title, lines under it, a table, and notes
// below the table. The system's code fills in the content; the front end shows it as a
// read-only table window, one writer without a toolkit draws it as A4 pages of a PDF.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct ReportContent {
    std::string title;
    std::vector<std::string> lines;   // under the title
    std::vector<std::string> header;  // column headings
    std::vector<std::vector<std::string>> rows;
    std::vector<std::string> notes;   // below the table
};

// Shows the report in a read-only modal window until the operator closes it. With
// filterColumn >= 0 a choice above the table shows every row (allLabel) or only the rows
// whose cell in that column holds the chosen value.
int ShowReportTable(const ReportContent &report, int filterColumn, const char *allLabel);

// Writes the report as an A4 PDF (report_pdf.h, the same on every front end) to fileName
// through the file services (replaced whole, so a failed write leaves an existing file as
// it was). 0; -1 after a file error (the I/O status and its text tell it).
int WriteReportPdf(const char *fileName, const ReportContent &report);

// Local date and time to the second, "2026-12-07T18:30:05" (separator 'T') or with
// another separator between date and time.
std::string LocalDateTime(char separator = 'T');

namespace platform {

// A report on pages, the same for every front end that draws one: the front end gives
// its fonts' line heights and draws each part where it is placed.
struct ReportMetrics {
    double heading = 0.0, body = 0.0;  // font heights of the title and of the rest
};
struct ReportPart {
    enum Kind { Title, Line, Header, Row, Note } kind;
    size_t index = 0;  // lines, rows, notes: which one
    int page = 0;      // from 0
    double top = 0.0, height = 0.0;
};
// Title, lines, the table with its heading repeated on every page, then the notes. A part
// that would cross pageBottom starts the next page; without breaks everything stays on
// the first page and what does not fit lies below it.
std::vector<ReportPart> PageReport(const ReportContent &report, const ReportMetrics &metrics,
                                   double pageTop, double pageBottom, bool breaks);
// Column widths filling width, in proportion to each column's widest text (advance: a
// text's width in the heading font).
std::vector<double> ReportColumnWidths(const ReportContent &report,
                                       const std::function<double(const std::string &)> &advance,
                                       double width);
// The values a filter on column offers, in order: numbers by value, other text after them.
std::vector<std::string> ReportFilterValues(const ReportContent &report, int column);

}  // namespace platform
