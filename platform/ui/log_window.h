// A log window: the newest lines of a text file, following the file as it grows. Not
// modal: the operator keeps working beside it; asked again, the window comes to the front.
#pragma once

#include <string>

// Shows the window for the file at path (made absolute now, so that it stays the same
// file whatever the working directory becomes).
int ShowLogWindow(const char *title, const char *path);

namespace platform {

// The end of the file, at most maxBytes of it, starting at a whole line; empty when the
// file cannot be read.
std::string NewestLines(const std::string &path, long maxBytes);

}  // namespace platform
