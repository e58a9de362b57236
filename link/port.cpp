// The serial port of the link: opened at start-up, closed at exit, reopened after a
// hang-up; what its exchanges left (replies outstanding, how the last one ended) and the
// port part of the status line. The port selection dialog is in port_dialog.cpp.
#include "link/port.h"

#include <filesystem>
#include <string>

#include "link/port_list.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/rs232.h"
#include "platform/serial/ports.h"
#include "platform/userint.h"
#include "ui/texts.h"

int com_port = 1;
int comopen = 1;
char com_device[MAX_PATHNAME_LEN] = "";

// After a hang-up: the next operation reopens the port before its first exchange, and
// every following one while that fails. The status line tells how the last reopen went.
enum replug_state { replug_none, replug_done, replug_failed };
static bool replug_pending = false;
static replug_state replug_note = replug_none;
// The time-out the port had when it hung up: a reopen keeps it, so that the waits that
// rely on the 20 s set earlier do not fall back to the default.
static double replug_timeout = platform::kDefaultComTimeout;

// What the open port leads to, for the status line.
static std::string port_target;
static std::string port_status_text;

// The device behind the port's COM<n> entry (or the device named for it) and, for a USB
// adapter, its product; else the serial services' own name for the open port.
static void note_port_target(void)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    const std::string entry = com_device[0] ? com_device : "COM" + std::to_string(com_port);
    const fs::path device = fs::canonical(entry, ec);
    if (ec) {
        port_target = platform::ComDescription(com_port);
        return;
    }
    port_target = device.string();
    for (const platform::SerialPortInfo &p : platform::ListSerialPorts(port_list_root(), ".")) {
        if (p.kind != platform::SerialPortKind::UsbAdapter || p.product.empty()) continue;
        if (fs::equivalent(p.device, device, ec) && !ec) {
            port_target += " (" + p.product + ")";
            return;
        }
    }
}

// What the port's exchanges left: a reply outstanding, and how and when the last reply
// wait ended.
static bool reply_is_outstanding = false;
static reply_outcome last_outcome = reply_none;
static double last_outcome_at = 0.0;

void note_reply_outcome(reply_outcome outcome)
{
    last_outcome = outcome;
    last_outcome_at = platform::ClockNow();
}

reply_outcome last_reply_outcome(void) { return last_outcome; }

double last_reply_time(void) { return last_outcome_at; }

void note_reply_outstanding(bool outstanding) { reply_is_outstanding = outstanding; }

bool reply_outstanding(void) { return reply_is_outstanding; }

void reset_exchange_state(void)
{
    reply_is_outstanding = false;
    last_outcome = reply_none;
    last_outcome_at = 0.0;
}

void reset_port_state(void)
{
    com_port = 1;
    comopen = 1;
    com_device[0] = '\0';
    replug_pending = false;
    replug_note = replug_none;
    replug_timeout = platform::kDefaultComTimeout;
    port_target.clear();
    reset_exchange_state();
}

static int open_port(void)
{
    const int result = OpenComConfig(com_port, com_device, COM_BAUD, COM_PARITY, COM_DATA_BITS,
                                     COM_STOP_BITS, COM_IN_QUEUE, COM_OUT_QUEUE);
    if (result >= 0) {
        reset_exchange_state();
        note_port_target();
    }
    return result;
}

// An open by the operator or at start-up: a hang-up before it no longer counts.
int open_port_afresh(void)
{
    const int result = open_port();
    replug_pending = false;
    replug_note = replug_none;
    SetPortStatus(port_status);
    return result;
}

// "4800 8N2"
static std::string line_settings(void)
{
    const char parity[] = {'N', 'O', 'E'};
    return std::to_string(COM_BAUD) + " " + std::to_string(COM_DATA_BITS) +
           parity[COM_PARITY] + std::to_string(COM_STOP_BITS);
}

// "OK vor 4 s": how the last reply wait ended and how long ago.
static std::string last_exchange(void)
{
    const TextPair *outcome = nullptr;
    switch (last_reply_outcome()) {
    case reply_none: return text(txt::port_no_exchange);
    case reply_ok: outcome = &txt::port_reply_ok; break;
    case reply_refused: outcome = &txt::port_reply_refused; break;
    case reply_unreadable: outcome = &txt::port_reply_unreadable; break;
    case reply_missing: outcome = &txt::port_reply_missing; break;
    }
    const int age = static_cast<int>(platform::ClockNow() - last_reply_time());
    if (age < 120) return format_text(txt::port_age_seconds, text(*outcome), age < 0 ? 0 : age);
    return format_text(txt::port_age_minutes, text(*outcome), age / 60);
}

const char *port_status(void)
{
    std::string line = "COM" + std::to_string(com_port) + ": ";
    if (!platform::ComIsOpen(com_port)) {
        line += text(txt::port_not_open);
        if (replug_note == replug_failed) line += std::string(", ") + text(txt::port_reopen_failed);
    } else {
        line += port_target + ", " + line_settings();
        if (replug_note == replug_done) line += std::string(", ") + text(txt::port_reopened);
        line += ", " + last_exchange();
    }
    port_status_text = line;
    return port_status_text.c_str();
}

void reopen_after_hangup(void)
{
    if (platform::ComHungUp(com_port)) {
        replug_pending = true;
        GetComTime(com_port, &replug_timeout);
    }
    if (!replug_pending) return;
    DisableBreakOnLibraryErrors();
    if (platform::ComIsOpen(com_port)) CloseCom(com_port);
    const bool opened = open_port() >= 0;
    if (opened) SetComTime(com_port, replug_timeout);
    EnableBreakOnLibraryErrors();
    replug_pending = !opened;
    replug_note = opened ? replug_done : replug_failed;
    SetPortStatus(port_status);
}

// A port that cannot be opened is not reported here: the first exchange reports it.
void com_on(void)
{
    SetWaitCursor(1);
    open_port_afresh();
    Delay(COM_DELAY);
    SetWaitCursor(0);
}

void com_off(void)
{
    CloseCom(com_port);
    SetPortStatus(port_status);
    SetWaitCursor(0);
}

