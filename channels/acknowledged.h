// The acknowledged state: the image as the device last confirmed it, kept in the file
// "temp.ctc" (entries 0 to 399) and in memory (the rest). Written after every
// acknowledged frame and read back after a failed one.
#pragma once

#include "platform/files.h"

// The acknowledged-state file's name.
extern char File_Temp[MAX_PATHNAME_LEN];

void temp_backup(void);
void temp_hoch(void);
// A new run has acknowledged nothing yet: the entries beyond the file stay as they are
// at the next restore.
void forget_acknowledged_rest(void);

// From now on the acknowledged state is kept in memory only, never in File_Temp (for a
// program that changes no file but those it is told).
void keep_acknowledged_in_memory(void);

// Reads the backup `name` into the image and the window and makes it the current
// document. Opened read-write as is, so a missing backup is created empty; an empty or
// unreadable one leaves the image as it was.
void restore_backup(const char *name);
// Makes a restored backup the current document; set at start-up by the document
// commands, which own the document name.
extern void (*backup_restored)(const char *name);
