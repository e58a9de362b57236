// The file services' system calls on POSIX. A replacing write keeps what the file system
// says of the file: a symbolic link stays and its target gets the content, the file
// keeps its mode and, where the process may set it, its owner, and a file that may not
// be written is refused.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "platform/files.h"
#include "platform/files_os.h"

static_assert(MAX_PATHNAME_LEN >= PATH_MAX, "name buffers must take every path the system takes");

namespace platform::os {
namespace {

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
    std::string buffer = Folder(target) + "/" + kWriteFilePrefix + "XXXXXX";
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

int Flags(int mode, int action)
{
    int flags = mode == VAL_READ_ONLY ? O_RDONLY : mode == VAL_WRITE_ONLY ? O_WRONLY : O_RDWR;
    if (mode != VAL_READ_ONLY) flags |= O_CREAT;
    if (action == VAL_TRUNCATE && mode != VAL_READ_ONLY) flags |= O_TRUNC;
    if (action == VAL_APPEND) flags |= O_APPEND;
    return flags | O_CLOEXEC;
}

}  // namespace

int Open(const std::string &name, int readWriteMode, int action)
{
    return open(name.c_str(), Flags(readWriteMode, action), 0666);
}

// Written in place instead where a replacement would change more than the content: a
// file that is not a plain one (a device), a link that points nowhere yet, a folder that
// takes no temporary file but lets the file itself be written.
int OpenForReplacing(const std::string &name, std::string *target, std::string *tempPath)
{
    struct stat st;
    bool exists = stat(name.c_str(), &st) == 0;
    if (exists && access(name.c_str(), W_OK) != 0) return -1;
    if (exists && !S_ISREG(st.st_mode)) return OpenInPlace(name);
    if (!exists && IsLink(name)) return OpenInPlace(name);
    char resolved[PATH_MAX];
    *target = exists && realpath(name.c_str(), resolved) ? resolved : name;
    int fd = OpenReplacement(*target, exists ? &st : nullptr, tempPath);
    if (fd >= 0 || !Refused(errno)) return fd;
    return OpenInPlace(name);
}

bool CommitReplacement(int fd, const std::string &tempPath, const std::string &target,
                       const std::function<void()> &flushed)
{
    bool ok = fsync(fd) == 0;
    int err = ok ? 0 : errno;
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok) flushed();
    if (ok && rename(tempPath.c_str(), target.c_str()) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) unlink(tempPath.c_str());
    errno = err;
    return ok;
}

void AbandonReplacement(int fd, const std::string &tempPath)
{
    close(fd);
    unlink(tempPath.c_str());
}

int Read(int fd, char *buffer, int count)
{
    return static_cast<int>(read(fd, buffer, static_cast<size_t>(count)));
}

int Write(int fd, const char *buffer, int count)
{
    return static_cast<int>(write(fd, buffer, static_cast<size_t>(count)));
}

long Seek(int fd, long offset, int origin)
{
    int whence = origin == SEEK_FROM_END ? SEEK_END : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_SET;
    return static_cast<long>(lseek(fd, offset, whence));
}

int Close(int fd) { return close(fd); }

int FileSize(const std::string &name, long *size)
{
    struct stat st;
    if (stat(name.c_str(), &st) != 0) return errno == ENOENT ? 0 : -1;
    *size = static_cast<long>(st.st_size);
    return 1;
}

bool ReplaceWhole(const std::string &from, const std::string &to)
{
    return std::rename(from.c_str(), to.c_str()) == 0;
}

std::string ProgramPath()
{
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

const char *GermanReason(int err) { return err == EDQUOT ? "Speicherkontingent überschritten" : nullptr; }

}  // namespace platform::os
