// Progress of a long blocking operation, a status line that stays after it, and the one
// input taken while it blocks: cancel. The texts come from the caller; the run-time layer
// adds only the numbers (bytes received, seconds left). Front ends show the state below
// the panel; the scripted one journals every change.
#pragma once

#include <string>
#include <vector>

// Starts a progress line. totalSeconds is the operation's planned duration (the fraction
// shown is the planned time gone by); cancellable: the operator may ask it to stop.
int ProgressBegin(const char *text, double totalSeconds, int cancellable);
// New text and the planned seconds still to come.
int ProgressUpdate(const char *text, double secondsLeft);
// During the next serial reads the line also counts the bytes received of `expected`,
// each planned at secondsPerByte, with secondsAfter planned once they are all in.
int ProgressCountBytes(int expected, double secondsPerByte, double secondsAfter);
int ProgressEnd(void);
// The line that stays below the panel until the next one.
int SetStatusLine(const char *text);
// 1 once the operator has asked the running cancellable operation to stop.
int CancelRequested(void);
// The port part of the status line, beside the rest: `compose` returns its text as it
// reads at that moment (it tells the age of the last exchange). Front ends call it at
// every change of the line and after this call; the window also once a second.
// nullptr: no port part.
int SetPortStatus(const char *(*compose)(void));

namespace platform {

struct ProgressState {
    bool active = false;
    bool cancellable = false;
    bool cancelRequested = false;
    std::string text;
    double total = 0.0;        // planned seconds of the whole operation
    double secondsLeft = 0.0;  // planned seconds still to come
    int received = 0, expected = 0;  // bytes of a counted read; expected 0: none
    double perByte = 0.0, after = 0.0;  // its plan: seconds per byte, seconds after it
    std::string status;        // the status line
};

const ProgressState &CurrentProgress();
// What the line shows: the text, the bytes received and the seconds left.
std::string ProgressLine();
// The port part as it reads now; empty without one.
std::string PortStatus();
// Fraction of the planned time gone by, 0..1.
double ProgressFraction();
// Operator action: asks the running cancellable operation to stop. False (and nothing
// changes) when none runs.
bool OperatorCancel();
// The operator's input during a blocking wait, as far as the wait tells it apart.
enum class WaitInput { CancelKey, PointerOnCancel, Other };
// Only Cancel is taken during a wait, and only while a cancellable operation runs: the
// cancel key (Esc) asks at once and is used up; the pointer on the Cancel button passes
// so that the button's click reaches it. True: the front end lets the input through.
bool InputPassesDuringWait(WaitInput input);
// Called by the serial services with the bytes a read has taken so far.
void ProgressBytesReceived(int received);
// Clears the state (tests, start-up).
void ResetProgress();

}  // namespace platform
