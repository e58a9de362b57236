// Resource constants of zek-config.uir: panel numbers, control identifiers per panel
// (prefixed with the panel's constant) and the menu identifiers shared by both menu bars.
// A test checks that these agree with the resource file.
#pragma once

// Panels (resource numbers).
constexpr int PANEL = 1;
constexpr int PANEL_2 = 2;
constexpr int PANEL_3 = 3;
constexpr int PANEL_5 = 4;

// Menu bars: 1 German labels, 2 English labels.
constexpr int MENUBAR = 1;
constexpr int MENUBAR_2 = 2;

// Main panel PANEL: channel row N is RING_N (3N-1), CHECKBOX_N (3N), COMMANDBUTTON_N (3N+1).
constexpr int PANEL_RING_1 = 2;
constexpr int PANEL_CHECKBOX_1 = 3;
constexpr int PANEL_COMMANDBUTTON_1 = 4;
constexpr int PANEL_RING_2 = 5;
constexpr int PANEL_CHECKBOX_2 = 6;
constexpr int PANEL_COMMANDBUTTON_2 = 7;
constexpr int PANEL_RING_3 = 8;
constexpr int PANEL_CHECKBOX_3 = 9;
constexpr int PANEL_COMMANDBUTTON_3 = 10;
constexpr int PANEL_RING_4 = 11;
constexpr int PANEL_CHECKBOX_4 = 12;
constexpr int PANEL_COMMANDBUTTON_4 = 13;
constexpr int PANEL_RING_5 = 14;
constexpr int PANEL_CHECKBOX_5 = 15;
constexpr int PANEL_COMMANDBUTTON_5 = 16;
constexpr int PANEL_RING_6 = 17;
constexpr int PANEL_CHECKBOX_6 = 18;
constexpr int PANEL_COMMANDBUTTON_6 = 19;
constexpr int PANEL_RING_7 = 20;
constexpr int PANEL_CHECKBOX_7 = 21;
constexpr int PANEL_COMMANDBUTTON_7 = 22;
constexpr int PANEL_RING_8 = 23;
constexpr int PANEL_CHECKBOX_8 = 24;
constexpr int PANEL_COMMANDBUTTON_8 = 25;
constexpr int PANEL_RING_9 = 26;
constexpr int PANEL_CHECKBOX_9 = 27;
constexpr int PANEL_COMMANDBUTTON_9 = 28;
constexpr int PANEL_RING_10 = 29;
constexpr int PANEL_CHECKBOX_10 = 30;
constexpr int PANEL_COMMANDBUTTON_10 = 31;
constexpr int PANEL_RING_11 = 32;
constexpr int PANEL_CHECKBOX_11 = 33;
constexpr int PANEL_COMMANDBUTTON_11 = 34;
constexpr int PANEL_RING_12 = 35;
constexpr int PANEL_CHECKBOX_12 = 36;
constexpr int PANEL_COMMANDBUTTON_12 = 37;
constexpr int PANEL_RING_13 = 38;
constexpr int PANEL_CHECKBOX_13 = 39;
constexpr int PANEL_COMMANDBUTTON_13 = 40;
constexpr int PANEL_RING_14 = 41;
constexpr int PANEL_CHECKBOX_14 = 42;
constexpr int PANEL_COMMANDBUTTON_14 = 43;
constexpr int PANEL_RING_15 = 44;
constexpr int PANEL_CHECKBOX_15 = 45;
constexpr int PANEL_COMMANDBUTTON_15 = 46;
constexpr int PANEL_RING_16 = 47;
constexpr int PANEL_CHECKBOX_16 = 48;
constexpr int PANEL_COMMANDBUTTON_16 = 49;
constexpr int PANEL_TOGGLEBUTTON = 50;
constexpr int PANEL_TEXTMSG_5 = 51;
constexpr int PANEL_TEXTMSG_4 = 52;
constexpr int PANEL_TEXTMSG_3 = 53;
constexpr int PANEL_TEXTMSG_6 = 54;
constexpr int PANEL_TEXTMSG_1 = 55;
constexpr int PANEL_PICTURE = 56;
constexpr int PANEL_TEXTMSG_2 = 57;

