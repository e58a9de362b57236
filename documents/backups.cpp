// Automatic backups: the exit backup "last.cfg", read back at start-up, and the
// acknowledged-state file "temp.ctc", written after every acknowledged frame and read
// back after a failed one.
#include "documents/backups.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "app/globals.h"
#include "app/shell.h"
#include "channels/image.h"
#include "documents/files.h"
#include "platform/files.h"
#include "platform/userint.h"

namespace {

// Reads the backup `name` into the image and the window and makes it the current
// document. Opened read-write as is, so a missing backup is created empty; an empty
// or unreadable one leaves the image as it was.
void restore(const char *name)
{
    datei_lesen(name, VAL_READ_WRITE);
    einlesen_ini();
    std::snprintf(File_Name, sizeof File_Name, "%s", name);
    std::snprintf(kopfzeile, sizeof kopfzeile, "%s", File_Name);
    SetPanelAttribute(panel_handle, ATTR_TITLE, kopfzeile);
}

// True when the file `name` holds exactly `text`. Read directly, so that the I/O status
// reported after the backups stays that of their own writes.
bool file_holds(const char *name, const char *text)
{
    std::ifstream in(name, std::ios::binary);
    if (!in) return false;
    std::string held((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return held == text;
}

// The image beyond the configuration text (entries 400 to 511) as of the last
// acknowledgement of this run. The file cannot hold it, so a failed frame takes it from
// here; before the first acknowledgement it stays as it is.
constexpr int TEXT_ENTRIES = 400;
int acknowledged_rest[IMAGE_SIZE - TEXT_ENTRIES];
bool acknowledged_rest_known = false;

}  // namespace

void backup(void)
{
    datei_schreiben(File_Letzte);
    file_fehler();
}

// The acknowledged state is rewritten only when it differs from what the file holds:
// a download acknowledges over a hundred frames that leave the image as it is, and
// every rewrite waits for the disk.
void temp_backup(void)
{
    std::memcpy(acknowledged_rest, aktuelle_daten + TEXT_ENTRIES, sizeof acknowledged_rest);
    acknowledged_rest_known = true;
    format_i_s();
    if (file_holds(File_Temp, textbuffer)) return;
    text_schreiben(File_Temp);
    file_fehler();
}

// Start-up: a new run has acknowledged nothing yet.
void Letzte_hoch(void)
{
    acknowledged_rest_known = false;
    restore("last.cfg");
}

void temp_hoch(void)
{
    if (acknowledged_rest_known)
        std::memcpy(aktuelle_daten + TEXT_ENTRIES, acknowledged_rest, sizeof acknowledged_rest);
    restore("temp.ctc");
}

void register_document_callbacks(void)
{
    RegisterMenuCallback("new", new_);
    RegisterMenuCallback("opens", opens);
    RegisterMenuCallback("save", save);
    RegisterMenuCallback("save_as", save_as);
}
