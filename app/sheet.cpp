// The configuration sheet: the document, the system and port, and every displayed
// channel's settings and calibration words on an A4 page, with the last check of this
// session, written as a PDF for test reports.
#include <string>
#include <vector>

#include "app/shell.h"
#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/port.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "platform/report.h"
#include "platform/userint.h"
#include "transfer/transfer.h"
#include "ui/texts.h"

namespace {

// Characters that a file name cannot hold on one of the systems the sheet may travel to.
bool unfit_in_name(char c)
{
    return static_cast<unsigned char>(c) < 0x20 ||
           std::string("<>:\"|?*").find(c) != std::string::npos;
}

// The last part of a path.
std::string name_part(const std::string &path)
{
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool has_extension(const std::string &path)
{
    const std::string name = name_part(path);
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && dot > 0 && dot + 1 < name.size();
}

// The document's name with ".pdf" for its extension; characters a file name cannot hold
// become "_", so that the offered name can always be written.
std::string default_sheet_name(void)
{
    std::string name = name_part(File_Name);
    const size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    for (char &c : name)
        if (unfit_in_name(c)) c = '_';
    return (name.empty() ? std::string(text(txt::sheet_title)) : name) + ".pdf";
}

std::string word_text(int address) { return std::to_string(image_word(address)); }

std::vector<std::string> channel_row(int ch)
{
    std::string range, bridge;
    channel_mode_words(aktuelle_daten, ch, &range, &bridge);
    std::vector<std::string> row{std::to_string(ch + 1), range, bridge.empty() ? "-" : bridge};
    const int b0 = block_address(0, ch);
    row.push_back(word_text(b0 + OFF_RANGE_OFFSET));
    row.push_back(word_text(b0 + OFF_RANGE_GAIN));
    for (int bank = 0; bank < BANK_COUNT; bank++) {
        row.push_back(word_text(block_address(bank, ch) + OFF_CAL_OFFSET));
        row.push_back(word_text(block_address(bank, ch) + OFF_CAL_GAIN));
    }
    return row;
}

}  // namespace

ReportContent configuration_sheet(void)
{
    ReportContent sheet;
    sheet.title = text(txt::sheet_title);
    set_channel_system();
    sheet.lines = {text(txt::sheet_document) + std::string(File_Name),
                   format_text(txt::sheet_created, LocalDateTime(' ').c_str()), channel_system,
                   format_text(txt::sheet_port, com_port)};
    for (const TextPair &name : txt::sheet_header) sheet.header.push_back(text(name));
    for (int ch = 0; ch < channel_rows(Kanalzahl_GUI); ch++) sheet.rows.push_back(channel_row(ch));
    sheet.notes.push_back(text(txt::sheet_words_note));
    const std::string check = last_check_title();
    if (!check.empty()) {
        sheet.notes.push_back(
            format_text(txt::sheet_last_check, check.c_str(), last_check_time().c_str()));
        for (const std::string &line : last_check_lines()) sheet.notes.push_back("  " + line);
    }
    return sheet;
}

std::string unfit_sheet_name(const std::string &path)
{
    const std::string last = name_part(path);
    for (char c : last)
        if (unfit_in_name(c)) return last;
    return "";
}

int write_configuration_sheet(const char *path)
{
    return WriteReportPdf(path, configuration_sheet());
}

// Menu item "config_sheet": asks for the PDF's name and writes the sheet. A file that
// cannot be written is reported with its reason; an existing one then stays as it was.
void config_sheet(int, int, void *, int)
{
    char path[MAX_PATHNAME_LEN] = "";
    const int chosen = FileSelectPopup("", default_sheet_name().c_str(), "*.pdf",
                                       text(txt::sheet_save_title), VAL_SAVE_BUTTON, 0, 0, 1, 1,
                                       path);
    if (chosen == UIE_PATH_TOO_LONG) MessagePopup(text(txt::sheet_title), text(txt::path_too_long));
    if (chosen < 0 && chosen != UIE_PATH_TOO_LONG) MessagePopup("", text(txt::file_error));
    if (chosen <= 0) return;
    std::string name = path;
    const std::string unfit = unfit_sheet_name(name);
    if (!unfit.empty()) {
        MessagePopup(text(txt::sheet_title),
                     format_text(txt::sheet_bad_name, unfit.c_str()).c_str());
        return;
    }
    if (!has_extension(name)) name += ".pdf";
    if (write_configuration_sheet(name.c_str()) < 0) {
        MessagePopup("", GetFmtIOErrorString(GetFmtIOError()));
    } else {
        SetStatusLine((text(txt::sheet_written) + name).c_str());
    }
}
