// Automatic backups: the exit backup "last.cfg", written at exit and read back at
// start-up, and setting both backups aside when the memory layout changes. The
// acknowledged state itself is kept with the image.
#include "documents/backups.h"

#include <cstdio>
#include <cstring>

#include "channels/acknowledged.h"
#include "channels/config_text.h"
#include "platform/files.h"

char File_Letzte[MAX_PATHNAME_LEN] = "last.cfg";

namespace {

// `file` with "-<layout>" before its extension: "last.cfg" -> "last-8.cfg".
void layout_name(const char *file, int layout, char *name, int size)
{
    const char *dot = std::strrchr(file, '.');
    int stem = dot ? static_cast<int>(dot - file) : static_cast<int>(std::strlen(file));
    std::snprintf(name, static_cast<size_t>(size), "%.*s-%d%s", stem, file, layout, dot ? dot : "");
}

// Moves a backup that holds something to its layout name, in place of one an earlier
// change kept there; true when it did. A move that fails is reported: the next start
// would read the backup as its own layout.
bool set_aside(const char *file, int layout, char *name, int size)
{
    long bytes = 0;
    layout_name(file, layout, name, size);
    if (GetFileInfo(file, &bytes) != 1 || bytes == 0) return false;
    if (MoveReplacing(file, name) == 0) return true;
    file_fehler();
    return false;
}

}  // namespace

void backup(void)
{
    datei_schreiben(File_Letzte);
    file_fehler();
}

// The exit backup and the acknowledged state hold the image in the memory layout of
// `layout` channels. After a change to the other layout the next run would read them as
// its own layout (channel 1 would show channel 2's range), so they are kept under names
// that say their layout and the next run starts without them. Returns 1 when an exit
// backup was kept, with its new name in `kept`.
int set_aside_backups(int layout, char *kept, int size)
{
    char temp[MAX_PATHNAME_LEN];
    set_aside(File_Temp, layout, temp, sizeof temp);
    return set_aside(File_Letzte, layout, kept, size) ? 1 : 0;
}

// Start-up: a new run has acknowledged nothing yet.
void Letzte_hoch(void)
{
    forget_acknowledged_rest();
    restore_backup(File_Letzte);
}
