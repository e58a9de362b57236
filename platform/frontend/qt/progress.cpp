// The progress line, the status line, the port part and the Cancel button of the Qt front
// end: a status bar below the panel, added to the main window when it is first shown and
// to another window at its first operation (the panel keeps its size; the window grows by
// the line). The port part is shown anew every second, for the age it tells. During a
// blocking wait the only input let through is Cancel (progress.h decides).
#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

#include "platform/language.h"
#include "platform/progress.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

const char kCancelName[] = "zek-progress-cancel";
std::function<void()> progressHook;

const char kPortName[] = "zek-port-status";

struct Line {
    QLabel *text;
    QProgressBar *bar;
    QPushButton *cancel;
    QLabel *port;
};

// A label that takes the room it is given and never widens the window: a long text is
// cut at the right edge (the whole of it shows as the tool tip).
QLabel *NewLineLabel(QStatusBar *status, const char *name)
{
    auto *label = new QLabel(status);
    label->setObjectName(QLatin1String(name));
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setMinimumWidth(0);
    return label;
}

bool HasMenuBar(PanelWindow *w)
{
    const Panel *p = FindPanel(w->Handle());
    return p && p->menuBar != 0;
}

// The port part, in the main window while no operation runs there.
void ShowPort(PanelWindow *w, QLabel *port, bool running)
{
    const QString text = FromModel(PortStatus());
    port->setText(text);
    port->setToolTip(text);
    port->setVisible(!running && !text.isEmpty() && HasMenuBar(w));
}

// The window's line, made on first use.
Line LineOf(PanelWindow *w)
{
    QStatusBar *status = w->statusBar();
    if (auto *text = status->findChild<QLabel *>(QStringLiteral("zek-progress-text")))
        return {text, status->findChild<QProgressBar *>(), status->findChild<QPushButton *>(),
                status->findChild<QLabel *>(QLatin1String(kPortName))};
    status->setSizeGripEnabled(false);
    auto *port = NewLineLabel(status, kPortName);
    auto *text = NewLineLabel(status, "zek-progress-text");
    auto *bar = new QProgressBar(status);
    bar->setRange(0, 1000);
    bar->setTextVisible(false);
    bar->setFixedWidth(120);
    auto *cancel = new QPushButton(status);
    cancel->setObjectName(QLatin1String(kCancelName));
    cancel->setFocusPolicy(Qt::NoFocus);
    QObject::connect(cancel, &QPushButton::clicked, [] { OperatorCancel(); });
    status->addWidget(port, 3);  // three fifths of the line beside a status text
    status->addWidget(text, 2);
    status->addPermanentWidget(bar);
    status->addPermanentWidget(cancel);
    auto *tick = new QTimer(status);
    QObject::connect(tick, &QTimer::timeout, port,
                     [w, port, bar] { ShowPort(w, port, bar->isVisible()); });
    tick->start(1000);
    return {text, bar, cancel, port};
}

void Show(PanelWindow *w, bool front)
{
    const ProgressState &p = CurrentProgress();
    if (!front && !w->findChild<QStatusBar *>() && (PortStatus().empty() || !HasMenuBar(w)))
        return;
    Line line = LineOf(w);
    const bool running = front && p.active;
    const QString text = QString::fromStdString(running ? ProgressLine() : p.status);
    line.text->setText(text);
    line.text->setToolTip(text);
    line.text->setVisible(!text.isEmpty());
    ShowPort(w, line.port, running);
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

void ShowStatusLine(PanelWindow *w) { Show(w, false); }

// The toolkit's events in the wait's terms (progress.h decides what passes).
bool PassesDuringWait(QObject *watched, QEvent *event)
{
    const auto type = event->type();
    const bool mouse = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                       type == QEvent::MouseMove;
    const bool esc = type == QEvent::KeyPress &&
                     static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape;
    return InputPassesDuringWait(esc                                ? WaitInput::CancelKey
                                 : mouse && OnCancelButton(watched) ? WaitInput::PointerOnCancel
                                                                    : WaitInput::Other);
}

}  // namespace platform::qt
