// The acknowledged-state store and the restore of a backup into the image and window.
#include "channels/acknowledged.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#include "channels/config_text.h"
#include "channels/image.h"

char File_Temp[MAX_PATHNAME_LEN] = "temp.ctc";
void (*backup_restored)(const char *name) = nullptr;

namespace {

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
int acknowledged_rest[IMAGE_SIZE - TEXT_ENTRIES];
bool acknowledged_rest_known = false;

// A program that may change no file but those it is told keeps the text in memory.
bool kept_in_memory = false;
std::string acknowledged_text;

// The text kept in memory into the image and the window; nothing before the first
// acknowledgement.
void restore_from_memory(void)
{
    if (acknowledged_text.empty()) return;
    std::memcpy(eingangsbuffer, acknowledged_text.data(), acknowledged_text.size());
    einlesen_ini();
}

}  // namespace

void restore_backup(const char *name)
{
    datei_lesen(name, VAL_READ_WRITE);
    einlesen_ini();
    if (backup_restored) backup_restored(name);
}

// The acknowledged state is rewritten only when it differs from what the file holds:
// a download acknowledges over a hundred frames that leave the image as it is, and
// every rewrite waits for the disk.
void temp_backup(void)
{
    std::memcpy(acknowledged_rest, aktuelle_daten + TEXT_ENTRIES, sizeof acknowledged_rest);
    acknowledged_rest_known = true;
    format_i_s();
    if (kept_in_memory) {
        acknowledged_text.assign(textbuffer, TEXT_LENGTH);
        return;
    }
    if (file_holds(File_Temp, textbuffer)) return;
    text_schreiben(File_Temp);
    file_fehler();
}

void forget_acknowledged_rest(void) { acknowledged_rest_known = false; }

void temp_hoch(void)
{
    if (acknowledged_rest_known)
        set_image_entries(TEXT_ENTRIES, acknowledged_rest, IMAGE_SIZE - TEXT_ENTRIES);
    if (kept_in_memory)
        restore_from_memory();
    else
        restore_backup(File_Temp);
}

void reset_channels_state(void)
{
    clear_image();
    Kanalzahl = 16;
    Kanalzahl_GUI = 16;
    std::memset(eingangsbuffer, 0, sizeof eingangsbuffer);
    std::memset(textbuffer, 0, sizeof textbuffer);
    std::snprintf(File_Temp, sizeof File_Temp, "%s", "temp.ctc");
    acknowledged_rest_known = false;
    kept_in_memory = false;
    acknowledged_text.clear();
}

void keep_acknowledged_in_memory(void)
{
    kept_in_memory = true;
    acknowledged_text.clear();
}
