// Serial port enumeration from sysfs and /dev, and the COM<n> links of the working
// directory. Read by hand rather than through a library: the stable /dev/serial names
// come from udev's links, which no enumeration library reports, and a root folder lets
// tests build the tree they need.
#include "platform/serial/ports.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "platform/rs232.h"

namespace platform {
namespace {

namespace fs = std::filesystem;

std::string Prefix(const std::string &root) { return root == "/" ? "" : root; }

std::string ReadLine(const fs::path &file)
{
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) line.pop_back();
    return line;
}

fs::path Resolved(const fs::path &p)
{
    std::error_code ec;
    fs::path r = fs::canonical(p, ec);
    return ec ? fs::path() : r;
}

// The number after a name's prefix (ttyS3 -> 3), -1 if none.
int Suffix(const std::string &name, size_t prefix)
{
    if (name.size() <= prefix || name.size() > prefix + 6) return -1;
    for (size_t i = prefix; i < name.size(); ++i)
        if (name[i] < '0' || name[i] > '9') return -1;
    return std::atoi(name.c_str() + prefix);
}

// An 8250 placeholder (ttyS0..ttyS31 exist on every PC) has UART type 0.
bool HasUart(const fs::path &ttyDir) { return std::atoi(ReadLine(ttyDir / "type").c_str()) != 0; }

// The USB device above a tty's interface: the first folder upwards with an idVendor.
void ReadUsbDetails(const fs::path &ttyDir, SerialPortInfo *p)
{
    fs::path dir = Resolved(ttyDir / "device");
    for (int up = 0; up < 4 && !dir.empty() && dir != dir.root_path(); ++up) {
        std::error_code ec;
        if (!fs::exists(dir / "idVendor", ec)) {
            dir = dir.parent_path();
            continue;
        }
        p->maker = ReadLine(dir / "manufacturer");
        p->product = ReadLine(dir / "product");
        p->serial = ReadLine(dir / "serial");
        return;
    }
}

// The link in folder (by-id, by-path) that leads to device, "" if none.
std::string StableLink(const std::string &folder, const fs::path &device)
{
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(folder, ec)) {
        fs::path target = Resolved(e.path());
        if (!target.empty() && target == device) return e.path().string();
    }
    return "";
}

void AddTtys(const std::string &root, std::vector<SerialPortInfo> *out)
{
    const std::string prefix = Prefix(root);
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(prefix + "/sys/class/tty", ec)) {
        SerialPortInfo p;
        p.name = e.path().filename().string();
        p.device = prefix + "/dev/" + p.name;
        const int builtIn = Suffix(p.name, 4);
        if (p.name.rfind("ttyS", 0) == 0 && builtIn >= 0 && builtIn < kLastComPort) {
            if (!HasUart(e.path())) continue;
            p.port = builtIn + 1;
        } else if (p.name.rfind("ttyUSB", 0) == 0 || p.name.rfind("ttyACM", 0) == 0) {
            p.kind = SerialPortKind::UsbAdapter;
            ReadUsbDetails(e.path(), &p);
            const fs::path node = Resolved(p.device);
            if (node.empty()) continue;  // unplugged while we looked
            if (p.serial.empty()) p.stable = StableLink(prefix + "/dev/serial/by-path", node);
            if (p.stable.empty()) p.stable = StableLink(prefix + "/dev/serial/by-id", node);
        } else {
            continue;
        }
        out->push_back(p);
    }
}

void AddComEntries(const std::string &workDir, std::vector<SerialPortInfo> *out)
{
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(workDir, ec)) {
        SerialPortInfo p;
        p.kind = SerialPortKind::ComEntry;
        p.name = e.path().filename().string();
        p.port = ComEntryPort(p.name);
        if (p.port < 0) continue;
        std::error_code linkError;
        if (!e.is_symlink(linkError)) continue;
        p.device = fs::read_symlink(e.path(), linkError).string();
        p.present = !Resolved(e.path()).empty();
        out->push_back(p);
    }
}

bool Before(const SerialPortInfo &a, const SerialPortInfo &b)
{
    if (a.kind != b.kind) return a.kind < b.kind;
    if (a.port != b.port) return a.port < b.port;
    if (a.name.size() != b.name.size()) return a.name.size() < b.name.size();
    return a.name < b.name;
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts(const std::string &root, const std::string &workDir)
{
    std::vector<SerialPortInfo> ports;
    AddTtys(root, &ports);
    AddComEntries(workDir, &ports);
    std::sort(ports.begin(), ports.end(), Before);
    return ports;
}

std::string DeviceGroupOf(const std::string &path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return "";
    const group *g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

SerialDeviceState CheckSerialDevice(const std::string &path, std::string *group)
{
    *group = DeviceGroupOf(path);
    struct stat st {};
    if (path.empty() || ::stat(path.c_str(), &st) != 0) return kDeviceMissing;
    return ::access(path.c_str(), R_OK | W_OK) == 0 ? kDeviceUsable : kDeviceDenied;
}

// The new link is made beside the entry and renamed over it, so COM<n> is at every
// moment either the old link or the new one.
ComEntryResult LinkComEntry(int port, const std::string &target, std::string *reason)
{
    const std::string entry = "COM" + std::to_string(port);
    struct stat st {};
    if (::lstat(entry.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) return kComEntryNotALink;
    const std::string fresh = ".zek-link-" + std::to_string(::getpid()) + "-" + entry;
    (void)::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0) {
        *reason = std::strerror(errno);
        return kComEntryNotWritten;
    }
    if (::rename(fresh.c_str(), entry.c_str()) != 0) {
        *reason = std::strerror(errno);
        (void)::unlink(fresh.c_str());
        return kComEntryNotWritten;
    }
    return kComEntryLinked;
}

}  // namespace platform
