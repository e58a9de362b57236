// The Qt front end: one top-level window per displayed panel, popups as Qt dialogs, the
// run-time's event loop as a Qt event loop. Operator actions reach the system's code
// only through the Operator* functions, one callback at a time.
#include "platform/frontend/qt/qt_frontend.h"

#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QEventLoop>
#include <QFontDatabase>
#include <QStyle>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <utility>

#include "platform/language.h"
#include "platform/frontend/qt/qt_internal.h"

namespace platform::qt {
namespace {

QtFrontEnd *current = nullptr;
std::function<void(QWidget *)> dialogHook;
std::function<void()> runStartedHook;

bool IsOperatorInput(QEvent::Type type)
{
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::InputMethod:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::TabletMove:
        return true;
    default:
        return false;
    }
}

}  // namespace

bool InputBlocker::eventFilter(QObject *watched, QEvent *event)
{
    return current && current->Blocking() && IsOperatorInput(event->type()) &&
           !PassesDuringWait(watched, event);
}

QtFrontEnd::QtFrontEnd()
{
    qApp->installEventFilter(&blocker_);
    ApplyQtLanguage(GetRunTimeLanguage());
}

QtFrontEnd::~QtFrontEnd()
{
    qApp->removeEventFilter(&blocker_);
    if (waitCursor_) QApplication::restoreOverrideCursor();
    for (auto &entry : windows_) delete entry.second;
    for (auto &object : graveyard_) delete object.data();
    delete logWindow_.data();
}

PanelWindow *QtFrontEnd::Window(int panel) const
{
    auto it = windows_.find(panel);
    return it == windows_.end() ? nullptr : it->second;
}

PanelWindow *QtFrontEnd::Ensure(int panel)
{
    if (PanelWindow *w = Window(panel)) return w;
    if (!FindPanel(panel)) return nullptr;
    auto *w = new PanelWindow(panel, [this](std::function<void()> fn) { Act(fn); });
    windows_[panel] = w;
    return w;
}

void QtFrontEnd::PanelChanged(int panel, int control)
{
    PanelWindow *w = Ensure(panel);
    if (!w) return;
    if (control == 0) w->SyncPanel();
    else w->SyncControl(control);
}

void QtFrontEnd::PanelDiscarded(int panel)
{
    PanelWindow *w = Window(panel);
    if (!w) return;
    windows_.erase(panel);
    w->hide();
    Bury(w);
    if (QWidget *next = DialogParent()) next->activateWindow();  // focus goes back
}

void QtFrontEnd::MenuBarChanged(int menuBar)
{
    MenuBar *bar = FindMenuBar(menuBar);
    for (auto &[handle, w] : windows_)
        if (w->MenuBarHandle() == menuBar || (bar && bar->panel == handle)) w->SyncMenuBar();
}

void QtFrontEnd::WaitCursorChanged(bool on)
{
    if (on == waitCursor_) return;
    waitCursor_ = on;
    if (on) QApplication::setOverrideCursor(Qt::WaitCursor);
    else QApplication::restoreOverrideCursor();
}

// Called during every blocking wait: windows repaint and expose events are handled, while
// operator input is dropped by the blocker and no callback can start (the Operator*
// functions refuse while one runs; refused widgets fall back to the model).
void QtFrontEnd::Repaint()
{
    if (repainting_) return;
    repainting_ = true;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    repainting_ = false;
    ScheduleCollect();
}

void QtFrontEnd::Run()
{
    QEventLoop loop;
    QEventLoop *outer = std::exchange(loop_, &loop);
    if (runStartedHook) {
        auto hook = std::exchange(runStartedHook, {});
        QTimer::singleShot(0, &loop, [this, hook] { Act(hook); });
    }
    ScheduleCollect();
    if (!QuitRequested()) loop.exec();
    loop_ = outer;
}

void QtFrontEnd::Act(const std::function<void()> &fn)
{
    ++depth_;
    fn();
    --depth_;
    if (QuitRequested() && loop_) loop_->quit();
    ScheduleCollect();
}

void QtFrontEnd::Bury(QObject *object)
{
    graveyard_.emplace_back(object);
    ScheduleCollect();
}

