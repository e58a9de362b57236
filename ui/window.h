// The main window as the program addresses it: its panel and menu-bar handles, the
// resource file, the per-channel control tables, and the title.
#pragma once

#include "platform/files.h"

// Handles of the main panel and of the menu bar installed on it.
extern int panel_handle;
extern int menubar_handle;

extern const char uir_file[];                // "zek-config.uir"
extern char kopfzeile[MAX_PATHNAME_LEN];     // main window title

// Per-channel controls of the main window, by zero-based channel.
extern const int panel_rings[16];
extern const int panel_checkbox[16];
extern const int panel_command_button[16];

// The ui folder's state as the process starts it: no panel or menu bar, no title, German.
void reset_ui_state(void);

// Shows `name` as the main window's title.
void show_title(const char *name);
