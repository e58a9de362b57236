// The PDF writer behind report_pdf.h: layout in points from the page's top, then one
// uncompressed content stream per page and the file's objects with their cross-reference.
#include "platform/ui/report_pdf.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

constexpr double kPageWidth = 841.89, kPageHeight = 595.28;  // A4 landscape
constexpr double kMargin = 42.52;                              // 15 mm
constexpr double kLeft = kMargin, kWidth = kPageWidth - 2 * kMargin;
constexpr double kTop = kMargin, kBottom = kPageHeight - kMargin;
constexpr double kBody = 9, kHeading = 15;  // font sizes
constexpr double kCellPad = 4;

enum Face { REGULAR, BOLD };

// Advance widths in thousandths of the font size of Helvetica and Helvetica-Bold for the
// WinAnsi codes 32..255 (from the fonts' published metrics); 0 where the code is unused.
const unsigned short kAdvance[2][224] = {
    {
         278,  278,  355,  556,  556,  889,  667,  191,  333,  333,  389,  584,  278,  333,  278,  278,
         556,  556,  556,  556,  556,  556,  556,  556,  556,  556,  278,  278,  584,  584,  584,  556,
        1015,  667,  667,  722,  722,  667,  611,  778,  722,  278,  500,  667,  556,  833,  722,  778,
         667,  778,  722,  667,  611,  722,  667,  944,  667,  667,  611,  278,  278,  278,  469,  556,
         333,  556,  556,  500,  556,  556,  278,  556,  556,  222,  222,  500,  222,  833,  556,  556,
         556,  556,  333,  500,  278,  556,  500,  722,  500,  500,  500,  334,  260,  334,  584,    0,
         556,    0,  222,  556,  333, 1000,  556,  556,  333, 1000,  667,  333, 1000,    0,  611,    0,
           0,  222,  222,  333,  333,  350,  556, 1000,  333, 1000,  500,  333,  944,    0,  500,  667,
         278,  333,  556,  556,  556,  556,  260,  556,  333,  737,  370,  556,  584,  333,  737,  333,
         400,  584,  333,  333,  333,  578,  537,  278,  333,  333,  365,  556,  834,  834,  834,  611,
         667,  667,  667,  667,  667,  667, 1000,  722,  667,  667,  667,  667,  278,  278,  278,  278,
         722,  722,  778,  778,  778,  778,  778,  584,  778,  722,  722,  722,  722,  667,  667,  611,
         556,  556,  556,  556,  556,  556,  889,  500,  556,  556,  556,  556,  278,  278,  278,  278,
         556,  556,  556,  556,  556,  556,  556,  584,  611,  556,  556,  556,  556,  500,  556,  500,
    },
    {
         278,  333,  474,  556,  556,  889,  722,  238,  333,  333,  389,  584,  278,  333,  278,  278,
         556,  556,  556,  556,  556,  556,  556,  556,  556,  556,  333,  333,  584,  584,  584,  611,
         975,  722,  722,  722,  722,  667,  611,  778,  722,  278,  556,  722,  611,  833,  722,  778,
         667,  778,  722,  667,  611,  722,  667,  944,  667,  667,  611,  333,  278,  333,  584,  556,
         333,  556,  611,  556,  611,  556,  333,  611,  611,  278,  278,  556,  278,  889,  611,  611,
         611,  611,  389,  556,  333,  611,  556,  778,  556,  556,  500,  389,  280,  389,  584,    0,
         556,    0,  278,  556,  500, 1000,  556,  556,  333, 1000,  667,  333, 1000,    0,  611,    0,
           0,  278,  278,  500,  500,  350,  556, 1000,  333, 1000,  556,  333,  944,    0,  500,  667,
         278,  333,  556,  556,  556,  556,  280,  556,  333,  737,  370,  556,  584,  333,  737,  333,
         400,  584,  333,  333,  333,  611,  556,  278,  333,  333,  365,  556,  834,  834,  834,  611,
         722,  722,  722,  722,  722,  722, 1000,  722,  667,  667,  667,  667,  278,  278,  278,  278,
         722,  722,  778,  778,  778,  778,  778,  584,  778,  722,  722,  722,  722,  667,  667,  611,
         556,  556,  556,  556,  556,  556,  889,  556,  556,  556,  556,  556,  278,  278,  278,  278,
         611,  611,  611,  611,  611,  611,  611,  584,  611,  611,  611,  611,  611,  556,  611,  556,
    },
};

// The characters of WinAnsi codes 0x80..0x9F; 0 where the code holds none.
const char32_t kWinAnsiHigh[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};
constexpr char kEllipsis = '\x85';

