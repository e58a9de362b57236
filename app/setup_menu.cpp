// Channel count and language: stored at once, effective at the next start.
#include <cstdio>

#include "channels/history.h"
#include "channels/image.h"
#include "app/shell.h"
#include "documents/backups.h"
#include "platform/language.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

// Checks the chosen item and clears its siblings, found by their position relative
// to the chosen one.
void check_item(int item, int first_sibling_offset, int count)
{
    for (int k = 0; k < count; k++) {
        int sibling = item + first_sibling_offset + k;
        SetMenuBarAttribute(menubar_handle, sibling, ATTR_CHECKED, sibling == item);
    }
}

void set_language(int item, int first_sibling_offset, int language)
{
    check_item(item, first_sibling_offset, 2);
    sprache = language;
    SetRunTimeLanguage(sprache);
    write_config();
    MessagePopup(text(txt::hinweis), text(txt::restart_notice));
}

// The restart notice; after a change of memory layout the backups of the old layout
// are set aside (4 and 8 channels share one layout), which the notice then says.
void show_restart_notice(int old_layout, int new_layout)
{
    char kept[260];
    char line[400];
    char notice[600];
    std::snprintf(notice, sizeof notice, "%s", text(txt::restart_notice));
    if (old_layout != new_layout && set_aside_backups(old_layout, kept, sizeof kept)) {
        std::snprintf(line, sizeof line, text(txt::backup_set_aside), kept);
        std::snprintf(notice, sizeof notice, "%s\r\n\r\n%s", text(txt::restart_notice), line);
    }
    MessagePopup(text(txt::hinweis), notice);
}

void set_channels(int item, int first_sibling_offset, int layout, int shown,
                  const TextPair &question)
{
    // Yes may damage a system not built for that count: Return answers No.
    if (ConfirmPopup(text(txt::warnung), text(question), VAL_DEFAULT_NO) != 1) return;
    check_item(item, first_sibling_offset, 3);
    clear_history();
    int old_layout = Kanalzahl;
    Kanalzahl = layout;
    Kanalzahl_GUI = shown;
    write_config();
    show_restart_notice(old_layout, layout);
    QuitUserInterface(0);
}

}  // namespace

void sprache_d(int, int menuItem, void *, int) { set_language(menuItem, 0, 0); }
void sprache_e(int, int menuItem, void *, int) { set_language(menuItem, -1, 1); }

void kanal_4(int, int menuItem, void *, int)
{
    set_channels(menuItem, 0, 8, 4, txt::kanal_confirm);
}

void kanal_8(int, int menuItem, void *, int)
{
    set_channels(menuItem, -1, 8, 8, txt::kanal_confirm);
}

void kanal_16(int, int menuItem, void *, int)
{
    set_channels(menuItem, -2, 16, 16, txt::kanal_16_confirm);
}
