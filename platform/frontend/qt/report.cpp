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

#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

QStringList Cells(const std::vector<std::string> &cells)
{
    QStringList out;
    for (const std::string &c : cells) out << FromModel(c);
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

}  // namespace

// Draws the parts where the run-time layer placed them (report.h). The painter is scaled
// to points; page is the printable area in points.
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
    const QFontMetricsF boldMetrics(bold);
    const std::vector<double> widths = ReportColumnWidths(
        report, [&](const std::string &t) { return boldMetrics.horizontalAdvance(FromModel(t)); },
        page.width());
    auto line = [&](const std::string &text, const QFont &font, const ReportPart &part) {
        painter.setFont(font);
        painter.drawText(QRectF(page.left(), part.top, page.width(), part.height),
                         Qt::AlignLeft | Qt::AlignVCenter, FromModel(text));
    };
    auto row = [&](const std::vector<std::string> &cells, const QFont &font, const ReportPart &part) {
        painter.setFont(font);
        double x = page.left();
        const QRectF band(page.left(), part.top, page.width(), part.height);
        if (part.kind == ReportPart::Header) painter.fillRect(band, QColor(0xE8, 0xE8, 0xE8));
        for (size_t c = 0; c < widths.size(); ++c) {
            const QString text = c < cells.size() ? FromModel(cells[c]) : QString();
            painter.drawText(QRectF(x + 4, part.top, widths[c] - 8, part.height),
                             Qt::AlignLeft | Qt::AlignVCenter, text);
            x += widths[c];
        }
        painter.drawLine(band.bottomLeft(), band.bottomRight());
    };
    const ReportMetrics metrics{QFontMetricsF(heading).height(), QFontMetricsF(body).height()};
    int shown = 0;
    for (const ReportPart &part : PageReport(report, metrics, page.top(), page.bottom(), bool(newPage))) {
        if (part.page > shown && newPage) newPage();
        shown = part.page;
        switch (part.kind) {
        case ReportPart::Title: line(report.title, heading, part); break;
        case ReportPart::Line: line(report.lines[part.index], body, part); break;
        case ReportPart::Header: row(report.header, bold, part); break;
        case ReportPart::Row: row(report.rows[part.index], body, part); break;
        case ReportPart::Note: line(report.notes[part.index], body, part); break;
        }
    }
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
        for (const std::string &value : ReportFilterValues(report, filterColumn))
            filter->addItem(FromModel(value));
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
