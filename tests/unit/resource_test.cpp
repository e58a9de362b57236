// The resource file and the C++ constants must agree: numbers, identifiers, kinds,
// callback names, menu order and the texts the program relies on.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <set>
#include <nlohmann/json.hpp>
#include <string>

#include "channels/image.h"
#include "link/port.h"
#include "ui/texts.h"
#include "ui/window.h"
#include "calibration/calibration.h"
#include "platform/ui/model.h"
#include "ui/uir.h"

using nlohmann::json;

namespace {

json Resource()
{
    std::ifstream in(std::string(ZEK_SOURCE_DIR) + "/ui/zek-config.uir");
    return json::parse(in);
}

const json &PanelJson(const json &root, int number)
{
    for (const json &p : root["panels"])
        if (p["number"] == number) return p;
    throw std::runtime_error("no panel " + std::to_string(number));
}

// constant name -> control json
std::map<std::string, json> Controls(const json &panel)
{
    std::map<std::string, json> out;
    for (const json &c : panel["controls"]) out[c["constant"]] = c;
    return out;
}

struct Expect {
    std::string constant;
    int id;
    std::string kind;
    std::string callback;
};

void CheckControls(const json &panel, const std::vector<Expect> &expected, size_t count)
{
    auto controls = Controls(panel);
    EXPECT_EQ(panel["controls"].size(), count);
    EXPECT_EQ(controls.size(), count) << "constants must be unique";
    for (const Expect &e : expected) {
        SCOPED_TRACE(e.constant);
        ASSERT_TRUE(controls.count(e.constant));
        const json &c = controls[e.constant];
        EXPECT_EQ(c["id"], e.id);
        EXPECT_EQ(c["kind"], e.kind);
        EXPECT_EQ(c.value("callback", ""), e.callback);
    }
}

TEST(Resource, PanelsHaveTheirNumbersSizesAndCallbacks)
{
    json root = Resource();
    struct P { int number; const char *constant, *callback; int height, width; const char *back; };
    const P panels[] = {{PANEL, "PANEL", "panel", 594, 550, "0xC0C0C0"},
                        {PANEL_2, "PANEL_2", "panel_com_select", 260, 500, "0xF0F0F0"},
                        {PANEL_3, "PANEL_3", "cali_panel", 540, 375, "0xC0C0C0"},
                        {PANEL_5, "PANEL_5", "info_panel", 320, 460, "0xC0C0C0"}};
    ASSERT_EQ(root["panels"].size(), 4u);
    for (const P &p : panels) {
        const json &j = PanelJson(root, p.number);
        EXPECT_EQ(j["constant"], p.constant);
        EXPECT_EQ(j["callback"], p.callback);
        EXPECT_EQ(j["height"], p.height);
        EXPECT_EQ(j["width"], p.width);
        EXPECT_EQ(j["backcolor"], p.back);
    }
    EXPECT_EQ(PanelJson(root, PANEL_2)["title"], "QUARVO Telemetriesysteme");
    EXPECT_EQ(PanelJson(root, PANEL_3)["title"], "Telemetry Calibration");
}

TEST(Resource, MainPanelRowsAndFixedControls)
{
    json panel = PanelJson(Resource(), PANEL);
    std::vector<Expect> e;
    for (int n = 1; n <= 16; n++) {
        std::string k = std::to_string(n);
        e.push_back({"RING_" + k, panel_rings[n - 1], "ring", "gain_" + k});
        e.push_back({"CHECKBOX_" + k, panel_checkbox[n - 1], "checkbox", "hb_" + k});
        e.push_back({"COMMANDBUTTON_" + k, panel_command_button[n - 1], "command_button", "az_" + k});
    }
    e.push_back({"TOGGLEBUTTON", PANEL_TOGGLEBUTTON, "toggle_button", "cal_on_off"});
    e.push_back({"TEXTMSG_5", PANEL_TEXTMSG_5, "text_message", ""});
    e.push_back({"TEXTMSG_4", PANEL_TEXTMSG_4, "text_message", ""});
    e.push_back({"TEXTMSG_3", PANEL_TEXTMSG_3, "text_message", ""});
    e.push_back({"TEXTMSG_6", PANEL_TEXTMSG_6, "text_message", ""});
    e.push_back({"TEXTMSG_1", PANEL_TEXTMSG_1, "text_message", ""});
    e.push_back({"PICTURE", PANEL_PICTURE, "picture", ""});
    e.push_back({"TEXTMSG_2", PANEL_TEXTMSG_2, "text_message", ""});
    CheckControls(panel, e, 56);

    auto controls = Controls(panel);
    EXPECT_EQ(controls["RING_1"]["id"], 2);
    EXPECT_EQ(controls["COMMANDBUTTON_16"]["id"], 49);
    for (int n = 2; n <= 16; n++)  // rows stacked 25 units apart, channel 1 on top
        EXPECT_EQ(controls["RING_" + std::to_string(n)]["top"].get<int>() -
                      controls["RING_" + std::to_string(n - 1)]["top"].get<int>(), 25);
    // The panel ends just below the last shown row: 4, 8, 16 rows in 295, 395, 595.
    int last4 = controls["RING_4"]["top"].get<int>() + controls["RING_4"]["height"].get<int>();
    EXPECT_LE(last4, 295);
    EXPECT_GT(controls["RING_5"]["top"].get<int>(), 295 - 25);
    std::set<std::string> headings;
    for (const char *k : {"TEXTMSG_3", "TEXTMSG_4", "TEXTMSG_6"}) headings.insert(controls[k]["text"]);
    EXPECT_EQ(headings, (std::set<std::string>{"Sensor           Range", "Shunt-Kalibration",
                                               "  Autozero"}));
    EXPECT_EQ(controls["TEXTMSG_5"]["text"], " Halbbrücke");
    EXPECT_EQ(controls["TEXTMSG_1"]["text"], "16 Kanal Telemetrie");
    EXPECT_EQ(controls["RING_1"]["items"].size(), 8u);
    EXPECT_EQ(controls["RING_1"]["items"][6]["label"], "TE Typ K     1000°C");
    EXPECT_EQ(controls["TOGGLEBUTTON"]["off_text"], "OFF");
    EXPECT_EQ(controls["TOGGLEBUTTON"]["on_text"], "ON");
}

TEST(Resource, DialogPanelsAgreeWithConstants)
{
    json root = Resource();
    CheckControls(PanelJson(root, PANEL_2),
                  {{"NUMERIC", PANEL_2_NUMERIC, "numeric", "com_selection"},
                   {"COMMANDBUTTON", PANEL_2_COMMANDBUTTON, "command_button", "com_seletion_ok"},
                   {"COMMANDBUTTON_2", PANEL_2_COMMANDBUTTON_2, "command_button", "com_seletion_cancel"},
                   {"TEXTMSG", PANEL_2_TEXTMSG, "text_message", ""},
                   {"LISTBOX", PANEL_2_LISTBOX, "list_box", "com_port_list"}},
                  5);
    auto p2 = Controls(PanelJson(root, PANEL_2));
    EXPECT_EQ(p2["NUMERIC"]["label"], "COM");
    EXPECT_EQ(p2["NUMERIC"]["min"], 1);
    EXPECT_EQ(p2["NUMERIC"]["max"], 255);  // the settings byte holds 1..255
    EXPECT_EQ(p2["COMMANDBUTTON"]["label"], "__OK");

    std::vector<Expect> cal = {{"RING_Cali_Sel", PANEL_3_RING_Cali_Sel, "ring", "cali_select"},
                               {"COMMANDBUTTON", PANEL_3_COMMANDBUTTON, "command_button", "cali_ok"},
                               {"TOGGLEBUTTON_ACTIV", PANEL_3_TOGGLEBUTTON_ACTIV, "toggle_button", "cali_toggle"},
                               {"TEXTMSG_1", PANEL_3_TEXTMSG_1, "text_message", ""},
                               {"TEXTMSG_2", PANEL_3_TEXTMSG_2, "text_message", ""},
                               {"TEXTMSG_3", PANEL_3_TEXTMSG_3, "text_message", ""},
                               {"TEXTMSG_4", PANEL_3_TEXTMSG_4, "text_message", ""}};
    for (int n = 1; n <= 16; n++) {
        std::string k = std::to_string(n);
        cal.push_back({"NUMERIC_Cali_Off_" + k, panel_numeric_off[n - 1], "numeric", "cali_off_" + k});
        cal.push_back({"NUMERIC_Cali_Gain_" + k, panel_numeric_gain[n - 1], "numeric", "cali_gain_" + k});
        cal.push_back({"TEXTMSG_K_" + k, panel_cali_text[n - 1], "text_message", ""});
    }
    CheckControls(PanelJson(root, PANEL_3), cal, 55);
    EXPECT_EQ(Controls(PanelJson(root, PANEL_3))["TEXTMSG_1"]["text"], "Offset");

    CheckControls(PanelJson(root, PANEL_5),
                  {{"COMMANDBUTTON", PANEL_5_COMMANDBUTTON, "command_button", "info_ok"},
                   {"TEXTMSG_2", PANEL_5_TEXTMSG_2, "text_message", ""},
                   {"TEXTMSG_1", PANEL_5_TEXTMSG_1, "text_message", ""},
                   {"PICTURE", PANEL_5_PICTURE, "picture", ""},
                   {"TEXTMSG_5", PANEL_5_TEXTMSG_5, "text_message", ""},
                   {"TEXTMSG_10", PANEL_5_TEXTMSG_10, "text_message", ""},
                   {"TEXTMSG", PANEL_5_TEXTMSG, "text_message", ""}},
                  11);
}

TEST(Resource, MenuBarsShareStructureAndCarryTheirLanguage)
{
    json root = Resource();
    struct M { int id; const char *constant, *kind, *callback, *de, *en; };
    const M menu[] = {
        {MENU_datei, "datei", "menu", "", "__Datei", "__File"},
        {MENU_new, "new", "item", "new", "__Neu", "__New"},
        {MENU_open, "open", "item", "opens", "Ö__ffnen..", "O__pen.."},
        {MENU_save, "save", "item", "save", "__Speichern", "__Save"},
        {MENU_save_as, "save_as", "item", "save_as", "Speichern __unter", "Save __as"},
        {MENU_SEPARATOR, "SEPARATOR", "separator", "", "", ""},
        {MENU_recent_1, "recent_1", "item", "open_recent", "__1", "__1"},
        {MENU_recent_2, "recent_2", "item", "open_recent", "__2", "__2"},
        {MENU_recent_3, "recent_3", "item", "open_recent", "__3", "__3"},
        {MENU_recent_4, "recent_4", "item", "open_recent", "__4", "__4"},
        {MENU_SEPARATOR_8, "SEPARATOR_8", "separator", "", "", ""},
        {MENU_quit, "quit", "item", "quit", "__Beenden", "__Quit"},
        {MENU_bearbeiten, "bearbeiten", "menu", "", "__Bearbeiten", "__Edit"},
        {MENU_undo, "undo", "item", "undo", "__Rückgängig", "__Undo"},
        {MENU_redo, "redo", "item", "redo", "__Wiederholen", "__Redo"},
        {MENU_optionen, "optionen", "menu", "", "__Einstellungen", "__Settings"},
        {MENU_com_port, "com_port", "item", "com_select", "COM wählen", "Select COM"},
        {MENU_SEPARATOR_3, "SEPARATOR_3", "separator", "", "", ""},
        {MENU_down_load, "down_load", "item", "down_load", "Konfiguration zum Rotorsystem senden",
         "Download Configuration To Rotor"},
        {MENU_read, "read", "item", "read", "Konfiguration vom Rotorsystem lesen",
         "Upload Configuration From Rotor"},
        {MENU_SEPARATOR_2, "SEPARATOR_2", "separator", "", "", ""},
        {MENU_sprache, "sprache", "item", "", "Sprache wählen", "Language"},
        {MENU_SUBMENU, "SUBMENU", "submenu", "", "", ""},
        {MENU_sprache_d, "sprache_d", "item", "sprache_d", "Deutsch", "German"},
        {MENU_sprache_e, "sprache_e", "item", "sprache_e", "English", "English"},
        {MENU_SEPARATOR_4, "SEPARATOR_4", "separator", "", "", ""},
        {MENU_kanal, "kanal", "item", "", "Kanalzahl", "Channels"},
        {MENU_SUBMENU_2, "SUBMENU_2", "submenu", "", "", ""},
        {MENU_4kanal, "4kanal", "item", "kanal_4", "4 Kanäle", "4 Channels"},
        {MENU_8kanal, "8kanal", "item", "kanal_8", "8 Kanäle", "8 Channels"},
        {MENU_16kanal, "16kanal", "item", "kanal_16", "16 Kanäle", "16 Channels"},
        {MENU_SEPARATOR_5, "SEPARATOR_5", "separator", "", "", ""},
        {MENU_cali, "cali", "item", "cali", "Kalibration", "Calibration"},
        {MENU_extras, "extras", "menu", "", "E__xtras", "__Tools"},
        {MENU_compare, "compare", "item", "compare", "Mit Rotorsystem vergleichen",
         "Compare With Rotor"},
        {MENU_send_changes, "send_changes", "item", "send_changes",
         "Änderungen senden und prüfen", "Send Changes and Verify"},
        {MENU_SEPARATOR_6, "SEPARATOR_6", "separator", "", "", ""},
        {MENU_link_log, "link_log", "item", "link_log", "__Schnittstellen-Protokoll",
         "__Link Log"},
        {MENU_show_link_log, "show_link_log", "item", "show_link_log", "Protokoll __anzeigen",
         "__Show Link Log"},
        {MENU_SEPARATOR_7, "SEPARATOR_7", "separator", "", "", ""},
        {MENU_cal_record, "cal_record", "item", "cal_record", "Kalibrierprotokoll anzeigen",
         "Show Calibration Record"},
        {MENU_config_sheet, "config_sheet", "item", "config_sheet",
         "Konfigurationsblatt als PDF...", "Configuration Sheet as PDF..."},
        {MENU_hilfe, "hilfe", "menu", "", "__Hilfe", "__Help"},
        {MENU_info, "info", "item", "info", "Inf__o", "Inf__o"}};
    ASSERT_EQ(root["menubars"].size(), 2u);
    for (const json &bar : root["menubars"]) {
        bool german = bar["number"] == MENUBAR;
        const json &entries = bar["entries"];
        ASSERT_EQ(entries.size(), std::size(menu));
        std::set<int> ids;  // numbered together from 2, without gaps
        for (size_t i = 0; i < entries.size(); i++) {
            const json &j = entries[i];
            const M &m = menu[i];
            SCOPED_TRACE(m.constant);
            EXPECT_EQ(j["id"], m.id);
            ids.insert(j["id"].get<int>());
            EXPECT_EQ(j["constant"], m.constant);
            EXPECT_EQ(j["kind"], m.kind);
            EXPECT_EQ(j.value("callback", ""), m.callback);
            // Labels as given; mnemonic marks may be added where a label has none.
            const std::string given = german ? m.de : m.en, label = j.value("label", "");
            if (given.find("__") != std::string::npos) {
                EXPECT_EQ(label, given);
            } else {
                EXPECT_EQ(platform::StripMnemonic(label), given);
            }
        }
        EXPECT_EQ(ids.size(), entries.size());
        EXPECT_EQ(*ids.begin(), 2);
        EXPECT_EQ(*ids.rbegin(), static_cast<int>(entries.size()) + 1);
        // Within one menu no two items share a mnemonic or a shortcut.
        std::map<std::pair<int, int>, std::string> mnemonics;
        std::set<std::string> shortcuts;
        for (const json &j : entries) {
            char key = 0;
            platform::StripMnemonic(j.value("label", ""), &key);
            if (key) {
                auto [it, fresh] = mnemonics.emplace(std::pair{j.value("parent", 0), std::tolower(static_cast<unsigned char>(key))},
                                                     j["constant"]);
                EXPECT_TRUE(fresh) << j["constant"] << " and " << it->second;
            }
            if (j.contains("shortcut")) {
                EXPECT_TRUE(shortcuts.insert(j["shortcut"]).second) << j["shortcut"];
            }
        }
        // Submenus: language items under 16, channel-count items under 21 (found by id:
        // the Edit menu's later ids stand after File's).
        auto by_id = [&entries](int id) -> const json & {
            for (const json &j : entries)
                if (j["id"] == id) return j;
            return entries[0];
        };
        EXPECT_EQ(by_id(MENU_sprache)["submenu"], MENU_SUBMENU);
        EXPECT_EQ(by_id(MENU_kanal)["submenu"], MENU_SUBMENU_2);
        for (int id : {MENU_sprache_d, MENU_sprache_e}) EXPECT_EQ(by_id(id)["parent"], MENU_SUBMENU);
        for (int id : {MENU_4kanal, MENU_8kanal, MENU_16kanal})
            EXPECT_EQ(by_id(id)["parent"], MENU_SUBMENU_2);
    }
}

}  // namespace
