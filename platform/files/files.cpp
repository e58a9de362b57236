// File services. A file opened for writing only with truncation is written to a
// temporary file beside it and put in place of the target when it is closed, so that a
// crash or power loss leaves either the old or the new full content, never a torn one.
// The system's own calls are in backend_posix.cpp and backend_win32.cpp beside it.
#include "platform/files.h"

#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <utility>

#include "platform/files/os.h"
#include "platform/files/testing.h"
#include "platform/language.h"
#include "platform/files/reasons.h"

namespace platform {
namespace {

struct OpenFile {
    int fd = -1;
    std::string name;      // the name the program gave
    std::string target;    // the file a replacing write replaces (links followed)
    std::string tempPath;  // non-empty for a replacing write
    bool failed = false;   // a write failed: the replacement is abandoned
    bool wrote = false;
    bool created = false;  // the open made the file
};

std::map<int, OpenFile> files;
int nextHandle = 1;
int ioStatus = FMTIO_NO_ERROR;
int ioErrno = 0;
std::string ioName;
bool writesFail = false;
bool recording = false;
std::vector<std::string> written;
WriteStepHook stepHook;

void Step(WriteStep step, const std::string &name, std::string_view bytes = {})
{
    if (stepHook) stepHook(step, name, bytes);
}

int SetStatus(int status, const std::string &name, int err)
{
    // An operation on a file that never opened keeps the open's error, so the one
    // report after the close names the real cause.
    if (status == FMTIO_BAD_HANDLE && ioStatus != FMTIO_NO_ERROR) return -1;
    ioStatus = status;
    ioErrno = err;
    ioName = name;
    return status == FMTIO_NO_ERROR ? 0 : -1;
}

// Removes the temporary files that no live process holds in `folder`.
void RemoveStaleWriteFilesIn(const std::filesystem::path &folder)
{
    namespace fs = std::filesystem;
    const std::string prefix = os::kWriteFilePrefix;
    std::error_code ec;
    for (const fs::directory_entry &e : fs::directory_iterator(folder.empty() ? "." : folder, ec)) {
        const std::string name = os::Utf8String(e.path().filename());
        if (name.size() == prefix.size() + 6 && name.rfind(prefix, 0) == 0)
            os::RemoveUnheld(os::Utf8String(e.path()));
    }
}

void RemoveStaleWriteFilesBeside(const std::string &name)
{
    RemoveStaleWriteFilesIn(os::Utf8Path(name).parent_path());
}

// Finishes a replacing write: flushed to disk, then put in place of the target.
bool CommitReplacement(OpenFile &f)
{
    if (f.failed) {
        const int err = ioErrno;
        os::AbandonReplacement(f.fd, f.tempPath);
        SetStatus(FMTIO_WRITE_FAILED, f.name, err ? err : EIO);
        return false;
    }
    const auto flushed = [&f] { Step(WriteStep::Flushed, f.name); };
    if (os::CommitReplacement(f.fd, f.tempPath, f.target, flushed)) return true;
    SetStatus(FMTIO_WRITE_FAILED, f.name, errno ? errno : EIO);
    return false;
}

// A file written in place counts as written once it is on the disk, and a file its open
// made once its folder's new name is there too: the calibration record's lines are
// flushed before the program calls them written.
bool FlushWritten(const OpenFile &f)
{
    if (!f.wrote && !f.created) return true;
    return os::Flush(f.fd) && (!f.created || os::FlushFolder(f.name));
}

}  // namespace

void InjectFileWriteFailure(bool fail) { writesFail = fail; }
void RecordWrittenFiles(bool on) { recording = on; }
void SetWriteStepHook(WriteStepHook hook) { stepHook = std::move(hook); }
const std::vector<std::string> &WrittenFiles() { return written; }

void ResetFiles()
{
    for (auto &entry : files) {
        if (entry.second.tempPath.empty())
            os::Close(entry.second.fd);
        else
            os::AbandonReplacement(entry.second.fd, entry.second.tempPath);
    }
    files.clear();
    written.clear();
    SetStatus(FMTIO_NO_ERROR, "", 0);
    writesFail = false;
}

}  // namespace platform

using namespace platform;

int CVI_OpenFile(const char *fileName, int readWriteMode, int action, int)
{
    std::string name = fileName ? fileName : "";
    OpenFile f;
    f.name = name;
    if (name.empty()) return SetStatus(FMTIO_OPEN_FAILED, name, ENOENT);
    long size = 0;
    f.created = readWriteMode != VAL_READ_ONLY && os::FileSize(name, &size) == 0;
    if (readWriteMode == VAL_WRITE_ONLY && action == VAL_TRUNCATE)
        f.fd = os::OpenForReplacing(name, &f.target, &f.tempPath);
    else
        f.fd = os::Open(name, readWriteMode, action);
    if (f.fd < 0) return SetStatus(FMTIO_OPEN_FAILED, name, errno);
    if (readWriteMode == VAL_WRITE_ONLY && action == VAL_TRUNCATE)
        RemoveStaleWriteFilesBeside(f.tempPath.empty() ? name : f.target);
    int handle = nextHandle++;
    files[handle] = f;
    if (readWriteMode != VAL_READ_ONLY) Step(WriteStep::Opened, name);
    SetStatus(FMTIO_NO_ERROR, name, 0);
    return handle;
}

