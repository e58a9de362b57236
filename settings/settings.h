// Per-channel settings: sensor range, half bridge, auto-zero, calibration signal.
#pragma once

extern const int o[8];  // range offset word by range index
extern const int v[8];  // range gain word by range index

void aktu_gain(int n);
void vb_hb(int n);
int auto_z(int n);
// The settings folder's state, as every start-up sets it: the toggle shows the signal
// off, and that is taken as the device's state until it acknowledges a change.
void reset_settings_state(void);
int cal_on_off(int panel, int control, int event, void *callbackData, int eventData1,
               int eventData2);

// Edit menu: Undo and Redo of the main window's acknowledged changes.
void undo(int menuBar, int menuItem, void *callbackData, int panel);
void redo(int menuBar, int menuItem, void *callbackData, int panel);

void register_channel_callbacks(void);
