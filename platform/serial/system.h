// Private to the serial services: the backend of the operating system the program was
// built for (serial/backend_posix.cpp, serial/backend_win32.cpp), and the advice its
// error texts give.
#pragma once

#include <string>

#include "platform/serial/backend.h"

namespace platform {

// The backend for real ports.
SerialBackend &SystemSerialBackend();

// The advice after "no serial device at ...", in the run-time language; `entry` is
// "COM<n>" of the failing port (or "COM<n>" literally when no port is known).
std::string NotFoundAdvice(const std::string &entry);

// The text after "COMn (path)" when the system refused the port to this user, in the
// run-time language; port 0 when no port is known.
std::string PermissionAdvice(int port);

}  // namespace platform
