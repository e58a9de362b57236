// Send Changes and Verify: reads the device, sends in ascending order and in the
// download's frame shapes only the channel groups that differ from the image, then reads
// the memory back and checks every address it wrote.
#include <string>
#include <utility>

#include "channels/image.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "transfer/transfer.h"
#include "ui/texts.h"

namespace {

// True when the device holds something else at an address the channel's group writes.
bool group_differs(const int device[512], int ch)
{
    int addresses[5];
    const int n = channel_group_addresses(ch, aktuelle_daten[mode_address(ch)], addresses);
    for (int k = 0; k < n; k++)
        if (device[addresses[k]] != aktuelle_daten[addresses[k]]) return true;
    return false;
}

// The changed channels, ascending, into changed[16]; their count.
int changed_channels(const int device[512], int changed[16])
{
    int n = 0;
    for (int ch = 0; ch < channel_rows(Kanalzahl); ch++)
        if (group_differs(device, ch)) changed[n++] = ch;
    return n;
}

double plan_seconds(const int changed[16], int from, int n)
{
    double seconds = READ_SECONDS;  // the read-back
    for (int k = from; k < n; k++)
        seconds += channel_group_seconds(aktuelle_daten[mode_address(changed[k])]);
    return seconds;
}

// Sends the changed groups; the index of the first whose exchange failed, or -1.
int send_groups(const int changed[16], int n)
{
    int failed_at = -1;
    for (int k = 0; k < n; k++) {
        const std::string line = failed_at >= 0
            ? format_text(txt::status_failed_at, changed[failed_at] + 1)
            : format_text(txt::progress_send_changes, changed[k] + 1, k + 1, n);
        ProgressUpdate(line.c_str(), plan_seconds(changed, k, n));
        send_channel_group(changed[k]);
        if (com_fault == 1 && failed_at < 0) failed_at = k;
    }
    return failed_at;
}

// What an operation ended with: its outcome and the status line's text.
struct Ending {
    int outcome;
    std::string status;
};

Ending link_failed(std::string status) { return {SEND_LINK_FAILED, std::move(status)}; }

// The read-back and its report.
Ending read_back(const int changed[16], int n, double start)
{
    int device[IMAGE_SIZE];
    if (read_memory_shown(device, 0.0, next_step_of_line) != 0)
        return link_failed(format_text(txt::status_failed, text(txt::progress_read)));
    const std::vector<VerifiedAddress> differing = differing_group_addresses(changed, n, device);
    const int outcome = differing.empty() ? SENT_AND_VERIFIED : READ_BACK_DIFFERS;
    note_verification(outcome, n, differing);
    std::string message;
    for (const std::string &line : last_check_lines()) {
        if (!message.empty()) message += '\n';
        message += line;
    }
    MessagePopup(text(txt::send_changes_title), message.c_str());
    return {outcome, format_text(txt::status_changes_done, n, platform::ClockNow() - start)};
}

// The reads and writes of the operation.
Ending read_send_and_verify(void)
{
    const double start = platform::ClockNow();
    int device[IMAGE_SIZE], changed[16];
    if (read_memory_shown(device, 0.0, new_read_line) != 0)
        return link_failed(format_text(txt::status_failed, text(txt::progress_read)));
    const int n = changed_channels(device, changed);
    if (n == 0) {
        note_verification(NOTHING_TO_SEND, 0, {});
        MessagePopup(text(txt::send_changes_title), text(txt::nothing_to_send));
        return {NOTHING_TO_SEND, text(txt::nothing_to_send)};
    }
    const int failed_at = send_groups(changed, n);
    if (failed_at >= 0) return link_failed(format_text(txt::status_failed_at, changed[failed_at] + 1));
    return read_back(changed, n, start);
}

}  // namespace

int send_changes_and_verify(void)
{
    clear_com_fault();
    SetWaitCursor(1);
    const Ending ending = read_send_and_verify();
    ProgressEnd();
    SetWaitCursor(0);
    SetStatusLine(ending.status.c_str());
    return ending.outcome;
}

void send_changes(int, int, void *, int) { send_changes_and_verify(); }
