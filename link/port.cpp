// The serial port of the link: opened at start-up, closed at exit, and switched by the
// port selection dialog.
#include "link/port.h"

#include <filesystem>
#include <string>

#include "link/port_list.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/rs232.h"
#include "platform/serial/ports.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

int com_port = 1;
int comopen = 1;
char com_device[MAX_PATHNAME_LEN] = "";

// Port numbers the dialog's field accepts: those the serial services take.
static const int com_port_min = platform::kFirstComPort;
static const int com_port_max = platform::kLastComPort;

// Handle of the port selection dialog while it is loaded.
static int com_panel = 0;

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
static void opened_afresh(void)
{
    replug_pending = false;
    replug_note = replug_none;
    SetPortStatus(port_status);
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
    open_port();
    opened_afresh();
    Delay(COM_DELAY);
    SetWaitCursor(0);
}

void com_off(void)
{
    CloseCom(com_port);
    SetPortStatus(port_status);
    SetWaitCursor(0);
}

void com_select(int, int, void *, int)
{
    clear_com_fault();
    com_selection_up();
}

int com_selection_up(void)
{
    com_panel = LoadPanel(0, uir_file, PANEL_2);
    if (com_panel < 0) return 0;
    SetCtrlVal(com_panel, PANEL_2_TEXTMSG, text(txt::com_heading));
    SetCtrlAttribute(com_panel, PANEL_2_COMMANDBUTTON_2, ATTR_LABEL_TEXT, text(txt::com_cancel));
    SetCtrlAttribute(com_panel, PANEL_2_NUMERIC, ATTR_MIN_VALUE, com_port_min);
    SetCtrlAttribute(com_panel, PANEL_2_NUMERIC, ATTR_MAX_VALUE, com_port_max);
    SetCtrlVal(com_panel, PANEL_2_NUMERIC, com_port);
    fill_port_list(com_panel);
    InstallPopup(com_panel);
    return 0;
}

// The dialog leaves only through its buttons.
int panel_com_select(int, int, void *, int, int) { return 0; }

int com_selection(int, int, int, void *, int, int)
{
    clear_com_fault();
    return 0;
}

int com_seletion_ok(int panel, int, int event, void *, int, int)
{
    clear_com_fault();
    if (event != EVENT_COMMIT) return 0;
    if (!link_chosen_adapter(panel)) return 0;  // the old port stays open
    CloseCom(com_port);
    GetCtrlVal(panel, PANEL_2_NUMERIC, &com_port);
    DisableBreakOnLibraryErrors();
    open_port();
    EnableBreakOnLibraryErrors();
    opened_afresh();
    if (GetRs232Err() < 0) {
        MessagePopup(text(txt::com_error), GetRS232ErrorString(GetRs232Err()));
        comopen = 1;
        return 0;
    }
    comopen = 0;
    DiscardPanel(panel);
    com_panel = 0;
    return 0;
}

int com_seletion_cancel(int panel, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    DiscardPanel(panel);
    com_panel = 0;
    return 0;
}

void register_port_callbacks(void)
{
    RegisterMenuCallback("com_select", com_select);
    RegisterPanelCallback("panel_com_select", panel_com_select);
    RegisterCtrlCallback("com_selection", com_selection);
    RegisterCtrlCallback("com_seletion_ok", com_seletion_ok);
    RegisterCtrlCallback("com_seletion_cancel", com_seletion_cancel);
    register_port_list_callbacks();
}
