// Test seams of the file services: write-failure injection and the journal of written
// files. The program never switches them on.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Makes every following file write fail as on a full disk (tests of failure paths).
void InjectFileWriteFailure(bool fail);
// Closes every open file, clears the I/O status and the write journal.
void ResetFiles();
// Switches the journal of written files on or off; it is off unless a test sets it.
void RecordWrittenFiles(bool on);
// Names of the files written while the journal was on, in the order their writes were
// closed.
const std::vector<std::string> &WrittenFiles();

// Steps of a write, for harnesses that stop the process in the middle of one: the file
// opened for writing (a replacing write has made its temporary file), bytes about to be
// written, a replacing write flushed to disk and about to be renamed, the file closed.
enum class WriteStep { Opened, Writing, Flushed, Closed };
using WriteStepHook =
    std::function<void(WriteStep step, const std::string &name, std::string_view bytes)>;
// Called at every step of every write (nullptr: none); off unless a harness sets it.
void SetWriteStepHook(WriteStepHook hook);

// What the POSIX file backend changed on the disk, told after each system call that
// succeeded, for a power-loss simulation: a file made in a folder (`path`, its `file`
// identity), bytes written into a file at `offset`, a file cut to the size `offset`, a
// name moved to `to` or removed, and the flushes of a file's content or of a folder's
// names (`path` the folder). Only what a flush made durable survives a power cut.
enum class DiskOp { Create, Write, Truncate, Rename, Remove, SyncFile, SyncFolder };
struct DiskChange {
    DiskOp op;
    std::string path;
    std::string to;
    unsigned long long file = 0;
    long long offset = 0;
    std::string_view bytes;
};
using DiskHook = std::function<void(const DiskChange &change)>;
// Called after every change (nullptr: none); POSIX only, off unless a harness sets it.
void SetDiskHook(DiskHook hook);

}  // namespace platform
