// Configuration text (image entries 0 to 399 as 800 hex digits) and the file menu
// commands New, Open, Save and Save as.
#include "documents/files.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app/globals.h"
#include "app/shell.h"
#include "channels/image.h"
#include "documents/backups.h"
#include "platform/files.h"
#include "platform/userint.h"
#include "ui/texts.h"

namespace {

constexpr int TEXT_ENTRIES = 400;               // image entries carried by a file
constexpr int TEXT_LENGTH = 2 * TEXT_ENTRIES;   // characters of a configuration text
const char unnamed[] = "unnamed.cfg";

// Writes the low byte of value as two lower-case hex digits.
void hex_pair(int value, char *out)
{
    static const char digits[] = "0123456789abcdef";
    out[0] = digits[(value >> 4) & 0xF];
    out[1] = digits[value & 0xF];
}

// Value of one hex digit of either case, -1 for any other character.
int hex_digit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Value of the two hex digits at in, -1 if either is not a hex digit.
int hex_pair_value(const char *in)
{
    int high = hex_digit(in[0]);
    int low = hex_digit(in[1]);
    return high < 0 || low < 0 ? -1 : high * 16 + low;
}

// True when the input buffer starts with a whole configuration text.
bool ist_konfigurationstext(void)
{
    for (int i = 0; i < TEXT_LENGTH; i++)
        if (hex_digit(eingangsbuffer[i]) < 0) return false;
    return true;
}

void set_name(const char *name) { std::snprintf(File_Name, sizeof File_Name, "%s", name); }

void set_title(void)
{
    std::snprintf(kopfzeile, sizeof kopfzeile, "%s", File_Name);
    SetPanelAttribute(panel_handle, ATTR_TITLE, kopfzeile);
}

// A file dialog that fails leaves the program in no state to go on: it ends with
// status 1, but first keeps what the operator had, as quitting does: the exit backup
// and the settings.
void dialog_failed(void)
{
    MessagePopup("", text(txt::file_error));
    backup();
    write_config();
    std::exit(1);
}

// The outcome of a file dialog: true when a path was chosen. A path longer than the
// system takes is refused with a message and changes nothing, like a cancel.
bool path_chosen(int result)
{
    if (result == UIE_PATH_TOO_LONG) {
        MessagePopup(text(txt::zek_title), text(txt::path_too_long));
        return false;
    }
    if (result < 0) dialog_failed();
    return result > 0;
}

// Open refuses a file that does not begin with a configuration text, naming it.
void refuse(const char *path)
{
    std::string message = std::string(path) + "\n" + text(txt::not_config_file);
    MessagePopup(text(txt::zek_title), message.c_str());
}

// The I/O status of the last file operation: reported when it is not zero; 1 then.
int report_status(void)
{
    int failed = GetFmtIOError() != 0;
    file_fehler();
    return failed;
}

}  // namespace

void format_i_s(void)
{
    char work[sizeof textbuffer] = {};
    for (int k = 0; k < TEXT_ENTRIES; k++) hex_pair(aktuelle_daten[k], work + 2 * k);
    std::memcpy(textbuffer, work, sizeof textbuffer);
}

// Each pair is read on its own at its fixed offset; a pair that is not two hex digits
// leaves its entry as it was, so a short or empty text changes only what it holds.
void einlesen_ini(void)
{
    for (int k = 0; k < TEXT_ENTRIES; k++) {
        int value = hex_pair_value(eingangsbuffer + 2 * k);
        if (value >= 0) aktuelle_daten[k] = value;
    }
    ini_panel_1();
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

void speichern(void)
{
    long size = 0;
    int exists = GetFileInfo(File_Name, &size);
    if (exists == 0) {
        speichern_unter();
        return;
    }
    if (exists > 0) datei_schreiben(File_Name);
    file_fehler();
}

// A failed write is reported and keeps the current name: the document has not been
// stored under the chosen one.
void speichern_unter(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    int result = FileSelectPopup("", File_Name, "", text(txt::save_as_title), VAL_SAVE_BUTTON,
                                 0, 0, 1, 1, path);
    if (!path_chosen(result)) return;
    datei_schreiben(path);
    if (report_status() == 0) set_name(path);
}

// Open changes the image, the window, the name and the title only for a file that
// was read whole and begins with a configuration text.
void opens(int, int, void *, int)
{
    char path[MAX_PATHNAME_LEN] = "";
    int result = FileSelectPopup("", "*.cfg", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 1, path);
    if (!path_chosen(result)) return;
    if (datei_lesen(path, VAL_READ_ONLY) != 0) return;
    if (!ist_konfigurationstext()) {
        refuse(path);
        return;
    }
    einlesen_ini();
    set_name(path);
    set_title();
}

// The title follows at the main window's next focus event.
void new_(int, int, void *, int)
{
    if (ConfirmPopup(text(txt::zek_title), text(txt::changes_saved)) == 1) speichern();
    ini_panel_1();
    set_name(unnamed);
}

void save(int, int, void *, int) { speichern(); }

void save_as(int, int, void *, int) { speichern_unter(); }
