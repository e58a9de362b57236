// zek-cli: the tool's operations for scripts, test benches and production lines. It runs
// the same system code as the window, on the console front end: the main panel lives in
// the ui model only, an operation is the operator's action on its control, popups become
// lines on stderr. It changes no file but those named on its command line.
#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <nlohmann/json.hpp>
#include <string>

#include "app/shell.h"
#include "channels/acknowledged.h"
#include "channels/config_text.h"
#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/port.h"
#include "link/protocol.h"
#include "platform/host/arguments.h"
#include "platform/frontend/console/console.h"
#include "platform/files.h"
#include "platform/frontend.h"
#include "platform/link_log.h"
#include "platform/rs232.h"
#include "platform/serial/ports.h"
#include "platform/userint.h"
#include "transfer/transfer.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

// Exit statuses. FILE_FAILED also ends a run that met an unexpected error.
enum { DONE = 0, LINK_FAILED = 1, BAD_USAGE = 2, FILE_FAILED = 3, DIFFERENT = 4 };

struct Options {
    std::string port, log, lang;
    int channels = 0;
    bool json = false;
};
Options options;
nlohmann::json result;

// What --port names: a port number, or else (0) the device path.
int port_number = 0;
std::string port_device;

int fail_usage(const std::string &what)
{
    std::cerr << "zek-cli: " << what << "\n";
    return BAD_USAGE;
}

// Reads --port whole: a port number 1..255 (leading zeros allowed) or a device path, which
// names a folder ("./COM3", "/dev/ttyUSB0"). Empty when it is one of them, else why not.
std::string take_port(const std::string &value)
{
    const std::string wrong = "--port " + value + " is neither a port number from 1 to 255 "
                              "nor a device path (such as /dev/ttyUSB0 or ./COM3)";
    if (value.empty()) return wrong;
    if (value.find_first_not_of("0123456789") == std::string::npos) {
        int n = 0;
        for (char c : value) n = std::min(n * 10 + (c - '0'), 1000);
        if (n < 1 || n > 255) return wrong;
        port_number = n;
        return "";
    }
    if (value.find_first_of("/\\") == std::string::npos) return wrong;
    if (value.size() >= sizeof com_device) return "--port: the device path is too long";
    port_device = value;
    return "";
}

// The settings file when there is one, then what the command line says.
void cli_settings(void)
{
    read_config_if_present();
    if (options.lang == "de") sprache = 0;
    if (options.lang == "en") sprache = 1;
    if (options.channels == 4 || options.channels == 8) Kanalzahl = 8;
    if (options.channels == 16) Kanalzahl = 16;
    if (options.channels != 0) Kanalzahl_GUI = options.channels;
    if (port_number != 0) com_port = port_number;
    if (port_device.empty()) return;
    std::snprintf(com_device, sizeof com_device, "%s", port_device.c_str());
    com_port = 1;
}

// The program without a window: the main panel in the model with the settings, the
// acknowledged state in memory. Nothing is opened yet. Non-zero when it cannot start.
int prepare(const char *argv0)
{
    char *argv[] = {const_cast<char *>(argv0), nullptr};
    if (InitCVIRTE(nullptr, argv, nullptr) == 0) {
        std::cerr << "zek-cli: the program's own folder cannot be found\n";
        return FILE_FAILED;
    }
    platform::InstallConsoleFrontEnd();
    register_callbacks();
    keep_acknowledged_in_memory();
    if (load_main_panel(cli_settings) != 0) {
        std::cerr << "zek-cli: the resource cannot be read\n";
        return FILE_FAILED;
    }
    if (com_port < 1 || com_port > 255) return fail_usage("port numbers run from 1 to 255");
    return DONE;
}

bool port_opened = false;

// The link log and the port; the main panel is shown, so that the operator's actions
// reach it. Non-zero when either cannot be opened.
int open_link(void)
{
    if (!options.log.empty() && !platform::SetLinkLog(options.log))
        return std::cerr << "zek-cli: " << options.log << ": cannot write the link log\n",
               FILE_FAILED;
    com_on();
    port_opened = true;
    if (GetRs232Err() < 0) {
        std::cerr << "zek-cli: " << GetRS232ErrorString(GetRs232Err()) << "\n";
        return LINK_FAILED;
    }
    DisplayPanel(panel_handle);
    return DONE;
}

