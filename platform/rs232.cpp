// Serial services: the table of open ports, dispatch to the backend in use, the
// per-port time-out, the error code of the last call and its text.
#include "platform/rs232.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "platform/clock.h"
#include "platform/serial_posix.h"

namespace platform {
namespace {

struct OpenPort {
    std::unique_ptr<SerialPort> io;
    double timeout = kDefaultComTimeout;
};

// Context of the last failing call, for its text.
struct LastError {
    int code = RS232_NO_ERROR;
    int port = 0;
    std::string path;
    double timeout = 0.0;
    bool known = true;  // false: a code without a failing call behind it
};

SerialBackend *installed = nullptr;
std::map<int, OpenPort> ports;
std::map<int, std::string> triedPath;  // device path of each port's last open attempt
LastError lastError;
std::string errorText;

SerialBackend &Backend() { return installed ? *installed : PosixSerialBackend(); }

bool ValidPort(int port) { return port >= kFirstComPort && port <= kLastComPort; }

int Fail(int code, int port, const std::string &path = {}, double timeout = 0.0)
{
    lastError = {code, port, path, timeout};
    return code;
}

int Succeed(int result)
{
    lastError = {};
    return result;
}

// The open port, or nullptr after recording why there is none.
OpenPort *Lookup(int port)
{
    if (!ValidPort(port)) {
        Fail(RS232_BAD_PORT_NUMBER, port);
        return nullptr;
    }
    auto it = ports.find(port);
    if (it == ports.end()) {
        auto tried = triedPath.find(port);
        Fail(RS232_PORT_NOT_OPEN, port, tried == triedPath.end() ? "" : tried->second);
        return nullptr;
    }
    return &it->second;
}

std::string PortName(const LastError &e)
{
    return e.known ? "COM" + std::to_string(e.port) : "The serial port";
}

// "COM3 (./COM3 -> /dev/ttyUSB0)", or "COM3" without a known path.
std::string Where(const LastError &e)
{
    std::string where = PortName(e);
    if (!e.path.empty()) where += " (" + e.path + ")";
    return where;
}

std::string Seconds(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", s);
    return buf;
}

std::string ContextText(const LastError &e)
{
    const std::string port = PortName(e);
    const std::string where = Where(e);
    switch (e.code) {
    case RS232_NO_ERROR:
        return "No serial error.";
    case RS232_PORT_NOT_FOUND:
    {
        const std::string link = e.known ? "COM" + std::to_string(e.port) : "COM<n>";
        return port + ": no serial device at " + (e.path.empty() ? "the port" : e.path) +
               ". Check that the adapter is plugged in, or link the device as " + link +
               " in the working directory (ln -s /dev/ttyUSB0 " + link + ").";
    }
    case RS232_PORT_IN_USE:
        return where + " is in use by another program. Close that program or choose "
                       "another port.";
    case RS232_PERMISSION_DENIED:
    {
        std::string group = e.known ? PosixDeviceGroup(e.port) : "";
        if (group.empty()) group = "dialout";
        return where + ": permission denied. The device belongs to the group " + group +
               ": add your user to it (sudo usermod -aG " + group + " $USER) and log in again.";
    }
    case RS232_PORT_NOT_OPEN:
        return where + " is not open. Choose the port in the port selection dialog.";
    case RS232_TIMEOUT:
        return where + ": no reply within " +
               (e.known ? Seconds(e.timeout) + " s" : std::string("the time-out")) + ". Check the cable and that the telemetry unit is switched on.";
    case RS232_HANGUP:
        return where + ": the device was unplugged or hung up. Reconnect it and choose "
                       "the port again.";
    case RS232_BAD_PORT_NUMBER:
        return (e.known ? "Port number " + std::to_string(e.port) : std::string("The port number")) +
               " is not valid. Choose a port from " +
               std::to_string(kFirstComPort) + " to " + std::to_string(kLastComPort) + ".";
    case RS232_BAD_SETTINGS:
        return where + ": cannot use 4800 baud, 8 data bits, no parity, 2 stop bits. Check "
                       "that this is a serial device.";
    case RS232_IO_ERROR:
        return where + ": input/output error. Check the cable and the adapter.";
    default:
        return where + ": unknown serial error " + std::to_string(e.code) + ".";
    }
}

}  // namespace

void InstallSerialBackend(SerialBackend *backend)
{
    ports.clear();  // ports belong to the backend that opened them
    installed = backend;
}

void ResetSerial()
{
    ports.clear();
    triedPath.clear();
    lastError = {};
}

bool ComIsOpen(int port) { return ports.count(port) != 0; }

bool TakeFromQueue(std::string &queue, char *buffer, int count, int term, int *n)
{
    size_t used = 0;
    bool ended = false;
    while (used < queue.size() && *n < count) {
        const char c = queue[used++];
        if (static_cast<unsigned char>(c) == term) {
            ended = true;
            break;
        }
        buffer[(*n)++] = c;
    }
    queue.erase(0, used);
    return ended || *n >= count;
}

double ComTimeout(int port)
{
    auto it = ports.find(port);
    return it == ports.end() ? kDefaultComTimeout : it->second.timeout;
}

}  // namespace platform

