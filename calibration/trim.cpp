// Calibration data: showing a bank's calibration words, switching the device's channels
// to a calibration range, and trimming single words.
#include "calibration/calibration.h"
#include "channels/image.h"
#include "link/channel_group.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/callbacks.h"
#include "ui/uir.h"

const int f_o_1 = 32000;  // offset base, strain gauge 2 mV/V
const int f_o_2 = 23500;  // offset base, thermocouple type 1
const int f_o_3 = 20000;  // offset base, thermocouple type 2

int cali_loaded_range = -1;

namespace {

// What a calibration range value selects.
struct CaliRange {
    int value;      // ring item value
    int bank;       // calibration bank 0..2
    int mode;       // channel mode code written on loading
    int off_base;   // offset base
};
const CaliRange cali_ranges[3] = {
    {0, 0, MODE_BYTE_FULL_BRIDGE, f_o_1},
    {64, 1, MODE_BYTE_TE_1, f_o_2},
    {128, 2, MODE_BYTE_TE_2, f_o_3},
};

const CaliRange *range_of(int value)
{
    for (const CaliRange &r : cali_ranges)
        if (r.value == value) return &r;
    return nullptr;
}

// Device channel count, kept within the 16 rows of the control tables.
int channels(void) { return channel_rows(Kanalzahl); }

// First address of channel i's block in bank b.
int block(int b, int i) { return block_address_k(channels(), b, i); }

// Limits that keep every entry within the 16-bit word: -base .. 65535 - base.
void set_limits(int control, int base)
{
    SetCtrlAttribute(cali_panel_handle, control, ATTR_MIN_VALUE, -base);
    SetCtrlAttribute(cali_panel_handle, control, ATTR_MAX_VALUE, 65535 - base);
}

void show_channel(const CaliRange &r, int i)
{
    int a = block(r.bank, i);
    set_limits(panel_numeric_off[i], r.off_base);
    set_limits(panel_numeric_gain[i], CALI_GAIN_BASE);
    SetCtrlVal(cali_panel_handle, panel_numeric_off[i],
               image_word(a + OFF_CAL_OFFSET) - r.off_base);
    SetCtrlVal(cali_panel_handle, panel_numeric_gain[i],
               image_word(a + OFF_CAL_GAIN) - CALI_GAIN_BASE);
}

int switch_writes(const CaliRange &r, int i)
{
    clear_com_fault();
    set_image_byte(mode_address(i), r.mode);
    if (send_byte(mode_address(i), r.mode)) return 1;
    if (r.bank != 0) return 0;
    const int words[4] = {0x00, 0x02, 0x00, 0x01};  // 2 mV/V: offset 512, gain 256
    for (int k = 0; k < 4; k++)
        if (send_range_byte(i, k, words[k])) return 1;
    return 0;
}

// Switches channel i to the range; in bank 0 also writes the 2 mV/V range words
// (offset 512, gain 256) without touching the image. One record line for the channel,
// with the first reply of its writes that was not "OK". 0 on success.
int switch_channel(const CaliRange &r, int i)
{
    // The image holds the acknowledged state here: enabling has just read the device,
    // and every write since was either acknowledged or undone by its failure.
    const int before = aktuelle_daten[mode_address(i)];
    keep_replaced(i);
    const ReplyTally replies;
    const int failed = switch_writes(r, i);
    record_cali_write(i, r.bank, RECORD_RANGE, before, r.mode, replies.first_failed);
    return failed;
}

// Stores word w at address a of the image and sends it, low byte first; the high byte
// carries the D command. Each byte enters the image just before its own write, so that
// the low byte's acknowledgement does not store a high byte the device has not taken.
// 1 after a failed write.
int write_word(int a, int w)
{
    int low = w & 0xFF;
    int high = (w & 0xFF00) >> 8;
    clear_com_fault();
    set_image_byte(a, low);
    if (send_byte_oD(a, low) == 0) {
        set_image_byte(a + 1, high);
        if (send_byte(a + 1, high) == 0) return 0;
    }
    link_failure();
    return 1;
}

// Trims channel i's offset (gain = false) or gain word in the ring's bank.
void adjust(int i, bool gain)
{
    if (i < 0 || i >= channels()) return;
    int value = 0, entry = 0;
    if (GetCtrlVal(cali_panel_handle, PANEL_3_RING_Cali_Sel, &value) != 0) return;
    const CaliRange *r = range_of(value);
    if (!r) return;
    int control = gain ? panel_numeric_gain[i] : panel_numeric_off[i];
    if (GetCtrlVal(cali_panel_handle, control, &entry) != 0) return;
    int base = gain ? CALI_GAIN_BASE : r->off_base;
    const int a = block(r->bank, i) + (gain ? OFF_CAL_GAIN : OFF_CAL_OFFSET);
    const int before = image_word(a);  // acknowledged, as in switch_channel
    const ReplyTally replies;
    const int failed = write_word(a, entry + base);
    record_cali_write(i, r->bank, gain ? RECORD_GAIN : RECORD_OFFSET, before,
                      (entry + base) & 0xFFFF, replies.first_failed);
    // A failed write has restored the image to the acknowledged words; the row shows
    // them instead of the entry the device did not take.
    if (failed) show_channel(*r, i);
    record_flush();
}

// After a failed load the ring and the rows go back to the range whose load the device
// last acknowledged in full, if there is one; nothing is sent.
void show_loaded_range(void)
{
    const CaliRange *r = range_of(cali_loaded_range);
    if (!r) return;
    SetCtrlVal(cali_panel_handle, PANEL_3_RING_Cali_Sel, r->value);
    for (int i = 0; i < channels(); i++) show_channel(*r, i);
}

}  // namespace

