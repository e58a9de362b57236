// Inside the Qt front end: the panel windows, the control widgets and the helpers they
// share. Only platform/frontend/qt and the window tests include this.
#pragma once

#include <QColor>
#include <QFont>
#include <QMainWindow>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "platform/frontend.h"
#include "platform/ui/model.h"

class QAction;
class QDialog;
class QEventLoop;
class QLabel;
class QMenu;
class QMenuBar;
class QRectF;
class QScrollArea;

namespace platform::qt {

// Model text (UTF-8, lines ended by CR LF or LF) as Qt text.
QString FromModel(const std::string &text);
// A label with "__X" mnemonic marks in Qt's form ("&X"); other '&' are escaped.
QString WithMnemonic(const std::string &label);
QColor FromRgb(int rgb);
QFont DialogFont();
QFont FixedFont();  // rings: their 21-character labels line up

// Widgets with this property set are pictures to assistive technology.
inline constexpr char kPictureProperty[] = "zekPicture";
// Gives panels shown as popups the dialog role and modal state, and pictures the
// graphic role (once; ConfigureApplication does it).
void InstallAccessibleRoles();

// A picture control showing the resource's image `image` (an SVG file beside the resource).
QWidget *NewPicture(const std::string &image, QWidget *parent);

// One control of a panel: its body widget and, for rings, numerics and toggle buttons,
// the caption beside it.
struct ControlView {
    CtrlKind kind = CtrlKind::TextMessage;
    QWidget *body = nullptr;
    QLabel *caption = nullptr;
};

// A top-level window showing one panel of the model. Operator actions go to the
// run-time layer's Operator* functions; what they change comes back through Sync*.
class PanelWindow : public QMainWindow {
public:
    PanelWindow(int panel, std::function<void(std::function<void()>)> act);

    int Handle() const { return panel_; }
    // Brings the window in line with the model: panel attributes, or one control.
    void SyncPanel();
    void SyncControl(int control);
    void SyncMenuBar();
    int MenuBarHandle() const { return menuBar_; }

    QWidget *Body(int control) const;
    QLabel *Caption(int control) const;
    QScrollArea *ClientArea() const { return scroll_; }
    QAction *MenuAction(int item) const;

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void BuildControls(const Panel &p);
    void BuildControl(const Control &c);
    void OnInput(int control, int value);
    void CommitPendingEdit();
    void PlaceControl(const Panel &p, const Control &c, ControlView &view);
    void SyncCanvasSize(const Panel &p);
    void SyncAccessText(const Panel &p, const Control &c);
    void BuildMenuBar(const MenuBar &bar);
    void SyncMenuStates(const MenuBar &bar);
    void Show(const Panel &p);

    int panel_;
    std::function<void(std::function<void()>)> act_;
    QScrollArea *scroll_ = nullptr;
    QWidget *canvas_ = nullptr;
    std::map<int, ControlView> views_;
    int menuBar_ = 0;
    std::map<int, QAction *> actions_;
    bool placed_ = false;
};

// During a blocking wait: true for the one input let through, a mouse event of the
// Cancel button of a cancellable operation; Esc there asks to cancel (progress.cpp).
bool PassesDuringWait(QObject *watched, QEvent *event);

// Drops operator input while the front end repaints during a blocking wait.
class InputBlocker : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

class QtFrontEnd final : public FrontEnd {
public:
    QtFrontEnd();
    ~QtFrontEnd() override;
    QtFrontEnd(const QtFrontEnd &) = delete;
    QtFrontEnd &operator=(const QtFrontEnd &) = delete;

    void PanelChanged(int panel, int control) override;
    void PanelDiscarded(int panel) override;
    void MenuBarChanged(int menuBar) override;
    void WaitCursorChanged(bool on) override;
    void Repaint() override;
    void Message(const std::string &title, const std::string &text) override;
    int Confirm(const std::string &title, const std::string &text, bool defaultYes) override;
    std::optional<std::string> Prompt(const std::string &title, const std::string &text, int maxLength,
                       bool masked) override;
    int FileSelect(const std::string &directory, const std::string &fileSpec,
                   const std::string &title, bool saveButton, std::string *path) override;
    void Run() override;
    void LanguageChanged(int language) override;
    void ProgressChanged() override;  // progress.cpp
    void ShowLog(const std::string &title, const std::string &path) override;  // log_window.cpp
    void ShowReport(const ReportContent &report, int filterColumn,
                    const std::string &allLabel) override;  // report.cpp

    // Runs an operator action; afterwards ends the loop if a callback asked for it.
    void Act(const std::function<void()> &fn);
    // Deletes the object once no handler of it can be running.
    void Bury(QObject *object);
    PanelWindow *Window(int panel) const;
    QWidget *MainWindowFor(int panel) const;
    bool Blocking() const { return repainting_; }

private:
    PanelWindow *Ensure(int panel);
    void ScheduleCollect();
    QWidget *DialogParent() const;
    int Exec(QDialog &dialog);

    InputBlocker blocker_;
    std::map<int, PanelWindow *> windows_;
    std::vector<QPointer<QObject>> graveyard_;
    QEventLoop *loop_ = nullptr;
    int depth_ = 0;
    bool repainting_ = false;
    bool collectPending_ = false;
    bool waitCursor_ = false;
    QPointer<QWidget> logWindow_;
};

void Bury(QObject *object);
// The window a popup panel belongs to: the first displayed panel that is no popup.
QWidget *MainWindowFor(int panel);

// Test seams: the window tests look at the widgets and answer popups through these.
PanelWindow *WindowOf(int panel);
// Called with every popup dialog once it is on screen (inside its own loop); the
// hook answers or closes it. Without a hook the operator answers.
void SetDialogHook(std::function<void(QWidget *dialog)> hook);
// Adds the status line with the port part to a window with a menu bar (the main window)
// before it is first shown, so that it is part of the window's size from the start.
void ShowStatusLine(PanelWindow *w);
// Runs after every change of the progress or status line has reached the windows.
void SetProgressHook(std::function<void()> hook);
// Runs once when the next event loop (RunUserInterface) has started.
void SetRunStartedHook(std::function<void()> hook);
// Runs fn the way an operator action runs: afterwards the loop ends when a callback
// asked it to.
void AsOperator(const std::function<void()> &fn);
// Sets up fonts and style as the program does (needs a QApplication).
void ConfigureApplication();
// Installs Qt's own translations for the run-time language (RUNTIME_GERMAN or
// RUNTIME_ENGLISH) in place of the previous ones. False when Qt's German catalogue
// (Debian: qt6-translations-l10n) is missing; Qt's texts then stay English.
bool ApplyQtLanguage(int language);

// Installs a Qt front end for the lifetime of the object (needs a QApplication).
class ScopedFrontEnd {
public:
    ScopedFrontEnd();
    ~ScopedFrontEnd();
    ScopedFrontEnd(const ScopedFrontEnd &) = delete;
    ScopedFrontEnd &operator=(const ScopedFrontEnd &) = delete;

private:
    FrontEnd *frontEnd_;
};

}  // namespace platform::qt
