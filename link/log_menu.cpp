// The link log menu items. The serial services write the lines; this turns them on and
// off, keeps the choice for the next start and shows the log.
#include "link/log_menu.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/link_log.h"
#include "platform/ui/log_window.h"
#include "platform/state.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

void show_checked(int on) { SetMenuBarAttribute(menubar_handle, MENU_link_log, ATTR_CHECKED, on); }

// The log's file (or its rotated copy) cannot be written, with the reason.
void report_unwritable(const char *file, const char *reason)
{
    std::error_code ec;
    const std::string path = std::filesystem::absolute(file, ec).string();
    MessagePopup(text(txt::link_log_title),
                 format_text(txt::link_log_unwritable, ec ? file : path.c_str(), reason).c_str());
}

// The log ended during the link's work (its rotation failed): said once, and the check
// mark goes off, since nothing is written any more. It stays wanted for the next start.
void log_stopped(const char *file, const char *reason)
{
    show_checked(0);
    report_unwritable(file, reason);
}

// Starts the log; a file that cannot be opened is reported and the link goes on without.
bool start_log(void)
{
    errno = 0;
    platform::SetLinkLogStopHook(log_stopped);
    if (platform::SetLinkLog(LINK_LOG_FILE, LINK_LOG_ROTATE_BYTES)) return true;
    report_unwritable(LINK_LOG_FILE, std::strerror(errno));
    return false;
}

}  // namespace

void link_log(int, int, void *, int)
{
    int on = 0;
    GetMenuBarAttribute(menubar_handle, MENU_link_log, ATTR_CHECKED, &on);
    on = !on;
    if (on && !start_log()) on = 0;
    if (!on) platform::SetLinkLog("");
    show_checked(on);
    platform::SaveState(LINK_LOG_STATE_KEY, on ? "1" : "0");
}

void show_link_log(int, int, void *, int)
{
    ShowLogWindow(text(txt::link_log_title), LINK_LOG_FILE);
}

// A log that cannot be started now stays wanted: the next start tries again.
void restore_link_log(void)
{
    if (platform::LoadState(LINK_LOG_STATE_KEY) != "1") return;
    show_checked(start_log() ? 1 : 0);
}

void register_link_log_callbacks(void)
{
    RegisterMenuCallback("link_log", link_log);
    RegisterMenuCallback("show_link_log", show_link_log);
}
