// The port list of the port selection dialog. Built-in ports and COM<n> entries put
// their number into the field; a USB adapter gets the number in the field by linking
// COM<n> to its stable name, so the port mapping stays one rule and the adapter is found
// again after a replug or a reboot.
#include "link/port_list.h"

#include <string>
#include <vector>

#include "link/protocol.h"
#include "platform/serial/ports.h"
#include "platform/userint.h"
#include "ui/texts.h"
#include "ui/uir.h"

using platform::SerialPortInfo;
using platform::SerialPortKind;

static std::string port_root = "/";
// The ports the list shows, by item value.
static std::vector<SerialPortInfo> listed;

void set_port_list_root(const char *root) { port_root = root ? root : "/"; }

const char *port_list_root(void) { return port_root.c_str(); }

static std::string item_label(const SerialPortInfo &p)
{
    switch (p.kind) {
    case SerialPortKind::BuiltIn:
        return "COM" + std::to_string(p.port) + "  " + p.name + "  " + text(txt::port_builtin);
    case SerialPortKind::UsbAdapter:
        return p.name + "  " + p.maker + " " + p.product + "  " +
               (p.serial.empty() ? std::string(text(txt::port_no_serial))
                                 : text(txt::port_serial) + p.serial);
    case SerialPortKind::ComEntry:
        return p.name + " -> " + p.device +
               (p.present ? "" : std::string("  ") + text(txt::port_points_nowhere));
    }
    return p.name;
}

void fill_port_list(int panel)
{
    listed = platform::ListSerialPorts(port_root, ".");
    DeleteListItem(panel, PANEL_2_LISTBOX, 0, -1);
    for (size_t i = 0; i < listed.size(); ++i)
        InsertListItem(panel, PANEL_2_LISTBOX, -1, item_label(listed[i]).c_str(),
                       static_cast<int>(i));
}

// The chosen entry, nullptr when none is chosen.
static const SerialPortInfo *chosen(int panel)
{
    int index = -1;
    if (GetCtrlVal(panel, PANEL_2_LISTBOX, &index) < 0) return nullptr;
    if (index < 0 || index >= static_cast<int>(listed.size())) return nullptr;
    return &listed[static_cast<size_t>(index)];
}

static void refuse(const std::string &message)
{
    MessagePopup(text(txt::com_error), (message + text(txt::port_keeps)).c_str());
}

// Message for an adapter whose stable name cannot be used now; empty when it can.
static std::string adapter_problem(const SerialPortInfo &p)
{
    if (p.stable.empty()) return p.name + text(txt::port_no_stable);
    std::string group;
    switch (platform::CheckSerialDevice(p.stable, &group)) {
    case platform::kDeviceUsable: return "";
    case platform::kDeviceMissing:
        return text(txt::port_gone) + p.name + " (" + p.stable + ")" + text(txt::port_gone_advice);
    case platform::kDeviceDenied: break;
    }
    return text(txt::port_denied) + p.name + " (" + p.stable + ")" + text(txt::port_denied_group) +
           group + text(txt::port_denied_add) + group + text(txt::port_denied_login);
}

static int write_com_entry(int port, const SerialPortInfo &p)
{
    std::string reason;
    const std::string entry = "COM" + std::to_string(port);
    switch (platform::LinkComEntry(port, p.stable, &reason)) {
    case platform::kComEntryLinked: return 1;
    case platform::kComEntryNotALink: refuse(entry + text(txt::com_entry_not_link)); return 0;
    case platform::kComEntryNotWritten:
        refuse(entry + text(txt::com_entry_not_written) + reason);
        return 0;
    }
    return 0;
}

int link_chosen_adapter(int panel)
{
    const SerialPortInfo *p = chosen(panel);
    if (!p || p->kind != SerialPortKind::UsbAdapter) return 1;
    const std::string problem = adapter_problem(*p);
    if (!problem.empty()) {
        refuse(problem);
        fill_port_list(panel);
        return 0;
    }
    int port = 0;
    GetCtrlVal(panel, PANEL_2_NUMERIC, &port);
    return write_com_entry(port, *p);
}

// A built-in port or a COM entry is reached by its number: choosing it sets the field.
int com_port_list(int panel, int, int event, void *, int, int)
{
    clear_com_fault();
    if (event != EVENT_COMMIT) return 0;
    const SerialPortInfo *p = chosen(panel);
    if (p && p->kind != SerialPortKind::UsbAdapter) SetCtrlVal(panel, PANEL_2_NUMERIC, p->port);
    return 0;
}

void register_port_list_callbacks(void) { RegisterCtrlCallback("com_port_list", com_port_list); }
