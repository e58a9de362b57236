// Configuration image address map and its display in the main window.
//
// The image (aktuelle_daten) mirrors the device's 512-byte memory. The
// per-channel data lie where Kanalzahl (8 or 16) puts them:
//   16 + ch                     channel mode byte
//   16 + K + 8K*bank + 8ch      8-byte channel block of calibration bank 0, 1 or 2
// Every module finds these addresses through the functions below, and every change to
// the image passes the few functions of its write path here.
#pragma once

constexpr int IMAGE_SIZE = 512;

// Configuration image: one int per byte of the device's 512-byte memory. Read freely;
// written only through the write path below.
extern int aktuelle_daten[IMAGE_SIZE];
// Device channel count (memory layout): 8 or 16.
extern int Kanalzahl;
// Displayed channel count: 4, 8 or 16.
extern int Kanalzahl_GUI;

// A channel count kept within the 16 rows of the control tables.
int channel_rows(int count);
constexpr int MODE_BASE = 16;     // mode byte of channel 0
constexpr int BLOCK_SIZE = 8;     // bytes per channel block
constexpr int BANK_COUNT = 3;     // 0 strain gauge, 1 thermocouple type 1, 2 type 2

// Word offsets inside a channel block; each word is low byte first.
constexpr int OFF_CAL_OFFSET = 0;    // calibration offset word, 16 bits
constexpr int OFF_RANGE_OFFSET = 2;  // range offset word, 12 bits (bank 0 only)
constexpr int OFF_RANGE_GAIN = 4;    // range gain word, 12 bits (bank 0 only)
constexpr int OFF_CAL_GAIN = 6;      // calibration gain word, 16 bits

// Channel mode byte values.
constexpr int MODE_BYTE_FULL_BRIDGE = 0x30;
constexpr int MODE_BYTE_HALF_BRIDGE = 0xB0;
constexpr int MODE_BYTE_TE_1 = 0xC9;
constexpr int MODE_BYTE_TE_2 = 0xCA;

// Address of the mode byte of zero-based channel ch.
int mode_address(int ch);
// First address of channel ch's block in calibration bank 0..2, for the layout of
// Kanalzahl channels.
int block_address(int bank, int ch);
// The same for an explicit layout of k (8 or 16) channels.
int block_address_k(int k, int bank, int ch);
// The word image[address] | image[address + 1] << 8; 0 when the pair lies outside.
int image_word(int address);

// Ring position shown for a mode byte and range gain word: 6 and 7 for the
// thermocouple modes, else the strain-gauge range of the gain word (0 if unknown).
int range_index_of(int mode, int gain_word);

// The image's write path. Each change is told to the image observer, if one is set, after
// it has been made; the window is refreshed by whoever changed the image, as before.
enum image_change_kind {
    image_byte_set,     // one byte (a mode byte, one byte of a word: each goes out alone)
    image_entries_set,  // a run of entries (a configuration text, the part beyond it)
    image_loaded,       // the whole image (a whole-memory read)
    image_cleared,      // every entry back to 0 (a new run)
};
struct ImageChange {
    image_change_kind kind;
    int first;  // first address changed
    int count;  // addresses changed from first on
};
// Stores value's low 8 bits at address; addresses outside the image are ignored.
void set_image_byte(int address, int value);
// Stores count values from first on; a value below 0 leaves its entry as it was (a pair
// of a text that is not hex). Entries beyond the image are ignored.
void set_image_entries(int first, const int *values, int count);
// Replaces the whole image by the device's memory.
void load_image(const int values[IMAGE_SIZE]);
// Every entry back to 0.
void clear_image(void);
// The one observer of image changes (later a change history); nullptr for none.
extern void (*image_observer)(const ImageChange &change);

// The channels folder's state as the process starts it: an all-zero image for 16
// channels, empty text buffers, nothing acknowledged, the acknowledged state kept in
// File_Temp. The image observer, a hook set at start-up, stays.
void reset_channels_state(void);

// Shows the configuration image in the main window's channel rows.
void ini_panel_1(void);
