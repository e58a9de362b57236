// The file services' system calls on POSIX. A replacing write keeps what the file system
// says of the file: a symbolic link stays and its target gets the content, the file
// keeps its mode, its extended attributes (access control lists among them) and, where
// the process may set it, its owner; a file with more than one hard link is written in
// place, and a file that may not be written is refused. The temporary file is held under
// an advisory lock (flock) until it is in place, which tells it from one a kill left.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/files.h"
#include "platform/files/os.h"
#include "platform/files/testing.h"

static_assert(MAX_PATHNAME_LEN >= PATH_MAX, "name buffers must take every path the system takes");

namespace platform {
namespace {
DiskHook diskHook;
}  // namespace

void SetDiskHook(DiskHook hook) { diskHook = std::move(hook); }

namespace os {
namespace {

// ---- the system calls that change the disk, told to a power-loss simulation ---------

void Tell(DiskOp op, const std::string &path, unsigned long long file = 0, long long offset = 0,
          std::string_view bytes = {}, const std::string &to = {})
{
    if (!diskHook) return;
    const int err = errno;
    diskHook(DiskChange{op, path, to, file, offset, bytes});
    errno = err;
}

unsigned long long Identity(int fd)
{
    struct stat st;
    return fstat(fd, &st) == 0 ? static_cast<unsigned long long>(st.st_ino) : 0;
}

bool Exists(const std::string &name)
{
    struct stat st;
    return stat(name.c_str(), &st) == 0;
}

int SysOpen(const std::string &name, int flags, mode_t mode)
{
    const bool made = diskHook && (flags & O_CREAT) && !Exists(name);
    const int fd = open(name.c_str(), flags, mode);
    if (fd >= 0 && made) Tell(DiskOp::Create, name, Identity(fd));
    else if (fd >= 0 && diskHook && (flags & O_TRUNC)) Tell(DiskOp::Truncate, name, Identity(fd));
    return fd;
}

int SysMakeTemp(std::string *pattern)
{
    const int fd = mkstemp(pattern->data());
    if (fd >= 0) Tell(DiskOp::Create, *pattern, Identity(fd));
    return fd;
}

ssize_t SysWrite(int fd, const char *buffer, size_t count)
{
    off_t at = 0;
    if (diskHook) {
        struct stat st;
        const bool appends = (fcntl(fd, F_GETFL) & O_APPEND) != 0;
        at = appends ? (fstat(fd, &st) == 0 ? st.st_size : 0) : lseek(fd, 0, SEEK_CUR);
    }
    const ssize_t n = write(fd, buffer, count);
    if (n > 0) Tell(DiskOp::Write, "", Identity(fd), at, std::string_view(buffer, static_cast<size_t>(n)));
    return n;
}

int SysSync(int fd)
{
    const int status = fsync(fd);
    if (status == 0) Tell(DiskOp::SyncFile, "", Identity(fd));
    return status;
}

int SysRename(const std::string &from, const std::string &to)
{
    const int status = rename(from.c_str(), to.c_str());
    if (status == 0) Tell(DiskOp::Rename, from, 0, 0, {}, to);
    return status;
}

int SysUnlink(const std::string &path)
{
    const int status = unlink(path.c_str());
    if (status == 0) Tell(DiskOp::Remove, path);
    return status;
}

// ---- the backend --------------------------------------------------------------------

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

// The value of the extended attribute `key` of a file (path) or descriptor (fd >= 0);
// false when it has none or it cannot be read.
bool Attribute(const std::string &path, int fd, const char *key, std::string *value)
{
    for (int attempt = 0; attempt < 3; ++attempt) {
        ssize_t n = fd >= 0 ? fgetxattr(fd, key, nullptr, 0) : getxattr(path.c_str(), key, nullptr, 0);
        if (n < 0) return false;
        value->assign(static_cast<size_t>(n), '\0');
        n = fd >= 0 ? fgetxattr(fd, key, value->data(), value->size())
                    : getxattr(path.c_str(), key, value->data(), value->size());
        if (n >= 0) {
            value->resize(static_cast<size_t>(n));
            return true;
        }
        if (errno != ERANGE) return false;  // grown in between: ask again
    }
    return false;
}

// The names of the target's extended attributes; false when they cannot be listed.
bool AttributeNames(const std::string &path, std::vector<std::string> *names)
{
    ssize_t n = listxattr(path.c_str(), nullptr, 0);
    if (n < 0) return errno == ENOTSUP;  // a file system without them: nothing to keep
    std::string list(static_cast<size_t>(n), '\0');
    n = listxattr(path.c_str(), list.data(), list.size());
    if (n < 0) return false;
    list.resize(static_cast<size_t>(n));
    size_t at = 0;
    while (at < list.size()) {
        names->emplace_back(list.c_str() + at);
        at += names->back().size() + 1;
    }
    return true;
}

// Gives the temporary file the target's extended attributes; one it already holds with
// the same value (a label the folder gives every new file) needs no setting. False when
// one cannot be kept.
bool CopyAttributes(const std::string &target, int fd)
{
    std::vector<std::string> names;
    if (!AttributeNames(target, &names)) return false;
    for (const std::string &key : names) {
        std::string value, own;
        if (!Attribute(target, -1, key.c_str(), &value)) return false;
        if (Attribute(target, fd, key.c_str(), &own) && own == value) continue;
        if (fsetxattr(fd, key.c_str(), value.data(), value.size(), 0) != 0) return false;
    }
    return true;
}

// True when the name still leads to the plain file open as fd.
bool Named(int fd, const std::string &path)
{
    struct stat held, named;
    return fstat(fd, &held) == 0 && lstat(path.c_str(), &named) == 0 && S_ISREG(held.st_mode) &&
           held.st_dev == named.st_dev && held.st_ino == named.st_ino;
}

// Marks a new temporary file as in use: true when this process holds its lock and the
// name still leads to it (another program's clean-up may have taken it between its
// making and the lock). A file system without locks leaves it unmarked; the clean-up
// then leaves it alone too.
bool Hold(int fd, const std::string &path)
{
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) return errno != EWOULDBLOCK;
    return Named(fd, path);
}

void Discard(int fd, const std::string &path)
{
    int err = errno;
    close(fd);
    SysUnlink(path);
    errno = err;
}

// Opens a temporary file in the target's folder for a replacing write, held under its
// lock; -1 with errno set when the folder takes none or the file cannot be made to look
// like the target (EXDEV then: an attribute that cannot be kept).
int OpenReplacement(const std::string &target, const struct stat *old, std::string *tempPath)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string buffer = Folder(target) + "/" + kWriteFilePrefix + "XXXXXX";
        int fd = SysMakeTemp(&buffer);
        if (fd < 0) return -1;
        if (!Hold(fd, buffer)) {
            close(fd);  // taken by a clean-up, which removes it
            continue;
        }
        if (!TakeOver(fd, old)) {
            Discard(fd, buffer);
            return -1;
        }
        if (old && !CopyAttributes(target, fd)) {
            Discard(fd, buffer);
            errno = EXDEV;
            return -1;
        }
        *tempPath = buffer;
        return fd;
    }
    errno = EEXIST;
    return -1;
}

