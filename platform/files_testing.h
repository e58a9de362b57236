// Test seams of the file services: write-failure injection and the journal of written
// files. The program never switches them on.
#pragma once

#include <string>
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

}  // namespace platform