namespace {

// Planned seconds of switching one channel to the range.
double switch_seconds(const CaliRange &r)
{
    return r.bank == 0 ? 2 * SEND_BYTE_SECONDS + 3 * SEND_BYTE_OD_SECONDS : SEND_BYTE_SECONDS;
}

// The switch of every channel, one after the other; a cancel is taken between two.
// Returns the channels switched, or -1 after a failed one.
int switch_channels(const CaliRange &r)
{
    for (int i = 0; i < channels(); i++) {
        if (i > 0 && CancelRequested()) return i;
        ProgressUpdate(format_text(txt::progress_cali, i + 1, channels()).c_str(),
                       (channels() - i) * switch_seconds(r));
        if (switch_channel(r, i)) return -1;
    }
    return channels();
}

}  // namespace

double calibration_load_seconds(int value)
{
    const CaliRange *r = range_of(value);
    return r ? channels() * switch_seconds(*r) : 0.0;
}

namespace {

// How a load shows its progress: a line of its own that may be cancelled, or the line
// of the read before it, going on.
enum load_progress { own_cancellable_line, read_line_goes_on };

// Shows the bank of range value v and switches every device channel to that range. A
// cancel leaves the channels switched so far as the device acknowledged them; the range
// then counts as not loaded in full.
void load_data(int value, load_progress progress)
{
    const CaliRange *r = range_of(value);
    if (!r) return;
    const double start = platform::ClockNow();
    for (int i = 0; i < channels(); i++) show_channel(*r, i);
    if (progress == own_cancellable_line)
        ProgressBegin(text(txt::progress_cali), calibration_load_seconds(value), 1);
    const int switched = switch_channels(*r);
    ProgressEnd();
    if (switched < 0) {
        link_failure();
        show_loaded_range();
        SetStatusLine(format_text(txt::status_failed, text(txt::progress_cali)).c_str());
        return;
    }
    if (switched < channels()) {
        MessagePopup(text(txt::cancelled_title), cancelled_text(switched, channels()).c_str());
        SetStatusLine(format_text(txt::status_cancelled, switched).c_str());
        return;
    }
    cali_loaded_range = value;
    SetStatusLine(format_text(txt::status_cali_done, channels(), platform::ClockNow() - start).c_str());
}

}  // namespace

// The record's lines reach the file after the operation's own messages.
void calibration_load_data(int value)
{
    load_data(value, own_cancellable_line);
    record_flush();
}

void calibration_load_after_read(int value)
{
    load_data(value, read_line_goes_on);
    record_flush();
}

void cali_off_adjust(int i) { adjust(i, false); }
void cali_gain_adjust(int i) { adjust(i, true); }

// The calibration panel's per-channel trim callbacks by resource name; each hands on
// its zero-based channel.
const NamedCallback trim_callbacks[] = {
    {"cali_off_1", on_commit<cali_off_adjust, 0>},
    {"cali_off_2", on_commit<cali_off_adjust, 1>},
    {"cali_off_3", on_commit<cali_off_adjust, 2>},
    {"cali_off_4", on_commit<cali_off_adjust, 3>},
    {"cali_off_5", on_commit<cali_off_adjust, 4>},
    {"cali_off_6", on_commit<cali_off_adjust, 5>},
    {"cali_off_7", on_commit<cali_off_adjust, 6>},
    {"cali_off_8", on_commit<cali_off_adjust, 7>},
    {"cali_off_9", on_commit<cali_off_adjust, 8>},
    {"cali_off_10", on_commit<cali_off_adjust, 9>},
    {"cali_off_11", on_commit<cali_off_adjust, 10>},
    {"cali_off_12", on_commit<cali_off_adjust, 11>},
    {"cali_off_13", on_commit<cali_off_adjust, 12>},
    {"cali_off_14", on_commit<cali_off_adjust, 13>},
    {"cali_off_15", on_commit<cali_off_adjust, 14>},
    {"cali_off_16", on_commit<cali_off_adjust, 15>},
    {"cali_gain_1", on_commit<cali_gain_adjust, 0>},
    {"cali_gain_2", on_commit<cali_gain_adjust, 1>},
    {"cali_gain_3", on_commit<cali_gain_adjust, 2>},
    {"cali_gain_4", on_commit<cali_gain_adjust, 3>},
    {"cali_gain_5", on_commit<cali_gain_adjust, 4>},
    {"cali_gain_6", on_commit<cali_gain_adjust, 5>},
    {"cali_gain_7", on_commit<cali_gain_adjust, 6>},
    {"cali_gain_8", on_commit<cali_gain_adjust, 7>},
    {"cali_gain_9", on_commit<cali_gain_adjust, 8>},
    {"cali_gain_10", on_commit<cali_gain_adjust, 9>},
    {"cali_gain_11", on_commit<cali_gain_adjust, 10>},
    {"cali_gain_12", on_commit<cali_gain_adjust, 11>},
    {"cali_gain_13", on_commit<cali_gain_adjust, 12>},
    {"cali_gain_14", on_commit<cali_gain_adjust, 13>},
    {"cali_gain_15", on_commit<cali_gain_adjust, 14>},
    {"cali_gain_16", on_commit<cali_gain_adjust, 15>},
};

void register_trim_callbacks(void) { register_named(trim_callbacks); }
