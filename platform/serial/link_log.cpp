// Link log lines: "2026-12-07 16:30:01.123 COM1 -> 0010W<CR>   30 30 31 30 57 0D"; a
// failed read or write is marked "!!".
#include "platform/link_log.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

#include "platform/files/os.h"
#include "platform/files/reasons.h"

namespace platform {
namespace {

std::FILE *logFile = nullptr;
std::string logPath;
long rotateAt = 0;
long logSize = 0;  // bytes in the file: what it held when opened and what was written since
LinkLogStopHook stopHook = nullptr;

// Local time to the millisecond.
std::string Stamp()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t seconds = system_clock::to_time_t(now);
    const int millis = static_cast<int>(
        duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    char text[48];
    const size_t n = std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", std::localtime(&seconds));
    std::snprintf(text + n, sizeof text - n, ".%03d", millis);
    return text;
}

// The characters as text, control characters visible, then their hex bytes.
std::string Shown(const char *data, int count, bool ended)
{
    std::string chars, hex;
    char piece[8];
    for (int k = 0; k < count; k++) {
        const unsigned char c = static_cast<unsigned char>(data[k]);
        if (c == '\r') {
            chars.append("<CR>");
        } else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(piece, sizeof piece, "<%02X>", c);
            chars.append(piece);
        } else {
            chars.push_back(static_cast<char>(c));
        }
        std::snprintf(piece, sizeof piece, " %02X", c);
        hex.append(piece);
    }
    if (ended) {
        chars += "<CR>";
        hex += " 0D";
    }
    return chars + "  " + hex;
}

// Opens the log's file for appending and notes its size; false with errno set.
bool OpenLog()
{
    logFile = std::fopen(logPath.c_str(), "a");
    if (!logFile) return false;
    const int err = errno;
    logSize = std::fseek(logFile, 0, SEEK_END) == 0 ? std::ftell(logFile) : 0;
    if (logSize < 0) logSize = 0;
    errno = err;
    return true;
}

// The log cannot go on: it ends, and the owner hears once which file failed and why.
void Stop(const std::string &path, int err)
{
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    const std::string reason = SystemReason(err);
    if (stopHook)
        stopHook(path.c_str(), reason.c_str());
    else
        std::fprintf(stderr, "%s: %s\n", path.c_str(), reason.c_str());
}

// A full file moves to NAME.1, replacing the one before (a plain rename does not replace
// a file on every system), and a fresh file takes its place. Either step failing ends
// the log rather than letting one file grow without bound.
void Rotate()
{
    if (!logFile || rotateAt <= 0 || logSize < rotateAt) return;
    std::fclose(logFile);
    logFile = nullptr;
    const std::string older = logPath + ".1";
    if (!os::ReplaceWhole(logPath, older)) {
        Stop(older, errno);
        return;
    }
    if (!OpenLog()) Stop(logPath, errno);
}

void Line(int port, const char *direction, const std::string &what)
{
    if (!logFile) return;
    const int n = std::fprintf(logFile, "%s COM%d %s %s\n", Stamp().c_str(), port, direction,
                               what.c_str());
    if (n > 0) logSize += n;
    std::fflush(logFile);
    Rotate();
}

}  // namespace

bool SetLinkLog(const std::string &path, long rotateAtBytes)
{
    if (logFile) std::fclose(logFile);
    logFile = nullptr;
    logPath = path;
    rotateAt = rotateAtBytes;
    if (path.empty()) return true;
    return OpenLog();
}

void SetLinkLogStopHook(LinkLogStopHook hook) { stopHook = hook; }

bool LinkLogOn() { return logFile != nullptr; }

void LinkLogWritten(int port, const char *data, int count)
{
    if (logFile) Line(port, "->", Shown(data, count, false));
}

void LinkLogRead(int port, const char *data, int count, bool ended)
{
    if (logFile) Line(port, "<-", Shown(data, count, ended));
}

void LinkLogFailed(int port, const std::string &what)
{
    if (logFile) Line(port, "!!", what);
}

void LinkLogWriteFailed(int port, const char *data, int count, const std::string &what)
{
    if (logFile) Line(port, "!!", "-> " + Shown(data, count, false) + "  " + what);
}

}  // namespace platform
