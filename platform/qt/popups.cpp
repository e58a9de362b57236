// Popups of the run-time layer as modal Qt dialogs: message, Yes/No confirmation,
// password prompt and file selection. Each returns when the operator has answered.
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QValidator>
#include <QVBoxLayout>

#include "platform/qt/qt_internal.h"

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

// "*.cfg" -> "*.cfg"; "dir/name.cfg" -> "*.cfg"; a name without extension: none.
QString PatternOf(const QString &wanted)
{
    if (wanted.contains(QLatin1Char('*')) || wanted.contains(QLatin1Char('?')))
        return QFileInfo(wanted).fileName();
    QString suffix = QFileInfo(wanted).suffix();
    return suffix.isEmpty() ? QString() : QStringLiteral("*.") + suffix;
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

void QtFrontEnd::Message(const std::string &title, const std::string &text)
{
    QMessageBox box(DialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(FromModel(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromModel(text));
    box.setStandardButtons(QMessageBox::Ok);
    Exec(box);
}

int QtFrontEnd::Confirm(const std::string &title, const std::string &text)
{
    QMessageBox box(DialogParent());
    box.setWindowModality(Qt::ApplicationModal);
    box.setWindowTitle(FromModel(title));
    box.setTextFormat(Qt::PlainText);
    box.setText(FromModel(text));
    box.setIcon(QMessageBox::Question);
    QPushButton *yes = box.addButton(QMessageBox::Yes);
    box.addButton(QMessageBox::No);
    box.setDefaultButton(yes);
    box.setEscapeButton(QMessageBox::No);
    Exec(box);
    return box.clickedButton() == yes ? 1 : 0;
}

std::string QtFrontEnd::Prompt(const std::string &title, const std::string &text, int maxLength)
{
    QDialog dialog(DialogParent());
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setWindowTitle(FromModel(title));
    auto *layout = new QVBoxLayout(&dialog);
    auto *message = new QLabel(FromModel(text), &dialog);
    auto *entry = new QLineEdit(&dialog);
    entry->setEchoMode(QLineEdit::Password);  // the prompt asks for a password
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
    if (Exec(dialog) != QDialog::Accepted) return std::string();
    return entry->text().toStdString();
}

int QtFrontEnd::FileSelect(const std::string &directory, const std::string &fileSpec,
                           const std::string &title, bool saveButton, std::string *path)
{
    QString wanted = FromModel(fileSpec);
    QString dir = directory.empty() ? QDir::currentPath() : FromModel(directory);
    QFileDialog dialog(DialogParent(), FromModel(title), dir);
    dialog.setWindowModality(Qt::ApplicationModal);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(saveButton ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saveButton ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setLabelText(QFileDialog::Accept, saveButton ? QStringLiteral("&Save") : QStringLiteral("&Load"));
    QString pattern = PatternOf(wanted);
    QStringList filters;
    if (!pattern.isEmpty()) filters << pattern;
    filters << QStringLiteral("*");  // extensions are not restricted
    dialog.setNameFilters(filters);
    QFileInfo named(wanted);
    if (wanted.contains(QLatin1Char('/'))) dialog.setDirectory(named.absolutePath());
    bool wildcard = wanted.contains(QLatin1Char('*')) || wanted.contains(QLatin1Char('?'));
    if (!wildcard && !named.fileName().isEmpty()) dialog.selectFile(named.fileName());
    if (Exec(dialog) != QDialog::Accepted) return 0;
    QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return 0;
    *path = QDir::toNativeSeparators(chosen.first()).toStdString();
    return 1;
}

}  // namespace platform::qt