int CVI_CloseFile(int handle)
{
    auto it = files.find(handle);
    if (it == files.end()) return SetStatus(FMTIO_BAD_HANDLE, "", EBADF);
    OpenFile f = it->second;
    files.erase(it);
    if (!f.tempPath.empty()) {
        if (!CommitReplacement(f)) return -1;
    } else if (!FlushWritten(f)) {
        const int err = errno;
        os::Close(f.fd);
        return SetStatus(FMTIO_WRITE_FAILED, f.name, err);
    } else if (os::Close(f.fd) != 0) {
        return SetStatus(FMTIO_CLOSE_FAILED, f.name, errno);
    }
    Step(WriteStep::Closed, f.name);
    if (recording && (f.wrote || !f.tempPath.empty())) written.push_back(f.name);
    return SetStatus(FMTIO_NO_ERROR, f.name, 0);
}

int CVI_ReadFile(int handle, char *buffer, int count)
{
    auto it = files.find(handle);
    if (it == files.end()) return SetStatus(FMTIO_BAD_HANDLE, "", EBADF);
    if (count < 0 || !buffer) return SetStatus(FMTIO_READ_FAILED, it->second.name, EINVAL);
    int total = 0;
    while (total < count) {
        int n = os::Read(it->second.fd, buffer + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return SetStatus(FMTIO_READ_FAILED, it->second.name, errno);
        if (n == 0) break;
        total += n;
    }
    SetStatus(FMTIO_NO_ERROR, it->second.name, 0);
    return total;
}

int CVI_WriteFile(int handle, const char *buffer, int count)
{
    auto it = files.find(handle);
    if (it == files.end()) return SetStatus(FMTIO_BAD_HANDLE, "", EBADF);
    OpenFile &f = it->second;
    if (count < 0 || !buffer) return SetStatus(FMTIO_WRITE_FAILED, f.name, EINVAL);
    Step(WriteStep::Writing, f.name, std::string_view(buffer, static_cast<size_t>(count)));
    int total = 0;
    while (total < count) {
        if (writesFail) errno = ENOSPC;
        int n = writesFail ? -1 : os::Write(f.fd, buffer + total, count - total);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            f.failed = true;
            return SetStatus(FMTIO_WRITE_FAILED, f.name, n < 0 ? errno : EIO);
        }
        total += n;
    }
    f.wrote = f.wrote || total > 0;
    SetStatus(FMTIO_NO_ERROR, f.name, 0);
    return total;
}

long SetFilePtr(int handle, long offset, int origin)
{
    auto it = files.find(handle);
    if (it == files.end()) return SetStatus(FMTIO_BAD_HANDLE, "", EBADF);
    long pos = os::Seek(it->second.fd, offset, origin);
    if (pos < 0) return SetStatus(FMTIO_SEEK_FAILED, it->second.name, errno);
    SetStatus(FMTIO_NO_ERROR, it->second.name, 0);
    return pos;
}

int GetFileInfo(const char *fileName, long *fileSize)
{
    long size = 0;
    const int found = fileName ? os::FileSize(fileName, &size) : -1;
    if (fileSize) *fileSize = found == 1 ? size : 0;
    if (found < 0) SetStatus(FMTIO_OPEN_FAILED, fileName ? fileName : "", fileName ? errno : EINVAL);
    return found;
}

int SetFileSize(const char *fileName, long size)
{
    const std::string name = fileName ? fileName : "";
    if (name.empty() || size < 0) return SetStatus(FMTIO_WRITE_FAILED, name, EINVAL);
    std::error_code ec;
    std::filesystem::resize_file(os::Utf8Path(name), static_cast<std::uintmax_t>(size), ec);
    if (!ec) return SetStatus(FMTIO_NO_ERROR, name, 0);
    const std::error_condition reason = ec.default_error_condition();
    return SetStatus(FMTIO_WRITE_FAILED, name,
                     reason.category() == std::generic_category() ? reason.value() : EIO);
}

int GetFmtIOError(void) { return ioStatus; }

const char *GetFmtIOErrorString(int status)
{
    static std::string text;
    const char *what = Pick("File error", "Dateifehler");
    switch (status) {
    case FMTIO_NO_ERROR: return Pick("No error", "Kein Fehler");
    case FMTIO_OPEN_FAILED: what = Pick("Cannot open file", "Datei kann nicht geöffnet werden"); break;
    case FMTIO_READ_FAILED: what = Pick("Cannot read file", "Datei kann nicht gelesen werden"); break;
    case FMTIO_WRITE_FAILED: what = Pick("Cannot write file", "Datei kann nicht geschrieben werden"); break;
    case FMTIO_SEEK_FAILED: what = Pick("Cannot position in file", "Position in Datei kann nicht gesetzt werden"); break;
    case FMTIO_CLOSE_FAILED: what = Pick("Cannot close file", "Datei kann nicht geschlossen werden"); break;
    case FMTIO_BAD_HANDLE:
        return Pick("File operation on a file that is not open",
                    "Dateizugriff auf eine Datei, die nicht geöffnet ist");
    default: break;
    }
    text = std::string(what) + " \"" + ioName + "\"";
    if (ioErrno) text += ": " + SystemReason(ioErrno);
    return text.c_str();
}

int MoveReplacing(const char *from, const char *to)
{
    if (!from || !to || !*from || !*to) return SetStatus(FMTIO_WRITE_FAILED, to ? to : "", ENOENT);
    if (!os::ReplaceWhole(from, to)) return SetStatus(FMTIO_WRITE_FAILED, to, errno ? errno : EIO);
    RemoveStaleWriteFilesBeside(to);
    return SetStatus(FMTIO_NO_ERROR, to, 0);
}

void RemoveStaleWriteFiles(void) { RemoveStaleWriteFilesIn("."); }