// A one-based channel within the displayed channel count; empty when it is one.
std::string channel_usage(int ch)
{
    if (ch >= 1 && ch <= Kanalzahl_GUI) return "";
    return "channel " + std::to_string(ch) + " is not one of 1.." + std::to_string(Kanalzahl_GUI);
}

// A sheet's name as the window's menu takes it, extension included; empty when it is one.
std::string sheet_usage(const std::string &out)
{
    const std::string unfit = unfit_sheet_name(out);
    if (unfit.empty()) return "";
    return unfit + ": a file name cannot hold < > : \" | ? * or control characters";
}

// Ring position of a range as the ring shows it: "32mV/V" .. "1mV/V", "TC1", "TC2".
int range_index(const std::string &range)
{
    static const char *names[8] = {"32mV/V", "16mV/V", "8mV/V", "4mV/V",
                                   "2mV/V",  "1mV/V",  "TC1",   "TC2"};
    for (int i = 0; i < 8; i++)
        if (range == names[i]) return i;
    return -1;
}

std::string set_usage(int ch, const std::string &range, bool half_bridge)
{
    const int index = range_index(range);
    if (!channel_usage(ch).empty()) return channel_usage(ch);
    if (index < 0) return "unknown range " + range + " (32mV/V .. 1mV/V, TC1, TC2)";
    if (index > 5 && half_bridge) return "a thermocouple range has no half bridge";
    return "";
}

// An operation that writes succeeds only when no failure was reported and every reply
// it waited for was OK: a reply that is neither OK nor ERROR leaves the link fault flag
// clear, yet says nothing about whether the frame was taken. An operation's replies
// and the messages it printed count from the making of its Operation.
struct Operation {
    ReplyTally replies;
    int console_lines = platform::ConsoleMessageCount();

    int status(void) const;
};

int Operation::status(void) const
{
    const reply_outcome not_ok = replies.first_failed;
    if (com_fault != 1 && not_ok == reply_ok) return DONE;
    if (platform::ConsoleMessageCount() == console_lines)
        std::cerr << (not_ok == reply_unreadable
                          ? "zek-cli: a reply of the device was neither OK nor ERROR\n"
                          : "zek-cli: a frame was not acknowledged with OK\n");
    return LINK_FAILED;
}

int run_ports(void)
{
    result["ports"] = nlohmann::json::array();
    for (const platform::SerialPortInfo &p : platform::ListSerialPorts("/", ".")) {
        std::string where = p.stable.empty() ? p.device : p.stable;
        std::string what = p.maker + (p.product.empty() ? "" : " " + p.product) +
                           (p.serial.empty() ? "" : " (" + p.serial + ")");
        if (!options.json) std::printf("%-8s %s %s\n", p.name.c_str(), where.c_str(), what.c_str());
        result["ports"].push_back({{"name", p.name}, {"device", p.device}, {"stable", p.stable},
                                   {"maker", p.maker}, {"product", p.product},
                                   {"serial", p.serial}, {"port", p.port}});
    }
    return DONE;
}

int run_upload(const std::string &file)
{
    clear_com_fault();
    if (read_encoder() != 0) return LINK_FAILED;
    datei_schreiben(file.c_str());
    if (report_status() != 0) return FILE_FAILED;
    return DONE;
}

// The file is taken with the window's Open checks.
int open_document(const std::string &file)
{
    if (datei_lesen(file.c_str(), VAL_READ_ONLY) != 0) return FILE_FAILED;
    if (!ist_konfigurationstext()) {
        std::cerr << "zek-cli: " << file << ": " << text(txt::not_config_file) << "\n";
        return FILE_FAILED;
    }
    einlesen_ini();
    return DONE;
}

// Reads the memory back and compares every address the download wrote.
int verify_download(void)
{
    int device[IMAGE_SIZE];
    if (read_memory(device) != 0) return LINK_FAILED;
    result["differences"] = nlohmann::json::array();
    int channels[16], verified = 0;
    for (int ch = 0; ch < Kanalzahl; ch++) channels[ch] = ch;
    for (const VerifiedAddress &d : differing_group_addresses(channels, Kanalzahl, device, &verified)) {
        std::fprintf(stderr, "zek-cli: address %d holds %02X, %02X was sent\n", d.address, d.read,
                     d.sent);
        result["differences"].push_back({{"address", d.address}, {"sent", d.sent}, {"held", d.read}});
    }
    result["verified"] = verified;
    return result["differences"].empty() ? DONE : DIFFERENT;
}

