// platform/ui/ owns the ui model and what acts on it: the resource reader, the ui
// services of userint.h, the operator actions and event loop of frontend.h, the control
// kinds' table and the layout every front end applies, progress, reports, log windows
// and the run-time language. It sees files/ below it, never serial/ or a front end.
//
// The ui model: every panel, control and menu bar that is loaded, with all values and
// attributes. The system's code changes it through userint.h; front ends read it and
// turn operator actions into changes plus callback events (see operator.h).
#pragma once

#include <string>
#include <vector>

#include "platform/userint.h"

namespace platform {

// A list box holds items as a ring does, all shown at once; it may have no current item
// (index -1).
enum class CtrlKind { Ring, Checkbox, CommandButton, ToggleButton, Numeric, TextMessage, Picture, ListBox };

// A text in the two languages of the run-time (RUNTIME_GERMAN, RUNTIME_ENGLISH).
struct LanguagePair {
    std::string de, en;
};

struct ListItem {
    std::string label;
    int value = 0;
};

struct Control {
    int id = 0;
    std::string constant;
    CtrlKind kind = CtrlKind::TextMessage;
    std::string callbackName;
    CtrlCallbackPtr callback = nullptr;
    std::string label;   // label text (rings, numerics, buttons, checkboxes)
    std::string text;    // text messages
    std::string image;   // picture: name of its image file beside the resource
    int top = 0, left = 0, width = 0, height = 0;
    bool visible = true;
    bool dimmed = false;
    int value = 0;       // ring or list box index, checkbox/toggle state, numeric value
    std::vector<ListItem> items;  // ring, list box
    int minValue = 0, maxValue = 0;  // numeric
    int buttonColor = 0xC0C0C0;      // command button
    int onColor = 0xC0C0C0, offColor = 0xC0C0C0;  // toggle button
    std::string onText = "ON", offText = "OFF";   // toggle button
    // What assistive technology says of the control: its name and what acting on it
    // does, per language (empty: see AccessibleName).
    LanguagePair accessName, accessDescription;
};

struct Panel {
    int handle = 0;
    int resourceId = 0;
    std::string constant;
    std::string callbackName;
    PanelCallbackPtr callback = nullptr;
    std::string title;
    int top = VAL_AUTO_CENTER, left = VAL_AUTO_CENTER;
    int height = 0, width = 0;
    int backColor = 0xC0C0C0;
    int scrollBars = VAL_NO_SCROLL_BARS;
    bool displayed = false;
    bool popup = false;  // installed as a modal popup
    int menuBar = 0;
    // Keys of a dialog: Return presses the default button; Escape presses the cancel
    // button, or, without one, closes the panel as its close box does (0: none).
    int defaultButton = 0, cancelButton = 0;
    // The run-time language when the panel was first shown, in which its accessible
    // names are given, as its own texts were (-1: not shown yet).
    int language = -1;
    std::vector<Control> controls;
};

enum class MenuKind { Menu, Item, Separator, Submenu };

struct MenuEntry {
    int id = 0;
    std::string constant;
    MenuKind kind = MenuKind::Item;
    std::string label;
    std::string callbackName;
    MenuCallbackPtr callback = nullptr;
    int parent = 0;      // the menu or submenu this entry belongs to (0: the bar itself)
    int submenu = 0;     // for an item opening a submenu: that submenu's id
    std::string shortcut;  // key combination choosing the item ("Ctrl+S", "F1"), or empty
    bool checked = false;
    bool dimmed = false;
    bool visible = true;  // a hidden entry is not shown and cannot be chosen
};

struct MenuBar {
    int handle = 0;
    int resourceId = 0;
    int panel = 0;  // panel it is installed on, 0 if none
    std::vector<MenuEntry> entries;
};

// Model access for front ends and tests. Pointers stay valid until the panel or
// menu bar is discarded.
Panel *FindPanel(int handle);
Control *FindControl(int panel, int control);
MenuBar *FindMenuBar(int handle);
MenuEntry *FindMenuEntry(int menuBar, int item);
// Handles of the loaded panels, in load order.
std::vector<int> PanelHandles();
// Handle of the loaded panel with this resource number, 0 if none (the newest one).
int PanelByResource(int resourceId);
// The topmost modal popup panel, 0 if none.
int ActivePopup();

// What assistive technology is told of a control, in the panel's language: the name
// the resource gives it, else its label, else its text (text messages); and the
// resource's description (may be empty). Every front end hands these on.
std::string AccessibleName(const Panel &panel, const Control &control);
std::string AccessibleDescription(const Panel &panel, const Control &control);

// Dialog keys as the operator gives them (see Panel): false when the key does nothing
// there or the action is refused (operator.h rules).
bool OperatorReturnKey(int panel);
bool OperatorEscapeKey(int panel);

// Strips the mnemonic marks: "__Datei" -> "Datei"; sets *mnemonic to the marked
// character (0 if none).
std::string StripMnemonic(const std::string &label, char *mnemonic = nullptr);

// Forgets every panel, menu bar, popup and loop state (tests).
void ResetUserInterface();

}  // namespace platform
