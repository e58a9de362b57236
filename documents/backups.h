// Automatic backups: the exit backup "last.cfg" and setting the backups aside.
#pragma once

#include "platform/files.h"

// The exit backup's name.
extern char File_Letzte[MAX_PATHNAME_LEN];

void backup(void);
void Letzte_hoch(void);
// After a change to the other memory layout: keeps both backups under names that say
// `layout`; 1 when an exit backup was kept, with its new name in `kept`.
int set_aside_backups(int layout, char *kept, int size);
