// Progress line, status line and cancel request of the run-time layer.
#include "platform/progress.h"

#include <algorithm>
#include <cstdio>

#include "platform/frontend.h"
#include "platform/language.h"

namespace platform {
namespace {

ProgressState state;
const char *(*portStatus)(void) = nullptr;

void Changed() { CurrentFrontEnd().ProgressChanged(); }

// Seconds with one decimal in the notation of the run-time language.
std::string Seconds(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f s", std::max(0.0, s));
    std::string text = buf;
    if (GetRunTimeLanguage() == RUNTIME_GERMAN) std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

}  // namespace

const ProgressState &CurrentProgress() { return state; }

std::string ProgressLine()
{
    if (!state.active) return "";
    std::string line = state.text;
    if (state.expected > 0)
        line += "  " + std::to_string(state.received) + "/" + std::to_string(state.expected);
    return line + "  " + Seconds(state.secondsLeft);
}

std::string PortStatus()
{
    const char *text = portStatus ? portStatus() : nullptr;
    return text ? text : "";
}

double ProgressFraction()
{
    if (!state.active || state.total <= 0.0) return 0.0;
    return std::clamp(1.0 - state.secondsLeft / state.total, 0.0, 1.0);
}

bool OperatorCancel()
{
    if (!state.active || !state.cancellable || state.cancelRequested) return false;
    state.cancelRequested = true;
    Changed();
    return true;
}

bool InputPassesDuringWait(WaitInput input)
{
    if (!state.active || !state.cancellable) return false;
    if (input == WaitInput::CancelKey) OperatorCancel();
    return input == WaitInput::PointerOnCancel;
}

// The planned time of the bytes still to come replaces the time left of the read.
void ProgressBytesReceived(int received)
{
    if (!state.active || state.expected <= 0 || received <= state.received) return;
    const double perByte = state.perByte;
    state.received = std::min(received, state.expected);
    state.secondsLeft = state.after + (state.expected - state.received) * perByte;
    Changed();
}

void ResetProgress() { state = ProgressState(); }

}  // namespace platform

using platform::state;

int ProgressBegin(const char *text, double totalSeconds, int cancellable)
{
    const std::string status = state.status;
    state = platform::ProgressState();
    state.status = status;
    state.active = true;
    state.cancellable = cancellable != 0;
    state.text = text ? text : "";
    state.total = state.secondsLeft = std::max(0.0, totalSeconds);
    platform::Changed();
    return 0;
}

int ProgressUpdate(const char *text, double secondsLeft)
{
    if (!state.active) return -1;
    state.text = text ? text : "";
    state.secondsLeft = std::max(0.0, secondsLeft);
    state.expected = state.received = 0;
    platform::Changed();
    return 0;
}

int ProgressCountBytes(int expected, double secondsPerByte, double secondsAfter)
{
    if (!state.active) return -1;
    state.expected = std::max(0, expected);
    state.received = 0;
    state.perByte = secondsPerByte;
    state.after = secondsAfter;
    state.secondsLeft = secondsAfter + state.expected * secondsPerByte;
    platform::Changed();
    return 0;
}

int ProgressEnd(void)
{
    if (!state.active) return -1;
    state.active = false;
    state.cancellable = state.cancelRequested = false;
    state.expected = state.received = 0;
    platform::Changed();
    return 0;
}

int SetStatusLine(const char *text)
{
    state.status = text ? text : "";
    platform::Changed();
    return 0;
}

int SetPortStatus(const char *(*compose)(void))
{
    platform::portStatus = compose;
    platform::Changed();
    return 0;
}

int CancelRequested(void) { return state.active && state.cancelRequested ? 1 : 0; }
