// Reports on the Qt front end: the read-only table window with its filter, and the A4
// pages drawn with QPainter into an image (the PDF comes from report_pdf.h).
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <set>

#include "platform/qt/qt_internal.h"

namespace platform::qt {
namespace {

QStringList Cells(const std::vector<std::string> &cells)
{
    QStringList out;
    for (const std::string &c : cells) out << FromModel(c);
    return out;
}

// The filter's values in order: numbers by value, other text after them.
QStringList FilterValues(const ReportContent &report, int column)
{
    std::set<std::pair<long long, std::string>> values;
    for (const auto &row : report.rows) {
        if (column >= static_cast<int>(row.size())) continue;
        const std::string &cell = row[static_cast<size_t>(column)];
        const bool number = !cell.empty() && cell.size() < 18 &&
                            std::all_of(cell.begin(), cell.end(),
                                        [](char c) { return c >= '0' && c <= '9'; });
        values.insert({number ? std::stoll(cell) : (1LL << 62), cell});
    }
    QStringList out;
    for (const auto &v : values) out << FromModel(v.second);
    return out;
}

QTableWidget *NewTable(const ReportContent &report, QWidget *parent)
{
    auto *table = new QTableWidget(static_cast<int>(report.rows.size()),
                                   static_cast<int>(report.header.size()), parent);
    table->setHorizontalHeaderLabels(Cells(report.header));
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->verticalHeader()->setVisible(false);
    for (int r = 0; r < table->rowCount(); ++r) {
        const auto &row = report.rows[static_cast<size_t>(r)];
        for (int c = 0; c < table->columnCount() && c < static_cast<int>(row.size()); ++c)
            table->setItem(r, c, new QTableWidgetItem(FromModel(row[static_cast<size_t>(c)])));
    }
    table->resizeColumnsToContents();
    table->horizontalHeader()->setStretchLastSection(true);
    return table;
}

// Column widths for the page: in proportion to each column's widest text.
std::vector<double> ColumnWidths(const QFontMetricsF &metrics, const ReportContent &report,
                                 double width)
{
    std::vector<double> widths(report.header.size(), 0.0);
    auto widen = [&](const std::vector<std::string> &row) {
        for (size_t c = 0; c < widths.size() && c < row.size(); ++c)
            widths[c] = std::max(widths[c], metrics.horizontalAdvance(FromModel(row[c])) + 12.0);
    };
    widen(report.header);
    for (const auto &row : report.rows) widen(row);
    double total = 0.0;
    for (double w : widths) total += w;
    if (total > 0)
        for (double &w : widths) w *= width / total;
    return widths;
}

}  // namespace

// Title, lines, the table with its heading repeated on every page, then the notes. The
// painter is scaled to points; page is the printable area in points.
void PaintReport(QPainter &painter, const QRectF &page, const ReportContent &report,
                 const std::function<bool()> &newPage)
{
    // Pixel sizes, so that the fonts follow the painter's scale of one unit to a point.
    // Without shaping Qt joins no "fi" or "ff" into ligatures, so that the text copied
    // out of the PDF is the text put in.
    QFont body = DialogFont();
    body.setPixelSize(9);
    body.setStyleStrategy(QFont::PreferNoShaping);
    QFont bold = body;
    bold.setBold(true);
    QFont heading = bold;
    heading.setPixelSize(15);
    painter.setPen(Qt::black);
    double y = page.top();
    auto line = [&](const QString &text, const QFont &font) {
        painter.setFont(font);
        const double h = QFontMetricsF(font).height() * 1.3;
        if (y + h > page.bottom() && newPage && newPage()) y = page.top();
        painter.drawText(QRectF(page.left(), y, page.width(), h), Qt::AlignLeft | Qt::AlignVCenter,
                         text);
        y += h;
    };
    line(FromModel(report.title), heading);
    for (const std::string &l : report.lines) line(FromModel(l), body);
    y += 8;
    const std::vector<double> widths = ColumnWidths(QFontMetricsF(bold), report, page.width());
    const double rowHeight = QFontMetricsF(body).height() * 1.6;
    auto row = [&](const std::vector<std::string> &cells, const QFont &font, bool shaded) {
        painter.setFont(font);
        double x = page.left();
        const QRectF band(page.left(), y, page.width(), rowHeight);
        if (shaded) painter.fillRect(band, QColor(0xE8, 0xE8, 0xE8));
        for (size_t c = 0; c < widths.size(); ++c) {
            const QString text = c < cells.size() ? FromModel(cells[c]) : QString();
            painter.drawText(QRectF(x + 4, y, widths[c] - 8, rowHeight),
                             Qt::AlignLeft | Qt::AlignVCenter, text);
            x += widths[c];
        }
        painter.drawLine(band.bottomLeft(), band.bottomRight());
        y += rowHeight;
    };
    row(report.header, bold, true);
    for (const auto &cells : report.rows) {
        if (y + rowHeight > page.bottom() && newPage && newPage()) {
            y = page.top();
            row(report.header, bold, true);
        }
        row(cells, body, false);
    }
    y += 8;
    for (const std::string &l : report.notes) line(FromModel(l), body);
}

void QtFrontEnd::ShowReport(const ReportContent &report, int filterColumn,
                            const std::string &allLabel)
{
    QDialog dialog(DialogParent());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(FromModel(report.title));
    auto *layout = new QVBoxLayout(&dialog);
    QStringList above = Cells(report.lines);
    if (!above.isEmpty()) layout->addWidget(new QLabel(above.join(QLatin1Char('\n')), &dialog));
    QTableWidget *table = NewTable(report, &dialog);
    if (filterColumn >= 0 && filterColumn < table->columnCount()) {
        auto *filter = new QComboBox(&dialog);
        filter->setObjectName(QStringLiteral("report_filter"));
        filter->addItem(FromModel(allLabel));
        filter->addItems(FilterValues(report, filterColumn));
        QObject::connect(filter, &QComboBox::currentIndexChanged, table, [=](int index) {
            const QString wanted = filter->itemText(index);
            for (int r = 0; r < table->rowCount(); ++r) {
                QTableWidgetItem *cell = table->item(r, filterColumn);
                table->setRowHidden(r, index > 0 && (!cell || cell->text() != wanted));
            }
        });
        const std::string &heading = report.header[static_cast<size_t>(filterColumn)];
        auto *label = new QLabel(FromModel(heading), &dialog);
        label->setBuddy(filter);
        auto *row = new QHBoxLayout;
        row->addWidget(label);
        row->addWidget(filter);
        row->addStretch();
        layout->addLayout(row);
    }
    layout->addWidget(table);
    for (const std::string &note : report.notes)
        layout->addWidget(new QLabel(FromModel(note), &dialog));
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    dialog.resize(std::min(table->horizontalHeader()->length() + 60, 1100), 520);
    Exec(dialog);
}

}  // namespace platform::qt