// The code points of UTF-8 text; each byte of a malformed sequence becomes U+FFFD.
std::u32string code_points(const std::string &utf8)
{
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        const int more = b < 0x80 ? 0 : b >= 0xC2 && b < 0xE0 ? 1 : b >= 0xE0 && b < 0xF0 ? 2
                                                              : b >= 0xF0 && b < 0xF5 ? 3 : -1;
        char32_t c = more == 0 ? b : more == 1 ? b & 0x1F : more == 2 ? b & 0x0F : b & 0x07;
        bool good = more >= 0 && i + static_cast<size_t>(more) < utf8.size();
        for (int k = 1; good && k <= more; k++) {
            const auto n = static_cast<unsigned char>(utf8[i + static_cast<size_t>(k)]);
            good = (n & 0xC0) == 0x80;
            c = (c << 6) | (n & 0x3F);
        }
        // Overlong forms and surrogates are malformed as well.
        good = good && !(more == 2 && (c < 0x800 || (c >= 0xD800 && c < 0xE000))) &&
               !(more == 3 && (c < 0x10000 || c > 0x10FFFF));
        out.push_back(good ? c : 0xFFFD);
        i += good ? static_cast<size_t>(more) + 1 : 1;
    }
    return out;
}

char win_ansi(char32_t c)
{
    if ((c >= 0x20 && c < 0x7F) || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int k = 0; k < 32; k++)
        if (c != 0 && kWinAnsiHigh[k] == c) return static_cast<char>(0x80 + k);
    return '?';
}

// UTF-8 text as the fonts' codes.
std::string encoded(const std::string &utf8)
{
    std::string out;
    for (char32_t c : code_points(utf8)) out += win_ansi(c);
    return out;
}

double text_width(const std::string &codes, Face face, double size)
{
    double units = 0;
    for (char c : codes) units += kAdvance[face][static_cast<unsigned char>(c) - 32];
    return units * size / 1000;
}

// The text cut to width, "…" marking the cut.
std::string fitted(std::string codes, Face face, double size, double width)
{
    if (text_width(codes, face, size) <= width) return codes;
    while (!codes.empty() && text_width(codes + kEllipsis, face, size) > width) codes.pop_back();
    return codes.empty() ? codes : codes + kEllipsis;
}

// The text in lines no wider than width: broken at blanks, a word wider than a line
// broken between characters. The blanks a text starts with (an indent) are kept.
std::vector<std::string> wrapped(const std::string &codes, Face face, double size, double width)
{
    std::vector<std::string> lines{""};
    auto fits = [&](const std::string &s) { return text_width(s, face, size) <= width; };
    for (size_t at = 0; at < codes.size();) {
        const size_t end = codes.find(' ', codes.find_first_not_of(' ', at));
        std::string word = codes.substr(at, end == std::string::npos ? end : end - at);
        at = end == std::string::npos ? codes.size() : end;
        if (fits(lines.back() + word)) {
            lines.back() += word;
            continue;
        }
        if (lines.back().find_first_not_of(' ') != std::string::npos) {
            word.erase(0, word.find_first_not_of(' '));
            lines.emplace_back();
        }
        for (char c : word) {
            if (!fits(lines.back() + c) && !lines.back().empty()) lines.emplace_back();
            lines.back() += c;
        }
    }
    return lines;
}

// A length in points with two decimals, the same whatever the locale.
std::string number(double value)
{
    const long hundredths = std::lround(value * 100);
    const long whole = std::labs(hundredths);
    char text[32];
    std::snprintf(text, sizeof text, "%s%ld.%02ld", hundredths < 0 ? "-" : "", whole / 100,
                  whole % 100);
    return text;
}

std::string literal(const std::string &codes)
{
    std::string out = "(";
    for (char c : codes) {
        if (c == '(' || c == ')' || c == '\\') out += '\\';
        out += c;
    }
    return out + ")";
}

// The pages' content streams as they are drawn, y running down from the page's top.
class Pages {
public:
    Pages() { streams_.emplace_back(); }
    double y = kTop;

    // Starts a new page when h more points do not fit on this one; true when it did.
    bool Room(double h)
    {
        if (y + h <= kBottom || y == kTop) return false;
        streams_.emplace_back();
        y = kTop;
        return true;
    }
    // Text of a band of height h at the current y, vertically centred in it.
    void Text(double x, double h, const std::string &codes, Face face, double size)
    {
        if (codes.empty()) return;
        const double baseline = y + h / 2 + size * 0.36;
        Add("BT /F" + std::to_string(face + 1) + " " + number(size) + " Tf " + number(x) + " " +
            number(kPageHeight - baseline) + " Td " + literal(codes) + " Tj ET\n");
    }
    void Shade(double h)
    {
        Add("0.91 g " + number(kLeft) + " " + number(kPageHeight - y - h) + " " +
            number(kWidth) + " " + number(h) + " re f 0 g\n");
    }
    void Rule(double at)
    {
        const std::string level = number(kPageHeight - at);
        Add("0.5 w " + number(kLeft) + " " + level + " m " + number(kLeft + kWidth) + " " +
            level + " l S\n");
    }
    const std::vector<std::string> &Streams() const { return streams_; }

private:
    void Add(const std::string &s) { streams_.back() += s; }
    std::vector<std::string> streams_;
};

