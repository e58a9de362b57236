// Serial port and port selection dialog.
#pragma once

#include "platform/files.h"

// Pause after each character group on the line, and after opening the port.
constexpr double COM_DELAY = 0.1;

// Fixed line settings.
constexpr long COM_BAUD = 4800;
constexpr int COM_PARITY = 0;
constexpr int COM_DATA_BITS = 8;
constexpr int COM_STOP_BITS = 2;
constexpr int COM_IN_QUEUE = 1540;
constexpr int COM_OUT_QUEUE = 512;

// Serial port number in use.
extern int com_port;
// Device opened for the port instead of its COM<n> entry; empty: the port's own device.
extern char com_device[MAX_PATHNAME_LEN];
// Outcome of the port dialog's last open: 0 opened, 1 failed or not confirmed.
extern int comopen;

void com_on(void);
void com_off(void);
void com_select(int menuBar, int menuItem, void *callbackData, int panel);
int com_selection_up(void);
int panel_com_select(int panel, int event, void *callbackData, int eventData1, int eventData2);
int com_selection(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
int com_seletion_ok(int panel, int control, int event, void *callbackData, int eventData1,
                    int eventData2);
int com_seletion_cancel(int panel, int control, int event, void *callbackData, int eventData1,
                        int eventData2);
void register_port_callbacks(void);

// An open by the operator or at start-up: the port opened afresh, a hang-up before it no
// longer counts; the open's result.
int open_port_afresh(void);

// How a reply wait ended.
enum reply_outcome { reply_none, reply_ok, reply_refused, reply_unreadable, reply_missing };
// What the port's exchanges left. The last reply wait's outcome and its time on the
// platform clock (reply_none and 0.0 before the first); and whether a frame's reply was
// not read (its wait timed out, or it went out unawaited), so that the device may still
// send it ahead of the reply to a later frame.
void note_reply_outcome(reply_outcome outcome);
reply_outcome last_reply_outcome(void);
double last_reply_time(void);
void note_reply_outstanding(bool outstanding);
bool reply_outstanding(void);
// A port opened afresh: no reply is outstanding on it and none has been read yet.
void reset_exchange_state(void);
// The port's part of reset_link_state: port 1 with its own device, the dialog's last
// open not succeeded, no hang-up pending, nothing exchanged.
void reset_port_state(void);

// Called as every operation that sends a frame starts, whether or not it clears the link
// fault flag: after the port hung up (an adapter unplugged), opens it again with the
// time-out it had, once per operation until that succeeds; the status line says how it
// went.
void reopen_after_hangup(void);
// The port part of the main window's status line: the port, what it leads to, the line
// settings and how long ago its last exchange ended how; or that it is not open.
const char *port_status(void);
