// The file menu commands New, Open, Save and Save as, and the current document name.
// Every document opened or saved joins the recent documents (recent.cpp).
#include "documents/file_menu.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "channels/acknowledged.h"
#include "documents/backups.h"
#include "channels/config_text.h"
#include "channels/history.h"
#include "channels/image.h"
#include "platform/files.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/window.h"

// The document name a new document gets.
#define UNNAMED_DOCUMENT "unnamed.cfg"
// The extension of configuration documents, the one Open lists.
#define DOCUMENT_EXTENSION ".cfg"

char File_Name[MAX_PATHNAME_LEN] = UNNAMED_DOCUMENT;
void (*session_saver)(void) = nullptr;

namespace {

void set_name(const char *name) { std::snprintf(File_Name, sizeof File_Name, "%s", name); }

// A restored backup becomes the current document, shown in the title.
void take_backup_name(const char *name)
{
    set_name(name);
    show_title(File_Name);
}

// A file dialog that fails leaves the program in no state to go on: it ends with
// status 1, but first keeps what the operator had, as quitting does: the exit backup
// and the settings.
void dialog_failed(void)
{
    MessagePopup("", text(txt::file_error));
    if (session_saver) session_saver();
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

// Where the extension of the last part of a path begins (its dot), or npos for none; a
// name that begins with its only dot has none.
size_t extension_at(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    const size_t start = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = path.rfind('.');
    return dot != std::string::npos && dot > start && dot + 1 < path.size() ? dot : std::string::npos;
}

// The name Save as offers: the current one as a configuration document. After a failed
// exchange the current document is "temp.ctc", whose type Open does not list.
std::string offered_name(void)
{
    std::string name = File_Name;
    const size_t dot = extension_at(name);
    if (dot != std::string::npos) name.resize(dot);
    return name + DOCUMENT_EXTENSION;
}

// A chosen name without an extension becomes a configuration document's name; false
// when that is longer than the system takes.
bool with_document_extension(char *path)
{
    if (extension_at(path) != std::string::npos) return true;
    if (std::strlen(path) + std::strlen(DOCUMENT_EXTENSION) >= MAX_PATHNAME_LEN) {
        MessagePopup(text(txt::zek_title), text(txt::path_too_long));
        return false;
    }
    std::strcat(path, DOCUMENT_EXTENSION);
    return true;
}

}  // namespace

void speichern(void)
{
    long size = 0;
    int exists = GetFileInfo(File_Name, &size);
    if (exists == 0) {
        speichern_unter();
        return;
    }
    if (exists > 0) datei_schreiben(File_Name);
    if (report_status() == 0 && exists > 0) remember_document(File_Name);
}

// A failed write is reported and keeps the current name: the document has not been
// stored under the chosen one. The dialog offers the ".cfg" type, and a name typed
// without an extension gets it, so that Open lists what Save as wrote.
void speichern_unter(void)
{
    char path[MAX_PATHNAME_LEN] = "";
    int result = FileSelectPopup("", offered_name().c_str(), "*" DOCUMENT_EXTENSION,
                                 text(txt::save_as_title), VAL_SAVE_BUTTON, 0, 0, 1, 1, path);
    if (!path_chosen(result) || !with_document_extension(path)) return;
    datei_schreiben(path);
    if (report_status() != 0) return;
    set_name(path);
    remember_document(path);
}

// Open changes the image, the window, the name and the title only for a file that
// was read whole and begins with a configuration text.
void opens(int, int, void *, int)
{
    char path[MAX_PATHNAME_LEN] = "";
    int result = FileSelectPopup("", "*.cfg", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 1, path);
    if (path_chosen(result)) open_document(path);
}

bool open_document(const char *path)
{
    if (datei_lesen(path, VAL_READ_ONLY) != 0) return false;
    if (!ist_konfigurationstext()) {
        refuse(path);
        return false;
    }
    einlesen_ini();
    clear_history();
    set_name(path);
    show_title(File_Name);
    remember_document(path);
    return true;
}

// The title follows at the main window's next focus event.
void new_(int, int, void *, int)
{
    if (ConfirmPopup(text(txt::zek_title), text(txt::changes_saved)) == 1) speichern();
    ini_panel_1();
    clear_history();
    set_name(UNNAMED_DOCUMENT);
}

void reset_documents_state(void)
{
    set_name(UNNAMED_DOCUMENT);
    std::snprintf(File_Letzte, sizeof File_Letzte, "%s", "last.cfg");
}

void save(int, int, void *, int) { speichern(); }

void save_as(int, int, void *, int) { speichern_unter(); }

void register_document_callbacks(void)
{
    backup_restored = take_backup_name;
    RegisterMenuCallback("new", new_);
    RegisterMenuCallback("opens", opens);
    RegisterMenuCallback("save", save);
    RegisterMenuCallback("save_as", save_as);
    RegisterMenuCallback("open_recent", open_recent);
}
