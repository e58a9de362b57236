// Command protocol: write frames with and without D, the calibration-signal frames, the
// acknowledgement wait and the whole-memory read. Every character group is followed by
// the pacing pause; while com_fault is set, frames go out without waiting for replies.
#include "link/protocol.h"

#include <cstring>

#include "channels/acknowledged.h"
#include "channels/config_text.h"
#include "channels/hex.h"
#include "channels/image.h"
#include "link/port.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/rs232.h"
#include "platform/userint.h"
#include "ui/texts.h"

namespace {

constexpr char CR = 13;
constexpr int ACK_LENGTH = 10;        // characters of a reply judged by the wait
constexpr int MEMORY_OK_AT = 1536;    // offset of "OK" in the whole-memory reply
constexpr int MAX_VALUE_DIGITS = 2;   // a device byte is at most two hex digits
constexpr double QUIET_INTERVAL = 0.2;  // silence that ends the rest of an over-long reply
constexpr double FOLLOW_INTERVAL = 0.5;  // how long a reply is watched for one behind it

void send_chars(const char *chars) { ComWrt(com_port, chars, static_cast<int>(std::strlen(chars))); }

void send_cr(void) { ComWrtByte(com_port, CR); }

// Sends one character group and waits the pacing pause.
void send_paced(const char *chars)
{
    send_chars(chars);
    Delay(COM_DELAY);
}

void send_hex_paced(int value)
{
    char pair[3];
    hex_pair(value, pair);
    send_paced(pair);
}

// Address high byte, address low byte, data byte, "W"; each paced. CR is left to the caller.
void send_write_groups(int address, int data)
{
    send_hex_paced((address & 0xFF00) / 256);
    send_hex_paced(address & 0xFF);
    send_hex_paced(data & 0xFF);
    send_paced("W");
}

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// True when the n received bytes hold `word` at offset `at`, in either letter case.
bool reply_has(const char *reply, int n, int at, const char *word)
{
    const int len = static_cast<int>(std::strlen(word));
    if (at < 0 || at + len > n) return false;
    for (int k = 0; k < len; k++)
        if (upper(reply[at + k]) != word[k]) return false;
    return true;
}

void show_serial_error(void)
{
    MessagePopup(text(txt::com_error), GetRS232ErrorString(GetRs232Err()));
}

// The acknowledgement wait, unless a failure has already been reported in this operation.
void await_reply(void)
{
    if (com_fault == 0)
        ack_com();
    else
        note_reply_outstanding(true);
}

// A command frame's tail: CR, then the acknowledgement wait.
void end_command(void)
{
    send_cr();
    await_reply();
}

void send_command(const char *command)
{
    send_paced(command);
    end_command();
}

// A read that filled its buffer stopped before the reply's CR. The rest of that reply
// is read and dropped, so that the next wait reads the reply to its own frame and not
// the tail of this one: up to its CR, at most an input queue's worth, and only while
// characters keep coming. A chunk that does not fill within QUIET_INTERVAL ends it, so
// that a reply without CR does not hold the window for the whole time-out. The port's
// time-out is restored afterwards.
void discard_rest_of_reply(void)
{
    constexpr int CHUNK = 16;  // about 37 ms of characters at 4800 baud
    char rest[CHUNK];
    double timeout = 0.0;
    if (GetComTime(com_port, &timeout) < 0) return;
    SetComTime(com_port, QUIET_INTERVAL);
    for (int left = COM_IN_QUEUE; left > 0; left -= CHUNK)
        if (ComRdTerm(com_port, rest, CHUNK, CR) != CHUNK) break;
    SetComTime(com_port, timeout);
}

// The innermost tally alive; each one links to the one made before it.
ReplyTally *tallies = nullptr;

void note_reply(reply_outcome outcome)
{
    note_reply_outcome(outcome);
    for (ReplyTally *t = tallies; t; t = t->outer)
        if (t->first_failed == reply_ok) t->first_failed = outcome;
}

// True when input starts to arrive within `seconds`.
bool input_within(double seconds)
{
    const double until = platform::ClockNow() + seconds;
    for (;;) {
        if (GetInQLen(com_port) > 0) return true;
        if (platform::ClockNow() >= until) return false;
        Delay(0.01);
    }
}

// Reads one reply into buffer (count bytes at most, up to CR); the number of bytes, or -1
// after a read failure (GetRs232Err tells which). While replies are outstanding, a reply
// that another one follows within FOLLOW_INTERVAL answered an earlier frame: it is dropped
// and the next one read instead, so that no frame is judged by another frame's reply.
int read_reply(char *buffer, int count)
{
    for (;;) {
        std::memset(buffer, 0, static_cast<size_t>(count));
        const int n = ComRdTerm(com_port, buffer, count, CR);
        if (GetRs232Err() < 0) {
            if (GetRs232Err() == RS232_TIMEOUT) note_reply_outstanding(true);
            return -1;
        }
        if (n == count) discard_rest_of_reply();
        if (!reply_outstanding() || !input_within(FOLLOW_INTERVAL)) {
            note_reply_outstanding(false);
            return n;
        }
    }
}

}  // namespace

int com_fault = 0;

ReplyTally::ReplyTally() : outer(tallies) { tallies = this; }

ReplyTally::~ReplyTally() { tallies = outer; }

