// The operating system's reason for a failed call (an errno value) as a short text in
// the run-time language, for the error texts of the run-time services.
#pragma once

#include <string>

namespace platform {

std::string SystemReason(int err);

}  // namespace platform
