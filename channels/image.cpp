// Configuration image: the address map and the channel rows of the main window.
#include "channels/image.h"

#include "platform/userint.h"
#include "ui/window.h"

int aktuelle_daten[IMAGE_SIZE] = {};
int Kanalzahl = 16;
int Kanalzahl_GUI = 16;
void (*image_observer)(const ImageChange &change) = nullptr;

namespace {

bool in_image(int address) { return address >= 0 && address < IMAGE_SIZE; }

void tell(image_change_kind kind, int first, int count)
{
    if (image_observer) image_observer(ImageChange{kind, first, count});
}

// Range gain word of the strain-gauge ranges 32, 16, 8, 4, 2 and 1 mV/V, by ring position.
const int gain_words[6] = {0xFFF, 0x800, 0x400, 0x200, 0x100, 0x80};

constexpr int FIRST_TC_INDEX = 6;  // ring positions 6 and 7 are thermocouples

}  // namespace

void set_image_byte(int address, int value)
{
    if (!in_image(address)) return;
    aktuelle_daten[address] = value & 0xFF;
    tell(image_byte_set, address, 1);
}

void set_image_entries(int first, const int *values, int count)
{
    if (first < 0 || count <= 0 || first >= IMAGE_SIZE) return;
    if (count > IMAGE_SIZE - first) count = IMAGE_SIZE - first;
    for (int k = 0; k < count; k++)
        if (values[k] >= 0) aktuelle_daten[first + k] = values[k];
    tell(image_entries_set, first, count);
}

void load_image(const int values[IMAGE_SIZE])
{
    for (int k = 0; k < IMAGE_SIZE; k++) aktuelle_daten[k] = values[k];
    tell(image_loaded, 0, IMAGE_SIZE);
}

void clear_image(void)
{
    for (int &entry : aktuelle_daten) entry = 0;
    tell(image_cleared, 0, IMAGE_SIZE);
}

int channel_rows(int count) { return count < 0 ? 0 : (count > 16 ? 16 : count); }

int mode_address(int ch) { return MODE_BASE + ch; }

int block_address_k(int k, int bank, int ch)
{
    return MODE_BASE + k + BLOCK_SIZE * k * bank + BLOCK_SIZE * ch;
}

int block_address(int bank, int ch) { return block_address_k(Kanalzahl, bank, ch); }

int image_word(int address)
{
    if (address < 0 || address + 1 >= IMAGE_SIZE) return 0;
    return aktuelle_daten[address] | (aktuelle_daten[address + 1] << 8);
}

int range_index_of(int mode, int gain_word)
{
    if (mode == MODE_BYTE_TE_1) return 6;
    if (mode == MODE_BYTE_TE_2) return 7;
    for (int i = 0; i < 6; i++)
        if (gain_words[i] == gain_word) return i;
    return 0;
}

// Every one of the 16 rows is filled, also those beyond the channel count; whether
// they show is settled by the channel-count handling.
void ini_panel_1(void)
{
    for (int i = 0; i < 16; i++) {
        int w = image_word(block_address(0, i) + OFF_RANGE_GAIN);
        int b = aktuelle_daten[mode_address(i)];
        int index = range_index_of(b, w);
        int dim = index >= FIRST_TC_INDEX ? 1 : 0;
        SetCtrlVal(panel_handle, panel_checkbox[i], b == MODE_BYTE_HALF_BRIDGE ? 1 : 0);
        SetCtrlIndex(panel_handle, panel_rings[i], index);
        SetCtrlAttribute(panel_handle, panel_checkbox[i], ATTR_DIMMED, dim);
        SetCtrlAttribute(panel_handle, panel_command_button[i], ATTR_DIMMED, dim);
    }
}
