// platform/files/ owns the file services of files.h with their operating-system backends
// (backend_*.cpp), the reason texts of failed calls, the state file and the test seam
// (testing.h). It is the lowest room: it sees only the run-time table at platform/'s root.
//
// Private to the run-time layer: the operating system's file calls behind the file
// services, one source file per system (files/backend_posix.cpp, files/backend_win32.cpp).
// Paths are UTF-8 here; a failing call returns -1 (or false) with errno set to the reason.
#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace platform::os {

// Name of the temporary files of replacing writes: this prefix and six characters. The
// process writing one holds it (a lock on POSIX, an unshared handle on Windows) until it
// is in place, so one that nobody holds was left by a crash or kill.
inline constexpr char kWriteFilePrefix[] = ".zek-write-";

// A UTF-8 path for the standard library's file calls, and back.
inline std::filesystem::path Utf8Path(const std::string &utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8String(const std::filesystem::path &path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

// Opens name with the file services' mode and action (files.h); a file descriptor.
int Open(const std::string &name, int readWriteMode, int action);
// Opens name to be replaced whole. Returns a descriptor; *tempPath receives the
// temporary file beside the target and *target the file it will replace, or *tempPath
// stays empty when the file is written in place (a device, a folder that takes no
// temporary file but lets the file be written).
int OpenForReplacing(const std::string &name, std::string *target, std::string *tempPath);
// Flushes the temporary file to disk, calls `flushed`, puts it in place of target,
// closes it and flushes the folder, so that the new name stays after a power loss;
// removes it on failure.
bool CommitReplacement(int fd, const std::string &tempPath, const std::string &target,
                       const std::function<void()> &flushed);
// Closes and removes a replacement that is abandoned.
void AbandonReplacement(int fd, const std::string &tempPath);
// Removes the temporary file at path unless a live process, this one included, holds it.
void RemoveUnheld(const std::string &path);

int Read(int fd, char *buffer, int count);
int Write(int fd, const char *buffer, int count);
long Seek(int fd, long offset, int origin);
int Close(int fd);
// Flushes a file written in place to the disk (a device or pipe, which takes no flush,
// counts as flushed); false with errno set.
bool Flush(int fd);
// Flushes the names of the folder holding `name` (a file made, moved or removed there),
// where the system needs it for them to stay after a power loss; false with errno set.
bool FlushFolder(const std::string &name);
// 1 exists (size in *size), 0 does not, -1 on error.
int FileSize(const std::string &name, long *size);

// Puts the file from in place of the file to in one step, the folders' names flushed to
// disk; false with errno set.
bool ReplaceWhole(const std::string &from, const std::string &to);
// The running program's own file, "" if unknown.
std::string ProgramPath();
// The German text of an errno value that only this system has, nullptr if none.
const char *GermanReason(int err);

}  // namespace platform::os
