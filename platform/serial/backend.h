// platform/serial/ owns the serial services of rs232.h: the backend interface, the
// operating-system backends (backend_*.cpp), the port list (ports.h), the waits, the
// link log's tap and the test seam (testing.h). It sees files/ below it.
//
// What a serial backend implements: one open port, and the opening of ports by number.
// The serial services (rs232.h) dispatch to the backend in use; the termios backend is
// the default, tests install the in-process simulator's.
#pragma once

#include <memory>
#include <string>

#include "platform/rs232.h"

namespace platform {

// Line settings of an open: baud rate, parity (0 none, 1 odd, 2 even), data bits (5..8)
// and stop bits (1 or 2). The serial services check that they are valid; a backend
// refuses what its device cannot do.
struct LineSettings {
    long baud = 0;
    int parity = 0;
    int dataBits = 8;
    int stopBits = 1;
};

// One open port as a backend sees it. Every wait ends by an absolute deadline on the
// platform clock, which the serial services compute from the port's time-out.
class SerialPort {
public:
    virtual ~SerialPort() = default;
    // Writes all bytes by the deadline; returns count or a negative RS232_* code.
    virtual int Write(const char *data, int count, double deadline) = 0;
    // As ComRdTerm, by the deadline.
    virtual int ReadTerm(char *buffer, int count, int term, double deadline) = 0;
    virtual int Flush() = 0;
    // Bytes received and not yet read, taking in what has arrived without waiting.
    virtual int InQueueLength() = 0;
    // Device path or description for error texts.
    virtual std::string Describe() const = 0;
};

// Opens ports for a backend. Returns nullptr and sets *error (and *path) on failure.
class SerialBackend {
public:
    virtual ~SerialBackend() = default;
    virtual std::unique_ptr<SerialPort> Open(int port, const LineSettings &line, int *error,
                                             std::string *path) = 0;
};

// The device named by the port's open (OpenComConfig's deviceName), empty for the
// port's own device.
std::string ComDeviceName(int port);

// For a port's ReadTerm: moves bytes from the front of `queue` into buffer[*n..] up to
// the terminator (taken from the queue, not stored) or until *n reaches count, advancing
// *n. True when the terminator was met or the buffer is full: the read is complete.
bool TakeFromQueue(std::string &queue, char *buffer, int count, int term, int *n);

}  // namespace platform
