// The termios backend: real serial ports and pseudo-terminals, opened exclusively,
// with the fixed line settings; reads and writes wait in short poll slices so the
// window repaints meanwhile.
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <string>

#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/language.h"
#include "platform/serial/backend_posix.h"
#include "platform/serial/ports.h"
#include "platform/serial/system.h"
#include "platform/serial/waits.h"

namespace platform {
namespace {

using namespace serialwait;

int OpenErrorCode(int e)
{
    switch (e) {
    case ENOENT: case ENXIO: case ENODEV: case EIO: case ENOTDIR: case ELOOP:
        return RS232_PORT_NOT_FOUND;
    case EACCES: case EPERM: case EROFS:
        return RS232_PERMISSION_DENIED;
    case EBUSY: case EWOULDBLOCK:
        return RS232_PORT_IN_USE;
    default:
        return RS232_IO_ERROR;
    }
}

// The termios speed of a baud rate; B0 for a rate the interface does not offer.
speed_t Speed(long baud)
{
    static const std::pair<long, speed_t> speeds[] = {
        {300, B300},     {600, B600},     {1200, B1200},     {2400, B2400},
        {4800, B4800},   {9600, B9600},   {19200, B19200},   {38400, B38400},
        {57600, B57600}, {115200, B115200}, {230400, B230400}};
    for (const auto &s : speeds)
        if (s.first == baud) return s.second;
    return B0;
}

tcflag_t CharacterSize(int dataBits)
{
    return dataBits == 5 ? CS5 : dataBits == 6 ? CS6 : dataBits == 7 ? CS7 : CS8;
}

// The line settings, raw, no flow control.
bool ApplyLineSettings(int fd, const LineSettings &line)
{
    const speed_t speed = Speed(line.baud);
    termios t{};
    if (speed == B0 || tcgetattr(fd, &t) != 0) return false;
    cfmakeraw(&t);
    t.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS);
    t.c_cflag |= CharacterSize(line.dataBits) | CLOCAL | CREAD;
    if (line.stopBits == 2) t.c_cflag |= CSTOPB;
    if (line.parity != 0) t.c_cflag |= PARENB;
    if (line.parity == 1) t.c_cflag |= PARODD;
    t.c_iflag &= ~(IXON | IXOFF | IXANY);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (cfsetispeed(&t, speed) != 0 || cfsetospeed(&t, speed) != 0) return false;
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

// Some adapters power the far end from DTR/RTS. A pseudo-terminal refuses these
// ioctls; that is not an error.
void RaiseModemLines(int fd)
{
    int bits = TIOCM_DTR | TIOCM_RTS;
    (void)ioctl(fd, TIOCMBIS, &bits);
}

class PosixPort : public QueuedPort {
public:
    PosixPort(int fd, std::string path, double charSeconds)
        : QueuedPort(charSeconds), fd_(fd), path_(std::move(path))
    {
    }
    ~PosixPort() override
    {
        (void)ioctl(fd_, TIOCNXCL);
        (void)flock(fd_, LOCK_UN);
        ::close(fd_);
    }
    PosixPort(const PosixPort &) = delete;
    PosixPort &operator=(const PosixPort &) = delete;

    int Write(const char *data, int count, double deadline) override;
    std::string Describe() const override { return path_; }

private:
    int Fill(int waitMs) override;
    void DropDriverInput() override { (void)tcflush(fd_, TCIFLUSH); }
    int HangUp()
    {
        hungUp_ = true;
        return RS232_HANGUP;
    }

