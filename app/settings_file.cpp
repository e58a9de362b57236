// Program settings file "config.ctc": four bytes, language, device channel count - 1,
// displayed channel count - 1, serial port number.
#include "app/shell.h"
#include "channels/image.h"
#include "link/port.h"
#include "platform/files.h"
#include "ui/texts.h"

namespace {

const char settings_file[] = "config.ctc";

// Only the combinations the program writes are taken: 8 device channels with 4 or 8
// shown, or 16 with 16. Any other (a damaged or hand-edited file) would index the
// channel tables out of bounds, or let rows beyond the layout's channels write into
// the calibration banks; such a file gets the 8-channel layout.
void check_counts(void)
{
    bool known = (Kanalzahl == 8 && (Kanalzahl_GUI == 4 || Kanalzahl_GUI == 8)) ||
                 (Kanalzahl == 16 && Kanalzahl_GUI == 16);
    if (!known) {
        Kanalzahl = 8;
        Kanalzahl_GUI = 8;
    }
}

}  // namespace

// Reads the settings, or creates the file with the defaults when there is none. Bytes
// that cannot be read (short or unreadable file) keep their defaults.
void read_config(void)
{
    long size = 0;
    if (GetFileInfo(settings_file, &size) == 0) {
        sprache = 0;
        Kanalzahl = 8;
        Kanalzahl_GUI = 8;
        write_config();
        return;
    }
    read_config_if_present();
}

void read_config_if_present(void)
{
    long size = 0;
    if (GetFileInfo(settings_file, &size) <= 0) {
        sprache = 0;
        Kanalzahl = 8;
        Kanalzahl_GUI = 8;
        return;
    }
    char bytes[4] = {0, 7, 7, static_cast<char>(com_port)};
    int handle = CVI_OpenFile(settings_file, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (handle >= 0) {
        CVI_ReadFile(handle, bytes, 4);
        CVI_CloseFile(handle);
    }
    sprache = static_cast<signed char>(bytes[0]);
    Kanalzahl = static_cast<signed char>(bytes[1]) + 1;
    Kanalzahl_GUI = static_cast<signed char>(bytes[2]) + 1;
    // The port number is taken unsigned, so that ports 128 to 255 survive a restart.
    com_port = static_cast<unsigned char>(bytes[3]);
    check_counts();
}

// Stores the four settings from the start of the file; nothing is reported.
void write_config(void)
{
    int values[4] = {sprache, Kanalzahl - 1, Kanalzahl_GUI - 1, com_port};
    char bytes[4];
    for (int i = 0; i < 4; i++) bytes[i] = static_cast<char>(values[i] & 0xFF);
    int handle = CVI_OpenFile(settings_file, VAL_READ_WRITE, VAL_OPEN_AS_IS, VAL_BINARY);
    CVI_WriteFile(handle, bytes, 4);
    CVI_CloseFile(handle);
}
