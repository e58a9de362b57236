// PLACEHOLDER until the channel modules land: callbacks that do nothing, bound under
// their resource names.
#include <string>

#include "app/shell.h"
#include "channels/image.h"
#include "platform/userint.h"

namespace {
int nothing(int, int, int, void *, int, int) { return 0; }
void nothing_menu(int, int, void *, int) {}
}  // namespace

void ini_panel_1(void) {}

void register_channel_callbacks(void)
{
    for (int n = 1; n <= 16; n++) {
        std::string k = std::to_string(n);
        RegisterCtrlCallback(("gain_" + k).c_str(), nothing);
        RegisterCtrlCallback(("hb_" + k).c_str(), nothing);
        RegisterCtrlCallback(("az_" + k).c_str(), nothing);
    }
    RegisterCtrlCallback("cal_on_off", nothing);
    RegisterMenuCallback("read", nothing_menu);
    RegisterMenuCallback("down_load", nothing_menu);
}