// Widgets of discarded panels and replaced menus are deleted only when none of their
// handlers can be on the stack: outside every operator action and every repaint.
void QtFrontEnd::ScheduleCollect()
{
    if (graveyard_.empty() || depth_ > 0 || repainting_ || collectPending_) return;
    collectPending_ = true;
    QTimer::singleShot(0, &blocker_, [this] {
        collectPending_ = false;
        if (depth_ > 0 || repainting_) return;  // rescheduled when the action ends
        auto dead = std::exchange(graveyard_, {});
        for (auto &object : dead) delete object.data();
    });
}

QWidget *QtFrontEnd::DialogParent() const
{
    if (PanelWindow *w = Window(ActivePopup())) return w;
    for (int handle : PanelHandles()) {
        PanelWindow *w = Window(handle);
        if (w && w->isVisible()) return w;
    }
    return nullptr;
}

QWidget *QtFrontEnd::MainWindowFor(int panel) const
{
    for (int handle : PanelHandles()) {
        Panel *p = FindPanel(handle);
        PanelWindow *w = Window(handle);
        if (handle != panel && p && !p->popup && w && w->isVisible()) return w;
    }
    return nullptr;
}

// Runs a popup dialog: the operator sees the normal arrow over it even while the wait
// cursor is on, and tests may answer it through the dialog hook.
int QtFrontEnd::Exec(QDialog &dialog)
{
    if (waitCursor_) QApplication::setOverrideCursor(Qt::ArrowCursor);
    if (dialogHook) {
        auto hook = dialogHook;
        QTimer::singleShot(0, &dialog, [hook, &dialog] { hook(&dialog); });
    }
    int result = dialog.exec();
    if (waitCursor_) QApplication::restoreOverrideCursor();
    if (QWidget *back = dialog.parentWidget()) back->activateWindow();
    return result;
}

PanelWindow *WindowOf(int panel) { return current ? current->Window(panel) : nullptr; }

void SetDialogHook(std::function<void(QWidget *)> hook) { dialogHook = std::move(hook); }
void SetRunStartedHook(std::function<void()> hook) { runStartedHook = std::move(hook); }

void AsOperator(const std::function<void()> &fn)
{
    if (current) current->Act(fn);
    else fn();
}

void Bury(QObject *object)
{
    if (current) current->Bury(object);
    else delete object;
}

QWidget *MainWindowFor(int panel) { return current ? current->MainWindowFor(panel) : nullptr; }

QFont DialogFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPixelSize(12);
    return font;
}

QFont FixedFont()
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::Monospace);
    font.setFixedPitch(true);
    font.setPixelSize(12);
    return font;
}

void ConfigureApplication()
{
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Fusion"))) {
        QApplication::setStyle(style);
        QApplication::setPalette(style->standardPalette());
    }
    QApplication::setFont(DialogFont());
    QApplication::setQuitOnLastWindowClosed(false);
    InstallAccessibleRoles();
}

ScopedFrontEnd::ScopedFrontEnd() : frontEnd_(new QtFrontEnd)
{
    current = static_cast<QtFrontEnd *>(frontEnd_);
    InstallFrontEnd(frontEnd_);
}

ScopedFrontEnd::~ScopedFrontEnd()
{
    InstallFrontEnd(nullptr);
    current = nullptr;
    delete frontEnd_;
}

}  // namespace platform::qt

namespace {

// Qt aborts when it cannot reach a display; tell the operator instead.
bool DisplayConfigured()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

}  // namespace

int RunWithQtFrontEnd(int argc, char *argv[], int (*programMain)(int, char *[]))
{
    std::unique_ptr<QApplication> app;
    if (!QApplication::instance()) {
        if (!DisplayConfigured()) {
            std::fprintf(stderr, "zek-config: no display (DISPLAY or WAYLAND_DISPLAY is not set)\n");
            return -1;
        }
        app = std::make_unique<QApplication>(argc, argv);
        QApplication::setApplicationName(QStringLiteral("zek-config"));
    }
    platform::qt::ConfigureApplication();
    int status;
    {
        platform::qt::ScopedFrontEnd frontEnd;
        status = programMain(argc, argv);
    }
    return status;
}

// Fontconfig keeps its caches until the process ends and never frees them; the leak
// checker of sanitized builds is told to leave them alone.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
