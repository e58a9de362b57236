// Per-channel settings of the main window: sensor range, half bridge, auto-zero, and the
// calibration-signal toggle. Every change goes to the device at once.
#include "settings/settings.h"

#include "channels/acknowledged.h"
#include "channels/history.h"
#include "channels/image.h"
#include "link/channel_group.h"
#include "link/port.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/callbacks.h"
#include "ui/uir.h"
#include "ui/window.h"

// Range offset and range gain words by range index; the thermocouple ranges (6, 7)
// write neither.
const int o[8] = {2048, 2048, 2048, 1024, 512, 256, 0, 0};
const int v[8] = {4095, 2048, 1024, 512, 256, 128, 0, 0};

namespace {

constexpr int LAST_STRAIN_GAUGE = 5;   // range indexes 0..5 are strain gauge
constexpr int AUTOZERO_ACTIVE = MakeColor(255, 0, 0);
constexpr int AUTOZERO_IDLE = MakeColor(128, 128, 128);

// The calibration signal as the device last acknowledged it. It is not in the image, so
// no restore brings the toggle back; the toggle's callback keeps it itself.
int cal_signal_acknowledged = 0;

void dim_row(int ch, int dimmed)
{
    SetCtrlAttribute(panel_handle, panel_checkbox[ch], ATTR_DIMMED, dimmed);
    SetCtrlAttribute(panel_handle, panel_command_button[ch], ATTR_DIMMED, dimmed);
}

// Reads the row's range index and half-bridge flag, undims the row and, for a
// thermocouple range, clears and dims the half-bridge box and the auto-zero button.
// False when the ring holds no valid range (nothing is to be sent then).
bool read_row(int ch, int *i, int *h)
{
    *i = -1;
    *h = 0;
    GetCtrlIndex(panel_handle, panel_rings[ch], i);
    GetCtrlVal(panel_handle, panel_checkbox[ch], h);
    if (*i < 0 || *i > 7) return false;
    dim_row(ch, 0);
    if (*i > LAST_STRAIN_GAUGE) {
        *h = 0;
        SetCtrlVal(panel_handle, panel_checkbox[ch], 0);
        dim_row(ch, 1);
    }
    return true;
}

int mode_byte(int i, int h)
{
    if (i == 6) return MODE_BYTE_TE_1;
    if (i == 7) return MODE_BYTE_TE_2;
    return h ? MODE_BYTE_HALF_BRIDGE : MODE_BYTE_FULL_BRIDGE;
}

// Stores the range offset and gain words of range i in the channel's bank-0 block and
// sends them as one group closed by D. Each byte enters the image just before its own
// write, so that an acknowledgement stores only bytes the device has been sent and a
// failed write leaves the rest of the words as the device has them. 1 after the first
// failed write.
int send_range_words(int ch, int i)
{
    const int a = range_words_address(ch);
    const int bytes[4] = {o[i] & 0xFF, (o[i] >> 8) & 0xF, v[i] & 0xFF, (v[i] >> 8) & 0xF};
    for (int k = 0; k < 4; k++) {
        set_image_byte(a + k, bytes[k]);
        if (send_range_byte(ch, k, bytes[k]) == 1) return 1;
    }
    return 0;
}

bool valid_channel(int n) { return n >= 1 && n <= 16; }

// The range index the image holds for channel ch: what the device acknowledged last,
// unless the link fault flag is set.
int acknowledged_range(int ch)
{
    return range_index_of(aktuelle_daten[mode_address(ch)], image_word(range_words_address(ch) + 2));
}

}  // namespace

// Sensor range change of channel n (1-based): mode byte, then for a strain-gauge range
// the range offset and gain words. Stops at the first failed write. The change does not
// clear the link fault flag: with it set, the frame goes out unawaited and no failed
// wait restores the row, so the acknowledged state is brought back here.
void aktu_gain(int n)
{
    if (!valid_channel(n)) return;
    reopen_after_hangup();  // the flag stays as it is: a range change does not clear it
    const int ch = n - 1;
    const int unawaited = com_fault;
    const int before = acknowledged_range(ch);
    int i, h;
    if (!read_row(ch, &i, &h)) return;
    SetWaitCursor(1);
    const double start = platform::ClockNow();
    const std::string what = format_text(txt::progress_range, n);
    const bool words = i <= LAST_STRAIN_GAUGE;
    ProgressBegin(what.c_str(), words ? 4 * SEND_BYTE_OD_SECONDS + SEND_BYTE_SECONDS
                                      : SEND_BYTE_SECONDS, 0);
    const int m = mode_address(ch);
    const int b = mode_byte(i, h);
    set_image_byte(m, b);
    int failed = words ? send_byte_oD(m, b) : send_byte(m, b);
    if (words) ProgressUpdate(what.c_str(), 3 * SEND_BYTE_OD_SECONDS + SEND_BYTE_SECONDS);
    if (failed == 0 && words) failed = send_range_words(ch, i);
    if (failed == 1 && unawaited == 1) temp_hoch();
    ProgressEnd();
    SetStatusLine((failed == 1 ? format_text(txt::status_failed, what.c_str())
                               : format_text(txt::status_range_done, n, platform::ClockNow() - start))
                      .c_str());
    if (failed == 1) link_failure();
    else if (unawaited == 0) history_add({step_range, ch, before, i});
    SetWaitCursor(0);
}

