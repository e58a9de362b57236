// The file services' system calls on Windows: the C runtime's descriptors on wide-string
// paths, and a replacing write that puts the flushed temporary file in place of the
// target with MoveFileEx (replace, write-through). A read-only file is refused; a file
// with more than one hard link is written in place. The temporary file's handle shares
// nothing but its deletion (which the move needs) until it is in place, so the clean-up's
// exclusive open tells it from one a kill left.
#include <windows.h>

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <random>

#include "platform/files.h"
#include "platform/files/os.h"

namespace platform::os {
namespace {

// The path as the system's wide string; empty when it is not UTF-8. Every public call
// refuses such a path first (Convertible), so the calls below it never see one.
std::wstring Wide(const std::string &utf8)
{
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0) return L"";
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n);
    return wide;
}

// False with errno EILSEQ for a name that is not UTF-8: a file error, as for any name the
// system cannot take.
bool Convertible(const std::string &name)
{
    if (name.empty() || !Wide(name).empty()) return true;
    errno = EILSEQ;
    return false;
}

// The errno value that best names a Win32 error.
int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND: case ERROR_PATH_NOT_FOUND: case ERROR_INVALID_DRIVE:
        return ENOENT;
    case ERROR_ACCESS_DENIED: case ERROR_SHARING_VIOLATION: case ERROR_LOCK_VIOLATION:
        return EACCES;
    case ERROR_WRITE_PROTECT: return EROFS;
    case ERROR_DISK_FULL: case ERROR_HANDLE_DISK_FULL: return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE: return ENAMETOOLONG;
    case ERROR_DIRECTORY: return ENOTDIR;
    default: return EIO;
    }
}

std::string Folder(const std::string &name)
{
    const std::string folder = Utf8String(std::filesystem::path(Wide(name)).parent_path());
    return folder.empty() ? "." : folder;
}

int OpenWide(const std::string &name, int flags)
{
    int fd = -1;
    errno = _wsopen_s(&fd, Wide(name).c_str(), flags | _O_BINARY | _O_NOINHERIT, _SH_DENYNO,
                      _S_IREAD | _S_IWRITE);
    return fd;
}

int OpenInPlace(const std::string &name) { return OpenWide(name, _O_WRONLY | _O_CREAT | _O_TRUNC); }

// A new file held by this process alone: only the move that puts it in place may open
// it beside us. A descriptor, or -1 with errno set.
int CreateHeld(const std::string &path)
{
    HANDLE h = CreateFileW(Wide(path).c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        errno = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? EEXIST : ErrnoOf(error);
        return -1;
    }
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(h);
        DeleteFileW(Wide(path).c_str());
        errno = EMFILE;
    }
    return fd;
}

// A new file of six random letters beside the target; -1 with errno set when the folder
// takes none.
int OpenReplacement(const std::string &target, std::string *tempPath)
{
    static std::mt19937 random{std::random_device{}()};
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string path = Folder(target) + "/" + kWriteFilePrefix;
        for (int i = 0; i < 6; ++i) path += letters[random() % (sizeof letters - 1)];
        int fd = CreateHeld(path);
        if (fd >= 0) *tempPath = path;
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

// More than one hard link: a new file in its place would split them.
bool HasOtherLinks(const std::string &name)
{
    HANDLE h = CreateFileW(Wide(name).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool linked = GetFileInformationByHandle(h, &info) && info.nNumberOfLinks > 1;
    CloseHandle(h);
    return linked;
}

int Flags(int mode, int action)
{
    int flags = mode == VAL_READ_ONLY ? _O_RDONLY : mode == VAL_WRITE_ONLY ? _O_WRONLY : _O_RDWR;
    if (mode != VAL_READ_ONLY) flags |= _O_CREAT;
    if (action == VAL_TRUNCATE && mode != VAL_READ_ONLY) flags |= _O_TRUNC;
    if (action == VAL_APPEND) flags |= _O_APPEND;
    return flags;
}

bool Move(const std::string &from, const std::string &to)
{
    if (MoveFileExW(Wide(from).c_str(), Wide(to).c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    errno = ErrnoOf(GetLastError());
    return false;
}

}  // namespace

int Open(const std::string &name, int readWriteMode, int action)
{
    if (!Convertible(name)) return -1;
    return OpenWide(name, Flags(readWriteMode, action));
}

// A read-only file is refused; a file with other hard links, and one in a folder that
// takes no temporary file but lets the file be written, is written in place.
int OpenForReplacing(const std::string &name, std::string *target, std::string *tempPath)
{
    if (!Convertible(name)) return -1;
    const DWORD attributes = GetFileAttributesW(Wide(name).c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists && (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY))) {
        errno = (attributes & FILE_ATTRIBUTE_DIRECTORY) ? EISDIR : EACCES;
        return -1;
    }
    if (exists && HasOtherLinks(name)) return OpenInPlace(name);
    *target = name;
    int fd = OpenReplacement(name, tempPath);
    if (fd >= 0 || (errno != EACCES && errno != EROFS)) return fd;
    return OpenInPlace(name);
}

// Moved while its handle is still open: a clean-up never finds it unheld before it is
// in place.
bool CommitReplacement(int fd, const std::string &tempPath, const std::string &target,
                       const std::function<void()> &flushed)
{
    bool ok = _commit(fd) == 0;
    int err = ok ? 0 : errno;
    if (ok) flushed();
    if (ok && !Move(tempPath, target)) {
        ok = false;
        err = errno;
    }
    if (_close(fd) != 0 && ok) {
        ok = false;
        err = errno;
    }
    if (!ok) _wunlink(Wide(tempPath).c_str());
    errno = err;
    return ok;
}

void AbandonReplacement(int fd, const std::string &tempPath)
{
    _close(fd);
    _wunlink(Wide(tempPath).c_str());
}

// An exclusive open fails while any process holds the file; deleted when that handle
// closes.
void RemoveUnheld(const std::string &path)
{
    HANDLE h = CreateFileW(Wide(path).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

int Read(int fd, char *buffer, int count) { return _read(fd, buffer, static_cast<unsigned>(count)); }

int Write(int fd, const char *buffer, int count)
{
    return _write(fd, buffer, static_cast<unsigned>(count));
}

long Seek(int fd, long offset, int origin)
{
    int whence = origin == SEEK_FROM_END ? SEEK_END : origin == SEEK_FROM_CURRENT ? SEEK_CUR : SEEK_SET;
    return _lseek(fd, offset, whence);
}

int Close(int fd) { return _close(fd); }

// A console or pipe takes no flush.
bool Flush(int fd) { return _commit(fd) == 0 || errno == EBADF || errno == EINVAL; }

// The replacing move writes through, and the flush of a file made by an append commits
// its entry with it: there is no folder to flush.
bool FlushFolder(const std::string &) { return true; }

int FileSize(const std::string &name, long *size)
{
    struct _stat64 st;
    if (!Convertible(name)) return -1;
    if (_wstat64(Wide(name).c_str(), &st) != 0) return errno == ENOENT ? 0 : -1;
    *size = static_cast<long>(st.st_size);
    return 1;
}

bool ReplaceWhole(const std::string &from, const std::string &to)
{
    return Convertible(from) && Convertible(to) && Move(from, to);
}

std::string ProgramPath()
{
    std::wstring path(32768, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0 || n >= path.size()) return "";
    path.resize(n);
    return Utf8String(std::filesystem::path(path));
}

const char *GermanReason(int err)
{
    return err == EILSEQ ? "Der Name ist kein gültiges UTF-8" : nullptr;
}

}  // namespace platform::os
