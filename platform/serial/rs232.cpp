// Serial services: the table of open ports, dispatch to the backend in use, the
// per-port time-out, the error code of the last call and its text.
#include "platform/rs232.h"

#include <cmath>
#include <cstdio>
#include <map>
#include <string>

#include "platform/clock.h"
#include "platform/language.h"
#include "platform/link_log.h"
#include "platform/progress.h"
#include "platform/serial/testing.h"
#include "platform/serial/system.h"

namespace platform {
namespace {

struct OpenPort {
    std::unique_ptr<SerialPort> io;
    double timeout = kDefaultComTimeout;
    bool hungUp = false;  // a call found the device gone since the open
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
std::map<int, std::string> triedPath;
std::map<int, std::string> deviceNames;  // device named by the port's last open
LastError lastError;
std::string errorText;

SerialBackend &Backend() { return installed ? *installed : SystemSerialBackend(); }

bool ValidLine(const LineSettings &line)
{
    return line.baud > 0 && line.parity >= 0 && line.parity <= 2 && line.dataBits >= 5 &&
           line.dataBits <= 8 && (line.stopBits == 1 || line.stopBits == 2);
}

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

// A failing call on an open port; a hang-up is remembered until the port is opened again.
int FailOn(OpenPort *p, int code, int port, double timeout = 0.0)
{
    if (code == RS232_HANGUP) p->hungUp = true;
    return Fail(code, port, p->io->Describe(), timeout);
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
    return e.known ? "COM" + std::to_string(e.port) : Pick("The serial port", "Die serielle Schnittstelle");
}

// "COM3 (./COM3 -> /dev/ttyUSB0)", or "COM3" without a known path.
std::string Where(const LastError &e)
{
    std::string where = PortName(e);
    if (!e.path.empty()) where += " (" + e.path + ")";
    return where;
}

// Seconds with one decimal, in the notation of the run-time language.
std::string Seconds(double s)
{
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f", s);
    std::string text = buf;
    if (GetRunTimeLanguage() == RUNTIME_GERMAN)
        for (char &c : text)
            if (c == '.') c = ',';
    return text;
}

std::string NotFoundText(const LastError &e)
{
    const std::string link = e.known ? "COM" + std::to_string(e.port) : "COM<n>";
    const std::string at = e.path.empty() ? Pick("the port", "der Schnittstelle") : e.path;
    return PortName(e) + Pick(": no serial device at ", ": kein serielles Gerät unter ") + at +
           ". " + NotFoundAdvice(link);
}

std::string TimeoutText(const LastError &e)
{
    const std::string within = e.known ? Seconds(e.timeout) + " s"
                                       : std::string(Pick("the time-out", "der Wartezeit"));
    return Where(e) + Pick(": no reply within ", ": keine Antwort innerhalb von ") + within +
           Pick(". Check the cable and that the device is switched on.",
                ". Prüfen Sie das Kabel und ob das Gerät eingeschaltet ist.");
}

std::string BadPortText(const LastError &e)
{
    const std::string range = std::to_string(kFirstComPort) + Pick(" to ", " bis ") +
                              std::to_string(kLastComPort);
    if (!e.known)
        return Pick("The port number is not valid. Choose a port from ",
                    "Die Schnittstellennummer ist ungültig. Wählen Sie eine Schnittstelle von ") +
               range + ".";
    return Pick("Port number ", "Die Schnittstellennummer ") + std::to_string(e.port) +
           Pick(" is not valid. Choose a port from ",
                " ist ungültig. Wählen Sie eine Schnittstelle von ") +
           range + ".";
}

std::string ContextText(const LastError &e)
{
    const std::string where = Where(e);
    switch (e.code) {
    case RS232_NO_ERROR:
        return Pick("No serial error.", "Kein Fehler der seriellen Schnittstelle.");
    case RS232_PORT_NOT_FOUND:
        return NotFoundText(e);
    case RS232_PORT_IN_USE:
        return where + Pick(" is in use by another program. Close that program or choose "
                            "another port.",
                            " wird von einem anderen Programm benutzt. Schließen Sie dieses "
                            "Programm oder wählen Sie eine andere Schnittstelle.");
    case RS232_PERMISSION_DENIED:
        return where + PermissionAdvice(e.known ? e.port : 0);
    case RS232_PORT_NOT_OPEN:
        return where + Pick(" is not open. Choose the port in the port selection dialog.",
                            " ist nicht geöffnet. Wählen Sie die Schnittstelle im Dialog zur "
                            "Schnittstellenwahl.");
    case RS232_TIMEOUT:
        return TimeoutText(e);
    case RS232_HANGUP:
        return where + Pick(": the device was unplugged or hung up. Reconnect it: the next "
                            "operation opens the port again.",
                            ": das Gerät wurde abgezogen oder hat die Verbindung beendet. "
                            "Schließen Sie es wieder an: der nächste Vorgang öffnet die "
                            "Schnittstelle erneut.");
    case RS232_BAD_PORT_NUMBER:
        return BadPortText(e);
    case RS232_BAD_SETTINGS:
        return where + Pick(": the line settings could not be applied. Check that this is a "
                            "serial device.",
                            ": die Leitungseinstellungen ließen sich nicht setzen. Prüfen Sie, "
                            "ob dies ein serielles Gerät ist.");
    case RS232_IO_ERROR:
        return where + Pick(": input/output error. Check the cable and the adapter.",
                            ": Ein-/Ausgabefehler. Prüfen Sie das Kabel und den Adapter.");
    default:
        return where + Pick(": unknown serial error ", ": unbekannter Fehler der seriellen "
                                                       "Schnittstelle ") +
               std::to_string(e.code) + ".";
    }
}

}  // namespace

std::string ComDeviceName(int port)
{
    auto it = deviceNames.find(port);
    return it == deviceNames.end() ? std::string() : it->second;
}

void InstallSerialBackend(SerialBackend *backend)
{
    ports.clear();  // ports belong to the backend that opened them
    installed = backend;
}

void ResetSerial()
{
    ports.clear();
    triedPath.clear();
    deviceNames.clear();
    lastError = {};
}

int ComEntryPort(const std::string &name)
{
    if (name.rfind("COM", 0) != 0) return -1;
    const std::string digits = name.substr(3);
    if (digits.empty() || digits.size() > 3 || digits[0] == '0') return -1;
    int n = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return -1;
        n = n * 10 + (c - '0');
    }
    return ValidPort(n) ? n : -1;
}

bool ComIsOpen(int port) { return ports.count(port) != 0; }

bool ComHungUp(int port)
{
    auto it = ports.find(port);
    return it != ports.end() && it->second.hungUp;
}

std::string ComDescription(int port)
{
    auto it = ports.find(port);
    return it == ports.end() ? std::string() : it->second.io->Describe();
}

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
    if (used > 0) ProgressBytesReceived(*n + (ended ? 1 : 0));  // the terminator too
    return ended || *n >= count;
}


}  // namespace platform

