// Whole-configuration upload and download, and the Extras: comparing the window with the
// device and sending only what changed.
#pragma once

#include <string>
#include <vector>

void read_(int menuBar, int menuItem, void *callbackData, int panel);  // resource name "read"
void down_load(int menuBar, int menuItem, void *callbackData, int panel);
void down(void);

// One channel's frames as the download sends them: the mode byte closed by D, then for a
// strain gauge the range offset and gain words closed by D. Values come from the image.
void send_channel_group(int ch);
// The addresses that group writes for a mode byte, into addresses[5]; their count.
int channel_group_addresses(int ch, int mode, int addresses[5]);
// Planned seconds of that group.
double channel_group_seconds(int mode);

// Every difference between a window configuration and a device memory (both 512 bytes,
// laid out for Kanalzahl channels), one line per difference, in the current language.
std::vector<std::string> configuration_differences(const int window[512], const int device[512]);

// How the last Send Changes and Verify ended.
enum { NOTHING_TO_SEND, SENT_AND_VERIFIED, READ_BACK_DIFFERS, SEND_LINK_FAILED };
extern int send_changes_outcome;

void compare(int menuBar, int menuItem, void *callbackData, int panel);
void send_changes(int menuBar, int menuItem, void *callbackData, int panel);

void register_transfer_callbacks(void);
