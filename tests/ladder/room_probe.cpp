// Built by the ladder check inside the run-time layer: with the ui room's include path a
// room below it (files) must be found; with the files room's, one above it must not.
#ifdef UPWARD
#include "platform/ui/model.h"
#else
#include "platform/files/os.h"
#endif
