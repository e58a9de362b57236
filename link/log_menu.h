// The link log items of the Extras/Tools menu: the check item that starts and stops the
// log of every frame and reply in the working directory, and the window that follows it.
#pragma once

// The log's file in the working directory, its size limit (rotated to NAME.1 there), and
// the key under which the run-time's state file keeps whether the log is on.
inline constexpr char LINK_LOG_FILE[] = "zek-link.log";
inline constexpr long LINK_LOG_ROTATE_BYTES = 1024 * 1024;
inline constexpr char LINK_LOG_STATE_KEY[] = "link_log";

void link_log(int menuBar, int menuItem, void *callbackData, int panel);
void show_link_log(int menuBar, int menuItem, void *callbackData, int panel);
// At start-up, once the menu bar is loaded: the log on again if it was on at the last exit.
void restore_link_log(void);
void register_link_log_callbacks(void);
