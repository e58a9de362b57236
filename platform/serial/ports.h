// The serial ports present on this computer: built-in ports with a UART behind them,
// USB adapters with their maker, product, serial number and stable name, and the
// COM<n> entries of the working directory. Read from sysfs and /dev below a root
// folder that tests replace with a tree of their own.
#pragma once

#include <string>
#include <vector>

namespace platform {

enum class SerialPortKind { BuiltIn, UsbAdapter, ComEntry };

struct SerialPortInfo {
    SerialPortKind kind = SerialPortKind::BuiltIn;
    std::string name;    // ttyS0, ttyUSB0, COM3
    std::string device;  // device node (below the root); for a COM entry its link target
    // A name that finds the same adapter after a replug or reboot (/dev/serial/by-id/...;
    // /dev/serial/by-path/... for an adapter without a serial number), empty if none.
    std::string stable;
    std::string maker, product, serial;
    int port = 0;         // the port number that reaches it (built-in ports, COM entries)
    bool present = true;  // a COM entry whose target exists
};

// Built-in ports by number, then adapters by name, then COM entries by number. root is
// "/" on a running system; workDir is the folder whose COM<n> entries are listed.
std::vector<SerialPortInfo> ListSerialPorts(const std::string &root = "/",
                                            const std::string &workDir = ".");

// Why a device cannot be used as a port, checked before anything is changed.
enum SerialDeviceState { kDeviceUsable = 0, kDeviceMissing, kDeviceDenied };
// *group receives the group that owns the device (for the permission advice).
SerialDeviceState CheckSerialDevice(const std::string &path, std::string *group);

// The group that owns the device node the path leads to, "" if unknown.
std::string DeviceGroupOf(const std::string &path);

// Makes the entry COM<port> of the working directory a symbolic link to target,
// replacing an earlier link whole. Refused for an entry that is not a link.
enum ComEntryResult { kComEntryLinked = 0, kComEntryNotALink, kComEntryNotWritten };
// *reason receives the operating system's reason for kComEntryNotWritten.
ComEntryResult LinkComEntry(int port, const std::string &target, std::string *reason);

}  // namespace platform
