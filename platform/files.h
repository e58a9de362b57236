// File services: open, read, write, seek, close in binary mode; existence queries; the
// I/O status of the most recent operation and its text.
#pragma once

// Longest path name the file services and the program's name buffers take, the
// terminating zero included: the operating system's own limit.
enum { MAX_PATHNAME_LEN = 4096 };

enum { VAL_READ_WRITE = 0, VAL_READ_ONLY = 1, VAL_WRITE_ONLY = 2 };
enum { VAL_TRUNCATE = 0, VAL_APPEND = 1, VAL_OPEN_AS_IS = 2 };
enum { VAL_BINARY = 0, VAL_ASCII = 1 };
enum { SEEK_FROM_START = 0, SEEK_FROM_CURRENT = 1, SEEK_FROM_END = 2 };

// I/O status codes (0: no error).
enum {
    FMTIO_NO_ERROR = 0,
    FMTIO_OPEN_FAILED = 1,
    FMTIO_READ_FAILED = 2,
    FMTIO_WRITE_FAILED = 3,
    FMTIO_SEEK_FAILED = 4,
    FMTIO_CLOSE_FAILED = 5,
    FMTIO_BAD_HANDLE = 6,
};

// Returns a handle, or -1 on failure. Write-only with truncation replaces the file whole
// at the close; an existing file that may not be written is refused at the open.
int CVI_OpenFile(const char *fileName, int readWriteMode, int action, int fileType);
int CVI_CloseFile(int handle);
// Return the bytes moved, or -1.
int CVI_ReadFile(int handle, char *buffer, int count);
int CVI_WriteFile(int handle, const char *buffer, int count);
// Returns the new position, or -1.
long SetFilePtr(int handle, long offset, int origin);
// 1 exists (size in *fileSize), 0 does not exist, negative on error.
int GetFileInfo(const char *fileName, long *fileSize);
// Cuts a closed file to its first `size` bytes, e.g. the torn end of an append that
// failed part-way; 0, or -1 with the I/O status set.
int SetFileSize(const char *fileName, long size);

int GetFmtIOError(void);
// Text of a status in the run-time language (platform/language.h); names the file
// and the system's reason.
const char *GetFmtIOErrorString(int status);

// Puts the file `from` in place of `to` in one step, replacing an existing `to` on every
// system; 0, or -1 with the I/O status set.
int MoveReplacing(const char *from, const char *to);

// Removes the temporary files of replacing writes that a crash or kill interrupted in
// the working directory; those a running program is writing stay. Every replacing write
// and move does the same in its own folder.
void RemoveStaleWriteFiles(void);
