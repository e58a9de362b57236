// Command protocol to the telemetry system's stationary unit.
#pragma once

#include "link/port.h"

constexpr double COM_TIMEOUT = 20.0;      // port time-out for replies
constexpr double AUTOZERO_SETTLE = 3.0;   // wait after an auto-zero command

// The pacing plan of each frame shape, for the time left of an operation: the pauses
// after its character groups, and for the whole-memory read its reply on the line.
constexpr double CHAR_SECONDS = 11.0 / 4800.0;     // one character at 4800 baud 8N2
constexpr int MEMORY_REPLY_LENGTH = 1539;  // whole-memory reply: 512 values, "OK", CR
constexpr double SEND_BYTE_SECONDS = 6 * COM_DELAY;     // four groups, pause after CR, D
constexpr double SEND_BYTE_OD_SECONDS = 4 * COM_DELAY;  // four groups
constexpr double READ_SECONDS = 2 * COM_DELAY + MEMORY_REPLY_LENGTH * CHAR_SECONDS;

// Link fault flag: 1 once a failure has been reported in the current operation; while
// set, frames go out without waiting for replies.
extern int com_fault;

// Write frame then D; 1 if com_fault is set afterwards, else 0.
int send_byte(int address, int data);
// Write frame only; 1 if com_fault is set afterwards, else 0.
int send_byte_oD(int address, int data);
// Auto-zero frame of zero-based channel ch, its settle time and the acknowledgement wait.
void send_autozero(int ch);
void cal_on(void);
void cal_off(void);
// Acknowledgement wait: 0 after a reply, -1 after a read failure.
int ack_com(void);
// A tally of reply waits, held by its caller: from its making until it goes, every wait
// is noted in it, and `first_failed` keeps the first that did not end in "OK" (reply_ok
// while every one did, or none ran). One frame may hold two waits (a write frame and its
// D): the tally sees both. A reply that is neither OK nor ERROR leaves the link fault
// flag clear, so whoever judges a whole operation (zek-cli, the calibration record)
// holds a tally. Tallies nest: an inner one does not hide waits from an outer one.
struct ReplyTally {
    ReplyTally();
    ~ReplyTally();
    ReplyTally(const ReplyTally &) = delete;
    ReplyTally &operator=(const ReplyTally &) = delete;

    reply_outcome first_failed = reply_ok;
    ReplyTally *outer;
};
// The link folder's state as the process starts it: the port's (reset_port_state) and
// the link fault flag clear.
void reset_link_state(void);
// Whole-memory read into the configuration image: 0 when the image and the window now
// hold the device's memory, else -1 after a message ("COM ERROR") and with the image
// unchanged: read failure, refusal, or a reply that is not 512 values and "OK".
int read_encoder(void);
// The same read into the caller's values: the image and the window stay as they are.
int read_memory(int values[512]);
// The whole-memory read as an operation shows it: the progress line announces the read
// and plans `then` seconds after it, and counts the reply's bytes; the line is a new one,
// or the running line's next step. Reads into values, or into the image and the window
// when values is nullptr; the result as read_memory's. The line stays for the caller.
enum read_line { new_read_line, next_step_of_line };
int read_memory_shown(int values[512], double then, read_line line);
// The link-failure message of an operation that writes to the device.
void link_failure(void);
// Clears the link fault flag at the start of an operation. After a failure, frames went
// out without waiting and their replies are still queued; they are discarded, so that
// no later acknowledgement wait takes a stale "OK" for the reply to its own frame.
void clear_com_fault(void);
// Reads the 512 values of a whole-memory reply (its first `length` bytes) into values:
// each is one or two hex digits followed by one separator character, all before the
// "OK" at offset 1536. Returns 1, or 0 when the reply does not hold 512 such values.
int parse_memory_reply(const char *reply, int length, int values[512]);
