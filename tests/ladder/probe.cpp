// Built by the ladder check with only the channels/ library's include path: a header of
// a folder below it must be found, one of a folder above it must not.
#ifdef UPWARD
#include "link/protocol.h"
#else
#include "ui/texts.h"
#endif
