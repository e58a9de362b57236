// The ui model and the user-interface services that change it.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <optional>

#include "platform/ui/control_kinds.h"
#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/language.h"
#include "platform/state.h"
#include "platform/ui/model.h"
#include "platform/ui/resource.h"

namespace platform {
namespace {

std::map<int, std::unique_ptr<Panel>> panels;
std::map<int, std::unique_ptr<MenuBar>> menuBars;
std::vector<int> popupStack;
int nextPanelHandle = 1;
int nextMenuBarHandle = 1;

void Changed(int panel, int control) { CurrentFrontEnd().PanelChanged(panel, control); }

Control *Ctrl(int panel, int control, int *error)
{
    if (!FindPanel(panel)) {
        *error = UIE_BAD_HANDLE;
        return nullptr;
    }
    Control *c = FindControl(panel, control);
    *error = c ? 0 : UIE_BAD_CONTROL;
    return c;
}

bool HasItems(const Control &c) { return RulesOf(c.kind).value == ValueForm::ItemIndex; }
bool MayHaveNoItem(const Control &c) { return RulesOf(c.kind).noCurrentItem; }

// The control of an attribute call, when its kind takes the attribute.
Control *CtrlWith(int panel, int control, int attribute, int *error)
{
    Control *c = Ctrl(panel, control, error);
    if (c && !TakesAttribute(*c, attribute)) {
        *error = UIE_BAD_ATTRIBUTE;
        return nullptr;
    }
    return c;
}

}  // namespace

Panel *FindPanel(int handle)
{
    auto it = panels.find(handle);
    return it == panels.end() ? nullptr : it->second.get();
}

Control *FindControl(int panel, int control)
{
    Panel *p = FindPanel(panel);
    if (!p) return nullptr;
    for (Control &c : p->controls)
        if (c.id == control) return &c;
    return nullptr;
}

MenuBar *FindMenuBar(int handle)
{
    auto it = menuBars.find(handle);
    return it == menuBars.end() ? nullptr : it->second.get();
}

MenuEntry *FindMenuEntry(int menuBar, int item)
{
    MenuBar *bar = FindMenuBar(menuBar);
    if (!bar) return nullptr;
    for (MenuEntry &e : bar->entries)
        if (e.id == item) return &e;
    return nullptr;
}

std::vector<int> PanelHandles()
{
    std::vector<int> handles;
    for (const auto &entry : panels) handles.push_back(entry.first);
    return handles;
}

int PanelByResource(int resourceId)
{
    int found = 0;
    for (const auto &entry : panels)
        if (entry.second->resourceId == resourceId) found = entry.first;
    return found;
}

int ActivePopup() { return popupStack.empty() ? 0 : popupStack.back(); }

std::string StripMnemonic(const std::string &label, char *mnemonic)
{
    std::string out;
    if (mnemonic) *mnemonic = 0;
    for (size_t i = 0; i < label.size(); ++i) {
        if (label.compare(i, 2, "__") == 0 && i + 2 < label.size()) {
            if (mnemonic && !*mnemonic) *mnemonic = label[i + 2];
            ++i;
            continue;
        }
        out += label[i];
    }
    return out;
}

namespace {

const std::string &InLanguage(const Panel &panel, const LanguagePair &pair)
{
    int language = panel.language >= 0 ? panel.language : GetRunTimeLanguage();
    return language == RUNTIME_GERMAN ? pair.de : pair.en;
}

}  // namespace

std::string AccessibleName(const Panel &panel, const Control &control)
{
    const std::string &given = InLanguage(panel, control.accessName);
    if (!given.empty()) return given;
    if (!control.label.empty()) return StripMnemonic(control.label);
    return control.kind == CtrlKind::TextMessage ? control.text : std::string();
}

std::string AccessibleDescription(const Panel &panel, const Control &control)
{
    return InLanguage(panel, control.accessDescription);
}

void ResetUserInterface()
{
    panels.clear();
    menuBars.clear();
    popupStack.clear();
    nextPanelHandle = 1;
    nextMenuBarHandle = 1;
}

}  // namespace platform

using namespace platform;

int LoadPanel(int, const char *fileName, int panelResourceId)
{
    auto p = std::make_unique<Panel>();
    int error = ReadPanelResource(fileName ? fileName : "", panelResourceId, p.get());
    if (error < 0) return error;
    p->handle = nextPanelHandle++;
    int handle = p->handle;
    panels[handle] = std::move(p);
    return handle;
}

int DiscardPanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    if (p->menuBar) {
        if (MenuBar *bar = FindMenuBar(p->menuBar)) bar->panel = 0;
    }
    popupStack.erase(std::remove(popupStack.begin(), popupStack.end(), panel), popupStack.end());
    panels.erase(panel);
    CurrentFrontEnd().PanelDiscarded(panel);
    return 0;
}

int DisplayPanel(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    p->displayed = true;
    if (p->language < 0) p->language = GetRunTimeLanguage();
    Changed(panel, 0);
    return 0;
}

int InstallPopup(int panel)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    p->displayed = true;
    p->popup = true;
    if (p->language < 0) p->language = GetRunTimeLanguage();
    popupStack.push_back(panel);
    Changed(panel, 0);
    return 0;
}

int LoadMenuBar(int panel, const char *fileName, int menuBarResourceId)
{
    auto bar = std::make_unique<MenuBar>();
    int error = ReadMenuBarResource(fileName ? fileName : "", menuBarResourceId, bar.get());
    if (error < 0) return error;
    bar->handle = nextMenuBarHandle++;
    int handle = bar->handle;
    menuBars[handle] = std::move(bar);
    if (panel > 0) SetPanelMenuBar(panel, handle);
    return handle;
}

int SetPanelMenuBar(int panel, int menuBar)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    if (menuBar && !FindMenuBar(menuBar)) return UIE_BAD_HANDLE;
    if (MenuBar *old = FindMenuBar(p->menuBar)) old->panel = 0;
    p->menuBar = menuBar;
    if (MenuBar *bar = FindMenuBar(menuBar)) bar->panel = panel;
    Changed(panel, 0);
    if (menuBar) CurrentFrontEnd().MenuBarChanged(menuBar);
    return 0;
}

int GetPanelMenuBar(int panel)
{
    Panel *p = FindPanel(panel);
    return p ? p->menuBar : UIE_BAD_HANDLE;
}

int SetPanelAttribute(int panel, int attribute, int value)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    switch (attribute) {
    case ATTR_TOP: p->top = value; break;
    case ATTR_LEFT: p->left = value; break;
    case ATTR_HEIGHT: p->height = value; break;
    case ATTR_WIDTH: p->width = value; break;
    case ATTR_SCROLL_BARS: p->scrollBars = value; break;
    case ATTR_BACKCOLOR: p->backColor = value; break;
    case ATTR_VISIBLE: p->displayed = value != 0; break;
    default: return UIE_BAD_ATTRIBUTE;
    }
    Changed(panel, 0);
    return 0;
}

int SetPanelAttribute(int panel, int attribute, const char *value)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    if (attribute != ATTR_TITLE || !value) return UIE_BAD_ATTRIBUTE;
    p->title = value;
    Changed(panel, 0);
    return 0;
}

