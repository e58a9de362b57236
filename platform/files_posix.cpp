// File services. A file opened for writing only with truncation is written to a
// temporary file beside it and renamed over the target when it is closed, so that a
// crash or power loss leaves either the old or the new full content, never a torn one.
// The replacement keeps what the file system says of the file: a symbolic link stays
// and its target gets the content, the file keeps its mode and, where the process may
// set it, its owner, and a file that may not be written is refused.
#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "platform/files_testing.h"
#include "platform/language.h"
#include "platform/reasons.h"

static_assert(MAX_PATHNAME_LEN >= PATH_MAX, "name buffers must take every path the system takes");

namespace platform {
namespace {

struct OpenFile {
    int fd = -1;
    std::string name;      // the name the program gave
    std::string target;    // the file a replacing write renames over (links followed)
    std::string tempPath;  // non-empty for a replacing write
    bool failed = false;   // a write failed: the replacement is abandoned
    bool wrote = false;
};

const char tempPrefix[] = ".zek-write-";

std::map<int, OpenFile> files;
int nextHandle = 1;
int ioStatus = FMTIO_NO_ERROR;
int ioErrno = 0;
std::string ioName;
bool writesFail = false;
bool recording = false;
std::vector<std::string> written;

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

std::string Folder(const std::string &name)
{
    size_t slash = name.rfind('/');
    return slash == std::string::npos ? "." : name.substr(0, slash == 0 ? 1 : slash);
}

mode_t NewFileMode(void)
{
    mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

// Gives the temporary file the owner and mode of the file it replaces (a new file the
// mode the process would create it with). An owner the process may not set stays its
// own; any other failure abandons the replacement.
bool TakeOver(int fd, const struct stat *old)
{
    if (old && fchown(fd, old->st_uid, old->st_gid) != 0 && errno != EPERM) return false;
    return fchmod(fd, old ? old->st_mode & 07777 : NewFileMode()) == 0;
}

// Opens a temporary file in the target's folder for a replacing write; -1 with errno
// set when the folder takes none or the file cannot be made to look like the target.
int OpenReplacement(const std::string &target, const struct stat *old, std::string *tempPath)
{
    std::string buffer = Folder(target) + "/" + tempPrefix + "XXXXXX";
    int fd = mkstemp(buffer.data());
    if (fd < 0) return -1;
    if (!TakeOver(fd, old)) {
        int err = errno;
        close(fd);
        unlink(buffer.c_str());
        errno = err;
        return -1;
    }
    *tempPath = buffer;
    return fd;
}

// A refusal by the folder or its file system rather than a fault: a full disk is not one.
bool Refused(int err) { return err == EACCES || err == EPERM || err == EROFS; }

int OpenInPlace(const std::string &name)
{
    return open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
}

bool IsLink(const std::string &name)
{
    struct stat st;
    return lstat(name.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

// Opens `f.name` to be replaced whole. Written in place instead where a replacement
// would change more than the content: a file that is not a plain one (a device), a
// link that points nowhere yet, a folder that takes no temporary file but lets the
// file itself be written.
int OpenForReplacing(OpenFile &f)
{
    struct stat st;
    bool exists = stat(f.name.c_str(), &st) == 0;
    if (exists && access(f.name.c_str(), W_OK) != 0) return -1;
    if (exists && !S_ISREG(st.st_mode)) return OpenInPlace(f.name);
    if (!exists && IsLink(f.name)) return OpenInPlace(f.name);
    char resolved[PATH_MAX];
    f.target = exists && realpath(f.name.c_str(), resolved) ? resolved : f.name;
    int fd = OpenReplacement(f.target, exists ? &st : nullptr, &f.tempPath);
    if (fd >= 0 || !Refused(errno)) return fd;
    return OpenInPlace(f.name);
}

int Flags(int mode, int action)
{
    int flags = mode == VAL_READ_ONLY ? O_RDONLY : mode == VAL_WRITE_ONLY ? O_WRONLY : O_RDWR;
    if (mode != VAL_READ_ONLY) flags |= O_CREAT;
    if (action == VAL_TRUNCATE && mode != VAL_READ_ONLY) flags |= O_TRUNC;
    if (action == VAL_APPEND) flags |= O_APPEND;
    return flags | O_CLOEXEC;
}

// Finishes a replacing write: flush to disk, then rename over the target.
bool CommitReplacement(OpenFile &f)
{
    bool ok = !f.failed && fsync(f.fd) == 0;
    int err = ok ? 0 : (f.failed ? ioErrno : errno);
    ok = close(f.fd) == 0 && ok;
    if (ok && rename(f.tempPath.c_str(), f.target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) {
        unlink(f.tempPath.c_str());
        SetStatus(FMTIO_WRITE_FAILED, f.name, err ? err : EIO);
    }
    return ok;
}

}  // namespace

void InjectFileWriteFailure(bool fail) { writesFail = fail; }
void RecordWrittenFiles(bool on) { recording = on; }
const std::vector<std::string> &WrittenFiles() { return written; }

void ResetFiles()
{
    for (auto &entry : files) {
        close(entry.second.fd);
        if (!entry.second.tempPath.empty()) unlink(entry.second.tempPath.c_str());
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
    if (readWriteMode == VAL_WRITE_ONLY && action == VAL_TRUNCATE) {
        f.fd = OpenForReplacing(f);
    } else {
        f.fd = open(name.c_str(), Flags(readWriteMode, action), 0666);
    }
    if (f.fd < 0) return SetStatus(FMTIO_OPEN_FAILED, name, errno);
    int handle = nextHandle++;
    files[handle] = f;
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
    } else if (close(f.fd) != 0) {
        return SetStatus(FMTIO_CLOSE_FAILED, f.name, errno);
    }
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
        ssize_t n = read(it->second.fd, buffer + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return SetStatus(FMTIO_READ_FAILED, it->second.name, errno);
        if (n == 0) break;
        total += static_cast<int>(n);
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
    int total = 0;
    while (total < count) {
        if (writesFail) errno = ENOSPC;
        ssize_t n = writesFail ? -1 : write(f.fd, buffer + total, static_cast<size_t>(count - total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            f.failed = true;
            return SetStatus(FMTIO_WRITE_FAILED, f.name, n < 0 ? errno : EIO);
        }
        total += static_cast<int>(n);
    }
    f.wrote = f.wrote || total > 0;
    SetStatus(FMTIO_NO_ERROR, f.name, 0);
    return total;
}

long SetFilePtr(int handle, long offset, int origin)
{
    auto it = files.find(handle);
    if (it == files.end()) return SetStatus(FMTIO_BAD_HANDLE, "", EBADF);
    int whence = origin == SEEK_FROM_END ? SEEK_END : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_SET;
    off_t pos = lseek(it->second.fd, offset, whence);
    if (pos < 0) return SetStatus(FMTIO_SEEK_FAILED, it->second.name, errno);
    SetStatus(FMTIO_NO_ERROR, it->second.name, 0);
    return static_cast<long>(pos);
}

int GetFileInfo(const char *fileName, long *fileSize)
{
    struct stat st;
    if (fileSize) *fileSize = 0;
    if (!fileName || stat(fileName, &st) != 0) {
        if (fileName && errno == ENOENT) return 0;
        SetStatus(FMTIO_OPEN_FAILED, fileName ? fileName : "", errno);
        return -1;
    }
    if (fileSize) *fileSize = static_cast<long>(st.st_size);
    return 1;
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

void RemoveStaleWriteFiles(void)
{
    DIR *folder = opendir(".");
    if (!folder) return;
    const size_t prefix = std::strlen(platform::tempPrefix);
    while (const dirent *entry = readdir(folder)) {
        const char *name = entry->d_name;
        if (std::strncmp(name, platform::tempPrefix, prefix) == 0 && std::strlen(name) == prefix + 6)
            unlink(name);
    }
    closedir(folder);
}
