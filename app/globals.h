// Program-wide state shared by the modules. One thread; every module reads and
// writes these directly.
#pragma once

#include "platform/files.h"

// Language flag: 0 German, any other value English.
extern int sprache;
// Device channel count (memory layout): 8 or 16.
extern int Kanalzahl;
// Displayed channel count: 4, 8 or 16.
extern int Kanalzahl_GUI;
// Serial port number in use.
extern int com_port;
// Outcome of the port dialog's last open: 0 opened, 1 failed or not confirmed.
extern int comopen;
// Link fault flag: 1 once a failure has been reported in the current operation.
extern int com_fault;

// Handles of the main panel and of the menu bar installed on it.
extern int panel_handle;
extern int menubar_handle;

extern const char uir_file[];     // "zek-config.uir"
extern char kopfzeile[MAX_PATHNAME_LEN];  // main window title
extern char channel_system[24];   // system line

// Configuration image: one int per byte of the device's 512-byte memory.
extern int aktuelle_daten[512];
// Input text buffer (whole-memory reply, file contents) and output text buffer.
extern char eingangsbuffer[1540];
extern char textbuffer[1540];

// Current document name and the backup file names.
extern char File_Name[MAX_PATHNAME_LEN];
extern char File_Letzte[MAX_PATHNAME_LEN];
extern char File_Temp[MAX_PATHNAME_LEN];

// Per-channel controls of the main window, by zero-based channel.
extern const int panel_rings[16];
extern const int panel_checkbox[16];
extern const int panel_command_button[16];
