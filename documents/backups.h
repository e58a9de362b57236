// Automatic backups: exit backup "last.cfg" and acknowledged state "temp.ctc".
#pragma once

void backup(void);
void Letzte_hoch(void);
void temp_backup(void);
void temp_hoch(void);
int set_aside_backups(int layout, char *kept, int size);