int run_download(const std::string &file, bool verify)
{
    int status = open_document(file);
    if (status != DONE) return status;
    const Operation operation;
    down();
    if (!verify) return operation.status();
    return com_fault == 1 ? LINK_FAILED : verify_download();
}

// The differences between FILE and the device, in words per channel. A file holds the
// entries below TEXT_ENTRIES only; beyond them it says nothing, so nothing differs there.
int run_compare(const std::string &file)
{
    int status = open_document(file);
    if (status != DONE) return status;
    int device[IMAGE_SIZE];
    clear_com_fault();
    if (read_memory(device) != 0) return LINK_FAILED;
    set_image_entries(TEXT_ENTRIES, device + TEXT_ENTRIES, IMAGE_SIZE - TEXT_ENTRIES);
    result["differences"] = nlohmann::json::array();
    for (const std::string &line : configuration_differences(aktuelle_daten, device)) {
        if (!options.json) std::printf("%s\n", line.c_str());
        result["differences"].push_back(line);
    }
    return result["differences"].empty() ? DONE : DIFFERENT;
}

// Sends only the channel groups that differ and verifies them, as the menu item does.
int run_send_changes(const std::string &file)
{
    int status = open_document(file);
    if (status != DONE) return status;
    const int outcome = send_changes_and_verify();
    if (outcome == SEND_LINK_FAILED || com_fault == 1) return LINK_FAILED;
    return outcome == READ_BACK_DIFFERS ? DIFFERENT : DONE;
}

// The configuration sheet of FILE, opened with the window's checks without any port, or
// else of the device's memory in one whole read.
int run_sheet(const std::string &out, const std::string &from)
{
    if (!from.empty()) {
        const int status = open_document(from);
        if (status != DONE) return status;
        std::snprintf(File_Name, sizeof File_Name, "%s", from.c_str());  // as Open names it
    } else {
        int status = open_link();
        if (status != DONE) return status;
        clear_com_fault();
        if (read_encoder() != 0) return LINK_FAILED;
    }
    if (write_configuration_sheet(out.c_str()) < 0) {
        std::cerr << "zek-cli: " << GetFmtIOErrorString(GetFmtIOError()) << "\n";
        return FILE_FAILED;
    }
    result["sheet"] = out;
    return DONE;
}

int run_set(int ch, const std::string &range, bool half_bridge)
{
    const Operation operation;
    SetCtrlVal(panel_handle, panel_checkbox[ch - 1], half_bridge ? 1 : 0);
    platform::OperatorSetValue(panel_handle, panel_rings[ch - 1], range_index(range));
    return operation.status();
}

// The button is dimmed for a thermocouple channel, as in the window: the device's memory
// is read first so that the row shows what the channel is.
int run_zero(int ch)
{
    clear_com_fault();
    const Operation operation;
    if (read_encoder() != 0) return LINK_FAILED;
    if (!platform::OperatorPressButton(panel_handle, panel_command_button[ch - 1]))
        return fail_usage("channel " + std::to_string(ch) + " is a thermocouple channel");
    return operation.status();
}

int run_shunt(const std::string &state)
{
    const Operation operation;
    platform::OperatorToggle(panel_handle, PANEL_TOGGLEBUTTON, state == "on" ? 1 : 0);
    return operation.status();
}

// The command being run (empty before one is known), for the result.
std::string command_name;
bool reported = false;

// Ends every run, failed or not: closes what was opened and, under --json, prints the
// one result object. Texts that are not UTF-8 (a port link's target) are printed with
// their invalid bytes replaced.
int finish(int status)
{
    if (port_opened) {
        port_opened = false;
        com_off();
    }
    platform::SetLinkLog("");
    if (reported) return status;
    reported = true;
    if (!command_name.empty()) result["command"] = command_name;
    result["status"] = status;
    result["ok"] = status == DONE;
    if (options.json)
        std::cout << result.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace)
                  << "\n";
    return status;
}

// Nothing a user gives makes zek-cli abort: whatever escapes ends the run with a message.
int unexpected(const char *what)
{
    std::cerr << "zek-cli: unexpected error: " << what << "\n";
    try {
        return finish(FILE_FAILED);
    } catch (...) {
        return FILE_FAILED;
    }
}

