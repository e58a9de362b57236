// Calibration panel: password, building the panel for the channel count and language,
// the enable toggle, the range ring and closing.
#include <cstring>
#include <string>

#include "calibration/calibration.h"
#include "channels/history.h"
#include "channels/image.h"
#include "link/port.h"
#include "link/protocol.h"
#include "platform/progress.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

const char pass_confirm[] = "vqd";

const int panel_numeric_off[16] = {
    PANEL_3_NUMERIC_Cali_Off_1,  PANEL_3_NUMERIC_Cali_Off_2,  PANEL_3_NUMERIC_Cali_Off_3,
    PANEL_3_NUMERIC_Cali_Off_4,  PANEL_3_NUMERIC_Cali_Off_5,  PANEL_3_NUMERIC_Cali_Off_6,
    PANEL_3_NUMERIC_Cali_Off_7,  PANEL_3_NUMERIC_Cali_Off_8,  PANEL_3_NUMERIC_Cali_Off_9,
    PANEL_3_NUMERIC_Cali_Off_10, PANEL_3_NUMERIC_Cali_Off_11, PANEL_3_NUMERIC_Cali_Off_12,
    PANEL_3_NUMERIC_Cali_Off_13, PANEL_3_NUMERIC_Cali_Off_14, PANEL_3_NUMERIC_Cali_Off_15,
    PANEL_3_NUMERIC_Cali_Off_16};

const int panel_numeric_gain[16] = {
    PANEL_3_NUMERIC_Cali_Gain_1,  PANEL_3_NUMERIC_Cali_Gain_2,  PANEL_3_NUMERIC_Cali_Gain_3,
    PANEL_3_NUMERIC_Cali_Gain_4,  PANEL_3_NUMERIC_Cali_Gain_5,  PANEL_3_NUMERIC_Cali_Gain_6,
    PANEL_3_NUMERIC_Cali_Gain_7,  PANEL_3_NUMERIC_Cali_Gain_8,  PANEL_3_NUMERIC_Cali_Gain_9,
    PANEL_3_NUMERIC_Cali_Gain_10, PANEL_3_NUMERIC_Cali_Gain_11, PANEL_3_NUMERIC_Cali_Gain_12,
    PANEL_3_NUMERIC_Cali_Gain_13, PANEL_3_NUMERIC_Cali_Gain_14, PANEL_3_NUMERIC_Cali_Gain_15,
    PANEL_3_NUMERIC_Cali_Gain_16};

const int panel_cali_text[16] = {
    PANEL_3_TEXTMSG_K_1,  PANEL_3_TEXTMSG_K_2,  PANEL_3_TEXTMSG_K_3,  PANEL_3_TEXTMSG_K_4,
    PANEL_3_TEXTMSG_K_5,  PANEL_3_TEXTMSG_K_6,  PANEL_3_TEXTMSG_K_7,  PANEL_3_TEXTMSG_K_8,
    PANEL_3_TEXTMSG_K_9,  PANEL_3_TEXTMSG_K_10, PANEL_3_TEXTMSG_K_11, PANEL_3_TEXTMSG_K_12,
    PANEL_3_TEXTMSG_K_13, PANEL_3_TEXTMSG_K_14, PANEL_3_TEXTMSG_K_15, PANEL_3_TEXTMSG_K_16};

int cali_panel_handle = 0;

namespace {

// Panel height and OK button top for each displayed count. The rows after the last one
// shown are hidden: the OK button takes the place of the first of them, and the panel's
// lower edge would cut the others in half.
struct PanelSize {
    int channels, height, ok_top;
};
const PanelSize panel_sizes[3] = {{4, 240, 200}, {8, 340, 300}, {16, 540, 500}};

void fill_range_ring(void)
{
    DeleteListItem(cali_panel_handle, PANEL_3_RING_Cali_Sel, 0, -1);
    for (int k = 0; k < 3; k++)
        InsertListItem(cali_panel_handle, PANEL_3_RING_Cali_Sel, k, text(txt::cali_items[k]),
                       txt::cali_item_values[k]);
    SetCtrlIndex(cali_panel_handle, PANEL_3_RING_Cali_Sel, 0);
}

void label_rows(void)
{
    for (int i = 0; i < channel_rows(Kanalzahl_GUI); i++) {
        SetCtrlAttribute(cali_panel_handle, panel_numeric_off[i], ATTR_DIMMED, 1);
        SetCtrlAttribute(cali_panel_handle, panel_numeric_gain[i], ATTR_DIMMED, 1);
        std::string label = text(txt::kanal_prefix) + std::to_string(i + 1);
        SetCtrlVal(cali_panel_handle, panel_cali_text[i], label.c_str());
    }
}

// Height, hidden row, system line and OK button for the displayed channel count; any
// other count leaves the resource's layout.
void size_panel(void)
{
    for (const PanelSize &size : panel_sizes) {
        if (size.channels != Kanalzahl_GUI) continue;
        SetPanelAttribute(cali_panel_handle, ATTR_HEIGHT, size.height);
        for (int hidden = size.channels; hidden < 16; hidden++) {
            SetCtrlAttribute(cali_panel_handle, panel_cali_text[hidden], ATTR_VISIBLE, 0);
            SetCtrlAttribute(cali_panel_handle, panel_numeric_off[hidden], ATTR_VISIBLE, 0);
            SetCtrlAttribute(cali_panel_handle, panel_numeric_gain[hidden], ATTR_VISIBLE, 0);
        }
        std::string line = std::to_string(size.channels) + " " + text(txt::cali_system_suffix);
        SetCtrlVal(cali_panel_handle, PANEL_3_TEXTMSG_3, line.c_str());
        SetCtrlAttribute(cali_panel_handle, PANEL_3_COMMANDBUTTON, ATTR_TOP, size.ok_top);
    }
}

// Dims or enables the range ring and the trim controls of the device's channels.
void set_locked(int locked)
{
    SetCtrlAttribute(cali_panel_handle, PANEL_3_RING_Cali_Sel, ATTR_DIMMED, locked);
    for (int i = 0; i < channel_rows(Kanalzahl); i++) {
        SetCtrlAttribute(cali_panel_handle, panel_numeric_off[i], ATTR_DIMMED, locked);
        SetCtrlAttribute(cali_panel_handle, panel_numeric_gain[i], ATTR_DIMMED, locked);
    }
}

void close_panel(void)
{
    DiscardPanel(cali_panel_handle);
    cali_panel_handle = 0;
}

}  // namespace

