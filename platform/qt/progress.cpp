// The progress line, the status line and the Cancel button of the Qt front end: a status
// bar below the panel of the window in front, added at the first operation (the panel
// keeps its size; the window grows by the line). During a blocking wait the only input
// let through is Cancel: Esc, or a click on the button.
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>

#include "platform/language.h"
#include "platform/progress.h"
#include "platform/qt/qt_internal.h"

namespace platform::qt {
namespace {

const char kCancelName[] = "zek-progress-cancel";
std::function<void()> progressHook;

struct Line {
    QLabel *text;
    QProgressBar *bar;
    QPushButton *cancel;
};

// The window's line, made on first use.
Line LineOf(PanelWindow *w)
{
    QStatusBar *status = w->statusBar();
    if (auto *text = status->findChild<QLabel *>(QStringLiteral("zek-progress-text")))
        return {text, status->findChild<QProgressBar *>(), status->findChild<QPushButton *>()};
    status->setSizeGripEnabled(false);
    auto *text = new QLabel(status);
    text->setObjectName(QStringLiteral("zek-progress-text"));
    auto *bar = new QProgressBar(status);
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    bar->setFixedWidth(120);
    auto *cancel = new QPushButton(status);
    cancel->setObjectName(QLatin1String(kCancelName));
    cancel->setFocusPolicy(Qt::NoFocus);
    QObject::connect(cancel, &QPushButton::clicked, [] { OperatorCancel(); });
    status->addWidget(text, 1);
    status->addPermanentWidget(bar);
    status->addPermanentWidget(cancel);
    return {text, bar, cancel};
}

void Show(PanelWindow *w, bool front)
{
    const ProgressState &p = CurrentProgress();
    if (!front && !w->findChild<QStatusBar *>()) return;
    Line line = LineOf(w);
    const bool running = front && p.active;
    line.text->setText(QString::fromStdString(running ? ProgressLine() : p.status));
    line.bar->setVisible(running);
    line.bar->setValue(static_cast<int>(ProgressFraction() * 1000.0));
    line.cancel->setVisible(running && p.cancellable);
    line.cancel->setEnabled(!p.cancelRequested);
    line.cancel->setText(QCoreApplication::translate("QPlatformTheme", "Cancel"));
}

bool OnCancelButton(QObject *watched)
{
    for (auto *o = watched; o; o = o->parent())
        if (o->objectName() == QLatin1String(kCancelName)) return true;
    return false;
}

}  // namespace

void QtFrontEnd::ProgressChanged()
{
    QWidget *front = DialogParent();
    for (auto &[handle, w] : windows_)
        if (w->isVisible()) Show(w, w == front);
    if (progressHook) progressHook();
}

void SetProgressHook(std::function<void()> hook) { progressHook = std::move(hook); }

// Cancel during a wait: Esc asks at once and is used up; the button gets its own mouse
// events so that its click reaches it. Everything else stays dropped.
bool PassesDuringWait(QObject *watched, QEvent *event)
{
    const ProgressState &p = CurrentProgress();
    if (!p.active || !p.cancellable) return false;
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
        OperatorCancel();
        return false;
    }
    const auto type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseMove;
    return mouse && OnCancelButton(watched);
}

}  // namespace platform::qt