// A line of text, wrapped to the page's width, each part on its own line.
void draw_lines(Pages &pages, const std::string &utf8, Face face, double size)
{
    const double h = size * 1.5;
    for (const std::string &part : wrapped(encoded(utf8), face, size, kWidth)) {
        pages.Room(h);
        pages.Text(kLeft, h, part, face, size);
        pages.y += h;
    }
}

using Row = std::vector<std::string>;

// The table, its heading first and again at the top of every further page.
void draw_table(Pages &pages, const ReportContent &report)
{
    std::vector<Row> rows{Row()};
    for (const std::string &cell : report.header) rows[0].push_back(encoded(cell));
    for (const Row &cells : report.rows) {
        rows.emplace_back();
        for (const std::string &cell : cells) rows.back().push_back(encoded(cell));
    }
    // Widths as every front end's report gets them, measured in the heading's face.
    const std::vector<double> widths = platform::ReportColumnWidths(
        report, [](const std::string &cell) { return text_width(encoded(cell), BOLD, kBody); }, kWidth);
    if (widths.empty()) return;
    const double h = kBody * 1.85;
    auto draw_row = [&](const Row &cells, Face face) {
        if (face == BOLD) pages.Shade(h);
        double x = kLeft;
        for (size_t c = 0; c < cells.size() && c < widths.size(); c++) {
            pages.Text(x + kCellPad, h, fitted(cells[c], face, kBody, widths[c] - 2 * kCellPad),
                       face, kBody);
            x += widths[c];
        }
        pages.Rule(pages.y + h);
        pages.y += h;
    };
    pages.Room(2 * h);
    draw_row(rows[0], BOLD);
    for (size_t r = 1; r < rows.size(); r++) {
        if (pages.Room(h)) draw_row(rows[0], BOLD);
        draw_row(rows[r], REGULAR);
    }
}

// The title as the document information holds it: UTF-16 with its byte order mark.
std::string title_string(const std::string &utf8)
{
    std::string out = "<FEFF";
    char unit[8];
    for (char32_t c : code_points(utf8)) {
        std::snprintf(unit, sizeof unit, "%04X", c > 0xFFFF ? 0xFFFDu : static_cast<unsigned>(c));
        out += unit;
    }
    return out + ">";
}

// The file: catalogue, page tree, the two fonts, the document information, then each page
// with its content stream; the cross-reference table gives every object's offset.
std::string pdf_file(const std::vector<std::string> &streams, const std::string &title)
{
    std::vector<std::string> objects = {
        "<< /Type /Catalog /Pages 2 0 R >>", "",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>",
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold /Encoding /WinAnsiEncoding >>",
        "<< /Title " + title_string(title) + " /Creator (zek-config) >>"};
    std::string kids;
    for (const std::string &stream : streams) {
        const size_t page = objects.size() + 1;
        kids += std::to_string(page) + " 0 R ";
        objects.push_back("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(kPageWidth) +
                          " " + number(kPageHeight) +
                          "] /Resources << /Font << /F1 3 0 R /F2 4 0 R >> >> /Contents " +
                          std::to_string(page + 1) + " 0 R >>");
        objects.push_back("<< /Length " + std::to_string(stream.size()) + " >>\nstream\n" +
                          stream + "\nendstream");
    }
    objects[1] = "<< /Type /Pages /Kids [" + kids + "] /Count " +
                 std::to_string(streams.size()) + " >>";
    std::string out = "%PDF-1.4\n%\xE2\xE3\xCF\xD3\n";
    std::vector<size_t> offsets;
    for (size_t k = 0; k < objects.size(); k++) {
        offsets.push_back(out.size());
        out += std::to_string(k + 1) + " 0 obj\n" + objects[k] + "\nendobj\n";
    }
    const size_t xref = out.size();
    out += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
    char entry[24];
    for (size_t offset : offsets) {
        std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
        out += entry;
    }
    return out + "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
           " /Root 1 0 R /Info 5 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
}

}  // namespace

std::string ReportPdf(const ReportContent &report)
{
    Pages pages;
    draw_lines(pages, report.title, BOLD, kHeading);
    for (const std::string &line : report.lines) draw_lines(pages, line, REGULAR, kBody);
    pages.y += 8;
    draw_table(pages, report);
    pages.y += 8;
    for (const std::string &note : report.notes) draw_lines(pages, note, REGULAR, kBody);
    return pdf_file(pages.Streams(), report.title);
}
