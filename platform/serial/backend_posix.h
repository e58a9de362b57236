// Private to the serial services: the termios backend.
#pragma once

#include <string>

#include "platform/serial/backend.h"

namespace platform {

// The backend for real ports and pseudo-terminals.
SerialBackend &PosixSerialBackend();

// Where port n is opened: the device its open named, else the entry COM<n> of the
// working directory when there is one, else /dev/ttyS<n-1>. *shown receives the text used in messages ("./COM3 -> /dev/ttyUSB0").
std::string PosixDevicePath(int port, std::string *shown);

// The group that owns the device port n is opened on ("" if unknown), for the advice
// after a refused open.
std::string PosixDeviceGroup(int port);

}  // namespace platform
