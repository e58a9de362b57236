// Popups of the run-time layer as modal Qt dialogs: message, Yes/No confirmation,
// text prompt (masked or plain) and file selection. Each returns when the operator has answered.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QFontMetrics>
#include <QHeaderView>
#include <QIdentityProxyModel>
#include <QLocale>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTreeView>
#include <QValidator>
#include <QVBoxLayout>

#include "platform/language.h"
#include "platform/frontend/qt/qt_internal.h"
#include "platform/state.h"

namespace platform::qt {
namespace {

// The reply buffer holds maxLength bytes: limit the entry by its UTF-8 size, so that
// no character is ever cut in half.
class ByteLimit : public QValidator {
public:
    ByteLimit(int maxBytes, QObject *parent) : QValidator(parent), maxBytes_(maxBytes) {}
    State validate(QString &input, int &) const override
    {
        return input.toUtf8().size() <= maxBytes_ ? Acceptable : Invalid;
    }

private:
    int maxBytes_;
};

// The folder Open and Save as start in: the offered one if it still exists, else the
// working directory.
QString StartFolder(const std::string &offered)
{
    QString folder = FromModel(offered);
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    return QDir::currentPath();
}

// Qt's file model writes sizes and dates in the system's locale (the C locale here):
// this shows them in the run-time language instead, like the rest of the dialog.
class LocalSizesAndDates : public QIdentityProxyModel {
public:
    using QIdentityProxyModel::QIdentityProxyModel;
    QVariant data(const QModelIndex &index, int role) const override
    {
        auto *files = qobject_cast<QFileSystemModel *>(sourceModel());
        if (!files || role != Qt::DisplayRole) return QIdentityProxyModel::data(index, role);
        QModelIndex source = mapToSource(index);
        if (index.column() == 1 && !files->isDir(source))
            return QLocale().formattedDataSize(files->size(source));
        if (index.column() == 3)
            return QLocale().toString(files->lastModified(source), QLocale::ShortFormat);
        return QIdentityProxyModel::data(index, role);
    }
};

// The name column takes the room the others leave; each of the others is as wide as
// its heading or its widest entry.
void FitColumns(QFileDialog &dialog)
{
    dialog.setProxyModel(new LocalSizesAndDates(&dialog));
    auto *view = dialog.findChild<QTreeView *>();
    if (!view) return;
    QHeaderView *header = view->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int i = 1; i < header->count(); ++i) header->setSectionResizeMode(i, QHeaderView::ResizeToContents);
    dialog.resize(std::max(dialog.width(), 760), std::max(dialog.height(), 420));
}

// Message boxes wrap lines wider than about half the screen. The texts' own line ends
// are where they want their breaks, so the box widens to hold its longest line whole
// (up to most of the screen) instead of breaking it again in the middle.
void FitLongestLine(QMessageBox &box, const QString &text)
{
    auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!label) return;
    QFontMetrics metrics(label->font());
    int longest = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        longest = std::max(longest, metrics.horizontalAdvance(line));
    QScreen *screen = box.screen();
    int limit = screen ? screen->availableGeometry().width() * 4 / 5 - 100 : 800;
    label->setMinimumWidth(std::min(longest + 4, limit));
}

}  // namespace

QString FromModel(const std::string &text)
{
    QString s = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return s;
}

QString WithMnemonic(const std::string &label)
{
    QString in = FromModel(label), out;
    bool marked = false;
    for (qsizetype i = 0; i < in.size(); ++i) {
        if (!marked && in[i] == QLatin1Char('_') && i + 2 < in.size() &&
            in[i + 1] == QLatin1Char('_') && in[i + 2] != QLatin1Char('_')) {
            out += QLatin1Char('&');
            marked = true;
            ++i;
            continue;
        }
        if (in[i] == QLatin1Char('&')) out += QLatin1Char('&');
        out += in[i];
    }
    return out;
}

QColor FromRgb(int rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

namespace {

// A modal message box with the title and the plain text, wide enough for its longest line.
void PrepareBox(QMessageBox &box, const std::string &title, const std::string &text)
{
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(FromModel(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromModel(text));
    FitLongestLine(box, box.text());
}

}  // namespace

void QtFrontEnd::Message(const std::string &title, const std::string &text)
{
    QMessageBox box(DialogParent());
    PrepareBox(box, title, text);
    box.setStandardButtons(QMessageBox::Ok);
    Exec(box);
}

int QtFrontEnd::Confirm(const std::string &title, const std::string &text, bool defaultYes)
{
    QMessageBox box(DialogParent());
    PrepareBox(box, title, text);
    box.setIcon(QMessageBox::Question);
    QPushButton *yes = box.addButton(QMessageBox::Yes);
    QPushButton *no = box.addButton(QMessageBox::No);
    box.setDefaultButton(defaultYes ? yes : no);
    box.setEscapeButton(QMessageBox::No);
    Exec(box);
    return box.clickedButton() == yes ? 1 : 0;
}

std::optional<std::string> QtFrontEnd::Prompt(const std::string &title, const std::string &text, int maxLength,
                               bool masked)
{
    QDialog dialog(DialogParent());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(FromModel(title));
    auto *layout = new QVBoxLayout(&dialog);
    auto *message = new QLabel(FromModel(text), &dialog);
    auto *entry = new QLineEdit(&dialog);
    if (masked) entry->setEchoMode(QLineEdit::Password);
    entry->setMaxLength(std::max(maxLength, 0));
    entry->setValidator(new ByteLimit(std::max(maxLength, 0), entry));
    message->setBuddy(entry);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(message);
    layout->addWidget(entry);
    layout->addWidget(buttons);
    entry->setFocus();
    if (Exec(dialog) != QDialog::Accepted) return std::nullopt;
    return entry->text().toStdString();
}

// Saving adds the offered name's extension to a typed name without one, so that the
// file shows again under the same pattern when opening. The chosen file's folder is
// remembered for the next dialog, also across restarts.
int QtFrontEnd::FileSelect(const std::string &directory, const std::string &fileSpec,
                           const std::string &title, bool saveButton, std::string *path)
{
    const FileDialogOffer offer = OfferFileDialog(directory, fileSpec);
    QFileDialog dialog(DialogParent(), FromModel(title), StartFolder(offer.folder));
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    FitColumns(dialog);
    dialog.setAcceptMode(saveButton ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saveButton ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, QString::fromUtf8(saveButton ? Pick("&Save", "&Speichern")
                                                                           : Pick("&Load", "&Laden")));
    QStringList filters;
    if (!offer.pattern.empty()) filters << FromModel(offer.pattern);
    filters << QStringLiteral("*");  // extensions are not restricted
    dialog.setNameFilters(filters);
    if (saveButton && !offer.suffix.empty()) dialog.setDefaultSuffix(FromModel(offer.suffix));
    if (!offer.name.empty()) dialog.selectFile(FromModel(offer.name));
    if (Exec(dialog) != QDialog::Accepted) return 0;
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return 0;
    SaveState("file_dialog_folder", QFileInfo(chosen.first()).absolutePath().toStdString());
    *path = QDir::toNativeSeparators(chosen.first()).toStdString();
    return 1;
}

}  // namespace platform::qt
