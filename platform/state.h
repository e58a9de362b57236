// The run-time's own small state, kept across restarts beside the program's settings:
// the file "zek-config.state" in the working directory, one "key=value" line each.
// The program's settings file is not touched. A state that cannot be read or written
// is simply not remembered; nothing is reported.
#pragma once

#include <string>

namespace platform {

inline constexpr char kStateFile[] = "zek-config.state";

// The value stored under key, empty if none.
std::string LoadState(const std::string &key);
// Stores value under key (values are single lines), keeping the other keys.
void SaveState(const std::string &key, const std::string &value);

}  // namespace platform
