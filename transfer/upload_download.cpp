// Whole-configuration transfer: the upload reads the device's memory into the image, the
// download writes every channel's mode byte and strain-gauge range words back. Both show
// their progress and leave a status line; the download may be cancelled between channels.
#include "transfer/transfer.h"

#include "channels/history.h"

#include <string>

#include "channels/history.h"
#include "channels/image.h"
#include "link/channel_group.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"

namespace {

// Planned seconds of the groups of channels first..Kanalzahl-1 as the image stands.
double download_seconds_from(int first)
{
    double seconds = 0.0;
    for (int ch = first; ch < Kanalzahl; ch++)
        seconds += channel_group_seconds(aktuelle_daten[mode_address(ch)]);
    return seconds;
}

void show_download_progress(int ch, int failed_at)
{
    std::string line = failed_at >= 0
                           ? format_text(txt::status_failed_at, failed_at + 1)
                           : format_text(txt::progress_download, ch + 1, Kanalzahl);
    ProgressUpdate(line.c_str(), download_seconds_from(ch));
}

}  // namespace

void read_(int, int, void *, int)
{
    clear_com_fault();
    const double start = platform::ClockNow();
    const int result = read_memory_shown(nullptr, 0.0, new_read_line);
    ProgressEnd();
    std::string status = result == 0
                             ? format_text(txt::status_upload_done, platform::ClockNow() - start)
                             : format_text(txt::status_failed, text(txt::progress_read));
    SetStatusLine(status.c_str());
}

void down_load(int, int, void *, int)
{
    clear_com_fault();
    down();
}

// Channel by channel in ascending order, each channel's group as send_channel_group
// sends it. Never stops early on a failure: after one the remaining frames go out
// unacknowledged. Each value is taken from the image when it is sent, since a failed
// acknowledgement restores the image on the way. The operator may cancel between two
// channels: what was acknowledged stays, the rest is not sent.
void down(void)
{
    clear_history();  // the device now holds the image as a whole
    clear_com_fault();
    SetWaitCursor(1);
    const double start = platform::ClockNow();
    ProgressBegin(text(txt::progress_download), download_seconds_from(0), 1);
    int failed_at = -1, frames = 0, ch = 0;
    for (; ch < Kanalzahl; ch++) {
        if (ch > 0 && CancelRequested()) break;
        show_download_progress(ch, failed_at);
        frames += strain_gauge(aktuelle_daten[mode_address(ch)]) ? 7 : 2;
        send_channel_group(ch);
        if (com_fault == 1 && failed_at < 0) failed_at = ch;
    }
    ProgressEnd();
    SetWaitCursor(0);
    std::string status;
    if (ch < Kanalzahl) {
        MessagePopup(text(txt::cancelled_title), cancelled_text(ch, Kanalzahl).c_str());
        status = format_text(txt::status_cancelled, ch);
    } else if (failed_at >= 0) {
        status = format_text(txt::status_failed_at, failed_at + 1);
    } else {
        status = format_text(txt::status_download_done, Kanalzahl, frames,
                             platform::ClockNow() - start);
    }
    SetStatusLine(status.c_str());
}

void register_transfer_callbacks(void)
{
    RegisterMenuCallback("read", read_);
    RegisterMenuCallback("down_load", down_load);
    RegisterMenuCallback("compare", compare);
    RegisterMenuCallback("send_changes", send_changes);
}
