// The file menu commands and the current document name.
#pragma once

#include "platform/files.h"

// Current document name, shown as the main window's title.
extern char File_Name[MAX_PATHNAME_LEN];
// Keeps what the operator had (exit backup and settings) before a failed file dialog
// ends the program; set at start-up by the program shell.
extern void (*session_saver)(void);

void new_(int menuBar, int menuItem, void *callbackData, int panel);  // resource name "new"
void opens(int menuBar, int menuItem, void *callbackData, int panel);
void save(int menuBar, int menuItem, void *callbackData, int panel);
void save_as(int menuBar, int menuItem, void *callbackData, int panel);
void speichern(void);
void speichern_unter(void);
// Reads path into the image and the window and makes it the current document, as Open
// does after its dialog; false, with the reason shown, when nothing was opened.
bool open_document(const char *path);

// Recent documents: the last four opened or saved, in the File menu above Quit and kept
// in the run-time's state file.
void open_recent(int menuBar, int menuItem, void *callbackData, int panel);
// Puts path at the head of the list (the backup files stay off it).
void remember_document(const char *path);
// Shows the list in the File menu's numbered items; unused ones are hidden.
void show_recent_menu(void);

// The documents folder's state as the process starts it: the unnamed document, the
// backups under their own names.
void reset_documents_state(void);

// Binds the file commands to their resource names and takes over the naming of restored
// backups.
void register_document_callbacks(void);
