// The log window of the Qt front end: a read-only text view, not modal, with the newest
// lines of the file. A timer reads the file's end again twice a second and scrolls to the
// bottom when it changed, so the window follows the log as it grows and after it rotates.
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>

#include "platform/ui/log_window.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

constexpr long kShownBytes = 64 * 1024;  // about 600 lines
constexpr int kFollowMs = 500;

class LogWindow : public QWidget {
public:
    LogWindow(const QString &title, std::string path) : path_(std::move(path))
    {
        setWindowTitle(title);
        setObjectName(QStringLiteral("zek-log-window"));
        view_ = new QPlainTextEdit(this);
        view_->setReadOnly(true);
        view_->setLineWrapMode(QPlainTextEdit::NoWrap);
        view_->setFont(FixedFont());
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(view_);
        resize(720, 360);
        auto *timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] { Follow(); });
        timer->start(kFollowMs);
        Follow();
    }

    const std::string &Path() const { return path_; }

    // Shows the file's newest lines when they changed; the view stays at the bottom.
    void Follow()
    {
        const std::string text = NewestLines(path_, kShownBytes);
        if (text == shown_) return;
        shown_ = text;
        view_->setPlainText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
        view_->verticalScrollBar()->setValue(view_->verticalScrollBar()->maximum());
    }

private:
    std::string path_;
    std::string shown_;
    QPlainTextEdit *view_ = nullptr;
};

}  // namespace

void QtFrontEnd::ShowLog(const std::string &title, const std::string &path)
{
    auto *window = static_cast<LogWindow *>(logWindow_.data());
    if (window && window->Path() != path) {
        window->close();  // deletes itself
        window = nullptr;
    }
    if (!window) {
        window = new LogWindow(QString::fromStdString(title), path);
        window->setAttribute(Qt::WA_DeleteOnClose);
        logWindow_ = window;
    }
    window->setWindowTitle(QString::fromStdString(title));
    window->Follow();
    window->show();
    window->raise();
    window->activateWindow();
}

}  // namespace platform::qt