// Port selection dialog PANEL_2.
constexpr int PANEL_2_NUMERIC = 2;
constexpr int PANEL_2_COMMANDBUTTON = 3;
constexpr int PANEL_2_COMMANDBUTTON_2 = 4;
constexpr int PANEL_2_TEXTMSG = 5;
constexpr int PANEL_2_LISTBOX = 6;

// Calibration panel PANEL_3.
constexpr int PANEL_3_RING_Cali_Sel = 2;
constexpr int PANEL_3_NUMERIC_Cali_Off_1 = 3;
constexpr int PANEL_3_NUMERIC_Cali_Off_2 = 4;
constexpr int PANEL_3_NUMERIC_Cali_Off_3 = 5;
constexpr int PANEL_3_NUMERIC_Cali_Off_4 = 6;
constexpr int PANEL_3_NUMERIC_Cali_Off_5 = 7;
constexpr int PANEL_3_NUMERIC_Cali_Off_6 = 8;
constexpr int PANEL_3_NUMERIC_Cali_Off_7 = 9;
constexpr int PANEL_3_NUMERIC_Cali_Off_8 = 10;
constexpr int PANEL_3_NUMERIC_Cali_Off_9 = 11;
constexpr int PANEL_3_NUMERIC_Cali_Off_10 = 12;
constexpr int PANEL_3_NUMERIC_Cali_Off_11 = 13;
constexpr int PANEL_3_NUMERIC_Cali_Off_12 = 14;
constexpr int PANEL_3_NUMERIC_Cali_Off_13 = 15;
constexpr int PANEL_3_NUMERIC_Cali_Off_14 = 16;
constexpr int PANEL_3_NUMERIC_Cali_Off_15 = 17;
constexpr int PANEL_3_NUMERIC_Cali_Off_16 = 18;
constexpr int PANEL_3_NUMERIC_Cali_Gain_1 = 19;
constexpr int PANEL_3_NUMERIC_Cali_Gain_2 = 20;
constexpr int PANEL_3_NUMERIC_Cali_Gain_3 = 21;
constexpr int PANEL_3_NUMERIC_Cali_Gain_4 = 22;
constexpr int PANEL_3_NUMERIC_Cali_Gain_5 = 23;
constexpr int PANEL_3_NUMERIC_Cali_Gain_6 = 24;
constexpr int PANEL_3_NUMERIC_Cali_Gain_7 = 25;
constexpr int PANEL_3_NUMERIC_Cali_Gain_8 = 26;
constexpr int PANEL_3_NUMERIC_Cali_Gain_9 = 27;
constexpr int PANEL_3_NUMERIC_Cali_Gain_10 = 28;
constexpr int PANEL_3_NUMERIC_Cali_Gain_11 = 29;
constexpr int PANEL_3_NUMERIC_Cali_Gain_12 = 30;
constexpr int PANEL_3_NUMERIC_Cali_Gain_13 = 31;
constexpr int PANEL_3_NUMERIC_Cali_Gain_14 = 32;
constexpr int PANEL_3_NUMERIC_Cali_Gain_15 = 33;
constexpr int PANEL_3_NUMERIC_Cali_Gain_16 = 34;
constexpr int PANEL_3_COMMANDBUTTON = 35;
constexpr int PANEL_3_TOGGLEBUTTON_ACTIV = 36;
constexpr int PANEL_3_TEXTMSG_1 = 37;
constexpr int PANEL_3_TEXTMSG_2 = 38;
constexpr int PANEL_3_TEXTMSG_3 = 39;
constexpr int PANEL_3_TEXTMSG_4 = 40;
constexpr int PANEL_3_TEXTMSG_K_1 = 41;
constexpr int PANEL_3_TEXTMSG_K_2 = 42;
constexpr int PANEL_3_TEXTMSG_K_3 = 43;
constexpr int PANEL_3_TEXTMSG_K_4 = 44;
constexpr int PANEL_3_TEXTMSG_K_5 = 45;
constexpr int PANEL_3_TEXTMSG_K_6 = 46;
constexpr int PANEL_3_TEXTMSG_K_7 = 47;
constexpr int PANEL_3_TEXTMSG_K_8 = 48;
constexpr int PANEL_3_TEXTMSG_K_9 = 49;
constexpr int PANEL_3_TEXTMSG_K_10 = 50;
constexpr int PANEL_3_TEXTMSG_K_11 = 51;
constexpr int PANEL_3_TEXTMSG_K_12 = 52;
constexpr int PANEL_3_TEXTMSG_K_13 = 53;
constexpr int PANEL_3_TEXTMSG_K_14 = 54;
constexpr int PANEL_3_TEXTMSG_K_15 = 55;
constexpr int PANEL_3_TEXTMSG_K_16 = 56;

