// The per-user data folder of a program, after the XDG base directory rules, and
// starting the program in it.
#pragma once

#include <string>

namespace platform {

// $XDG_DATA_HOME/<name>; ~/.local/share/<name> when XDG_DATA_HOME is unset, empty or
// not an absolute path.
std::string DataHomeFolder(const std::string &name);

// Creates DataHomeFolder(name) and its missing parents (mode 0700) and makes it the
// working directory. Returns "" or a text naming the folder and the reason.
std::string EnterDataHome(const std::string &name);

}  // namespace platform