int GetPanelAttribute(int panel, int attribute, int *value)
{
    Panel *p = FindPanel(panel);
    if (!p) return UIE_BAD_HANDLE;
    switch (attribute) {
    case ATTR_TOP: *value = p->top; break;
    case ATTR_LEFT: *value = p->left; break;
    case ATTR_HEIGHT: *value = p->height; break;
    case ATTR_WIDTH: *value = p->width; break;
    case ATTR_SCROLL_BARS: *value = p->scrollBars; break;
    case ATTR_BACKCOLOR: *value = p->backColor; break;
    case ATTR_VISIBLE: *value = p->displayed; break;
    default: return UIE_BAD_ATTRIBUTE;
    }
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    int error = 0;
    Control *c = CtrlWith(panel, control, attribute, &error);
    if (!c) return error;
    switch (attribute) {
    case ATTR_TOP: c->top = value; break;
    case ATTR_LEFT: c->left = value; break;
    case ATTR_HEIGHT: c->height = value; break;
    case ATTR_WIDTH: c->width = value; break;
    case ATTR_VISIBLE: c->visible = value != 0; break;
    case ATTR_DIMMED: c->dimmed = value != 0; break;
    case ATTR_CMD_BUTTON_COLOR: c->buttonColor = value; break;
    case ATTR_ON_COLOR: c->onColor = value; break;
    case ATTR_OFF_COLOR: c->offColor = value; break;
    case ATTR_MIN_VALUE: c->minValue = value; c->value = Clamped(*c, c->value); break;
    case ATTR_MAX_VALUE: c->maxValue = value; c->value = Clamped(*c, c->value); break;
    default: return UIE_BAD_ATTRIBUTE;
    }
    Changed(panel, control);
    return 0;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value)
{
    int error = 0;
    Control *c = CtrlWith(panel, control, attribute, &error);
    if (!c) return error;
    if (!value) return UIE_BAD_VALUE;
    switch (attribute) {
    case ATTR_LABEL_TEXT: c->label = value; break;
    case ATTR_ON_TEXT: c->onText = value; break;
    case ATTR_OFF_TEXT: c->offText = value; break;
    default: return UIE_BAD_ATTRIBUTE;
    }
    Changed(panel, control);
    return 0;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    int error = 0;
    Control *c = CtrlWith(panel, control, attribute, &error);
    if (!c) return error;
    switch (attribute) {
    case ATTR_TOP: *value = c->top; break;
    case ATTR_LEFT: *value = c->left; break;
    case ATTR_HEIGHT: *value = c->height; break;
    case ATTR_WIDTH: *value = c->width; break;
    case ATTR_VISIBLE: *value = c->visible; break;
    case ATTR_DIMMED: *value = c->dimmed; break;
    case ATTR_CMD_BUTTON_COLOR: *value = c->buttonColor; break;
    case ATTR_ON_COLOR: *value = c->onColor; break;
    case ATTR_OFF_COLOR: *value = c->offColor; break;
    case ATTR_MIN_VALUE: *value = c->minValue; break;
    case ATTR_MAX_VALUE: *value = c->maxValue; break;
    default: return UIE_BAD_ATTRIBUTE;
    }
    return 0;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value)
{
    MenuEntry *e = FindMenuEntry(menuBar, menuItem);
    if (!e) return FindMenuBar(menuBar) ? UIE_BAD_CONTROL : UIE_BAD_HANDLE;
    if (attribute == ATTR_CHECKED) e->checked = value != 0;
    else if (attribute == ATTR_DIMMED) e->dimmed = value != 0;
    else if (attribute == ATTR_VISIBLE) e->visible = value != 0;
    else return UIE_BAD_ATTRIBUTE;
    CurrentFrontEnd().MenuBarChanged(menuBar);
    return 0;
}

int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char *value)
{
    MenuEntry *e = FindMenuEntry(menuBar, menuItem);
    if (!e) return FindMenuBar(menuBar) ? UIE_BAD_CONTROL : UIE_BAD_HANDLE;
    if (attribute != ATTR_MENU_NAME || !value) return UIE_BAD_ATTRIBUTE;
    e->label = value;
    CurrentFrontEnd().MenuBarChanged(menuBar);
    return 0;
}

int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int *value)
{
    MenuEntry *e = FindMenuEntry(menuBar, menuItem);
    if (!e) return FindMenuBar(menuBar) ? UIE_BAD_CONTROL : UIE_BAD_HANDLE;
    if (attribute == ATTR_CHECKED) *value = e->checked;
    else if (attribute == ATTR_DIMMED) *value = e->dimmed;
    else if (attribute == ATTR_VISIBLE) *value = e->visible;
    else return UIE_BAD_ATTRIBUTE;
    return 0;
}

// Rings and list boxes take the item value (the item with that value becomes current); checkboxes,
// toggle buttons and numerics the value itself.
int SetCtrlVal(int panel, int control, int value)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    error = ProgramSetValue(*c, value);
    if (error < 0) return error;
    Changed(panel, control);
    return 0;
}

int SetCtrlVal(int panel, int control, const char *value)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    if (RulesOf(c->kind).value != ValueForm::Text || !value) return UIE_BAD_CONTROL;
    c->text = value;
    Changed(panel, control);
    return 0;
}

int GetCtrlVal(int panel, int control, int *value)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    return c ? ReadValue(*c, value) : error;
}

int SetCtrlIndex(int panel, int control, int index)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    if (!HasItems(*c)) return UIE_BAD_CONTROL;
    const bool none = index == -1 && MayHaveNoItem(*c);
    if (!none && (index < 0 || index >= static_cast<int>(c->items.size()))) return UIE_BAD_INDEX;
    c->value = index;
    Changed(panel, control);
    return 0;
}

int GetCtrlIndex(int panel, int control, int *index)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    if (!HasItems(*c)) return UIE_BAD_CONTROL;
    *index = c->items.empty() ? -1 : c->value;
    return 0;
}

