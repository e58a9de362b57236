// Private to the serial services: the termios backend and the link between the port
// table and the backend's write waits.
#pragma once

#include <string>

#include "platform/rs232.h"

namespace platform {

// The backend for real ports and pseudo-terminals.
SerialBackend &PosixSerialBackend();

// Where port n is opened: the entry COM<n> of the working directory when there is one,
// else /dev/ttyS<n-1>. *shown receives the text used in messages ("./COM3 -> /dev/ttyUSB0").
std::string PosixDevicePath(int port, std::string *shown);

// The group that owns the device port n is opened on ("" if unknown), for the advice
// after a refused open.
std::string PosixDeviceGroup(int port);

// Current time-out of an open port (the default when it is not open); bounds writes.
double ComTimeout(int port);

}  // namespace platform
