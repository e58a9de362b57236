// platform/frontend/ holds the front ends, one folder each (scripted, console, qt; win32
// next), each translating between its toolkit and the run-time layer's frontend.h. They
// sit at the top of platform/ and see ui/ and files/; none includes another.
//
// The scripted front end: a headless front end for tests. Tests act as the operator
// through the Operator* functions of frontend.h (or the helpers below), queue answers
// for popups, queue steps for the event loop, and read back a journal of what was shown.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/report.h"

namespace platform::scripted {

struct PopupRecord {
    enum Kind { Message, Confirm, Prompt, FileSelect } kind;
    std::string title;
    std::string text;
    std::string fileSpec;  // file selection: the default file name or pattern
    bool saveButton = false;
    int answer = 0;        // confirm: 1/0; file selection: result; prompt: 1 when masked
    double time = 0.0;     // platform clock when shown
    bool defaultYes = true;  // confirm: the answer Return gives is Yes
};

// Makes the scripted front end current and clears its queues and journal.
void Install();

// Popup answers, consumed in order. Without a queued answer: confirm answers No,
// prompt is cancelled, file selection cancels (0).
void AnswerConfirm(int answer);
void AnswerPrompt(const std::string &text);
void CancelPrompt();
void AnswerFileSelect(int result, const std::string &path = "");

// Steps run by RunUserInterface one after the other. When the queue is empty the loop
// ends as if QuitUserInterface(0) had been called. A step may call Operator* functions.
void QueueStep(std::function<void()> step);
// A step run whenever a message popup is shown (e.g. to check state at that moment).
void OnMessage(std::function<void(const PopupRecord &)> hook);

const std::vector<PopupRecord> &Popups();
std::vector<PopupRecord> Messages();  // message popups only
void ClearJournal();
// Each wait cursor change: (time, on).
const std::vector<std::pair<double, bool>> &WaitCursorLog();
bool WaitCursorOn();
// Number of Repaint requests (ProcessDrawEvents and waits).
int RepaintCount();
// Called by ProcessDrawEvents / repaint (e.g. to sample the model during a wait).
void OnRepaint(std::function<void()> hook);

// Each change of the progress or status line: what it showed at that moment.
struct ProgressRecord {
    double time = 0.0;
    bool active = false;
    std::string line;      // the progress line (empty when none runs)
    double fraction = 0.0;
    double secondsLeft = 0.0;
    std::string status;
    std::string port;      // the port part
};
const std::vector<ProgressRecord> &ProgressLog();
// Called at every progress change (e.g. to cancel at a chosen moment).
void OnProgress(std::function<void(const ProgressRecord &)> hook);

// Each log window shown (ShowLogWindow): its title and file.
struct LogWindowRecord {
    std::string title;
    std::string path;
};
const std::vector<LogWindowRecord> &LogWindows();
// Each report the program showed in the table window, with the options it gave.
struct ReportRecord {
    ReportContent content;
    int filterColumn = -1;
    std::string allLabel;
};
const std::vector<ReportRecord> &Reports();

}  // namespace platform::scripted