// Information dialog PANEL_5.
constexpr int PANEL_5_COMMANDBUTTON = 2;
constexpr int PANEL_5_TEXTMSG_2 = 3;
constexpr int PANEL_5_TEXTMSG_1 = 4;
constexpr int PANEL_5_PICTURE = 5;
constexpr int PANEL_5_TEXTMSG_5 = 6;
constexpr int PANEL_5_TEXTMSG_6 = 7;
constexpr int PANEL_5_TEXTMSG_7 = 8;
constexpr int PANEL_5_TEXTMSG_8 = 9;
constexpr int PANEL_5_TEXTMSG_9 = 10;
constexpr int PANEL_5_TEXTMSG_10 = 11;
constexpr int PANEL_5_TEXTMSG = 12;

// Menu identifiers, the same in both menu bars. Names beginning with a digit get the
// MENU_ prefix like all others (the resource keeps 4kanal, 8kanal, 16kanal).
constexpr int MENU_datei = 2;
constexpr int MENU_new = 3;
constexpr int MENU_open = 4;
constexpr int MENU_save = 5;
constexpr int MENU_save_as = 6;
constexpr int MENU_SEPARATOR = 7;
constexpr int MENU_quit = 8;
constexpr int MENU_optionen = 9;
constexpr int MENU_com_port = 10;
constexpr int MENU_SEPARATOR_3 = 11;
constexpr int MENU_down_load = 12;
constexpr int MENU_read = 13;
constexpr int MENU_SEPARATOR_2 = 14;
constexpr int MENU_sprache = 15;
constexpr int MENU_SUBMENU = 16;
constexpr int MENU_sprache_d = 17;
constexpr int MENU_sprache_e = 18;
constexpr int MENU_SEPARATOR_4 = 19;
constexpr int MENU_kanal = 20;
constexpr int MENU_SUBMENU_2 = 21;
constexpr int MENU_4kanal = 22;
constexpr int MENU_8kanal = 23;
constexpr int MENU_16kanal = 24;
constexpr int MENU_SEPARATOR_5 = 25;
constexpr int MENU_cali = 26;
constexpr int MENU_hilfe = 27;
constexpr int MENU_info = 28;
// The Extras/Tools menu, shown between Settings and Help; numbered after the others.
constexpr int MENU_extras = 29;
constexpr int MENU_compare = 30;
constexpr int MENU_send_changes = 31;
constexpr int MENU_SEPARATOR_6 = 32;
constexpr int MENU_link_log = 33;
constexpr int MENU_show_link_log = 34;
constexpr int MENU_SEPARATOR_7 = 35;
constexpr int MENU_cal_record = 36;
constexpr int MENU_config_sheet = 37;
constexpr int MENU_bearbeiten = 38;
constexpr int MENU_undo = 39;
constexpr int MENU_redo = 40;
// The File menu's recent documents, above Quit, and the separator below them.
constexpr int MENU_recent_1 = 41;
constexpr int MENU_recent_2 = 42;
constexpr int MENU_recent_3 = 43;
constexpr int MENU_recent_4 = 44;
constexpr int MENU_SEPARATOR_8 = 45;
