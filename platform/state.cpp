// The run-time's state file: read whole, changed in memory, written to a temporary
// file and renamed over the old one, so that it is never left half written.
#include "platform/state.h"

#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

#include "platform/files_os.h"

namespace platform {
namespace {

std::map<std::string, std::string> ReadAll()
{
    std::map<std::string, std::string> values;
    std::ifstream in(kStateFile);
    std::string line;
    while (std::getline(in, line)) {
        size_t eq = line.find('=');
        if (eq != std::string::npos) values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

}  // namespace

std::string LoadState(const std::string &key)
{
    auto values = ReadAll();
    auto it = values.find(key);
    return it == values.end() ? std::string() : it->second;
}

void SaveState(const std::string &key, const std::string &value)
{
    if (key.find_first_of("=\n") != std::string::npos || value.find('\n') != std::string::npos)
        return;
    auto values = ReadAll();
    auto it = values.find(key);
    if (it != values.end() && it->second == value) return;
    values[key] = value;
    std::ostringstream text;
    for (const auto &[k, v] : values) text << k << '=' << v << '\n';
    const std::string temp = std::string(kStateFile) + ".new";
    std::ofstream out(temp, std::ios::trunc);
    out << text.str();
    out.close();
    if (!out || !os::ReplaceWhole(temp, kStateFile)) std::remove(temp.c_str());
}

}  // namespace platform
