// Whole-configuration upload and download.
#pragma once

void read_(int menuBar, int menuItem, void *callbackData, int panel);  // resource name "read"
void down_load(int menuBar, int menuItem, void *callbackData, int panel);
void down(void);

void register_transfer_callbacks(void);