bool json_asked(int argc, char **argv)
{
    for (int i = 1; i < argc; i++)
        if (std::string(argv[i]) == "--json") return true;
    return false;
}

int run(int argc, char **argv)
{
    CLI::App app{"zek-cli: configuration of the rotor telemetry system from the command line"};
    app.require_subcommand(1);
    app.fallthrough();  // the common options may also follow the command
    auto *port = app.add_option("--port", options.port, "port number (COM<n> of the working directory) or device path");
    app.add_option("--channels", options.channels, "channel count")->check(CLI::IsMember({4, 8, 16}));
    app.add_flag("--json", options.json, "machine-readable result on stdout");
    app.add_option("--log", options.log, "link log file");
    app.add_option("--lang", options.lang, "language of the messages")->check(CLI::IsMember({"de", "en"}));

    std::string file, range, state;
    int ch = 0;
    bool half_bridge = false, verify = false;
    auto *ports = app.add_subcommand("ports", "list the serial ports present");
    auto *upload = app.add_subcommand("upload", "read the device's memory into FILE");
    upload->add_option("FILE", file)->required();
    auto *download = app.add_subcommand("download", "send FILE as the menu's download does");
    download->add_option("FILE", file)->required();
    download->add_flag("--verify", verify, "read back and compare every written address");
    auto *send = app.add_subcommand("send-changes", "send only what differs, then verify");
    send->add_option("FILE", file)->required();
    auto *compare_ = app.add_subcommand("compare", "list the differences between FILE and the device");
    compare_->add_option("FILE", file)->required();
    auto *set = app.add_subcommand("set", "one channel's sensor range");
    set->add_option("CH", ch)->required();
    set->add_option("RANGE", range, "32mV/V .. 1mV/V, TC1, TC2")->required();
    set->add_flag("--half-bridge", half_bridge);
    auto *zero = app.add_subcommand("zero", "auto-zero of one channel");
    zero->add_option("CH", ch)->required();
    std::string from;
    auto *sheet = app.add_subcommand("sheet", "write the configuration sheet as PDF");
    sheet->add_option("OUT", file, "the PDF to write")->required();
    sheet->add_option("--from", from, "a configuration file instead of the device");
    auto *shunt = app.add_subcommand("shunt", "calibration signal on or off");
    shunt->add_option("STATE", state)->required()->check(CLI::IsMember({"on", "off"}));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError &e) {
        for (const CLI::App *sub : app.get_subcommands()) command_name = sub->get_name();
        options.json = options.json || json_asked(argc, argv);
        // Under --json stdout holds the result object alone, so help goes to stderr.
        const int code = options.json ? app.exit(e, std::cerr, std::cerr) : app.exit(e);
        return finish(code == 0 ? DONE : BAD_USAGE);
    }
    command_name = app.get_subcommands().front()->get_name();

    // Usage first: nothing is opened for a command line that cannot be carried out.
    if (port->count() > 0) {
        const std::string wrong = take_port(options.port);
        if (!wrong.empty()) return finish(fail_usage(wrong));
    }
    if (ports->parsed()) return finish(run_ports());
    int status = prepare(argv[0]);
    if (status != DONE) return finish(status);
    const std::string wrong = set->parsed()    ? set_usage(ch, range, half_bridge)
                              : zero->parsed() ? channel_usage(ch)
                              : sheet->parsed() ? sheet_usage(file)
                                               : "";
    if (!wrong.empty()) return finish(fail_usage(wrong));
    if (sheet->parsed()) return finish(run_sheet(file, from));
    status = open_link();
    if (status != DONE) return finish(status);
    if (upload->parsed()) return finish(run_upload(file));
    if (download->parsed()) return finish(run_download(file, verify));
    if (send->parsed()) return finish(run_send_changes(file));
    if (compare_->parsed()) return finish(run_compare(file));
    if (set->parsed()) return finish(run_set(ch, range, half_bridge));
    if (zero->parsed()) return finish(run_zero(ch));
    return finish(run_shunt(state));
}

}  // namespace

int main(int argc, char **argv)
{
    platform::Utf8Arguments(&argc, &argv);
    try {
        return run(argc, argv);
    } catch (const std::exception &e) {
        return unexpected(e.what());
    } catch (...) {
        return unexpected("of unknown kind");
    }
}