// Menu item "cali": password prompt, then the calibration panel as a modal popup.
void cali(int, int, void *, int)
{
    char entry[21] = "";
    // A cancelled prompt is no wrong password: nothing is said, nothing opens.
    if (PromptPopup(text(txt::cali_prompt_title), text(txt::cali_prompt), entry, 20,
                    VAL_MASKED_ENTRY) == PROMPT_CANCELLED)
        return;
    if (std::strcmp(entry, pass_confirm) != 0) {
        MessagePopup(text(txt::fehler), text(txt::wrong_password));
        return;
    }
    int handle = LoadPanel(0, uir_file, PANEL_3);
    if (handle <= 0) return;  // resource unreadable: no panel to show
    cali_panel_handle = handle;
    cali_loaded_range = -1;
    forget_replaced();
    SetCtrlAttribute(handle, PANEL_3_RING_Cali_Sel, ATTR_DIMMED, 1);
    SetCtrlVal(handle, PANEL_3_TEXTMSG_2, text(txt::cali_gain_heading));
    SetCtrlAttribute(handle, PANEL_3_RING_Cali_Sel, ATTR_LABEL_TEXT, text(txt::cali_ring_label));
    SetCtrlAttribute(handle, PANEL_3_TOGGLEBUTTON_ACTIV, ATTR_LABEL_TEXT,
                     text(txt::cali_toggle_label));
    fill_range_ring();
    label_rows();
    size_panel();
    SetCtrlVal(handle, PANEL_3_TEXTMSG_4, text(txt::cali_heading));
    InstallPopup(handle);
}

// Close box: offer to send back what the calibration ranges replaced; without that,
// discard the panel without re-reading the device.
int cali_panel(int, int event, void *, int, int)
{
    if (event != EVENT_CLOSE) return 0;
    offer_restore();
    close_panel();
    return 0;
}

// OK: offer to send back what the calibration ranges replaced (that ends with a
// read-back); without that, re-read the device unless the last operation failed.
int cali_ok(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    if (!offer_restore() && com_fault == 0) {
        reopen_after_hangup();
        read_encoder();
    }
    close_panel();
    return 0;
}

// Enable: re-read the device, then load the ring's bank. Disable: dim, send nothing.
int cali_toggle(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int on = 0;
    GetCtrlVal(cali_panel_handle, PANEL_3_TOGGLEBUTTON_ACTIV, &on);
    if (on) {
        clear_history();  // the calibration ranges replace the configuration
        clear_com_fault();
        int value = 0;
        GetCtrlVal(cali_panel_handle, PANEL_3_RING_Cali_Sel, &value);
        const double load = calibration_load_seconds(value);
        if (read_memory_shown(nullptr, load, new_read_line) != 0) {
            ProgressEnd();
            SetStatusLine(format_text(txt::status_failed, text(txt::progress_read)).c_str());
            SetCtrlVal(cali_panel_handle, PANEL_3_TOGGLEBUTTON_ACTIV, 0);
            com_fault = 1;
            link_failure();
            return -1;
        }
        GetCtrlVal(cali_panel_handle, PANEL_3_RING_Cali_Sel, &value);
        calibration_load_after_read(value);
    }
    set_locked(on ? 0 : 1);
    return 0;
}

// Range ring: show and switch to the chosen bank from the image as it is now.
int cali_select(int, int, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    int value = 0;
    if (GetCtrlVal(cali_panel_handle, PANEL_3_RING_Cali_Sel, &value) == 0)
        calibration_load_data(value);
    return 0;
}

void register_calibration_callbacks(void)
{
    RegisterMenuCallback("cali", cali);
    RegisterPanelCallback("cali_panel", cali_panel);
    RegisterCtrlCallback("cali_ok", cali_ok);
    RegisterCtrlCallback("cali_toggle", cali_toggle);
    RegisterCtrlCallback("cali_select", cali_select);
    RegisterMenuCallback("cal_record", cal_record);
}
