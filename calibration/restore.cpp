// Back from calibration: loading a calibration range replaces every channel's mode byte
// and, in the strain-gauge bank, its range words on the device. What each channel held
// before its first switch on the open panel is kept here; when the panel closes the
// operator may send it back in the download's frame shapes, verified by a read-back.
// The trims stay: they live in the calibration words, which loading never touches.
#include <string>

#include "calibration/calibration.h"
#include "channels/history.h"
#include "channels/image.h"
#include "link/channel_group.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"

namespace {

// A channel's mode byte and range words as they were before its first switch.
struct Replaced {
    bool kept = false;
    int mode = 0;
    int words[4] = {};
};
Replaced replaced[16];

int kept_count(void)
{
    int n = 0;
    for (const Replaced &r : replaced) n += r.kept ? 1 : 0;
    return n;
}

// The bank a calibration mode code belongs to, for the record.
int bank_of(int mode)
{
    return mode == MODE_BYTE_TE_1 ? 1 : mode == MODE_BYTE_TE_2 ? 2 : 0;
}

double restore_seconds(int from)
{
    double seconds = READ_SECONDS;
    for (int ch = from; ch < 16; ch++)
        if (replaced[ch].kept) seconds += channel_group_seconds(replaced[ch].mode);
    return seconds;
}

// Puts the kept bytes into the image and sends the channel's group from there; the
// acknowledgement wait stores or undoes them as for any write. One record line.
int restore_channel(int ch)
{
    const Replaced &r = replaced[ch];
    const int calibration_mode = aktuelle_daten[mode_address(ch)];
    set_image_byte(mode_address(ch), r.mode);
    if (strain_gauge(r.mode))
        for (int k = 0; k < 4; k++) set_image_byte(range_words_address(ch) + k, r.words[k]);
    const ReplyTally replies;
    send_channel_group(ch);
    record_cali_write(ch, bank_of(calibration_mode), RECORD_RANGE, calibration_mode, r.mode,
                      replies.first_failed);
    return com_fault;
}

// "1, 2, 5" for the channels restored so far, or the word for none.
std::string channel_list(const int done[16], int n)
{
    if (n == 0) return text(txt::none_word);
    std::string out;
    for (int k = 0; k < n; k++) out += (k ? ", " : "") + std::to_string(done[k] + 1);
    return out;
}

// Sends every kept channel; the count sent into done[16]; -1 after a failure, 0 after a
// cancel, 1 when all went out.
int send_kept(int done[16], int *n)
{
    *n = 0;
    const int total = kept_count();
    for (int ch = 0; ch < channel_rows(Kanalzahl); ch++) {
        if (!replaced[ch].kept) continue;
        if (*n > 0 && CancelRequested()) return 0;
        ProgressUpdate(format_text(txt::progress_restore, ch + 1, *n + 1, total).c_str(),
                       restore_seconds(ch));
        if (restore_channel(ch)) return -1;
        done[(*n)++] = ch;
    }
    return 1;
}

// Reads the device back, checks the restored addresses and shows the device's memory.
std::string read_back(const int done[16], int n, double start)
{
    int device[IMAGE_SIZE];
    if (read_memory_shown(device, 0.0, next_step_of_line) != 0) {
        link_failure();
        return format_text(txt::status_failed, text(txt::progress_read));
    }
    const int differing = static_cast<int>(differing_group_addresses(done, n, device).size());
    load_image(device);
    ini_panel_1();
    if (differing > 0)
        MessagePopup(text(txt::warnung),
                     format_text(txt::restore_differs, differing, channel_list(done, n).c_str())
                         .c_str());
    return format_text(txt::status_restore_done, n, platform::ClockNow() - start);
}

std::string restore_kept(void)
{
    const double start = platform::ClockNow();
    int done[16], n = 0;
    ProgressBegin(text(txt::progress_restore_title), restore_seconds(0), 1);
    const int sent = send_kept(done, &n);
    const std::string restored = channel_list(done, n);
    if (sent < 0) {
        link_failure();
        MessagePopup(text(txt::warnung), format_text(txt::restore_failed, restored.c_str()).c_str());
        return format_text(txt::status_failed, text(txt::progress_restore_title));
    }
    if (sent == 0) {
        MessagePopup(text(txt::cancelled_title),
                     format_text(txt::restore_failed, restored.c_str()).c_str());
        return format_text(txt::status_cancelled, done[n - 1] + 1);
    }
    return read_back(done, n, start);
}

}  // namespace

void keep_replaced(int ch)
{
    if (ch < 0 || ch >= 16 || replaced[ch].kept) return;
    Replaced &r = replaced[ch];
    r.kept = true;
    r.mode = aktuelle_daten[mode_address(ch)];
    for (int k = 0; k < 4; k++) r.words[k] = aktuelle_daten[range_words_address(ch) + k];
}

int restore_after_calibration(void)
{
    clear_com_fault();
    SetWaitCursor(1);
    const std::string status = restore_kept();
    ProgressEnd();
    SetWaitCursor(0);
    SetStatusLine(status.c_str());
    forget_replaced();
    clear_history();
    record_flush();
    return com_fault;
}

bool offer_restore(void)
{
    const int n = kept_count();
    if (n == 0) return false;
    const bool yes = ConfirmPopup(text(txt::restore_title),
                                  format_text(txt::restore_question, n).c_str(),
                                  VAL_DEFAULT_YES) == 1;
    if (!yes) {
        forget_replaced();
        return false;
    }
    restore_after_calibration();
    return true;
}

void forget_replaced(void)
{
    for (Replaced &r : replaced) r = Replaced{};
}