using namespace platform;

// The device name is not used: the device always follows from the port number. Every
// open starts with the default time-out; only the fixed line settings are accepted.
int OpenComConfig(int port, const char * /*deviceName*/, long baudRate, int parity,
                  int dataBits, int stopBits, int inputQueueSize, int outputQueueSize)
{
    if (!ValidPort(port)) return Fail(RS232_BAD_PORT_NUMBER, port);
    if (baudRate != 4800 || parity != 0 || dataBits != 8 || stopBits != 2 ||
        inputQueueSize < 0 || outputQueueSize < 0)
        return Fail(RS232_BAD_SETTINGS, port);
    ports.erase(port);  // opening an open port starts it afresh
    int error = RS232_UNKNOWN_ERROR;
    std::string path;
    std::unique_ptr<SerialPort> io = Backend().Open(port, &error, &path);
    triedPath[port] = path;
    if (!io) return Fail(error < 0 ? error : RS232_UNKNOWN_ERROR, port, path);
    ports[port] = OpenPort{std::move(io), kDefaultComTimeout};
    return Succeed(0);
}

int CloseCom(int port)
{
    if (!Lookup(port)) return GetRs232Err();
    ports.erase(port);
    return Succeed(0);
}

int SetComTime(int port, double timeoutSeconds)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    if (!(timeoutSeconds >= 0.0) || std::isinf(timeoutSeconds))
        return Fail(RS232_BAD_SETTINGS, port, p->io->Describe());
    p->timeout = timeoutSeconds;
    return Succeed(0);
}

int GetComTime(int port, double *timeoutSeconds)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    if (!timeoutSeconds) return Fail(RS232_UNKNOWN_ERROR, port);
    *timeoutSeconds = p->timeout;
    return Succeed(0);
}

int FlushInQ(int port)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    int r = p->io->Flush();
    return r < 0 ? Fail(r, port, p->io->Describe()) : Succeed(0);
}

int ComWrt(int port, const char *buffer, int count)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    if (count < 0 || (count > 0 && !buffer)) return Fail(RS232_UNKNOWN_ERROR, port);
    if (count == 0) return Succeed(0);
    int r = p->io->Write(buffer, count);
    return r < 0 ? Fail(r, port, p->io->Describe()) : Succeed(r);
}

int ComWrtByte(int port, int byte)
{
    const char c = static_cast<char>(byte & 0xFF);
    return ComWrt(port, &c, 1);
}

int ComRdTerm(int port, char *buffer, int count, int terminationByte)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    if (count < 0 || (count > 0 && !buffer)) return Fail(RS232_UNKNOWN_ERROR, port);
    if (count == 0) return Succeed(0);
    const double deadline = ClockNow() + p->timeout;
    int r = p->io->ReadTerm(buffer, count, terminationByte & 0xFF, deadline);
    return r < 0 ? Fail(r, port, p->io->Describe(), p->timeout) : Succeed(r);
}

int GetRs232Err(void) { return lastError.code; }

// The text of the last failing call names its port and device; other codes get the
// same wording without them.
const char *GetRS232ErrorString(int errorCode)
{
    LastError e = lastError;
    if (errorCode != e.code) e = LastError{errorCode, 0, "", 0.0, false};
    errorText = ContextText(e);
    return errorText.c_str();
}
