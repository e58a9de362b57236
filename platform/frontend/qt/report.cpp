// Reports on the Qt front end: the read-only table window with its filter. The PDF of a
// report comes from the run-time layer's writer (report_pdf.h).
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
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
