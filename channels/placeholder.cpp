// PLACEHOLDER until the configuration image module lands: the window is not filled
// from the image.
#include "channels/image.h"

void ini_panel_1(void) {}
