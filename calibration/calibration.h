// Calibration panel and trim.
#pragma once

#include "link/protocol.h"
#include "platform/userint.h"

extern const char pass_confirm[];
extern const int panel_numeric_off[16];
extern const int panel_numeric_gain[16];
extern const int panel_cali_text[16];
extern const int f_o_1, f_o_2, f_o_3;
constexpr int CALI_GAIN_BASE = 3900;

// Handle of the open calibration panel, 0 while it is closed.
extern int cali_panel_handle;
// Range value whose load the device acknowledged in full on the open panel; -1 before any.
extern int cali_loaded_range;

void cali(int menuBar, int menuItem, void *callbackData, int panel);
int cali_panel(int panel, int event, void *callbackData, int eventData1, int eventData2);
int cali_ok(int panel, int control, int event, void *callbackData, int eventData1,
            int eventData2);
int cali_toggle(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
int cali_select(int panel, int control, int event, void *callbackData, int eventData1,
                int eventData2);
// Loading of a range value from the ring: its own progress line, which the operator may
// cancel between two channels.
void calibration_load_data(int value);
// The same right after enabling's read: the progress line the caller began for the read
// goes on, and the load is not cancelled.
void calibration_load_after_read(int value);
// Planned seconds of calibration_load_data(value).
double calibration_load_seconds(int value);
// Back from calibration. keep_replaced notes channel ch's mode byte and range words from
// the image before its first switch on the open panel; offer_restore asks, when the panel
// closes, whether to send them back (true when the operator said Yes and they were sent,
// read back and shown); restore_after_calibration sends them without asking (the link
// fault flag afterwards); forget_replaced drops them.
void keep_replaced(int ch);
bool offer_restore(void);
int restore_after_calibration(void);
void forget_replaced(void);
void cali_off_adjust(int i);
void cali_gain_adjust(int i);

// The calibration record "zek-calibration.csv" in the working directory: one line per
// calibration write that went out. record_cali_write notes a write (zero-based channel,
// bank 0..2, what was written, the value before and the value sent, how the device
// answered); record_flush appends the noted lines at the end of an operation.
extern const char cal_record_file[];
enum { RECORD_OFFSET, RECORD_GAIN, RECORD_RANGE };
void record_cali_write(int ch, int bank, int what, int before, int sent, reply_outcome outcome);
void record_flush(void);
// Lines that wait in memory at most while the record cannot be written (a long session's
// worth); later ones are dropped, and the operator is told once. Tests lower it.
constexpr int RECORD_WAITING_MAX = 1000;
extern int record_waiting_max;
// At exit: the waiting lines are written once more; the operator is told how many of the
// session's lines could not be recorded.
void record_at_exit(void);
// The calibration folder's state as the process starts it: the panel closed, no range
// loaded, no record line waiting, no failure shown, the waiting list at its full size.
void reset_calibration_state(void);
void cal_record(int menuBar, int menuItem, void *callbackData, int panel);

void register_calibration_callbacks(void);
void register_trim_callbacks(void);