// Half-bridge change of channel n: only the mode byte, closed by D.
void vb_hb(int n)
{
    if (!valid_channel(n)) return;
    clear_com_fault();
    const int ch = n - 1;
    int i, h;
    if (!read_row(ch, &i, &h)) return;
    SetWaitCursor(1);
    const int m = mode_address(ch);
    const int before = aktuelle_daten[m] == MODE_BYTE_HALF_BRIDGE ? 1 : 0;
    set_image_byte(m, mode_byte(i, h));
    if (send_byte(m, aktuelle_daten[m]) == 1)
        link_failure();
    else if (i <= LAST_STRAIN_GAUGE)
        history_add({step_bridge, ch, before, h != 0 ? 1 : 0});
    SetWaitCursor(0);
}

// Auto-zero of channel n. The button shows red for the whole exchange, including the
// settle time before the reply is read, and grey again afterwards.
int auto_z(int n)
{
    if (!valid_channel(n)) return 0;
    clear_com_fault();
    const int ch = n - 1;
    const int button = panel_command_button[ch];
    int i = -1;
    GetCtrlIndex(panel_handle, panel_rings[ch], &i);
    if (i > LAST_STRAIN_GAUGE) {
        SetCtrlAttribute(panel_handle, button, ATTR_DIMMED, 1);
    } else {
        SetCtrlAttribute(panel_handle, button, ATTR_CMD_BUTTON_COLOR, AUTOZERO_ACTIVE);
        ProcessDrawEvents();
        SetWaitCursor(1);
        SetCtrlAttribute(panel_handle, button, ATTR_DIMMED, 0);
        send_autozero(ch);
        SetWaitCursor(0);
    }
    SetCtrlAttribute(panel_handle, button, ATTR_CMD_BUTTON_COLOR, AUTOZERO_IDLE);
    return 0;
}

void reset_settings_state(void) { cal_signal_acknowledged = 0; }

// Calibration signal on or off, following the toggle. When the command fails (refused,
// unanswered, or sent unawaited after an earlier failure), the toggle goes back to the
// state the device last acknowledged.
int cal_on_off(int, int, int event, void *, int, int)
{
    if (event != EVENT_VAL_CHANGED) return 0;
    reopen_after_hangup();
    int on = 0;
    GetCtrlVal(panel_handle, PANEL_TOGGLEBUTTON, &on);
    if (on == 0)
        cal_off();
    else
        cal_on();
    if (com_fault == 0) {
        history_add({step_signal, 0, cal_signal_acknowledged, on != 0 ? 1 : 0});
        cal_signal_acknowledged = on != 0;
    } else
        SetCtrlVal(panel_handle, PANEL_TOGGLEBUTTON, cal_signal_acknowledged);
    return 0;
}

// The main window's per-channel callbacks by resource name.
const NamedCallback channel_callbacks[] = {
    {"gain_1", on_commit<aktu_gain, 1>}, {"gain_2", on_commit<aktu_gain, 2>},
    {"gain_3", on_commit<aktu_gain, 3>}, {"gain_4", on_commit<aktu_gain, 4>},
    {"gain_5", on_commit<aktu_gain, 5>}, {"gain_6", on_commit<aktu_gain, 6>},
    {"gain_7", on_commit<aktu_gain, 7>}, {"gain_8", on_commit<aktu_gain, 8>},
    {"gain_9", on_commit<aktu_gain, 9>}, {"gain_10", on_commit<aktu_gain, 10>},
    {"gain_11", on_commit<aktu_gain, 11>}, {"gain_12", on_commit<aktu_gain, 12>},
    {"gain_13", on_commit<aktu_gain, 13>}, {"gain_14", on_commit<aktu_gain, 14>},
    {"gain_15", on_commit<aktu_gain, 15>}, {"gain_16", on_commit<aktu_gain, 16>},
    {"hb_1", on_commit<vb_hb, 1>}, {"hb_2", on_commit<vb_hb, 2>},
    {"hb_3", on_commit<vb_hb, 3>}, {"hb_4", on_commit<vb_hb, 4>},
    {"hb_5", on_commit<vb_hb, 5>}, {"hb_6", on_commit<vb_hb, 6>},
    {"hb_7", on_commit<vb_hb, 7>}, {"hb_8", on_commit<vb_hb, 8>},
    {"hb_9", on_commit<vb_hb, 9>}, {"hb_10", on_commit<vb_hb, 10>},
    {"hb_11", on_commit<vb_hb, 11>}, {"hb_12", on_commit<vb_hb, 12>},
    {"hb_13", on_commit<vb_hb, 13>}, {"hb_14", on_commit<vb_hb, 14>},
    {"hb_15", on_commit<vb_hb, 15>}, {"hb_16", on_commit<vb_hb, 16>},
    {"az_1", on_commit<auto_z, 1>}, {"az_2", on_commit<auto_z, 2>},
    {"az_3", on_commit<auto_z, 3>}, {"az_4", on_commit<auto_z, 4>},
    {"az_5", on_commit<auto_z, 5>}, {"az_6", on_commit<auto_z, 6>},
    {"az_7", on_commit<auto_z, 7>}, {"az_8", on_commit<auto_z, 8>},
    {"az_9", on_commit<auto_z, 9>}, {"az_10", on_commit<auto_z, 10>},
    {"az_11", on_commit<auto_z, 11>}, {"az_12", on_commit<auto_z, 12>},
    {"az_13", on_commit<auto_z, 13>}, {"az_14", on_commit<auto_z, 14>},
    {"az_15", on_commit<auto_z, 15>}, {"az_16", on_commit<auto_z, 16>},
};

void register_channel_callbacks(void)
{
    register_named(channel_callbacks);
    RegisterCtrlCallback("cal_on_off", cal_on_off);
    RegisterMenuCallback("undo", undo);
    RegisterMenuCallback("redo", redo);
}
