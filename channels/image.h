// Configuration image address map and its display in the main window.
#pragma once

// Shows the configuration image in the main window's channel rows.
void ini_panel_1(void);
