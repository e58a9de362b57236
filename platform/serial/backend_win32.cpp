// The Win32 serial backend: port n is \\.\COMn, opened exclusively, with the line
// settings in its device control block; reads and writes wait in short slices through
// the communication time-outs, so the window repaints meanwhile.
#include <windows.h>

#include <string>

#include "platform/language.h"
#include "platform/serial/system.h"
#include "platform/serial/waits.h"

namespace platform {
namespace {

using namespace serialwait;

int OpenErrorCode(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_BAD_NETPATH:
    case ERROR_INVALID_NAME: case ERROR_DEVICE_NOT_CONNECTED:
        return RS232_PORT_NOT_FOUND;
    // Windows answers an open of a port another program holds with "access denied".
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_BUSY:
        return RS232_PORT_IN_USE;
    case ERROR_PRIVILEGE_NOT_HELD:
        return RS232_PERMISSION_DENIED;
    default:
        return RS232_IO_ERROR;
    }
}

// Errors of a read or write on a port whose device has gone (a USB adapter pulled out).
bool DeviceGone(DWORD error)
{
    switch (error) {
    case ERROR_ACCESS_DENIED: case ERROR_BAD_COMMAND: case ERROR_DEVICE_REMOVED:
    case ERROR_DEVICE_NOT_CONNECTED: case ERROR_GEN_FAILURE: case ERROR_FILE_NOT_FOUND:
    case ERROR_NOT_READY: case ERROR_OPERATION_ABORTED: case ERROR_BROKEN_PIPE:
        return true;
    default:
        return false;
    }
}

// The line settings, binary, no flow control; DTR and RTS raised, since some adapters
// power the far end from them.
bool ApplyLineSettings(HANDLE h, const LineSettings &line)
{
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!GetCommState(h, &dcb)) return false;
    dcb.BaudRate = static_cast<DWORD>(line.baud);
    dcb.ByteSize = static_cast<BYTE>(line.dataBits);
    dcb.Parity = line.parity == 1 ? ODDPARITY : line.parity == 2 ? EVENPARITY : NOPARITY;
    dcb.StopBits = line.stopBits == 2 ? TWOSTOPBITS : ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = line.parity != 0;
    dcb.fOutxCtsFlow = dcb.fOutxDsrFlow = dcb.fDsrSensitivity = FALSE;
    dcb.fOutX = dcb.fInX = dcb.fErrorChar = dcb.fNull = FALSE;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.fAbortOnError = FALSE;
    return SetCommState(h, &dcb) != 0;
}

class Win32Port : public QueuedPort {
public:
    Win32Port(HANDLE h, std::string path, double charSeconds)
        : QueuedPort(charSeconds), h_(h), path_(std::move(path))
    {
    }
    ~Win32Port() override { CloseHandle(h_); }
    Win32Port(const Win32Port &) = delete;
    Win32Port &operator=(const Win32Port &) = delete;

    int Write(const char *data, int count, double deadline) override;
    std::string Describe() const override { return path_; }

private:
    bool SetWait(int readMs);
    int Fill(int waitMs) override;
    void DropDriverInput() override { (void)PurgeComm(h_, PURGE_RXCLEAR); }
    int Failed(DWORD error)
    {
        if (!DeviceGone(error)) return RS232_IO_ERROR;
        hungUp_ = true;
        return RS232_HANGUP;
    }

    HANDLE h_;
    std::string path_;
    int readMs_ = -1;    // the read wait the port's time-outs are set to
};

// A read returns what has arrived at once; with none, it waits up to readMs for the
// first byte (0: returns at once). A write waits at most a slice.
bool Win32Port::SetWait(int readMs)
{
    if (readMs == readMs_) return true;
    COMMTIMEOUTS t{};
    t.ReadIntervalTimeout = MAXDWORD;
    t.ReadTotalTimeoutMultiplier = readMs > 0 ? MAXDWORD : 0;
    t.ReadTotalTimeoutConstant = static_cast<DWORD>(readMs);
    t.WriteTotalTimeoutConstant = static_cast<DWORD>(kSlice * 1000.0);
    if (!SetCommTimeouts(h_, &t)) return false;
    readMs_ = readMs;
    return true;
}

int Win32Port::Fill(int waitMs)
{
    if (queue_.size() >= kQueueLimit) return 0;
    if (!SetWait(waitMs)) return Failed(GetLastError());
    char buf[4096];
    DWORD n = 0;
    const DWORD want = static_cast<DWORD>(std::min(sizeof buf, kQueueLimit - queue_.size()));
    if (!ReadFile(h_, buf, want, &n, nullptr)) return Failed(GetLastError());
    queue_.append(buf, n);
    return static_cast<int>(n);
}

int Win32Port::Write(const char *data, int count, double deadline)
{
    int done = 0;
    while (done < count) {
        if (hungUp_) return RS232_HANGUP;
        if (!SetWait(readMs_ < 0 ? 0 : readMs_)) return Failed(GetLastError());
        DWORD w = 0;
        if (!WriteFile(h_, data + done, static_cast<DWORD>(count - done), &w, nullptr))
            return Failed(GetLastError());
        done += static_cast<int>(w);
        if (w > 0) continue;
        if (deadline - ClockNow() <= 0.0) return RS232_TIMEOUT;
        SliceDone(deadline);
    }
    return count;
}

class Win32Backend : public SerialBackend {
public:
    std::unique_ptr<SerialPort> Open(int port, const LineSettings &line, int *error,
                                     std::string *path) override
    {
        const std::string named = ComDeviceName(port);
        *path = named.empty() ? "\\\\.\\COM" + std::to_string(port) : named;
        const std::wstring wide(path->begin(), path->end());
        // No sharing: the port is this program's alone while it is open.
        HANDLE h = CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h == INVALID_HANDLE_VALUE) {
            *error = OpenErrorCode(GetLastError());
            return nullptr;
        }
        if (!ApplyLineSettings(h, line)) {
            *error = RS232_BAD_SETTINGS;
            CloseHandle(h);
            return nullptr;
        }
        (void)PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
        return std::make_unique<Win32Port>(h, *path, CharSeconds(line));
    }
};

}  // namespace

SerialBackend &SystemSerialBackend()
{
    static Win32Backend backend;
    return backend;
}

std::string NotFoundAdvice(const std::string &entry)
{
    return Pick("Check that the adapter is plugged in and which number Windows gave it "
                "(Device Manager, Ports (COM & LPT)); choose that number instead of ",
                "Prüfen Sie, ob der Adapter eingesteckt ist und welche Nummer Windows ihm "
                "gegeben hat (Geräte-Manager, Anschlüsse (COM & LPT)); wählen Sie diese "
                "Nummer statt ") +
           entry + ".";
}

std::string PermissionAdvice(int)
{
    return Pick(": permission denied. Ask the computer's administrator for access to the port.",
                ": Zugriff verweigert. Bitten Sie die Verwaltung des Computers um Zugriff auf "
                "die Schnittstelle.");
}

}  // namespace platform
