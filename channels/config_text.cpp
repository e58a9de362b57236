// Configuration text and its file steps.
#include "channels/config_text.h"

#include <cstring>

#include "channels/hex.h"
#include "channels/image.h"
#include "platform/files.h"
#include "platform/userint.h"

char eingangsbuffer[1540] = {};
char textbuffer[1540] = {};

void format_i_s(void)
{
    char work[sizeof textbuffer] = {};
    for (int k = 0; k < TEXT_ENTRIES; k++) hex_pair(aktuelle_daten[k], work + 2 * k, HEX_LOWER);
    std::memcpy(textbuffer, work, sizeof textbuffer);
}

// Each pair is read on its own at its fixed offset; a pair that is not two hex digits
// leaves its entry as it was, so a short or empty text changes only what it holds.
void einlesen_ini(void)
{
    int values[TEXT_ENTRIES];
    for (int k = 0; k < TEXT_ENTRIES; k++) values[k] = hex_pair_value(eingangsbuffer + 2 * k);
    set_image_entries(0, values, TEXT_ENTRIES);
    ini_panel_1();
}

bool ist_konfigurationstext(void)
{
    for (int i = 0; i < TEXT_LENGTH; i++)
        if (hex_digit(eingangsbuffer[i]) < 0) return false;
    return true;
}

// Opened write-only with truncation, the file service replaces the file whole at the
// close, so a failed write leaves the old content.
void datei_schreiben(const char *name)
{
    format_i_s();
    text_schreiben(name);
}

void text_schreiben(const char *name)
{
    int handle = CVI_OpenFile(name, VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    CVI_WriteFile(handle, textbuffer, static_cast<int>(std::strlen(textbuffer)));
    CVI_CloseFile(handle);
}

// A failed step does not stop the following ones; a failed open gives a handle that
// every later step refuses with the open's status.
int datei_lesen(const char *name, int mode)
{
    int handle = CVI_OpenFile(name, mode, VAL_OPEN_AS_IS, VAL_BINARY);
    int failed = report_status();
    long size = SetFilePtr(handle, 0, SEEK_FROM_END);
    failed |= report_status();
    SetFilePtr(handle, 0, SEEK_FROM_START);
    std::memset(eingangsbuffer, 0, TEXT_LENGTH);
    long fits = static_cast<long>(sizeof eingangsbuffer);
    long count = size < 0 ? 0 : size > fits ? fits : size;
    CVI_ReadFile(handle, eingangsbuffer, static_cast<int>(count));
    failed |= report_status();
    CVI_CloseFile(handle);
    return failed;
}

void file_fehler(void)
{
    int status = GetFmtIOError();
    if (status != 0) MessagePopup("", GetFmtIOErrorString(status));
}

int report_status(void)
{
    int failed = GetFmtIOError() != 0;
    file_fehler();
    return failed;
}
