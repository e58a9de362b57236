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

// `file` with "-<layout>" before its extension: "last.cfg" -> "last-8.cfg".
void layout_name(const char *file, int layout, char *name, int size)
{
    const char *dot = std::strrchr(file, '.');
    int stem = dot ? static_cast<int>(dot - file) : static_cast<int>(std::strlen(file));
    std::snprintf(name, static_cast<size_t>(size), "%.*s-%d%s", stem, file, layout, dot ? dot : "");
}

// Renames a backup that holds something to its layout name; true when it did.
bool set_aside(const char *file, int layout, char *name, int size)
{
    long bytes = 0;
    layout_name(file, layout, name, size);
    return GetFileInfo(file, &bytes) == 1 && bytes > 0 && std::rename(file, name) == 0;
}

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

// The exit backup and the acknowledged state hold the image in the memory layout of
// `layout` channels. After a change to the other layout the next run would read them as
// its own layout (channel 1 would show channel 2's range), so they are kept under names
// that say their layout and the next run starts without them. Returns 1 when an exit
// backup was kept, with its new name in `kept`.
int set_aside_backups(int layout, char *kept, int size)
{
    char temp[260];
    set_aside(File_Temp, layout, temp, sizeof temp);
    return set_aside(File_Letzte, layout, kept, size) ? 1 : 0;
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
