// Test seams of the serial services: another backend, and a fresh start.
#pragma once

#include "platform/serial/backend.h"

namespace platform {

// The backend in use (posix by default). Not owned; nullptr: back to posix.
void InstallSerialBackend(SerialBackend *backend);
// Closes every port and clears the error state.
void ResetSerial();

}  // namespace platform
