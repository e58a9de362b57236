// Whole-configuration upload and download, and the Extras: comparing the window with the
// device and sending only what changed.
#pragma once

#include <string>
#include <vector>

#include "link/channel_group.h"

void read_(int menuBar, int menuItem, void *callbackData, int panel);  // resource name "read"
void down_load(int menuBar, int menuItem, void *callbackData, int panel);
void down(void);

// Every difference between a window configuration and a device memory (both 512 bytes,
// laid out for Kanalzahl channels), one line per difference, in the current language.
std::vector<std::string> configuration_differences(const int window[512], const int device[512]);

// A sensor-range ring item's text with its padding taken out ("DMS 8mV/V").
std::string range_words(int index);
// A channel's sensor range and bridge in one memory as its row shows them; the bridge
// is empty for a thermocouple or a mode byte the window does not know.
void channel_mode_words(const int memory[512], int ch, std::string *range, std::string *bridge);

// The last comparison or verification of this session, kept for the configuration
// sheet: note_* take the result, last_check_* give it in the current language (the
// title and local time, then the lines the operator was shown); both empty before any.
void note_comparison(const int window[512], const int device[512]);
void note_verification(int outcome, int channels, const std::vector<VerifiedAddress> &differing);
std::string last_check_title(void);
std::string last_check_time(void);
std::vector<std::string> last_check_lines(void);
// The transfer folder's state as the process starts it: no check in this session.
void reset_transfer_state(void);

// How a Send Changes and Verify ended.
enum { NOTHING_TO_SEND, SENT_AND_VERIFIED, READ_BACK_DIFFERS, SEND_LINK_FAILED };

void compare(int menuBar, int menuItem, void *callbackData, int panel);
void send_changes(int menuBar, int menuItem, void *callbackData, int panel);
// The menu item's operation, with its messages and status line; how it ended.
int send_changes_and_verify(void);

void register_transfer_callbacks(void);