// A refusal by the folder or its file system rather than a fault: a full disk is not one.
bool Refused(int err) { return err == EACCES || err == EPERM || err == EROFS; }

int OpenInPlace(const std::string &name)
{
    return SysOpen(name, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
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
    return SysOpen(name, Flags(readWriteMode, action), 0666);
}

// Written in place instead where a replacement would change more than the content: a
// file that is not a plain one (a device), a link that points nowhere yet, a file with
// more than one hard link (a new file would split them), a folder that takes no
// temporary file but lets the file itself be written, an extended attribute that the
// temporary file cannot be given.
int OpenForReplacing(const std::string &name, std::string *target, std::string *tempPath)
{
    struct stat st;
    bool exists = stat(name.c_str(), &st) == 0;
    if (exists && access(name.c_str(), W_OK) != 0) return -1;
    if (exists && (!S_ISREG(st.st_mode) || st.st_nlink > 1)) return OpenInPlace(name);
    if (!exists && IsLink(name)) return OpenInPlace(name);
    char resolved[PATH_MAX];
    *target = exists && realpath(name.c_str(), resolved) ? resolved : name;
    int fd = OpenReplacement(*target, exists ? &st : nullptr, tempPath);
    if (fd >= 0 || !(Refused(errno) || errno == EXDEV)) return fd;
    return OpenInPlace(name);
}

// A rename lives in the folder, not in the file: until the folder is flushed a power cut
// may take it back, and the file would again hold its old content after its write was
// reported done. The temporary file is renamed while its descriptor, and so its lock, is still held: a
// clean-up never sees it unheld before it is in place.
bool CommitReplacement(int fd, const std::string &tempPath, const std::string &target,
                       const std::function<void()> &flushed)
{
    bool ok = SysSync(fd) == 0;
    int err = ok ? 0 : errno;
    if (ok) flushed();
    if (ok && SysRename(tempPath, target) != 0) {
        ok = false;
        err = errno;
    }
    if (!ok) SysUnlink(tempPath);
    if (close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (ok && !FlushFolder(target)) {
        ok = false;
        err = errno;
    }
    errno = err;
    return ok;
}

void AbandonReplacement(int fd, const std::string &tempPath)
{
    close(fd);
    SysUnlink(tempPath);
}

// Taken only under the file's lock, and only while the name still leads to the file
// locked: a temporary file that a live process writes is never removed.
void RemoveUnheld(const std::string &path)
{
    int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0 && errno == EACCES) fd = open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return;
    if (flock(fd, LOCK_EX | LOCK_NB) == 0 && Named(fd, path)) SysUnlink(path);
    close(fd);
}

int Read(int fd, char *buffer, int count)
{
    return static_cast<int>(read(fd, buffer, static_cast<size_t>(count)));
}

int Write(int fd, const char *buffer, int count)
{
    return static_cast<int>(SysWrite(fd, buffer, static_cast<size_t>(count)));
}

long Seek(int fd, long offset, int origin)
{
    int whence = origin == SEEK_FROM_END ? SEEK_END : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_SET;
    return static_cast<long>(lseek(fd, offset, whence));
}

int Close(int fd) { return close(fd); }

bool Flush(int fd) { return SysSync(fd) == 0 || errno == EINVAL || errno == EROFS; }

// A folder that may not be read cannot be opened to be flushed, and some file systems
// take no flush of a folder: their names are left to the system.
bool FlushFolder(const std::string &name)
{
    const std::string folder = Folder(name);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return errno == EACCES;
    const bool ok = fsync(fd) == 0 || errno == EINVAL || errno == EROFS;
    const int err = errno;
    if (ok) Tell(DiskOp::SyncFolder, folder);
    close(fd);
    errno = err;
    return ok;
}

int FileSize(const std::string &name, long *size)
{
    struct stat st;
    if (stat(name.c_str(), &st) != 0) return errno == ENOENT ? 0 : -1;
    *size = static_cast<long>(st.st_size);
    return 1;
}

bool ReplaceWhole(const std::string &from, const std::string &to)
{
    return SysRename(from, to) == 0 && FlushFolder(to) && (Folder(from) == Folder(to) || FlushFolder(from));
}

std::string ProgramPath()
{
    char exe[PATH_MAX];
    ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
    return n > 0 ? std::string(exe, static_cast<size_t>(n)) : std::string();
}

const char *GermanReason(int err) { return err == EDQUOT ? "Speicherkontingent überschritten" : nullptr; }

}  // namespace os
}  // namespace platform
