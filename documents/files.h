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