    int fd_;
    std::string path_;
};

int PosixPort::Fill(int waitMs)
{
    if (queue_.size() >= kQueueLimit) return 0;
    pollfd p{fd_, POLLIN, 0};
    int r = ::poll(&p, 1, waitMs);
    if (r < 0) return errno == EINTR ? 0 : RS232_IO_ERROR;
    if (r == 0) return 0;
    if (p.revents & POLLNVAL) return RS232_IO_ERROR;
    if (!(p.revents & POLLIN)) return (p.revents & (POLLHUP | POLLERR)) ? HangUp() : 0;
    char buf[4096];
    ssize_t n = ::read(fd_, buf, std::min(sizeof buf, kQueueLimit - queue_.size()));
    if (n > 0) {
        queue_.append(buf, static_cast<size_t>(n));
        return static_cast<int>(n);
    }
    if (n == 0) return HangUp();  // end of file on a terminal: the line hung up
    if (errno == EAGAIN || errno == EINTR) return 0;
    if (errno == EIO || errno == ENXIO || errno == ENODEV) return HangUp();
    return RS232_IO_ERROR;
}

int PosixPort::Write(const char *data, int count, double deadline)
{
    int done = 0;
    while (done < count) {
        if (hungUp_) return RS232_HANGUP;
        ssize_t w = ::write(fd_, data + done, static_cast<size_t>(count - done));
        if (w > 0) {
            done += static_cast<int>(w);
            continue;
        }
        if (w < 0 && errno == EINTR) continue;
        if (w < 0 && errno != EAGAIN) {
            if (errno == EIO || errno == ENXIO || errno == ENODEV || errno == EPIPE) return HangUp();
            return RS232_IO_ERROR;
        }
        const double left = deadline - ClockNow();
        if (left <= 0.0) return RS232_TIMEOUT;
        pollfd p{fd_, POLLOUT, 0};
        if (::poll(&p, 1, WaitMs(left)) > 0 &&
            (p.revents & (POLLHUP | POLLERR)))
            return HangUp();
        SliceDone(deadline);
    }
    return count;
}

std::string LinkTarget(const std::string &link)
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

class PosixBackend : public SerialBackend {
public:
    std::unique_ptr<SerialPort> Open(int port, const LineSettings &line, int *error,
                                     std::string *path) override;
};

std::unique_ptr<SerialPort> PosixBackend::Open(int port, const LineSettings &line, int *error,
                                               std::string *path)
{
    std::string shown;
    const std::string device = PosixDevicePath(port, &shown);
    *path = shown;
    int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *error = OpenErrorCode(errno);
        return nullptr;
    }
    // A second program (or a second port number naming the same device) gets "in use".
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        *error = errno == EWOULDBLOCK ? RS232_PORT_IN_USE : RS232_IO_ERROR;
        ::close(fd);
        return nullptr;
    }
    if (!::isatty(fd) || !ApplyLineSettings(fd, line)) {
        *error = RS232_BAD_SETTINGS;
        ::close(fd);
        return nullptr;
    }
    (void)ioctl(fd, TIOCEXCL);  // refuses further opens by programs that do not lock
    RaiseModemLines(fd);
    (void)tcflush(fd, TCIOFLUSH);
    return std::make_unique<PosixPort>(fd, shown, CharSeconds(line));
}

}  // namespace

SerialBackend &SystemSerialBackend() { return PosixSerialBackend(); }

SerialBackend &PosixSerialBackend()
{
    static PosixBackend backend;
    return backend;
}

std::string PosixDevicePath(int port, std::string *shown)
{
    const std::string named = ComDeviceName(port);
    if (!named.empty()) return *shown = named;
    const std::string link = "COM" + std::to_string(port);
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        *shown = "./" + link;
        if (S_ISLNK(st.st_mode)) *shown += " -> " + LinkTarget(link);
        return link;
    }
    *shown = "/dev/ttyS" + std::to_string(port - 1);
    return *shown;
}

std::string PosixDeviceGroup(int port)
{
    std::string shown;
    return DeviceGroupOf(PosixDevicePath(port, &shown));
}

std::string NotFoundAdvice(const std::string &entry)
{
    return Pick("Check that the adapter is plugged in, or link the device as ",
                "Prüfen Sie, ob der Adapter eingesteckt ist, oder verknüpfen Sie das Gerät als ") +
           entry + Pick(" in the working directory (ln -s /dev/ttyUSB0 ",
                        " im Arbeitsverzeichnis (ln -s /dev/ttyUSB0 ") +
           entry + ").";
}

std::string PermissionAdvice(int port)
{
    std::string group = port > 0 ? PosixDeviceGroup(port) : "";
    if (group.empty()) group = "dialout";
    const std::string add = " (sudo usermod -aG " + group + " $USER)";
    return Pick(": permission denied. The device belongs to the group ",
                ": Zugriff verweigert. Das Gerät gehört der Gruppe ") +
           group + Pick(": add your user to it", ": fügen Sie Ihren Benutzer hinzu") + add +
           Pick(" and log in again.", " und melden Sie sich neu an.");
}

}  // namespace platform
