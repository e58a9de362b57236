// Whole-configuration transfer: the upload reads the device's memory into the image, the
// download writes every channel's mode byte and strain-gauge range words back. Both show
// their progress and leave a status line; the download may be cancelled between channels.
#include "transfer/transfer.h"

#include <string>

#include "channels/image.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"

namespace {

bool strain_gauge(int mode)
{
    return mode == MODE_BYTE_FULL_BRIDGE || mode == MODE_BYTE_HALF_BRIDGE;
}

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

int channel_group_addresses(int ch, int mode, int addresses[5])
{
    addresses[0] = mode_address(ch);
    if (!strain_gauge(mode)) return 1;
    const int a = block_address(0, ch) + OFF_RANGE_OFFSET;
    for (int k = 0; k < 4; k++) addresses[1 + k] = a + k;
    return 5;
}

double channel_group_seconds(int mode)
{
    if (!strain_gauge(mode)) return SEND_BYTE_SECONDS;
    return 2 * SEND_BYTE_SECONDS + 3 * SEND_BYTE_OD_SECONDS;
}

void send_channel_group(int ch)
{
    const int m = mode_address(ch);
    const int b = aktuelle_daten[m];
    send_byte(m, b);
    if (!strain_gauge(b)) return;
    const int a = block_address(0, ch) + OFF_RANGE_OFFSET;
    send_byte_oD(a, aktuelle_daten[a]);
    send_byte_oD(a + 1, aktuelle_daten[a + 1]);
    send_byte_oD(a + 2, aktuelle_daten[a + 2]);
    send_byte(a + 3, aktuelle_daten[a + 3]);
}

void read_(int, int, void *, int)
{
    clear_com_fault();
    const double start = platform::ClockNow();
    ProgressBegin(text(txt::progress_read), READ_SECONDS, 0);
    ProgressCountBytes(MEMORY_REPLY_LENGTH, CHAR_SECONDS, 0.0);
    const int result = read_encoder();
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
