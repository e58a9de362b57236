// Link log lines: "2026-12-07 16:30:01.123 COM1 -> 0010W<CR>   30 30 31 30 57 0D".
#include "platform/link_log.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <string>

namespace platform {
namespace {

std::FILE *logFile = nullptr;
std::string logPath;
long rotateAt = 0;

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

void Rotate()
{
    if (!logFile || rotateAt <= 0 || std::ftell(logFile) < rotateAt) return;
    std::fclose(logFile);
    std::rename(logPath.c_str(), (logPath + ".1").c_str());
    logFile = std::fopen(logPath.c_str(), "a");
}

void Line(int port, const char *direction, const std::string &what)
{
    if (!logFile) return;
    std::fprintf(logFile, "%s COM%d %s %s\n", Stamp().c_str(), port, direction, what.c_str());
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
    logFile = std::fopen(path.c_str(), "a");
    return logFile != nullptr;
}

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

}  // namespace platform