using namespace platform;

// A device name opens that device for the port number; without one the device follows
// from the number. Every open starts with the default time-out.
int OpenComConfig(int port, const char *deviceName, long baudRate, int parity,
                  int dataBits, int stopBits, int inputQueueSize, int outputQueueSize)
{
    if (!ValidPort(port)) return Fail(RS232_BAD_PORT_NUMBER, port);
    const LineSettings line{baudRate, parity, dataBits, stopBits};
    if (!ValidLine(line) || inputQueueSize < 0 || outputQueueSize < 0)
        return Fail(RS232_BAD_SETTINGS, port);
    ports.erase(port);  // opening an open port starts it afresh
    deviceNames[port] = deviceName ? deviceName : "";
    int error = RS232_UNKNOWN_ERROR;
    std::string path;
    std::unique_ptr<SerialPort> io = Backend().Open(port, line, &error, &path);
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
    return r < 0 ? FailOn(p, r, port) : Succeed(0);
}

int GetInQLen(int port)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    int r = p->io->InQueueLength();
    return r < 0 ? Fail(r, port, p->io->Describe()) : Succeed(r);
}

int ComWrt(int port, const char *buffer, int count)
{
    OpenPort *p = Lookup(port);
    if (!p) return GetRs232Err();
    if (count < 0 || (count > 0 && !buffer)) return Fail(RS232_UNKNOWN_ERROR, port);
    if (count == 0) return Succeed(0);
    int r = p->io->Write(buffer, count, ClockNow() + p->timeout);
    if (r >= 0) {
        LinkLogWritten(port, buffer, r);
        return Succeed(r);
    }
    FailOn(p, r, port, p->timeout);
    if (LinkLogOn()) LinkLogWriteFailed(port, buffer, count, GetRS232ErrorString(r));
    return r;
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
    if (r < 0) {
        FailOn(p, r, port, p->timeout);
        if (LinkLogOn()) LinkLogFailed(port, GetRS232ErrorString(r));
        return r;
    }
    LinkLogRead(port, buffer, r, r < count);
    return Succeed(r);
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
