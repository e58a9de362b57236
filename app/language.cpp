// Channel count and language: stored at once, effective at the next start.
#include "app/globals.h"
#include "app/shell.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"

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
    write_config();
    MessagePopup(text(txt::hinweis), text(txt::restart_notice));
}

void set_channels(int item, int first_sibling_offset, int layout, int shown,
                  const TextPair &question)
{
    if (ConfirmPopup(text(txt::warnung), text(question)) != 1) return;
    check_item(item, first_sibling_offset, 3);
    Kanalzahl = layout;
    Kanalzahl_GUI = shown;
    write_config();
    MessagePopup(text(txt::hinweis), text(txt::restart_notice));
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
