// Per-user data folder: where a program keeps its own files when it is not started
// from a terminal in a folder of the operator's choice.
#include "platform/host/data_home.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform {
namespace {

std::string HomeFolder()
{
    const char *home = std::getenv("HOME");
    if (home && home[0] == '/') return home;
    const struct passwd *entry = getpwuid(getuid());
    return entry && entry->pw_dir ? entry->pw_dir : "/";
}

// Creates every missing folder along the absolute path; false with errno set.
bool MakeFolders(const std::string &path)
{
    for (size_t end = path.find('/', 1);; end = path.find('/', end + 1)) {
        std::string prefix = path.substr(0, end);
        if (mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) return false;
        if (end == std::string::npos) return true;
    }
}

}  // namespace

std::string DataHomeFolder(const std::string &name)
{
    const char *dataHome = std::getenv("XDG_DATA_HOME");
    std::string base = dataHome && dataHome[0] == '/' ? dataHome : HomeFolder() + "/.local/share";
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    return (base == "/" ? "" : base) + "/" + name;
}

std::string EnterDataHome(const std::string &name)
{
    std::string folder = DataHomeFolder(name);
    if (MakeFolders(folder) && chdir(folder.c_str()) == 0) return "";
    return "folder \"" + folder + "\" cannot be used: " + std::strerror(errno);
}

}  // namespace platform
