// The recent documents: the last four documents opened or saved, newest first, listed in
// the File menu above Quit and kept across restarts in the run-time's state file. A path
// is any byte string the file dialog returned, valid UTF-8 or not; the state file holds
// lines of text, so each path is stored with its unusual bytes escaped as %XX and read
// back byte for byte.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "channels/acknowledged.h"
#include "documents/backups.h"
#include "documents/file_menu.h"
#include "platform/state.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

constexpr int RECENT_COUNT = 4;
constexpr char RECENT_STATE_KEY[] = "recent_documents";
// Longer names are shown with their middle left out, so that the menu keeps its width.
constexpr size_t SHOWN_NAME_MAX = 60;
constexpr char HEX_DIGITS[] = "0123456789ABCDEF";

// Spaces separate the entries, so they are escaped with the control bytes, '%' and every
// byte outside ASCII.
std::string escaped(const std::string &path)
{
    std::string out;
    for (unsigned char c : path) {
        if (c > ' ' && c < 0x7F && c != '%') {
            out += static_cast<char>(c);
        } else {
            out += '%';
            out += HEX_DIGITS[c >> 4];
            out += HEX_DIGITS[c & 0xF];
        }
    }
    return out;
}

int hex_digit(char c)
{
    const char *at = c ? std::strchr(HEX_DIGITS, c >= 'a' && c <= 'f' ? c - 32 : c) : nullptr;
    return at ? static_cast<int>(at - HEX_DIGITS) : -1;
}

// The path an entry stands for; empty for an entry that is damaged or names no path the
// program can take (the current document name has its limit).
std::string unescaped(const std::string &entry)
{
    std::string out;
    for (size_t i = 0; i < entry.size(); i++) {
        if (entry[i] != '%') {
            out += entry[i];
            continue;
        }
        const int high = i + 2 < entry.size() ? hex_digit(entry[i + 1]) : -1;
        const int low = high >= 0 ? hex_digit(entry[i + 2]) : -1;
        if (low < 0) return "";
        out += static_cast<char>(high * 16 + low);
        i += 2;
    }
    if (out.size() >= MAX_PATHNAME_LEN || out.find('\0') != std::string::npos) return "";
    return out;
}

std::vector<std::string> recent_list(void)
{
    std::vector<std::string> list;
    const std::string stored = platform::LoadState(RECENT_STATE_KEY);
    size_t start = 0;
    while (start < stored.size() && list.size() < RECENT_COUNT) {
        size_t end = stored.find(' ', start);
        if (end == std::string::npos) end = stored.size();
        const std::string path = unescaped(stored.substr(start, end - start));
        if (!path.empty()) list.push_back(path);
        start = end + 1;
    }
    return list;
}

void store_list(const std::vector<std::string> &list)
{
    std::string stored;
    for (const std::string &path : list) {
        if (!stored.empty()) stored += ' ';
        stored += escaped(path);
    }
    platform::SaveState(RECENT_STATE_KEY, stored);
    show_recent_menu();
}

void forget_document(const std::string &path)
{
    std::vector<std::string> list = recent_list();
    std::erase(list, path);
    store_list(list);
}

bool utf8_continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// "/home/rig/Kon...messungen/rotor 3.cfg": the start and the end of a long name, cut
// between characters.
std::string shown_name(const std::string &path)
{
    if (path.size() <= SHOWN_NAME_MAX) return path;
    size_t head = SHOWN_NAME_MAX / 4;
    size_t tail = path.size() - (SHOWN_NAME_MAX - head - 3);
    while (head > 0 && utf8_continuation(path[head])) head--;
    while (tail < path.size() && utf8_continuation(path[tail])) tail++;
    return path.substr(0, head) + "..." + path.substr(tail);
}

}  // namespace

// The backup files are the program's own, not documents the operator chose.
void remember_document(const char *path)
{
    if (std::strcmp(path, File_Letzte) == 0 || std::strcmp(path, File_Temp) == 0) return;
    std::vector<std::string> list = recent_list();
    std::erase(list, std::string(path));
    list.insert(list.begin(), path);
    if (list.size() > RECENT_COUNT) list.resize(RECENT_COUNT);
    store_list(list);
}

// Unused slots and, with no document at all, the separator below the list are hidden.
void show_recent_menu(void)
{
    if (menubar_handle <= 0) return;
    const std::vector<std::string> list = recent_list();
    for (int k = 0; k < RECENT_COUNT; k++) {
        const int item = MENU_recent_1 + k;
        const bool used = k < static_cast<int>(list.size());
        if (used) {
            const std::string label = format_text(txt::recent_item, k + 1, shown_name(list[k]).c_str());
            SetMenuBarAttribute(menubar_handle, item, ATTR_MENU_NAME, label.c_str());
        }
        SetMenuBarAttribute(menubar_handle, item, ATTR_VISIBLE, used);
    }
    SetMenuBarAttribute(menubar_handle, MENU_SEPARATOR_8, ATTR_VISIBLE, !list.empty());
}

// Opens the document as Open does; one that is gone is said so and leaves the list.
void open_recent(int, int menuItem, void *, int)
{
    const std::vector<std::string> list = recent_list();
    const size_t k = static_cast<size_t>(menuItem - MENU_recent_1);
    if (k >= list.size()) {
        show_recent_menu();
        return;
    }
    long size = 0;
    if (GetFileInfo(list[k].c_str(), &size) == 0) {
        MessagePopup(text(txt::zek_title), format_text(txt::recent_gone, list[k].c_str()).c_str());
        forget_document(list[k]);
        return;
    }
    open_document(list[k].c_str());
}
