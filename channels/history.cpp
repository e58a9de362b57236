// The session's change history and the Edit menu's view of it.
#include "channels/history.h"

#include <string>
#include <vector>

#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

bool history_replaying = false;

namespace {

std::vector<HistoryStep> steps;
size_t done = 0;  // steps[0 .. done) are in effect; the rest were undone

std::string value_words(const HistoryStep &s, int value)
{
    if (s.kind == step_range) return value >= 0 && value < 8 ? item_words(txt::range_items[value]) : "?";
    if (s.kind == step_bridge) return text(value ? txt::halbbruecke : txt::full_bridge);
    return text(value ? txt::signal_on : txt::signal_off);
}

// "Undo: channel 3, Strain gage 4mV/V": the item's word and the change it names.
std::string item_text(const TextPair &item, const HistoryStep *s)
{
    if (!s) return text(item);
    const std::string change = value_words(*s, s->after);
    if (s->kind == step_signal) return format_text(txt::step_signal, text(item), change.c_str());
    return format_text(txt::step_channel, text(item), s->ch + 1, change.c_str());
}

void show_item(int item, const TextPair &words, const HistoryStep *s)
{
    if (menubar_handle <= 0) return;
    SetMenuBarAttribute(menubar_handle, item, ATTR_MENU_NAME, item_text(words, s).c_str());
    SetMenuBarAttribute(menubar_handle, item, ATTR_DIMMED, s ? 0 : 1);
}

}  // namespace

void history_add(const HistoryStep &step)
{
    if (history_replaying || step.before == step.after) return;
    steps.resize(done);
    steps.push_back(step);
    done = steps.size();
    show_history_menu();
}

const HistoryStep *undo_step(void) { return done > 0 ? &steps[done - 1] : nullptr; }
const HistoryStep *redo_step(void) { return done < steps.size() ? &steps[done] : nullptr; }

void history_undone(void)
{
    if (done > 0) done--;
    show_history_menu();
}

void history_redone(void)
{
    if (done < steps.size()) done++;
    show_history_menu();
}

void clear_history(void)
{
    steps.clear();
    done = 0;
    show_history_menu();
}

void show_history_menu(void)
{
    show_item(MENU_undo, txt::undo_item, undo_step());
    show_item(MENU_redo, txt::redo_item, redo_step());
}

void history_observer(const ImageChange &change)
{
    if (change.kind == image_loaded || change.kind == image_cleared) clear_history();
}

void reset_history_state(void)
{
    steps.clear();
    done = 0;
    history_replaying = false;
}
