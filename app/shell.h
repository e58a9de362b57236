// Application shell: start-up, the main window's panel callback, quitting, the
// settings file, channel count and language, the information dialog.
#pragma once

#include <string>

// Start-up and event loop; the program's exit status (0, or -1 when the run-time or the
// main panel cannot be initialised).
int zek_main(int argc, char *argv[]);
// The main panel up to, not including, the backup and the port: loaded, coloured, its
// settings read by `settings`, rows, rings, menu bar and size for them. 0, or -1 when
// the resource fails. Shared with the command-line program.
int load_main_panel(void (*settings)(void));

int panel(int panel, int event, void *callbackData, int eventData1, int eventData2);
void quit(int menuBar, int menuItem, void *callbackData, int panel);

// Settings file "config.ctc".
void read_config(void);
// Reads the settings file when there is one, never creating or changing it.
void read_config_if_present(void);
void write_config(void);

// Channel count and language menu commands.
void sprache_d(int menuBar, int menuItem, void *callbackData, int panel);
void sprache_e(int menuBar, int menuItem, void *callbackData, int panel);
void kanal_4(int menuBar, int menuItem, void *callbackData, int panel);
void kanal_8(int menuBar, int menuItem, void *callbackData, int panel);
void kanal_16(int menuBar, int menuItem, void *callbackData, int panel);

// Information dialog.
extern const char version[];
void info(int menuBar, int menuItem, void *callbackData, int panel);
int info_ok(int panel, int control, int event, void *callbackData, int eventData1,
            int eventData2);
int info_panel(int panel, int event, void *callbackData, int eventData1, int eventData2);
// Fills the information dialog's identity lines: name and version, purpose, documentation.
void show_identity(int info_panel);

// System line: the displayed channel count and " Kanal Telemetrie" / " Channel Telemetry".
extern char channel_system[24];
// Sets the system line for the displayed channel count in the current language.
void set_channel_system(void);

// The configuration sheet's content in the current language, and its menu command.
struct ReportContent;
ReportContent configuration_sheet(void);
void config_sheet(int menuBar, int menuItem, void *callbackData, int panel);
// The last part of path when it holds a character that a file name cannot hold on one of
// the systems the sheet may travel to; empty when the name is fit.
std::string unfit_sheet_name(const std::string &path);
// The sheet written to path as named: 0; -1 after a file error (GetFmtIOError tells it).
int write_configuration_sheet(const char *path);

// The app folder's state as the process starts it (no system line, no information
// dialog), after every folder below it has reset its own: the whole program's state.
void reset_program_state(void);

// Registers every callback of the program by its resource name; sets the hooks through
// which lower layers reach the shell.
void register_callbacks(void);
void register_shell_callbacks(void);
