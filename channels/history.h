// The change history of this session: the acknowledged changes made in the main window
// (a channel's range, its half bridge, the calibration signal), stepped back and forth by
// Undo and Redo. Whatever replaces the image as a whole clears it; whole-image loads and
// clears through the image's write path do so by themselves (history_observer), the
// other replacements (opening a document, a download, calibration) call clear_history.
#pragma once

#include "channels/image.h"

enum history_kind { step_range, step_bridge, step_signal };
// One change: a channel's range index (0..7) or half bridge (0/1), or the calibration
// signal (0/1, ch unused), before and after.
struct HistoryStep {
    history_kind kind;
    int ch;
    int before;
    int after;
};

// Notes an acknowledged change made by the operator; any step undone before is dropped.
// Ignored while a step is being replayed, and when nothing changed.
void history_add(const HistoryStep &step);
// The step Undo would take back, or Redo would make again; nullptr for none.
const HistoryStep *undo_step(void);
const HistoryStep *redo_step(void);
// After the device acknowledged the replayed step, the history moves past it.
void history_undone(void);
void history_redone(void);
// Set while Undo or Redo replays a step through the ordinary change functions.
extern bool history_replaying;
void clear_history(void);
// Sets the Edit menu's Undo and Redo items: their texts name the change, dimmed when
// there is none.
void show_history_menu(void);
// The image observer that clears the history when the image is loaded or cleared whole.
void history_observer(const ImageChange &change);
// The history's state as the process starts it: empty, nothing replaying.
void reset_history_state(void);
