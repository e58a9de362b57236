// Serial port enumeration on Windows: the ports the system has named, from the registry
// key HARDWARE\DEVICEMAP\SERIALCOMM (one value per port: the driver's device name, data
// "COM<n>"). Windows numbers ports itself, so every port is listed by its number and
// nothing is linked; the root and working folder of the POSIX listing do not apply.
#include <windows.h>

#include <algorithm>

#include "platform/files/os.h"
#include "platform/rs232.h"
#include "platform/serial/ports.h"

namespace platform {
namespace {

std::string Utf8(const std::wstring &wide) { return os::Utf8String(std::filesystem::path(wide)); }

void AddRegistryPorts(HKEY key, std::vector<SerialPortInfo> *out)
{
    for (DWORD index = 0;; ++index) {
        wchar_t device[256], data[64];
        DWORD deviceLength = 256, dataBytes = sizeof data - sizeof(wchar_t), type = 0;
        const LONG r = RegEnumValueW(key, index, device, &deviceLength, nullptr, &type,
                                     reinterpret_cast<BYTE *>(data), &dataBytes);
        if (r == ERROR_NO_MORE_ITEMS) return;
        if (r != ERROR_SUCCESS || type != REG_SZ) continue;
        data[dataBytes / sizeof(wchar_t)] = L'\0';
        SerialPortInfo p;
        p.kind = SerialPortKind::ComEntry;
        p.name = Utf8(data);
        p.port = ComEntryPort(p.name);
        p.device = Utf8(device);
        if (p.port > 0) out->push_back(p);
    }
}

}  // namespace

std::vector<SerialPortInfo> ListSerialPorts(const std::string &, const std::string &)
{
    std::vector<SerialPortInfo> ports;
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) ==
        ERROR_SUCCESS) {
        AddRegistryPorts(key, &ports);
        RegCloseKey(key);
    }
    std::sort(ports.begin(), ports.end(),
              [](const SerialPortInfo &a, const SerialPortInfo &b) { return a.port < b.port; });
    return ports;
}

std::string DeviceGroupOf(const std::string &) { return ""; }

SerialDeviceState CheckSerialDevice(const std::string &path, std::string *group)
{
    group->clear();
    const DWORD attributes = GetFileAttributesW(os::Utf8Path(path).c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? kDeviceMissing : kDeviceUsable;
}

ComEntryResult LinkComEntry(int, const std::string &, std::string *reason)
{
    *reason = "Windows numbers serial ports itself (Device Manager, Ports)";
    return kComEntryNotWritten;
}

}  // namespace platform
