// The calibration record: every calibration write that went out to the device, one line
// in "zek-calibration.csv" in the working directory, and the read-only table of it.
//
// The file is a CSV with a header line, in UTF-8 with a byte order mark so that
// spreadsheets take the umlauts, fields quoted where a spreadsheet needs it. It is only
// ever appended to: a file whose first line is not the record's header is left alone,
// and a torn last line is closed before new lines follow. Lines that cannot be written
// wait in memory and go out with the next write, so a full disk or a locked file costs
// no entry of the session; the operator hears of it once per session. An append that
// fails part-way keeps the lines that landed whole and cuts off the torn rest, which
// waits with the lines behind it. The waiting list is bounded; at exit it is written
// once more, and the operator hears how many lines are lost.
#include <algorithm>
#include <string>
#include <vector>

#include "calibration/calibration.h"
#include "channels/image.h"
#include "link/port.h"
#include "platform/files.h"
#include "platform/report.h"
#include "platform/userint.h"
#include "ui/texts.h"

const char cal_record_file[] = "zek-calibration.csv";
int record_waiting_max = RECORD_WAITING_MAX;

namespace {

using Record = std::vector<std::string>;

const char BOM[] = "\xEF\xBB\xBF";

std::vector<Record> pending;  // noted lines not yet in the file, oldest first
int dropped = 0;              // lines not noted because the waiting list was full
bool failure_shown = false;
bool drop_shown = false;
std::string file_error;       // the file service's text of the last failure
std::string why_not;          // the message on why the last write did not happen

// Keeps the failure's text before a close resets the I/O status; returns -1.
int failed(void)
{
    file_error = GetFmtIOErrorString(GetFmtIOError());
    return -1;
}

Record header(void)
{
    Record cells;
    for (const TextPair &name : txt::record_header) cells.push_back(text(name));
    return cells;
}

bool is_header(const Record &cells)
{
    Record de, en;
    for (const TextPair &name : txt::record_header) {
        de.push_back(name.de);
        en.push_back(name.en);
    }
    return cells == de || cells == en;
}

// Quoted when it holds a separator, a quote or a line break, or starts or ends with a
// blank; quotes inside are doubled.
std::string field(const std::string &s)
{
    const bool plain = s.find_first_of(",;\"\r\n") == std::string::npos &&
                       (s.empty() || (s.front() != ' ' && s.back() != ' '));
    if (plain) return s;
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

std::string line_of(const Record &cells)
{
    std::string out;
    for (size_t k = 0; k < cells.size(); k++) {
        if (k) out += ',';
        out += field(cells[k]);
    }
    return out + "\r\n";
}

// The records of CSV text; a quoted field may hold separators, doubled quotes and line
// breaks. A leading byte order mark is skipped.
std::vector<Record> parse(const std::string &text)
{
    std::vector<Record> records;
    Record cells;
    std::string cell;
    bool quoted = false, any = false;
    size_t k = text.compare(0, 3, BOM) == 0 ? 3 : 0;
    for (; k < text.size(); k++) {
        const char c = text[k];
        any = true;
        if (quoted) {
            if (c != '"') cell += c;
            else if (k + 1 < text.size() && text[k + 1] == '"') cell += text[++k];
            else quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            cells.push_back(cell);
            cell.clear();
        } else if (c == '\n') {
            if (!cell.empty() && cell.back() == '\r') cell.pop_back();
            cells.push_back(cell);
            records.push_back(cells);
            cells.clear();
            cell.clear();
            any = false;
        } else {
            cell += c;
        }
    }
    if (any) {
        cells.push_back(cell);
        records.push_back(cells);
    }
    return records;
}

// The record file whole into *content: 1 read, 0 there is none, -1 it cannot be read
// (file_error tells why).
int read_record(std::string *content)
{
    long size = 0;
    const int found = GetFileInfo(cal_record_file, &size);
    if (found <= 0) return found < 0 ? failed() : 0;
    const int handle = CVI_OpenFile(cal_record_file, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (handle < 0) return failed();
    content->assign(static_cast<size_t>(size), '\0');
    const int n = size > 0 ? CVI_ReadFile(handle, content->data(), static_cast<int>(size)) : 0;
    if (n < 0) failed();
    CVI_CloseFile(handle);
    if (n < 0) return -1;
    content->resize(static_cast<size_t>(n));
    return 1;
}

// Notes why the lines could not be written; false.
bool not_written(void)
{
    why_not = format_text(txt::record_not_written, file_error.c_str());
    return false;
}

// The record file's beginning (enough for its header), its last byte and its size,
// without reading what lies between: 1 read, 0 there is none or it is empty, -1 it
// cannot be read.
int read_ends(std::string *head, char *last, long *size)
{
    const int found = GetFileInfo(cal_record_file, size);
    if (found <= 0 || *size == 0) return found < 0 ? failed() : 0;
    const int handle = CVI_OpenFile(cal_record_file, VAL_READ_ONLY, VAL_OPEN_AS_IS, VAL_BINARY);
    if (handle < 0) return failed();
    head->assign(static_cast<size_t>(*size < 1024 ? *size : 1024), '\0');
    int n = CVI_ReadFile(handle, head->data(), static_cast<int>(head->size()));
    if (n >= 0) head->resize(static_cast<size_t>(n));
    if (n >= 0 && SetFilePtr(handle, -1, SEEK_FROM_END) >= 0) n = CVI_ReadFile(handle, last, 1);
    else n = -1;
    if (n != 1) failed();
    CVI_CloseFile(handle);
    return n == 1 ? 1 : -1;
}

// What goes before the waiting lines: the header for a new file, a line end after a torn
// last line; *size is where they go. False when the file may not be appended to.
bool prefix_for_file(std::string *prefix, long *size)
{
    std::string head;
    char last = '\n';
    const int found = read_ends(&head, &last, size);
    if (found < 0) return not_written();
    if (found == 0) {
        *prefix = std::string(BOM) + line_of(header());
        return true;
    }
    const size_t end = head.find('\n');
    if (end == std::string::npos || !is_header(parse(head.substr(0, end + 1)).front())) {
        why_not = format_text(txt::record_not_ours, cal_record_file);
        return false;
    }
    if (last != '\n') *prefix = "\r\n";
    return true;
}

// Appends bytes to the record; false after a failure of the open, the write or the
// close (file_error tells which).
bool append(const std::string &bytes)
{
    const int handle = CVI_OpenFile(cal_record_file, VAL_WRITE_ONLY, VAL_APPEND, VAL_BINARY);
    if (handle < 0) return failed(), false;
    bool written = CVI_WriteFile(handle, bytes.data(), static_cast<int>(bytes.size())) >= 0;
    if (!written) failed();
    if (CVI_CloseFile(handle) < 0 && written) {
        failed();
        written = false;
    }
    return written;
}

// After an append from offset `start` failed: how many of `lines` landed whole behind
// the prefix. The torn rest is cut off, so that the record again ends with a whole
// line and the lines that did not land are written once, whole, with the next append.
size_t whole_lines_landed(long start, const std::string &prefix,
                          const std::vector<std::string> &lines)
{
    long size = 0;
    if (GetFileInfo(cal_record_file, &size) <= 0 || size <= start) return 0;
    long end = start + static_cast<long>(prefix.size());
    size_t whole = 0;
    if (size < end) end = start;  // not even the prefix landed whole
    else
        while (whole < lines.size() && end + static_cast<long>(lines[whole].size()) <= size)
            end += static_cast<long>(lines[whole++].size());
    if (size > end) SetFileSize(cal_record_file, end);
    return whole;
}

// Appends the waiting lines; false when some still wait (why_not tells why).
bool write_pending(void)
{
    std::string prefix;
    long start = 0;
    if (!prefix_for_file(&prefix, &start)) return false;
    std::vector<std::string> lines;
    std::string out = prefix;
    for (const Record &r : pending) {
        lines.push_back(line_of(r));
        out += lines.back();
    }
    if (append(out)) {
        pending.clear();
        return true;
    }
    const size_t landed = whole_lines_landed(start, prefix, lines);
    pending.erase(pending.begin(), pending.begin() + static_cast<long>(landed));
    return not_written();
}

// Once per session each: the calibration is never held up by its record.
void tell_failure(void)
{
    if (failure_shown) return;
    failure_shown = true;
    MessagePopup(text(txt::record_title), why_not.c_str());
}

void tell_dropped(void)
{
    if (dropped == 0 || drop_shown) return;
    drop_shown = true;
    MessagePopup(text(txt::record_title),
                 format_text(txt::record_dropped, record_waiting_max).c_str());
}

// The ring's name of a bank, its padding taken out ("TE Typ 1", "DMS 2mV/V").
std::string bank_name(int bank)
{
    const int values[3] = {0, 64, 128};  // ring value of each bank
    for (int k = 0; k < 3; k++)
        if (txt::cali_item_values[k] == values[bank]) return item_words(txt::cali_items[k]);
    return std::to_string(bank);
}

const char *outcome_text(reply_outcome outcome)
{
    switch (outcome) {
    case reply_ok: return text(txt::record_acknowledged);
    case reply_refused: return text(txt::record_refused);
    case reply_unreadable: return text(txt::record_unreadable);
    default: return text(txt::record_no_reply);
    }
}

}  // namespace

void record_cali_write(int ch, int bank, int what, int before, int sent, reply_outcome outcome)
{
    const TextPair &written = what == RECORD_OFFSET ? txt::record_offset
                              : what == RECORD_GAIN ? txt::record_gain
                                                    : txt::record_range;
    if (pending.size() >= static_cast<size_t>(record_waiting_max)) {
        dropped++;
        return;
    }
    pending.push_back({LocalDateTime('T'), "COM" + std::to_string(com_port),
                       std::to_string(Kanalzahl_GUI), std::to_string(ch + 1), bank_name(bank),
                       text(written), std::to_string(before), std::to_string(sent),
                       outcome_text(outcome)});
}

void record_flush(void)
{
    if (!pending.empty() && !write_pending()) tell_failure();
    tell_dropped();
}

void record_at_exit(void)
{
    if (!pending.empty()) write_pending();
    const int lost = static_cast<int>(pending.size()) + dropped;
    if (lost > 0)
        MessagePopup(text(txt::record_title),
                     format_text(txt::record_lost, lost, cal_record_file).c_str());
}

void reset_calibration_state(void)
{
    cali_panel_handle = 0;
    cali_loaded_range = -1;
    forget_replaced();
    pending.clear();
    record_waiting_max = RECORD_WAITING_MAX;
    dropped = 0;
    failure_shown = drop_shown = false;
}

// Menu item "cal_record": the record, newest line first, with the lines still waiting
// to be written; a choice of channel above it.
void cal_record(int, int, void *, int)
{
    std::string content;
    const int found = read_record(&content);
    if (found < 0) {
        MessagePopup("", file_error.c_str());
        return;
    }
    std::vector<Record> records = parse(content);
    if (!records.empty() && !is_header(records.front())) {
        MessagePopup(text(txt::record_title),
                     format_text(txt::record_not_ours, cal_record_file).c_str());
        return;
    }
    if (records.size() <= 1 && pending.empty()) {
        MessagePopup(text(txt::record_title),
                     format_text(txt::record_empty, cal_record_file).c_str());
        return;
    }
    ReportContent report;
    report.title = text(txt::record_title);
    report.lines.push_back(cal_record_file);
    report.header = header();
    int damaged = 0;
    for (size_t k = 1; k < records.size(); k++) {
        if (records[k].size() == header().size()) report.rows.push_back(records[k]);
        else damaged++;
    }
    report.rows.insert(report.rows.end(), pending.begin(), pending.end());
    std::reverse(report.rows.begin(), report.rows.end());
    if (!pending.empty())
        report.notes.push_back(format_text(txt::record_pending, static_cast<int>(pending.size())));
    if (damaged) report.notes.push_back(format_text(txt::record_damaged, damaged));
    ShowReportTable(report, 3, text(txt::record_all));
}
