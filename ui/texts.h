// Every text the operator sees, as German/English pairs. text() picks the one of the
// language set in `sprache` at the moment the text is shown.
#pragma once

#include <cstdio>
#include <string>

// Language flag: 0 German, any other value English (the program stores 0 or 1).
extern int sprache;

// A text's printf conversions ("%d", "%.1f", "%s", "%%") one after the other: the German
// and English text of a pair must have the same ones in the same order, or the arguments
// given to one language would be read wrongly in the other.
namespace text_check {

constexpr bool is_flag(char c) { return c == '-' || c == '+' || c == ' ' || c == '#' || c == '0'; }
constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The end of the conversion starting at p (which points at '%').
constexpr const char *conversion_end(const char *p)
{
    p++;
    while (is_flag(*p)) p++;
    while (is_digit(*p) || *p == '.' || *p == '*') p++;
    while (*p == 'h' || *p == 'l' || *p == 'z' || *p == 'j' || *p == 't' || *p == 'L') p++;
    return *p ? p + 1 : p;
}

constexpr const char *next_conversion(const char *p)
{
    while (*p && *p != '%') p++;
    return p;
}

constexpr bool same_conversions(const char *a, const char *b)
{
    for (a = next_conversion(a), b = next_conversion(b); *a || *b;
         a = next_conversion(a), b = next_conversion(b)) {
        if (!*a || !*b) return false;
        const char *a_end = conversion_end(a), *b_end = conversion_end(b);
        if (a_end - a != b_end - b) return false;
        for (; a != a_end; a++, b++)
            if (*a != *b) return false;
    }
    return true;
}

}  // namespace text_check

struct TextPair {
    const char *de;
    const char *en;

    // Every pair is checked as it is compiled: a pair whose conversions differ does not build.
    consteval TextPair(const char *german, const char *english) : de(german), en(english)
    {
        if (!text_check::same_conversions(german, english))
            throw "the German and English texts differ in their % conversions";
    }
};

// The German text when sprache is 0, the English one otherwise.
const char *text(const TextPair &pair);
// A ring item's text in the current language with its padding taken out: runs of blanks
// become one, none at either end ("DMS 8mV/V").
std::string item_words(const TextPair &item);

