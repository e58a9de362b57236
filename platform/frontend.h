// A front end shows the ui model to the operator. The run-time layer tells it what
// changed and asks it for popups, the wait cursor and the event loop.
#pragma once

#include <optional>
#include <string>

#include "platform/report.h"

namespace platform {

// What Open and Save as offer for the caller's folder and file spec ("*.cfg", "rig.pdf",
// "dir/rig.pdf"), the same in every front end: the filter pattern (empty: all files
// only), the extension a name typed without one gets (empty: none), the name proposed in
// the name field, and the folder to start in (the spec's, else the caller's, else the one
// last chosen; empty: the front end's own choice).
struct FileDialogOffer {
    std::string pattern, suffix, name, folder;
};
FileDialogOffer OfferFileDialog(const std::string &directory, const std::string &fileSpec);

class FrontEnd {
public:
    virtual ~FrontEnd() = default;

    // Model notifications. control 0: the panel itself changed.
    virtual void PanelChanged(int panel, int control) = 0;
    virtual void PanelDiscarded(int panel) = 0;
    virtual void MenuBarChanged(int menuBar) = 0;
    virtual void WaitCursorChanged(bool on) = 0;
    // Repaint now, without taking input or running callbacks (during blocking waits).
    virtual void Repaint() = 0;

    virtual void Message(const std::string &title, const std::string &text) = 0;
    // defaultYes: Return answers Yes, else No.
    virtual int Confirm(const std::string &title, const std::string &text, bool defaultYes) = 0;
    // Returns the entered text (at most maxLength characters); nothing on cancel. A masked
    // prompt does not show what is typed.
    virtual std::optional<std::string> Prompt(const std::string &title, const std::string &text,
                               int maxLength, bool masked) = 0;
    // Negative on failure, 0 on cancel, otherwise 1 with *path set.
    virtual int FileSelect(const std::string &directory, const std::string &fileSpec,
                           const std::string &title, bool saveButton, std::string *path) = 0;

    // Runs the event loop until QuitRequested() turns true.
    virtual void Run() = 0;

    // The run-time language changed (RUNTIME_GERMAN or RUNTIME_ENGLISH): the toolkit's
    // own texts follow. A front end without such texts ignores it.
    virtual void LanguageChanged(int) {}

    // The progress line, the status line or the cancel request changed (progress.h).
    virtual void ProgressChanged() {}

    // Shows a window, not modal, with the newest lines of the text file at path, following
    // it as it grows (log_window.h). A front end without windows ignores it.
    virtual void ShowLog(const std::string &, const std::string &) {}
    // Shows a report read-only until the operator closes it (report.h). A front end
    // without windows ignores it.
    virtual void ShowReport(const ReportContent &, int /*filterColumn*/,
                            const std::string & /*allLabel*/) {}
};

// The front end in use; the scripted one when none has been installed.
FrontEnd &CurrentFrontEnd();
void InstallFrontEnd(FrontEnd *frontEnd);  // not owned; nullptr: back to scripted

// Event loop state shared by the front ends.
bool QuitRequested();
int QuitCode();

// Operator actions, called by front ends. Each first changes the model as the operator
// did, then delivers the events to the bound callback. An action is refused (returns
// false, nothing changes) when a callback is running, when a modal popup other than the
// target panel is installed, or when the target is dimmed, invisible or unknown.
bool OperatorSetValue(int panel, int control, int value);    // ring index, checkbox, numeric
bool OperatorPressButton(int panel, int control);            // command button: commit
bool OperatorToggle(int panel, int control, int value);      // toggle: value changed + commit
// The operator's input on any control, as its kind takes it (control_kinds.h): a value
// set, a press, or a toggle. Front ends hand every control's input through here.
bool OperatorControlInput(int panel, int control, int value);
bool OperatorChooseMenu(int menuBar, int item);
bool OperatorClosePanel(int panel);
bool OperatorFocusPanel(int panel, bool gained);
// True while a callback runs.
bool CallbackRunning();
// True while the program shows the wait cursor.
bool WaitCursorShown();
// Clears the loop state: quit request, pending events (tests).
void ResetEventLoop();

}  // namespace platform
