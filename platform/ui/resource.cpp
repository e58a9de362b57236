// Resource loader and callback registry.
#include "platform/ui/resource.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <vector>

#include "platform/ui/control_kinds.h"
#include "platform/files/os.h"

namespace platform {
namespace {

using nlohmann::json;

// Where the resource is looked for, in this order; empty: names as they are.
std::vector<std::string> resourceFolders;

// Installed programs keep the resource here, relative to their own folder.
const char INSTALLED_RESOURCE_FOLDER[] = "../share/zek-config";

std::map<std::string, CtrlCallbackPtr> &CtrlRegistry()
{
    static std::map<std::string, CtrlCallbackPtr> registry;
    return registry;
}
std::map<std::string, PanelCallbackPtr> &PanelRegistry()
{
    static std::map<std::string, PanelCallbackPtr> registry;
    return registry;
}
std::map<std::string, MenuCallbackPtr> &MenuRegistry()
{
    static std::map<std::string, MenuCallbackPtr> registry;
    return registry;
}

template <typename Map>
typename Map::mapped_type Lookup(const Map &map, const std::string &name)
{
    auto it = map.find(name);
    return it == map.end() ? nullptr : it->second;
}

// Thrown for a resource that cannot be used; the code is a property of the fault.
struct BadResource {
    std::string what;
    int code = UIE_RESOURCE_FORMAT;
};

int Colour(const json &j, const char *key, int fallback)
{
    if (!j.contains(key)) return fallback;
    const json &v = j.at(key);
    if (v.is_number_integer()) return v.get<int>();
    if (v.is_string()) {
        std::string s = v.get<std::string>();
        size_t used = 0;
        int c = std::stoi(s, &used, 16);
        if (used != s.size()) throw BadResource{"bad colour \"" + s + "\""};
        return c;
    }
    throw BadResource{std::string("bad colour in \"") + key + "\""};
}

// {"de": ..., "en": ...}; either may be left out.
LanguagePair Pair(const json &j, const char *key)
{
    if (!j.contains(key)) return {};
    const json &v = j.at(key);
    return {v.value("de", ""), v.value("en", "")};
}

CtrlKind KindOf(const std::string &kind)
{
    const KindRules *rules = RulesByName(kind);
    if (!rules) throw BadResource{"unknown control kind \"" + kind + "\""};
    return rules->kind;
}

MenuKind MenuKindOf(const std::string &kind)
{
    if (kind == "menu") return MenuKind::Menu;
    if (kind == "item") return MenuKind::Item;
    if (kind == "separator") return MenuKind::Separator;
    if (kind == "submenu") return MenuKind::Submenu;
    throw BadResource{"unknown menu entry kind \"" + kind + "\""};
}

Control ReadControl(const json &j)
{
    Control c;
    c.id = j.at("id").get<int>();
    c.constant = j.at("constant").get<std::string>();
    c.kind = KindOf(j.at("kind").get<std::string>());
    c.callbackName = j.value("callback", "");
    c.label = j.value("label", "");
    c.text = j.value("text", "");
    c.image = j.value("image", "");
    c.top = j.value("top", 0);
    c.left = j.value("left", 0);
    c.width = j.value("width", 0);
    c.height = j.value("height", 0);
    c.visible = j.value("visible", true);
    c.dimmed = j.value("dimmed", false);
    c.value = j.value("value", RulesOf(c.kind).noCurrentItem ? -1 : 0);
    c.minValue = j.value("min", 0);
    c.maxValue = j.value("max", 0);
    c.buttonColor = Colour(j, "color", c.buttonColor);
    c.onColor = Colour(j, "on_color", c.onColor);
    c.offColor = Colour(j, "off_color", c.offColor);
    c.onText = j.value("on_text", c.onText);
    c.offText = j.value("off_text", c.offText);
    c.accessName = Pair(j, "name");
    c.accessDescription = Pair(j, "description");
    if (j.contains("items"))
        for (const json &item : j.at("items"))
            c.items.push_back({item.at("label").get<std::string>(), item.at("value").get<int>()});
    return c;
}

// The parsed resource, kept while the file stays the same (same path, size and time of
// last change), so that start-up and every dialog do not parse it again.
struct Parsed {
    std::string path;
    std::uintmax_t size = 0;
    std::filesystem::file_time_type changed{};
    json root;
};

// Loads and parses the whole resource; throws BadResource or json errors.
const json &ReadResource(const std::string &path)
{
    static Parsed cache;
    const std::filesystem::path file = os::Utf8Path(path);
    std::ifstream in(file, std::ios::binary);
    std::error_code sizeError, timeError;
    const auto size = std::filesystem::file_size(file, sizeError);
    const auto changed = std::filesystem::last_write_time(file, timeError);
    if (!in || sizeError || timeError) throw BadResource{"cannot be opened", UIE_RESOURCE_FILE};
    if (cache.path == path && cache.size == size && cache.changed == changed) return cache.root;
    cache = Parsed{};
    cache.root = json::parse(in);
    cache.path = path;
    cache.size = size;
    cache.changed = changed;
    return cache.root;
}

const json &FindByNumber(const json &list, int number, const char *what)
{
    for (const json &j : list)
        if (j.at("number").get<int>() == number) return j;
    throw BadResource{std::string("has no ") + what + " number " + std::to_string(number),
                      UIE_NOT_FOUND};
}

int Report(const std::string &path, const std::string &what, int code)
{
    std::cerr << "zek-config: resource file \"" << path << "\" " << what << "\n";
    return code;
}

// A resource found in none of the folders is named with every place looked at.
int ReportUnopened(const std::string &fileName, const std::string &path)
{
    std::error_code ec;
    if (resourceFolders.size() < 2 || std::filesystem::exists(os::Utf8Path(path), ec))
        return Report(path, "cannot be opened", UIE_RESOURCE_FILE);
    std::cerr << "zek-config: resource file \"" << fileName << "\" cannot be opened; looked in";
    for (size_t i = 0; i < resourceFolders.size(); i++)
        std::cerr << (i == 0 ? " \"" : " and \"") << resourceFolders[i] << "\"";
    std::cerr << "\n";
    return UIE_RESOURCE_FILE;
}

void BindPanel(Panel *p)
{
    if (!p->callbackName.empty()) {
        p->callback = FindPanelCallback(p->callbackName);
        if (!p->callback)
            throw BadResource{"panel " + p->constant + ": callback \"" + p->callbackName +
                                  "\" has no function in the program",
                              UIE_UNBOUND_CALLBACK};
    }
    for (Control &c : p->controls) {
        if (c.callbackName.empty()) continue;
        c.callback = FindCtrlCallback(c.callbackName);
        if (!c.callback)
            throw BadResource{"control " + p->constant + "_" + c.constant + ": callback \"" +
                                  c.callbackName + "\" has no function in the program",
                              UIE_UNBOUND_CALLBACK};
    }
}

}  // namespace

bool explicitFolder = false;

void SetResourceFolder(const std::string &dir)
{
    resourceFolders.clear();
    if (!dir.empty()) resourceFolders.push_back(dir);
}

void UseResourceBeside(const std::string &programFolder)
{
    namespace fs = std::filesystem;
    fs::path installed = os::Utf8Path(programFolder) / INSTALLED_RESOURCE_FOLDER;
    resourceFolders = {programFolder, os::Utf8String(installed.lexically_normal())};
}

std::string ResolveResourcePath(const std::string &fileName)
{
    if (fileName.empty() || os::Utf8Path(fileName).has_root_directory() ||
        resourceFolders.empty())
        return fileName;
    for (const std::string &folder : resourceFolders) {
        std::string path = folder + "/" + fileName;
        std::error_code ec;
        if (std::filesystem::exists(os::Utf8Path(path), ec)) return path;
    }
    return resourceFolders.front() + "/" + fileName;
}

namespace {

// Reads the part of the resource that `fill` takes out of the parsed file; 0, or the
// fault's code after a message on stderr naming the file and the fault.
template <typename Fill>
int ReadFromResource(const std::string &fileName, Fill fill)
{
    std::string path = ResolveResourcePath(fileName);
    try {
        fill(ReadResource(path));
        return 0;
    } catch (const BadResource &e) {
        if (e.code == UIE_RESOURCE_FILE) return ReportUnopened(fileName, path);
        return Report(path, e.what, e.code);
    } catch (const std::exception &e) {
        return Report(path, std::string("is damaged: ") + e.what(), UIE_RESOURCE_FORMAT);
    }
}

// The command button of the panel with this constant; 0 for none.
int ButtonNamed(const Panel &p, const std::string &constant)
{
    if (constant.empty()) return 0;
    for (const Control &c : p.controls)
        if (c.constant == constant && c.kind == CtrlKind::CommandButton) return c.id;
    throw BadResource{"panel " + p.constant + ": \"" + constant + "\" is no command button"};
}

void ReadPanel(const json &root, int number, Panel *p)
{
    const json &j = FindByNumber(root.at("panels"), number, "panel");
    p->resourceId = number;
    p->constant = j.at("constant").get<std::string>();
    p->callbackName = j.value("callback", "");
    p->title = j.value("title", "");
    p->height = j.at("height").get<int>();
    p->width = j.at("width").get<int>();
    p->backColor = Colour(j, "backcolor", p->backColor);
    p->scrollBars = j.value("scroll_bars", "none") == "vertical" ? VAL_VERT_SCROLL_BAR
                                                                : VAL_NO_SCROLL_BARS;
    for (const json &c : j.at("controls")) p->controls.push_back(ReadControl(c));
    p->defaultButton = ButtonNamed(*p, j.value("default_button", ""));
    p->cancelButton = ButtonNamed(*p, j.value("cancel_button", ""));
    BindPanel(p);
}

MenuEntry ReadMenuEntry(const json &e)
{
    MenuEntry m;
    m.id = e.at("id").get<int>();
    m.constant = e.at("constant").get<std::string>();
    m.kind = MenuKindOf(e.at("kind").get<std::string>());
    m.label = e.value("label", "");
    m.callbackName = e.value("callback", "");
    m.parent = e.value("parent", 0);
    m.submenu = e.value("submenu", 0);
    m.shortcut = e.value("shortcut", "");
    if (!m.callbackName.empty()) {
        m.callback = FindMenuCallback(m.callbackName);
        if (!m.callback)
            throw BadResource{"menu item " + m.constant + ": callback \"" + m.callbackName +
                                  "\" has no function in the program",
                              UIE_UNBOUND_CALLBACK};
    }
    return m;
}

}  // namespace

int ReadPanelResource(const std::string &fileName, int number, Panel *p)
{
    return ReadFromResource(fileName, [&](const json &root) { ReadPanel(root, number, p); });
}

int ReadMenuBarResource(const std::string &fileName, int number, MenuBar *bar)
{
    return ReadFromResource(fileName, [&](const json &root) {
        const json &j = FindByNumber(root.at("menubars"), number, "menu bar");
        bar->resourceId = number;
        for (const json &e : j.at("entries")) bar->entries.push_back(ReadMenuEntry(e));
    });
}

CtrlCallbackPtr FindCtrlCallback(const std::string &name) { return Lookup(CtrlRegistry(), name); }
PanelCallbackPtr FindPanelCallback(const std::string &name)
{
    return Lookup(PanelRegistry(), name);
}
MenuCallbackPtr FindMenuCallback(const std::string &name) { return Lookup(MenuRegistry(), name); }

}  // namespace platform

void RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn)
{
    platform::CtrlRegistry()[name] = fn;
}
void RegisterPanelCallback(const char *name, PanelCallbackPtr fn)
{
    platform::PanelRegistry()[name] = fn;
}
void RegisterMenuCallback(const char *name, MenuCallbackPtr fn)
{
    platform::MenuRegistry()[name] = fn;
}

void SetResourceDir(const char *dir)
{
    platform::SetResourceFolder(dir ? dir : "");
    platform::explicitFolder = dir != nullptr;
}

int InitCVIRTE(void *, char *argv[], void *)
{
    std::string path = platform::os::ProgramPath();
    if (path.empty() && argv && argv[0]) path = argv[0];
    if (path.empty()) return 0;
    // A folder set explicitly (tests) takes precedence over the executable's.
    if (platform::explicitFolder) return 1;
    const std::string folder = platform::os::Utf8String(platform::os::Utf8Path(path).parent_path());
    platform::UseResourceBeside(folder.empty() ? "." : folder);
    return 1;
}
