// Automatic backups: the exit backup "last.cfg", read back at start-up, and the
// acknowledged-state file "temp.ctc", written after every acknowledged frame and read
// back after a failed one.
#include "documents/backups.h"

#include <cstdio>

#include "app/globals.h"
#include "app/shell.h"
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

}  // namespace

void backup(void)
{
    datei_schreiben(File_Letzte);
    file_fehler();
}

void temp_backup(void)
{
    datei_schreiben(File_Temp);
    file_fehler();
}

void Letzte_hoch(void) { restore("last.cfg"); }

void temp_hoch(void) { restore("temp.ctc"); }

void register_document_callbacks(void)
{
    RegisterMenuCallback("new", new_);
    RegisterMenuCallback("opens", opens);
    RegisterMenuCallback("save", save);
    RegisterMenuCallback("save_as", save_as);
}
