// Loading panels and menu bars from the JSON resource file.
#pragma once

#include <string>

#include "platform/ui/model.h"

namespace platform {

// Resolves a resource file name: absolute names as they are, others in the first
// resource folder that holds them (the first folder when none does).
std::string ResolveResourcePath(const std::string &fileName);
// One resource folder (SetResourceDir), or none for an empty name.
void SetResourceFolder(const std::string &dir);
// The folders of a program in programFolder: that folder itself (the build tree), then
// ../share/zek-config beside it (an installed copy, wherever it was installed).
void UseResourceBeside(const std::string &programFolder);
extern bool explicitFolder;  // set by SetResourceDir; InitCVIRTE then keeps the folder

// Fill *panel / *bar from the resource. Return 0 or a negative UIE_* code; a message
// naming the file and the fault goes to stderr.
int ReadPanelResource(const std::string &fileName, int number, Panel *panel);
int ReadMenuBarResource(const std::string &fileName, int number, MenuBar *bar);

// Callback registry lookups (nullptr when the name has no function).
CtrlCallbackPtr FindCtrlCallback(const std::string &name);
PanelCallbackPtr FindPanelCallback(const std::string &name);
MenuCallbackPtr FindMenuCallback(const std::string &name);

}  // namespace platform
