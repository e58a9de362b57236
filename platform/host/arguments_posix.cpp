// Command-line arguments on POSIX systems: they arrive as the bytes the caller gave.
#include "platform/host/arguments.h"

namespace platform {

void Utf8Arguments(int *, char ***) {}

}  // namespace platform
