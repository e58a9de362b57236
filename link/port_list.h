// The port list of the port selection dialog: the serial ports present, and a chosen
// USB adapter linked as the working directory's COM<n> under its stable name.
#pragma once

// Fills the dialog's list with the ports present now.
void fill_port_list(int panel);
// On OK: when a USB adapter is chosen, links it as COM<n> for the number in the field.
// Returns 0 (after a message; nothing changed) when that cannot be done.
int link_chosen_adapter(int panel);
int com_port_list(int panel, int control, int event, void *callbackData, int eventData1,
                  int eventData2);
void register_port_list_callbacks(void);

// The folder below which sysfs and /dev are read ("/"; tests use a tree of their own).
void set_port_list_root(const char *root);
const char *port_list_root(void);
