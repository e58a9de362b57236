// PLACEHOLDER until the documents module lands: no files are written or read.
#include "app/shell.h"
#include "documents/backups.h"
#include "platform/userint.h"

namespace {
void nothing_menu(int, int, void *, int) {}
}  // namespace

void backup(void) {}
void Letzte_hoch(void) {}
void temp_backup(void) {}
void temp_hoch(void) {}

void register_document_callbacks(void)
{
    RegisterMenuCallback("new", nothing_menu);
    RegisterMenuCallback("opens", nothing_menu);
    RegisterMenuCallback("save", nothing_menu);
    RegisterMenuCallback("save_as", nothing_menu);
}