namespace txt {

// Main window.
inline constexpr TextPair kanal_prefix{"Kanal ", "Channel "};
inline constexpr TextPair system_suffix{" Kanal Telemetrie", " Channel Telemetry"};
inline constexpr TextPair konfiguration{"Konfiguration", "Configuration"};
inline constexpr TextPair halbbruecke{"Halbbrücke", "Half Bridge"};
// Sensor-range ring items, 21 characters each, by range index.
inline constexpr TextPair range_items[8] = {
    {"DMS            32mV/V", "Strain gage    32mV/V"},
    {"DMS            16mV/V", "Strain gage    16mV/V"},
    {"DMS             8mV/V", "Strain gage     8mV/V"},
    {"DMS             4mV/V", "Strain gage     4mV/V"},
    {"DMS             2mV/V", "Strain gage     2mV/V"},
    {"DMS             1mV/V", "Strain gage     1mV/V"},
    {"TE Typ 1             ", "TC Type 1            "},
    {"TE Typ 2             ", "TC Type 2            "},
};
inline constexpr int range_item_values[8] = {32, 16, 8, 4, 2, 1, 64, 128};

// Channel count and language.
inline constexpr TextPair warnung{"Warnung", "Warning"};
inline constexpr TextPair kanal_confirm{
    "Wollen Sie wirklich die Kanalzahl verändern?\r\n\r\n"
    "Sollte ihr Telemetriesystem nicht für diese Kanalzahl ausgelegt sein,\r\n"
    "kann es zu Schäden am System kommen.",
    "Do you really want to change the number of channels?\r\n\r\n"
    "If your telemetriy system is not supposed for these number of channels,\r\n"
    "this can cause severe damage on the system."};
// kanal_16 has its own English wording.
inline constexpr TextPair kanal_16_confirm{
    kanal_confirm.de,
    "Do you really want to change the number of channels?\r\n\r\n"
    "If your telemetry system is not supposed for these number of channels,\r\n"
    "it can damage the system."};
inline constexpr TextPair hinweis{"Hinweis", "Tip"};
inline constexpr TextPair restart_notice{
    "Die Änderungen werden erst nach einem Neustart wirksam !!!",
    "You have to restart to apply the new settings!!!"};
// Added to the restart notice when a change of memory layout set the exit backup aside.
inline constexpr TextPair backup_set_aside{
    "Die letzte Konfiguration gehört zur bisherigen Kanalzahl: sie bleibt als \"%s\"\r\n"
    "erhalten, das Programm startet ohne sie.",
    "The last configuration belongs to the previous number of channels: it is kept as\r\n"
    "\"%s\", the program starts without it."};

// Information dialog.
inline constexpr TextPair version_prefix{"Konfigurationssoftware Version ",
                                         "Configuration Software Version "};
// The program's own identity below them: what it is and where its documentation lies.
inline constexpr TextPair about_purpose{"Konfiguration der Rotor-Telemetrie über RS-232",
                                        "Configures the rotor telemetry over RS-232"};
inline constexpr TextPair about_docs{"Dokumentation: README.md und docs/ bei den Quellen",
                                     "Documentation: README.md and docs/ in the sources"};

// Port selection and link.
inline constexpr TextPair com_heading{"Serielle Schnittstelle wählen", "Select Serial Interface"};
inline constexpr TextPair com_cancel{"__Abbruch", "__Cancel"};
inline constexpr TextPair com_error{"COM ERROR", "COM ERROR"};
inline constexpr TextPair refusal{
    "\tFehler\nDas letzte Kommando wurde nicht richtig empfangen!\nBitte Verbindung prüfen!",
    "\tError\nThe last command could not be received correctly!\nPlease check the connection!"};
inline constexpr TextPair port_error_title{"Schnittstellen-Fehler", "Port-Error"};
inline constexpr TextPair port_error_text{"Prüfen", "Check"};
// The port list of the port selection dialog and the linking of a USB adapter as COM<n>.
inline constexpr TextPair port_builtin{"eingebaute Schnittstelle", "built-in port"};
inline constexpr TextPair port_serial{"Nr. ", "S/N "};
inline constexpr TextPair port_no_serial{"ohne Seriennr. (am USB-Anschluss)",
                                         "no serial no. (by its USB socket)"};
inline constexpr TextPair port_points_nowhere{"(zeigt ins Leere)", "(points nowhere)"};
inline constexpr TextPair port_keeps{"\nDie bisherige Schnittstelle bleibt eingestellt.",
                                     "\nThe previous port stays in use."};
inline constexpr TextPair port_gone{"Der Adapter ist nicht mehr angeschlossen: ",
                                    "The adapter is no longer plugged in: "};
inline constexpr TextPair port_gone_advice{
    "\nStecken Sie ihn wieder ein und wählen Sie ihn in der neuen Liste.",
    "\nPlug it in again and choose it in the renewed list."};
inline constexpr TextPair port_no_stable{
    "\nDieser Adapter hat keinen dauerhaften Namen unter /dev/serial (udev fehlt?).\n"
    "Verknüpfen Sie ihn von Hand, z. B. ln -s /dev/ttyUSB0 COM3.",
    "\nThis adapter has no lasting name under /dev/serial (is udev missing?).\n"
    "Link it by hand, e.g. ln -s /dev/ttyUSB0 COM3."};
inline constexpr TextPair port_denied{"Sie dürfen diese Schnittstelle nicht öffnen: ",
                                      "You may not open this port: "};
inline constexpr TextPair port_denied_group{"\nSie gehört der Gruppe ",
                                            "\nIt belongs to the group "};
// Around the group's name: "... (sudo usermod -aG dialout $USER) ...".
inline constexpr TextPair port_denied_add{
    ". Nehmen Sie Ihren Benutzer in diese Gruppe auf\n(sudo usermod -aG ",
    ". Add your user to that group\n(sudo usermod -aG "};
inline constexpr TextPair port_denied_login{" $USER) und melden Sie sich neu an.",
                                            " $USER) and log in again."};
inline constexpr TextPair com_entry_not_link{
    " im Arbeitsordner ist eine Datei oder ein Ordner, keine Verknüpfung;\n"
    "sie wird nicht ersetzt.",
    " in the working folder is a file or folder, not a link;\nit is not replaced."};
inline constexpr TextPair com_entry_not_written{
    " konnte im Arbeitsordner nicht angelegt werden: ",
    " could not be created in the working folder: "};
// The port part of the main window's status line: "COM3: /dev/ttyUSB0 (FT232R USB UART),
// 4800 8N2, OK vor 4 s".
inline constexpr TextPair port_not_open{"nicht offen", "not open"};
inline constexpr TextPair port_reopened{"nach Trennung wieder geöffnet",
                                        "reopened after a hang-up"};
inline constexpr TextPair port_reopen_failed{"nach Trennung nicht wieder zu öffnen",
                                             "could not be reopened after a hang-up"};
inline constexpr TextPair port_no_exchange{"noch kein Austausch", "no exchange yet"};
inline constexpr TextPair port_reply_ok{"OK", "OK"};
inline constexpr TextPair port_reply_refused{"abgelehnt", "refused"};
inline constexpr TextPair port_reply_unreadable{"Antwort unlesbar", "reply unreadable"};
inline constexpr TextPair port_reply_missing{"keine Antwort", "no reply"};
inline constexpr TextPair port_age_seconds{"%s vor %d s", "%s %d s ago"};
inline constexpr TextPair port_age_minutes{"%s vor %d min", "%s %d min ago"};
// The link log of the Extras/Tools menu.
inline constexpr TextPair link_log_title{"Schnittstellen-Protokoll", "Link Log"};
inline constexpr TextPair link_log_unwritable{
    "Das Schnittstellen-Protokoll kann nicht geschrieben werden: %s (%s)\n"
    "Die Verbindung arbeitet ohne Protokoll weiter.",
    "The link log cannot be written: %s (%s)\nThe link keeps working without a log."};
// A whole-memory reply that is neither the memory nor a refusal.
inline constexpr TextPair memory_unreadable{
    "Die Antwort des Telemetriesystems konnte nicht gelesen werden.\n"
    "Es wurde nichts geändert.",
    "The reply of the telemetry system could not be read.\nNothing was changed."};

// Documents.
inline constexpr TextPair zek_title{"ZEK Konfiguration", "ZEK Configuration"};
inline constexpr TextPair changes_saved{"Änderungen gespeichert?", "Changes saved?"};
inline constexpr TextPair file_error{"Datei Fehler!", "File Error"};
inline constexpr TextPair save_as_title{"Speichern unter", "Speichern unter"};
// Shown below the name of a file that Open refuses.
inline constexpr TextPair not_config_file{
    "ist keine Konfigurationsdatei.\nEine Konfigurationsdatei beginnt mit 800 "
    "Hexadezimalziffern (0-9, a-f).\nDie aktuelle Konfiguration bleibt unverändert.",
    "is not a configuration file.\nA configuration file begins with 800 hexadecimal "
    "digits (0-9, a-f).\nThe current configuration is unchanged."};

// File names.
// A path chosen in Open or Save as that is longer than the operating system takes.
inline constexpr TextPair path_too_long{
    "Der gewählte Pfad ist länger, als das Betriebssystem zulässt.\n"
    "Es wurde nichts geöffnet oder gespeichert.",
    "The chosen path is longer than the operating system allows.\n"
    "Nothing was opened or saved."};

// Calibration.
inline constexpr TextPair cali_prompt_title{"Telemetrie Kalibration", "Telemetry Calibration"};
inline constexpr TextPair cali_prompt{"Bitte Passwort eingeben", "Please enter your password"};
inline constexpr TextPair cali_gain_heading{"Verstärkung", "Gain"};
inline constexpr TextPair cali_ring_label{"Kalibrationsbereich", "Calibration Section"};
inline constexpr TextPair cali_toggle_label{"Aktivierung", "Enable"};
inline constexpr TextPair cali_system_suffix{"Kanal Telemetrie", "Channel Telemetry"};
inline constexpr TextPair cali_heading{"Kalibration", "Calibration"};
inline constexpr TextPair fehler{"Fehler", "Error"};
inline constexpr TextPair wrong_password{"Falsches Passwort", "Incorrect password"};
// Calibration range ring items by index, with their range values.
inline constexpr TextPair cali_items[3] = {
    {"TE Typ 1        ", "TC Type 1         "},
    {"TE Typ 2        ", "TC Type 2         "},
    {"DMS        2mV/V", "Strain gage  2mV/V"},
};
inline constexpr int cali_item_values[3] = {64, 128, 0};

// Extras: comparing the window with the device, sending only what changed.
inline constexpr TextPair compare_title{"Vergleich mit dem Rotorsystem", "Comparison With the Rotor"};
inline constexpr TextPair no_differences{
    "Keine Unterschiede: das Rotorsystem enthält die Konfiguration des Fensters.",
    "No differences: the rotor system holds the window's configuration."};
inline constexpr TextPair more_differences{"... und %d weitere Unterschiede",
                                           "... and %d more differences"};
inline constexpr TextPair window_word{"Fenster", "window"};
inline constexpr TextPair rotor_word{"Rotorsystem", "rotor"};
inline constexpr TextPair diff_range{"Bereich und Brücke", "range and bridge"};
inline constexpr TextPair diff_range_words{"Bereichswörter (Offset/Verstärkung)",
                                           "range words (offset/gain)"};
inline constexpr TextPair diff_cal_offset{"Kalibrations-Offset", "calibration offset"};
inline constexpr TextPair diff_cal_gain{"Kalibrations-Verstärkung", "calibration gain"};
inline constexpr TextPair full_bridge{"Vollbrücke", "full bridge"};
inline constexpr TextPair half_bridge{"Halbbrücke", "half bridge"};
inline constexpr TextPair mode_byte_word{"Modusbyte", "mode byte"};
// Calibration banks by number.
inline constexpr TextPair bank_names[3] = {
    {"Bank DMS", "strain-gauge bank"}, {"Bank TE Typ 1", "TC type 1 bank"},
    {"Bank TE Typ 2", "TC type 2 bank"}};
inline constexpr TextPair send_changes_title{"Änderungen senden und prüfen",
                                             "Send Changes and Verify"};
inline constexpr TextPair nothing_to_send{
    "Nichts zu senden: das Rotorsystem enthält die Einstellungen des Fensters.",
    "Nothing to send: the rotor system holds the window's settings."};
inline constexpr TextPair sent_and_verified{"%d Kanäle gesendet und geprüft.",
                                            "%d channels sent and verified."};
inline constexpr TextPair verify_differs{
    "Gesendet, aber das Rotorsystem enthält danach anderes:",
    "Sent, but the rotor system then holds something else:"};
inline constexpr TextPair verify_address{"Adresse %d: gesendet %d, gelesen %d",
                                         "address %d: sent %d, read %d"};

// The calibration record: its columns, what a line says, and the messages about its file.
inline constexpr int record_columns = 9;
inline constexpr TextPair record_header[record_columns] = {
    {"Zeit", "Time"},           {"Schnittstelle", "Port"},  {"Kanalzahl", "Channels"},
    {"Kanal", "Channel"},       {"Kalibrationsbereich", "Calibration section"},
    {"Geschrieben", "Written"}, {"Vorher", "Before"},       {"Gesendet", "Sent"},
    {"Ergebnis", "Outcome"}};
inline constexpr TextPair record_offset{"Offset", "offset"};
inline constexpr TextPair record_gain{"Verstärkung", "gain"};
inline constexpr TextPair record_range{"Bereichsumschaltung", "range switch"};
inline constexpr TextPair record_acknowledged{"bestätigt", "acknowledged"};
inline constexpr TextPair record_refused{"abgelehnt", "refused"};
inline constexpr TextPair record_unreadable{"unlesbare Antwort", "unreadable reply"};
inline constexpr TextPair record_no_reply{"keine Antwort", "no reply"};
inline constexpr TextPair record_title{"Kalibrierprotokoll", "Calibration Record"};
inline constexpr TextPair record_all{"alle", "all"};
inline constexpr TextPair record_empty{"Es gibt noch kein Kalibrierprotokoll (%s).",
                                       "There is no calibration record yet (%s)."};
// After the file service's error text: the calibration goes on, the lines wait.
inline constexpr TextPair record_not_written{
    "Das Kalibrierprotokoll kann nicht geschrieben werden:\n%s\n"
    "Die Kalibrierung geht weiter; die Einträge dieser Sitzung werden nachgetragen, "
    "sobald die Datei wieder geschrieben werden kann.",
    "The calibration record cannot be written:\n%s\n"
    "Calibration goes on; this session's entries are added as soon as the file can be "
    "written again."};
inline constexpr TextPair record_not_ours{
    "\"%s\" ist kein Kalibrierprotokoll dieses Programms (die erste Zeile ist nicht seine "
    "Kopfzeile).\nDie Datei wird nicht verändert. Benennen Sie sie um, damit ein neues "
    "Protokoll angelegt werden kann.",
    "\"%s\" is not a calibration record of this program (its first line is not the "
    "record's heading).\nThe file is left as it is. Rename it so that a new record can be "
    "started."};
inline constexpr TextPair record_pending{"%d Einträge dieser Sitzung sind noch nicht gespeichert.",
                                         "%d entries of this session are not saved yet."};
// The waiting list is full: lines are dropped until the record can be written again.
inline constexpr TextPair record_dropped{
    "Es warten schon %d Einträge auf das Kalibrierprotokoll. Weitere Einträge dieser "
    "Sitzung gehen verloren, bis die Datei wieder geschrieben werden kann.",
    "%d entries are already waiting for the calibration record. Further entries of this "
    "session are lost until the file can be written again."};
// At exit, after the last try: the session's lines that are not in the record.
inline constexpr TextPair record_lost{
    "%d Einträge dieser Sitzung konnten nicht in das Kalibrierprotokoll \"%s\" "
    "geschrieben werden und gehen verloren.",
    "%d entries of this session could not be written to the calibration record \"%s\" "
    "and are lost."};
inline constexpr TextPair record_damaged{"%d beschädigte Zeilen wurden übergangen.",
                                         "%d damaged lines were skipped."};

// The configuration sheet.
inline constexpr TextPair sheet_title{"Konfigurationsblatt", "Configuration Sheet"};
inline constexpr TextPair sheet_save_title{"Konfigurationsblatt speichern",
                                           "Save Configuration Sheet"};
inline constexpr TextPair sheet_document{"Dokument: ", "Document: "};
inline constexpr TextPair sheet_created{"Erstellt: %s", "Created: %s"};
inline constexpr TextPair sheet_port{"Schnittstelle: COM%d", "Port: COM%d"};
inline constexpr int sheet_columns = 11;
inline constexpr TextPair sheet_header[sheet_columns] = {
    {"Kanal", "Channel"},           {"Messbereich", "Sensor range"},
    {"Brücke", "Bridge"},           {"Bereichs-Offset", "Range offset"},
    {"Bereichs-Verst.", "Range gain"},
    {"DMS Offset", "SG offset"},    {"DMS Verst.", "SG gain"},
    {"TE1 Offset", "TC1 offset"},   {"TE1 Verst.", "TC1 gain"},
    {"TE2 Offset", "TC2 offset"},   {"TE2 Verst.", "TC2 gain"}};
inline constexpr TextPair sheet_words_note{
    "Wörter dezimal; Bereichswörter aus der DMS-Bank, Kalibrationswörter der drei Bänke.",
    "Words in decimal; range words from the strain-gauge bank, calibration words of the "
    "three banks."};
inline constexpr TextPair sheet_last_check{"Letzte Prüfung dieser Sitzung: %s, %s",
                                           "Last check of this session: %s, %s"};
inline constexpr TextPair sheet_written{"Konfigurationsblatt geschrieben: ",
                                        "Configuration sheet written: "};
inline constexpr TextPair sheet_bad_name{
    "Der Dateiname \"%s\" enthält Zeichen, die ein Dateiname nicht enthalten kann "
    "(< > : \" | ? * oder Steuerzeichen).\nEs wurde nichts geschrieben.",
    "The file name \"%s\" holds characters that a file name cannot hold "
    "(< > : \" | ? * or control characters).\nNothing was written."};

// Progress, status line and cancel of operations that take many frames.
inline constexpr TextPair progress_download{"Konfiguration senden: Kanal %d von %d",
                                            "Download: channel %d of %d"};
inline constexpr TextPair progress_send_changes{"Änderungen senden: Kanal %d (%d von %d)",
                                                "Sending changes: channel %d (%d of %d)"};
inline constexpr TextPair progress_read{"Speicher lesen", "Reading the memory"};
inline constexpr TextPair progress_range{"Bereich von Kanal %d senden",
                                         "Sending the range of channel %d"};
inline constexpr TextPair progress_cali{"Kalibrationsbereich: Kanal %d von %d",
                                        "Calibration range: channel %d of %d"};
inline constexpr TextPair status_download_done{
    "Konfiguration gesendet: %d Kanäle, %d Frames, %.1f s",
    "Download finished: %d channels, %d frames, %.1f s"};
inline constexpr TextPair status_upload_done{"Konfiguration gelesen: 512 Bytes, %.1f s",
                                             "Upload finished: 512 bytes, %.1f s"};
inline constexpr TextPair status_range_done{"Bereich von Kanal %d gesendet, %.1f s",
                                            "Range of channel %d sent, %.1f s"};
inline constexpr TextPair status_cali_done{"Kalibrationsbereich gesendet: %d Kanäle, %.1f s",
                                           "Calibration range sent: %d channels, %.1f s"};
inline constexpr TextPair status_compare_done{"Vergleich beendet: %d Unterschiede, %.1f s",
                                              "Comparison finished: %d differences, %.1f s"};
inline constexpr TextPair status_changes_done{"Änderungen gesendet: %d Kanäle, %.1f s",
                                              "Changes sent: %d channels, %.1f s"};
inline constexpr TextPair status_failed_at{
    "Verbindung gestört bei Kanal %d: der Rest wird ohne Warten gesendet.",
    "Link failed at channel %d: the rest is being sent without waiting."};
inline constexpr TextPair status_failed{"Fehlgeschlagen: %s", "Failed: %s"};
inline constexpr TextPair status_cancelled{"Abgebrochen nach Kanal %d.",
                                           "Cancelled after channel %d."};
inline constexpr TextPair cancelled_title{"Abgebrochen", "Cancelled"};
inline constexpr TextPair cancelled_written{"Geschrieben: Kanal %s", "Written: channels %s"};
inline constexpr TextPair cancelled_not_written{"Nicht geschrieben: Kanal %s",
                                                "Not written: channels %s"};
// Back from calibration.
inline constexpr TextPair restore_title{"Kalibration beendet", "Calibration finished"};
inline constexpr TextPair restore_question{
    "%d Kanäle stehen auf Kalibrationsbereichen.\n"
    "Die Einstellungen von vor der Kalibration wiederherstellen?\n"
    "(Die Abgleichwerte bleiben.)",
    "%d channels are set to calibration ranges.\n"
    "Restore the channels' settings from before calibration?\n"
    "(The trims stay.)"};
inline constexpr TextPair progress_restore_title{"Einstellungen wiederherstellen",
                                                 "Restoring the settings"};
inline constexpr TextPair progress_restore{"Wiederherstellen: Kanal %d (%d von %d)",
                                           "Restoring: channel %d (%d of %d)"};
inline constexpr TextPair restore_failed{"Wiederhergestellt: Kanal %s",
                                         "Restored: channels %s"};
inline constexpr TextPair restore_differs{
    "%d Adressen halten nach dem Zurücklesen etwas anderes als gesendet.\n"
    "Wiederhergestellt: Kanal %s",
    "%d addresses read back other than sent.\nRestored: channels %s"};
inline constexpr TextPair status_restore_done{"Einstellungen wiederhergestellt: %d Kanäle, %.1f s",
                                              "Settings restored: %d channels, %.1f s"};
// Undo and redo: the menu items' texts, naming the change.
inline constexpr TextPair undo_item{"__Rückgängig", "__Undo"};
inline constexpr TextPair redo_item{"__Wiederholen", "__Redo"};
inline constexpr TextPair step_channel{"%s: Kanal %d, %s", "%s: channel %d, %s"};
inline constexpr TextPair step_signal{"%s: Kalibriersignal %s", "%s: calibration signal %s"};
inline constexpr TextPair signal_on{"ein", "on"};
inline constexpr TextPair signal_off{"aus", "off"};
inline constexpr TextPair none_word{"keiner", "none"};
// Recent documents: a File menu item numbered 1 to 4 with the document's name, and the
// message when a listed document is no longer there.
inline constexpr TextPair recent_item{"__%d %s", "__%d %s"};
inline constexpr TextPair recent_gone{
    "%s\nist nicht mehr vorhanden und wird aus der Liste der letzten Dokumente entfernt.",
    "%s\nno longer exists and is removed from the list of recent documents."};

}  // namespace txt

// The pair's text in the current language with its %d, %s and %.1f filled in.
template <typename... Args>
std::string format_text(const TextPair &pair, Args... args)
{
    char buffer[512];
    std::snprintf(buffer, sizeof buffer, text(pair), args...);
    return buffer;
}

// The message after a cancel: channels 1..written written, the rest up to total not.
std::string cancelled_text(int written, int total);
