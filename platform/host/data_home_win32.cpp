// Per-user data folder on Windows: %APPDATA%\<name> (the roaming application data),
// %USERPROFILE%\AppData\Roaming\<name> when APPDATA is unset.
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/host/data_home.h"
#include "platform/files/os.h"

namespace platform {
namespace {

std::filesystem::path Variable(const wchar_t *name)
{
    const wchar_t *value = _wgetenv(name);
    return value && value[0] ? std::filesystem::path(value) : std::filesystem::path();
}

}  // namespace

std::string DataHomeFolder(const std::string &name)
{
    std::filesystem::path base = Variable(L"APPDATA");
    if (base.empty() || !base.is_absolute()) base = Variable(L"USERPROFILE") / "AppData" / "Roaming";
    return os::Utf8String(base / os::Utf8Path(name));
}

std::string EnterDataHome(const std::string &name)
{
    const std::string folder = DataHomeFolder(name);
    std::error_code ec;
    std::filesystem::create_directories(os::Utf8Path(folder), ec);
    if (!ec) std::filesystem::current_path(os::Utf8Path(folder), ec);
    if (!ec) return "";
    return "folder \"" + folder + "\" cannot be used: " + ec.message();
}

}  // namespace platform