void reset_link_state(void)
{
    reset_port_state();
    com_fault = 0;
}

int parse_memory_reply(const char *reply, int length, int values[512])
{
    int end = length < MEMORY_OK_AT ? length : MEMORY_OK_AT;
    int at = 0;
    for (int k = 0; k < IMAGE_SIZE; k++) {
        int value = 0;
        int digits = 0;
        for (; at < end && hex_digit(reply[at]) >= 0; at++, digits++)
            if (digits < MAX_VALUE_DIGITS) value = value * 16 + hex_digit(reply[at]);
        if (digits == 0 || digits > MAX_VALUE_DIGITS || at >= end) return 0;
        values[k] = value;
        at++;  // the separator
    }
    return 1;
}

int send_byte(int address, int data)
{
    send_write_groups(address, data);
    send_cr();
    Delay(COM_DELAY);
    await_reply();
    send_paced("D");
    end_command();
    return com_fault == 1 ? 1 : 0;
}

int send_byte_oD(int address, int data)
{
    SetComTime(com_port, COM_TIMEOUT);
    send_write_groups(address, data);
    end_command();
    return com_fault == 1 ? 1 : 0;
}

void clear_com_fault(void)
{
    reopen_after_hangup();
    if (com_fault != 0) FlushInQ(com_port);
    com_fault = 0;
}

void link_failure(void)
{
    MessagePopup(text(txt::port_error_title), text(txt::port_error_text));
}

// The channel's number, "Z" and CR, each paced; the reply is read after the settle time.
void send_autozero(int ch)
{
    SetComTime(com_port, COM_TIMEOUT);
    send_hex_paced(ch);
    send_paced("Z");
    send_cr();
    Delay(AUTOZERO_SETTLE);
    ack_com();
}

void cal_on(void) { send_command("C"); }

void cal_off(void) { send_command("U"); }

int ack_com(void)
{
    char reply[ACK_LENGTH + 1];
    SetWaitCursor(1);
    reply[ACK_LENGTH] = 0;
    DisableBreakOnLibraryErrors();
    const int n = read_reply(reply, ACK_LENGTH);
    EnableBreakOnLibraryErrors();
    if (n < 0) {
        note_reply(reply_missing);
        if (com_fault == 0) show_serial_error();
        SetWaitCursor(0);
        temp_hoch();
        com_fault = 1;
        return -1;
    }
    SetWaitCursor(0);
    const reply_outcome outcome = reply_has(reply, n, 0, "OK")      ? reply_ok
                                  : reply_has(reply, n, 0, "ERROR") ? reply_refused
                                                                    : reply_unreadable;
    note_reply(outcome);
    if (outcome == reply_ok) {
        temp_backup();
        com_fault = 0;
    } else if (outcome == reply_refused) {
        temp_hoch();
        if (com_fault == 0) MessagePopup(text(txt::com_error), text(txt::refusal));
        com_fault = 1;
    }
    return 0;
}

namespace {

// The whole-memory exchange shared by both reads: "R", the reply, and its parsing into
// values. Values are parsed into the caller's array, so that a reply that is not 512
// bytes in hex leaves every other copy as it was. Such a reply is reported like a
// refusal, so that the operator does not take an unchanged view for the device's memory.
// On success the wait cursor is left on for the caller to finish with.
int read_memory_reply(int values[IMAGE_SIZE])
{
    SetWaitCursor(1);
    SetComTime(com_port, COM_TIMEOUT);
    FlushInQ(com_port);
    send_paced("R");
    send_cr();
    Delay(COM_DELAY);
    DisableBreakOnLibraryErrors();
    const int n = read_reply(eingangsbuffer, static_cast<int>(sizeof eingangsbuffer));
    EnableBreakOnLibraryErrors();
    if (n < 0) {
        note_reply(reply_missing);
        show_serial_error();
        SetWaitCursor(0);
        return -1;
    }
    if (reply_has(eingangsbuffer, n, MEMORY_OK_AT, "OK") &&
        parse_memory_reply(eingangsbuffer, n, values)) {
        note_reply(reply_ok);
        return 0;
    }
    SetWaitCursor(0);
    const bool refused = reply_has(eingangsbuffer, n, 0, "ERROR");
    note_reply(refused ? reply_refused : reply_unreadable);
    MessagePopup(text(txt::com_error), text(refused ? txt::refusal : txt::memory_unreadable));
    return -1;
}

}  // namespace

int read_encoder(void)
{
    int values[IMAGE_SIZE];
    if (read_memory_reply(values) != 0) return -1;
    load_image(values);
    ini_panel_1();
    SetWaitCursor(0);
    return 0;
}

int read_memory(int values[IMAGE_SIZE])
{
    if (read_memory_reply(values) != 0) return -1;
    SetWaitCursor(0);
    return 0;
}

int read_memory_shown(int values[IMAGE_SIZE], double then, read_line line)
{
    if (line == new_read_line)
        ProgressBegin(text(txt::progress_read), READ_SECONDS + then, 0);
    else
        ProgressUpdate(text(txt::progress_read), READ_SECONDS + then);
    ProgressCountBytes(MEMORY_REPLY_LENGTH, CHAR_SECONDS, then);
    return values ? read_memory(values) : read_encoder();
}
