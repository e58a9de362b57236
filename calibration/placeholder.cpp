// PLACEHOLDER until the calibration module lands: callbacks that do nothing.
#include <string>

#include "app/shell.h"
#include "platform/userint.h"

namespace {
int nothing(int, int, int, void *, int, int) { return 0; }
int nothing_panel(int, int, void *, int, int) { return 0; }
void nothing_menu(int, int, void *, int) {}
}  // namespace

void register_calibration_callbacks(void)
{
    RegisterMenuCallback("cali", nothing_menu);
    RegisterPanelCallback("cali_panel", nothing_panel);
    RegisterCtrlCallback("cali_ok", nothing);
    RegisterCtrlCallback("cali_toggle", nothing);
    RegisterCtrlCallback("cali_select", nothing);
    for (int n = 1; n <= 16; n++) {
        RegisterCtrlCallback(("cali_off_" + std::to_string(n)).c_str(), nothing);
        RegisterCtrlCallback(("cali_gain_" + std::to_string(n)).c_str(), nothing);
    }
}
