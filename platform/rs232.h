// Serial services: ports by number, fixed line settings, reads up to a terminator with
// a time-out through the platform clock, the last error code and its text.
#pragma once

#include <string>

// Error codes (negative), kept by GetRs232Err after each call.
enum {
    RS232_NO_ERROR = 0,
    RS232_UNKNOWN_ERROR = -1,
    RS232_PORT_NOT_FOUND = -2,       // no such device
    RS232_PORT_IN_USE = -3,          // another program holds it
    RS232_PERMISSION_DENIED = -4,
    RS232_PORT_NOT_OPEN = -5,
    RS232_TIMEOUT = -6,
    RS232_HANGUP = -7,               // device unplugged while open
    RS232_BAD_PORT_NUMBER = -8,
    RS232_BAD_SETTINGS = -9,
    RS232_IO_ERROR = -10,
};

int OpenComConfig(int port, const char *deviceName, long baudRate, int parity, int dataBits,
                  int stopBits, int inputQueueSize, int outputQueueSize);
int CloseCom(int port);
int SetComTime(int port, double timeoutSeconds);
// The port's current time-out into *timeoutSeconds, so that a caller can restore it.
int GetComTime(int port, double *timeoutSeconds);
int FlushInQ(int port);
// Number of received bytes waiting to be read, without waiting; or a negative error code.
int GetInQLen(int port);
// Return the number of bytes written, or a negative error code.
int ComWrt(int port, const char *buffer, int count);
int ComWrtByte(int port, int byte);
// Reads until terminationByte (not stored), count bytes, or the time-out. Returns the
// number of bytes stored, or a negative error code (RS232_TIMEOUT when nothing ended
// the read in time).
int ComRdTerm(int port, char *buffer, int count, int terminationByte);
// The error code of the last serial call (0 after success).
int GetRs232Err(void);
// Text of an error code in the run-time language (platform/language.h), built when
// asked; names the port and device path of the failing call.
const char *GetRS232ErrorString(int errorCode);

namespace platform {

// Port numbers the serial services take. The program's settings keep the port in one
// byte, so 255 is the highest number that survives a restart; the port dialog's field
// and the simulator offer the same range.
constexpr int kFirstComPort = 1;
constexpr int kLastComPort = 255;

// The port number an entry named COM<n> stands for, or -1 when the name is not the one
// the serial services give a port: n without leading zeros, within the numbers above.
// A name such as COM01 is some other entry, not port 1.
int ComEntryPort(const std::string &name);

// Default time-out of a port before any SetComTime.
constexpr double kDefaultComTimeout = 5.0;

// True while the port number is open.
bool ComIsOpen(int port);
// True once a call on the open port has found the device hung up or unplugged, until
// the port is opened again.
bool ComHungUp(int port);
// The open port's device path or description, as error texts name it; empty when the
// port is not open.
std::string ComDescription(int port);

}  // namespace platform
