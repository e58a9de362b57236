// User-interface services of the run-time layer: panels and menu bars loaded from
// the resource file, control and menu attributes, popups, the event loop.
// Handles are positive ints; functions return a negative UIE_* code on failure.
#pragma once

// Callback forms bound by name in the resource file.
typedef int (*CtrlCallbackPtr)(int panel, int control, int event, void *callbackData,
                               int eventData1, int eventData2);
typedef int (*PanelCallbackPtr)(int panel, int event, void *callbackData, int eventData1,
                                int eventData2);
typedef void (*MenuCallbackPtr)(int menuBar, int menuItem, void *callbackData, int panel);

// Events delivered to callbacks.
enum {
    EVENT_NONE = 0,
    EVENT_COMMIT = 1,
    EVENT_VAL_CHANGED = 2,
    EVENT_LEFT_CLICK = 3,
    EVENT_GOT_FOCUS = 4,
    EVENT_LOST_FOCUS = 5,
    EVENT_CLOSE = 6,
};

// Error codes (negative).
enum {
    UIE_NO_ERROR = 0,
    UIE_BAD_HANDLE = -1,
    UIE_BAD_CONTROL = -2,
    UIE_BAD_ATTRIBUTE = -3,
    UIE_BAD_VALUE = -4,
    UIE_RESOURCE_FILE = -5,   // missing or unreadable resource
    UIE_RESOURCE_FORMAT = -6, // damaged resource
    UIE_NOT_FOUND = -7,       // no panel / menu bar with that number
    UIE_UNBOUND_CALLBACK = -8,
    UIE_BAD_INDEX = -9,
    UIE_PATH_TOO_LONG = -10,  // a chosen path longer than any the system takes
};

// Attributes. Panel, control and menu attributes share one numbering.
enum {
    ATTR_TITLE = 1,          // panel: const char *
    ATTR_TOP,                // panel/control: int (VAL_AUTO_CENTER for panels)
    ATTR_LEFT,               // panel/control: int (VAL_AUTO_CENTER for panels)
    ATTR_HEIGHT,             // panel/control: int
    ATTR_WIDTH,              // panel/control: int
    ATTR_SCROLL_BARS,        // panel: VAL_NO_SCROLL_BARS / VAL_VERT_SCROLL_BAR
    ATTR_BACKCOLOR,          // panel: int RGB
    ATTR_VISIBLE,            // panel/control/menu item: int 0/1
    ATTR_DIMMED,             // control/menu item: int 0/1
    ATTR_LABEL_TEXT,         // control: const char *
    ATTR_CMD_BUTTON_COLOR,   // command button: int RGB
    ATTR_ON_COLOR,           // toggle button: int RGB
    ATTR_OFF_COLOR,          // toggle button: int RGB
    ATTR_ON_TEXT,            // toggle button: const char *
    ATTR_OFF_TEXT,           // toggle button: const char *
    ATTR_MIN_VALUE,          // numeric: int
    ATTR_MAX_VALUE,          // numeric: int
    ATTR_CHECKED,            // menu item: int 0/1
    ATTR_MENU_NAME,          // menu item: const char * (label)
};

enum {
    VAL_AUTO_CENTER = -32768,
    VAL_NO_SCROLL_BARS = 0,
    VAL_VERT_SCROLL_BAR = 2,
};

// Colours (24-bit RGB).
constexpr int VAL_RED = 0xFF0000;
constexpr int VAL_DK_GREEN = 0x008000;
constexpr int VAL_GRAY = 0x808080;
constexpr int VAL_LT_GRAY = 0xC0C0C0;
constexpr int MakeColor(int r, int g, int b) { return (r << 16) | (g << 8) | b; }

// Start-up. Returns 0 on failure, 1 on success. Remembers the executable's folder,
// against which a relative resource file name is resolved.
int InitCVIRTE(void *hInstance, char *argv[], void *reserved);
// Sets the folder in which relative resource names are looked up (tests).
void SetResourceDir(const char *dir);

// Callback registry: every callback name in the resource must be registered before
// a panel or menu bar naming it is loaded.
void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn);
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn);
void RegisterMenuCallback(const char *name, MenuCallbackPtr fn);

// Panels and menu bars.
int LoadPanel(int parentPanel, const char *fileName, int panelResourceId);
int DiscardPanel(int panel);
int DisplayPanel(int panel);
int InstallPopup(int panel);  // shows the panel modal until discarded
int LoadMenuBar(int panel, const char *fileName, int menuBarResourceId);
int SetPanelMenuBar(int panel, int menuBar);
int GetPanelMenuBar(int panel);

int SetPanelAttribute(int panel, int attribute, int value);
int SetPanelAttribute(int panel, int attribute, const char *value);
int GetPanelAttribute(int panel, int attribute, int *value);
int SetCtrlAttribute(int panel, int control, int attribute, int value);
int SetCtrlAttribute(int panel, int control, int attribute, const char *value);
int GetCtrlAttribute(int panel, int control, int attribute, int *value);
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, int value);
int SetMenuBarAttribute(int menuBar, int menuItem, int attribute, const char *value);
int GetMenuBarAttribute(int menuBar, int menuItem, int attribute, int *value);

// Values: rings, checkboxes, toggle buttons, numerics hold ints; text messages text.
int SetCtrlVal(int panel, int control, int value);
int SetCtrlVal(int panel, int control, const char *value);
int GetCtrlVal(int panel, int control, int *value);
int SetCtrlIndex(int panel, int control, int index);
int GetCtrlIndex(int panel, int control, int *index);
int InsertListItem(int panel, int control, int index, const char *label, int value);
int DeleteListItem(int panel, int control, int index, int count);  // count -1: all
int GetNumListItems(int panel, int control, int *count);

// Redraws the panel at once, even while a callback blocks.
int ProcessDrawEvents(void);

// Popups (modal; return when answered).
int MessagePopup(const char *title, const char *message);
// Yes 1, No 0. The default answer is the one Return gives; a question whose Yes may do
// harm offers No.
enum { VAL_DEFAULT_NO = 0, VAL_DEFAULT_YES = 1 };
int ConfirmPopup(const char *title, const char *message, int defaultAnswer = VAL_DEFAULT_YES);
// Text prompt: at most maxLength characters into responseBuffer (maxLength + 1 bytes).
// With VAL_MASKED_ENTRY the typed characters are not shown. Returns 0 when answered,
// PROMPT_CANCELLED (the buffer then empty) when the operator cancelled.
enum { VAL_PLAIN_ENTRY = 0, VAL_MASKED_ENTRY = 1 };
enum { PROMPT_CANCELLED = 1 };
int PromptPopup(const char *title, const char *message, char *responseBuffer,
                int maxLength, int entry = VAL_PLAIN_ENTRY);
enum { VAL_LOAD_BUTTON = 0, VAL_SAVE_BUTTON = 1 };
enum { VAL_NO_FILE_SELECTED = 0, VAL_EXISTING_FILE_SELECTED = 1, VAL_NEW_FILE_SELECTED = 2 };
// pathName receives up to MAX_PATHNAME_LEN - 1 characters (a buffer of MAX_PATHNAME_LEN);
// a longer choice is refused with UIE_PATH_TOO_LONG. Negative on failure.
int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int allowCancel,
                    int allowMakeDirectory, char pathName[]);

int SetWaitCursor(int on);

// Event loop.
int RunUserInterface(void);
int QuitUserInterface(int returnCode);

// Library error reporting around calls whose errors the caller examines itself.
int DisableBreakOnLibraryErrors(void);
int EnableBreakOnLibraryErrors(void);
