// The run-time's state file: read whole, changed in memory, and replaced whole like the
// program's own files (a flushed temporary file renamed over the old one), so that it is
// never left half written and a temporary file left by a kill is removed at the next start.
#include "platform/state.h"

#include <fstream>
#include <map>

#include "platform/files/os.h"

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
    std::string text;
    for (const auto &[k, v] : values) text.append(k).append(1, '=').append(v).append(1, '\n');
    std::string target, temp;
    const int fd = os::OpenForReplacing(kStateFile, &target, &temp);
    if (fd < 0) return;
    const int size = static_cast<int>(text.size());
    if (os::Write(fd, text.data(), size) != size) {
        os::AbandonReplacement(fd, temp);
        return;
    }
    (void)os::CommitReplacement(fd, temp, target, [] {});
}

}  // namespace platform
