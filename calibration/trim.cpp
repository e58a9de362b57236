// Calibration data: showing a bank's calibration words, switching the device's channels
// to a calibration range, and trimming single words.
#include <array>
#include <utility>

#include "app/globals.h"
#include "calibration/calibration.h"
#include "channels/image.h"
#include "link/protocol.h"
#include "platform/userint.h"
#include "ui/texts.h"
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
int channels(void) { return Kanalzahl == 16 ? 16 : 8; }

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

// Switches channel i to the range; in bank 0 also writes the 2 mV/V range words
// (offset 512, gain 256) without touching the image. 0 on success.
int switch_channel(const CaliRange &r, int i)
{
    clear_com_fault();
    aktuelle_daten[mode_address(i)] = r.mode;
    if (send_byte(mode_address(i), r.mode)) return 1;
    if (r.bank != 0) return 0;
    int a0 = block(0, i);
    if (send_byte_oD(a0 + OFF_RANGE_OFFSET, 0x00)) return 1;
    if (send_byte_oD(a0 + OFF_RANGE_OFFSET + 1, 0x02)) return 1;
    if (send_byte_oD(a0 + OFF_RANGE_GAIN, 0x00)) return 1;
    return send_byte(a0 + OFF_RANGE_GAIN + 1, 0x01);
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
    aktuelle_daten[a] = low;
    if (send_byte_oD(a, low) == 0) {
        aktuelle_daten[a + 1] = high;
        if (send_byte(a + 1, high) == 0) return 0;
    }
    cali_link_failure();
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
    // A failed write has restored the image to the acknowledged words; the row shows
    // them instead of the entry the device did not take.
    if (write_word(block(r->bank, i) + (gain ? OFF_CAL_GAIN : OFF_CAL_OFFSET), entry + base))
        show_channel(*r, i);
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

// One callback per numeric control, forwarding its channel index on the commit event.
template <int I>
int cali_off_n(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) cali_off_adjust(I);
    return 0;
}

template <int I>
int cali_gain_n(int, int, int event, void *, int, int)
{
    if (event == EVENT_COMMIT) cali_gain_adjust(I);
    return 0;
}

template <int... I>
constexpr std::array<CtrlCallbackPtr, 16> off_family(std::integer_sequence<int, I...>)
{
    return {cali_off_n<I>...};
}

template <int... I>
constexpr std::array<CtrlCallbackPtr, 16> gain_family(std::integer_sequence<int, I...>)
{
    return {cali_gain_n<I>...};
}

}  // namespace

const std::array<CtrlCallbackPtr, 16> cali_off_callbacks =
    off_family(std::make_integer_sequence<int, 16>{});
const std::array<CtrlCallbackPtr, 16> cali_gain_callbacks =
    gain_family(std::make_integer_sequence<int, 16>{});

void cali_link_failure(void)
{
    MessagePopup(text(txt::port_error_title), text(txt::port_error_text));
}

// Shows the bank of range value v and switches every device channel to that range.
void calibration_load_data(int value)
{
    const CaliRange *r = range_of(value);
    if (!r) return;
    for (int i = 0; i < channels(); i++) show_channel(*r, i);
    for (int i = 0; i < channels(); i++) {
        if (switch_channel(*r, i)) {
            cali_link_failure();
            show_loaded_range();
            return;
        }
    }
    cali_loaded_range = value;
}

void cali_off_adjust(int i) { adjust(i, false); }
void cali_gain_adjust(int i) { adjust(i, true); }
