// Configuration text and the file menu commands.
#pragma once

void format_i_s(void);
void einlesen_ini(void);
void new_(int menuBar, int menuItem, void *callbackData, int panel);  // resource name "new"
void opens(int menuBar, int menuItem, void *callbackData, int panel);
void save(int menuBar, int menuItem, void *callbackData, int panel);
void save_as(int menuBar, int menuItem, void *callbackData, int panel);
void speichern(void);
void speichern_unter(void);
void file_fehler(void);

// The steps shared with the backups. Write: the writer, then the image text replaces
// the file `name` whole. Read: up to the input buffer's size of the file `name`, opened
// in `mode`, into `eingangsbuffer`, reporting the I/O status of the open, the size and
// the read; 0 when none of them failed. The caller runs the reader.
void datei_schreiben(const char *name);
// The write steps without the writer: textbuffer as it stands into `name`.
void text_schreiben(const char *name);
int datei_lesen(const char *name, int mode);
