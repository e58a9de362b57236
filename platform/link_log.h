// The link log: every frame written to a serial port and every reply read from it, one
// time-stamped line each, appended to a file while the log is on. The file is rotated to
// NAME.1 when it reaches its size limit.
#pragma once

#include <string>

namespace platform {

// Starts the log in `path` (appending), or stops it with an empty path. False when the
// file cannot be opened; the log is off then.
bool SetLinkLog(const std::string &path, long rotateAtBytes = 1024 * 1024);
bool LinkLogOn();
// Called once when the log ends by itself because its rotation failed: the file that
// could not be moved or opened and the system's reason. Without a hook the two go to
// stderr.
using LinkLogStopHook = void (*)(const char *path, const char *reason);
void SetLinkLogStopHook(LinkLogStopHook hook);

// Called by the serial services.
void LinkLogWritten(int port, const char *data, int count);
void LinkLogRead(int port, const char *data, int count, bool ended);
void LinkLogFailed(int port, const std::string &what);
// A write that failed: the characters that were to go out, and why they did not.
void LinkLogWriteFailed(int port, const char *data, int count, const std::string &what);

}  // namespace platform
