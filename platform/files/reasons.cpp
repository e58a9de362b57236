// errno values as texts in the run-time language. The C library speaks English only
// (the program runs in the C locale), so the reasons a file operation meets in practice
// have their German wording here; others keep the library's text.
#include "platform/files/reasons.h"

#include <cerrno>
#include <cstring>

#include "platform/files/os.h"
#include "platform/language.h"

namespace platform {
namespace {

struct Reason {
    int err;
    const char *german;
};

const Reason german[] = {
    {ENOENT, "Datei oder Verzeichnis nicht gefunden"},
    {EACCES, "Zugriff verweigert"},
    {EPERM, "Vorgang nicht erlaubt"},
    {EROFS, "Schreibgeschütztes Dateisystem"},
    {ENOSPC, "Kein Platz mehr auf dem Datenträger"},
    {EISDIR, "Ist ein Verzeichnis"},
    {ENOTDIR, "Ist kein Verzeichnis"},
    {ENAMETOOLONG, "Dateiname zu lang"},
    {EIO, "Ein-/Ausgabefehler"},
    {EBUSY, "Gerät oder Ressource belegt"},
    {ETXTBSY, "Datei wird gerade ausgeführt"},
    {EMFILE, "Zu viele offene Dateien"},
    {ELOOP, "Zu viele Ebenen symbolischer Verknüpfungen"},
    {EINVAL, "Ungültiges Argument"},
    {EBADF, "Ungültiger Dateideskriptor"},
};

}  // namespace

std::string SystemReason(int err)
{
    if (GetRunTimeLanguage() == RUNTIME_GERMAN) {
        for (const Reason &r : german)
            if (r.err == err) return r.german;
        if (const char *own = os::GermanReason(err)) return own;
    }
    return std::strerror(err);
}

}  // namespace platform