int InsertListItem(int panel, int control, int index, const char *label, int value)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    if (!HasItems(*c) || !label) return UIE_BAD_CONTROL;
    int size = static_cast<int>(c->items.size());
    if (index < 0 || index > size) index = size;  // -1 appends
    c->items.insert(c->items.begin() + index, ListItem{label, value});
    if (size > 0 && c->value >= 0 && index <= c->value) c->value++;
    if (size == 0) c->value = MayHaveNoItem(*c) ? -1 : 0;
    Changed(panel, control);
    return 0;
}

int DeleteListItem(int panel, int control, int index, int count)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    if (!HasItems(*c)) return UIE_BAD_CONTROL;
    int size = static_cast<int>(c->items.size());
    if (index < 0 || index > size) return UIE_BAD_INDEX;
    int end = count < 0 ? size : std::min(size, index + count);
    c->items.erase(c->items.begin() + index, c->items.begin() + end);
    int left = static_cast<int>(c->items.size());
    const bool list = MayHaveNoItem(*c);
    if (c->value >= end) c->value -= end - index;
    else if (c->value >= index) c->value = list ? -1 : index;  // a list box loses its choice
    c->value = left == 0 ? (list ? -1 : 0) : std::min(c->value, left - 1);
    Changed(panel, control);
    return 0;
}

int GetNumListItems(int panel, int control, int *count)
{
    int error = 0;
    Control *c = Ctrl(panel, control, &error);
    if (!c) return error;
    *count = static_cast<int>(c->items.size());
    return 0;
}

int ProcessDrawEvents(void)
{
    CurrentFrontEnd().Repaint();
    return 0;
}

int MessagePopup(const char *title, const char *message)
{
    CurrentFrontEnd().Message(title ? title : "", message ? message : "");
    return 0;
}

int ConfirmPopup(const char *title, const char *message, int defaultAnswer)
{
    return CurrentFrontEnd().Confirm(title ? title : "", message ? message : "",
                                     defaultAnswer != VAL_DEFAULT_NO) ? 1 : 0;
}

int PromptPopup(const char *title, const char *message, char *responseBuffer, int maxLength,
                int entry)
{
    if (!responseBuffer || maxLength < 0) return UIE_BAD_VALUE;
    std::optional<std::string> reply =
        CurrentFrontEnd().Prompt(title ? title : "", message ? message : "", maxLength,
                                 entry == VAL_MASKED_ENTRY);
    const std::string answer = reply.value_or(std::string());
    size_t n = std::min(answer.size(), static_cast<size_t>(maxLength));
    std::memcpy(responseBuffer, answer.data(), n);
    responseBuffer[n] = '\0';
    return reply ? 0 : PROMPT_CANCELLED;
}

namespace platform {

FileDialogOffer OfferFileDialog(const std::string &directory, const std::string &fileSpec)
{
    FileDialogOffer offer;
    const size_t slash = fileSpec.find_last_of("/\\");
    const std::string name = slash == std::string::npos ? fileSpec : fileSpec.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (name.find_first_of("*?") != std::string::npos) offer.pattern = name;
    else offer.name = name;
    if (!offer.name.empty() && dot != std::string::npos && dot + 1 < name.size())
        offer.pattern = std::string(name).replace(0, dot, 1, '*');  // "rig.pdf" -> "*.pdf"
    if (offer.pattern.compare(0, 2, "*.") == 0 && offer.pattern.find_first_of("*?", 2) == std::string::npos)
        offer.suffix = offer.pattern.substr(2);
    if (slash != std::string::npos) offer.folder = fileSpec.substr(0, std::max<size_t>(slash, 1));
    else offer.folder = directory.empty() ? LoadState("file_dialog_folder") : directory;
    return offer;
}

}  // namespace platform

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec, const char *,
                    const char *title, int buttonLabel, int, int, int, int, char pathName[])
{
    std::string path;
    int result = CurrentFrontEnd().FileSelect(defaultDirectory ? defaultDirectory : "",
                                              defaultFileSpec ? defaultFileSpec : "",
                                              title ? title : "",
                                              buttonLabel == VAL_SAVE_BUTTON, &path);
    if (result <= 0) return result;
    if (path.empty()) return UIE_BAD_VALUE;
    if (path.size() >= MAX_PATHNAME_LEN) return UIE_PATH_TOO_LONG;
    std::memcpy(pathName, path.c_str(), path.size() + 1);
    return result;
}

int DisableBreakOnLibraryErrors(void) { return 0; }
int EnableBreakOnLibraryErrors(void) { return 0; }
