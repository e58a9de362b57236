// Configuration text: image entries 0 to 399 as 800 hex digits, the file form shared by
// configuration documents and both backup files, and the steps that write and read it.
#pragma once

constexpr int TEXT_ENTRIES = 400;              // image entries carried by a text
constexpr int TEXT_LENGTH = 2 * TEXT_ENTRIES;  // characters of a configuration text

// Input text buffer (whole-memory reply, file contents) and output text buffer.
extern char eingangsbuffer[1540];
extern char textbuffer[1540];

// The image's text into textbuffer (lower-case hex pairs).
void format_i_s(void);
// The text in eingangsbuffer into the image and the window.
void einlesen_ini(void);
// True when eingangsbuffer starts with a whole configuration text.
bool ist_konfigurationstext(void);

// Write: the writer, then the image text replaces the file `name` whole. Read: up to the
// input buffer's size of the file `name`, opened in `mode`, into `eingangsbuffer`,
// reporting the I/O status of the open, the size and the read; 0 when none of them
// failed. The caller runs the reader.
void datei_schreiben(const char *name);
// The write steps without the writer: textbuffer as it stands into `name`.
void text_schreiben(const char *name);
int datei_lesen(const char *name, int mode);
// Shows the I/O status of the last file operation when it is not zero.
void file_fehler(void);
// The same, returning 1 when there was one to show, else 0.
int report_status(void);
