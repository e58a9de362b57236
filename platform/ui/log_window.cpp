// The log window service: the front end in use shows it; the newest lines are read here
// for every front end alike.
#include "platform/ui/log_window.h"

#include <filesystem>
#include <fstream>

#include "platform/frontend.h"

int ShowLogWindow(const char *title, const char *path)
{
    if (!title || !path || !*path) return -1;
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    platform::CurrentFrontEnd().ShowLog(title, ec ? path : absolute.string());
    return 0;
}

namespace platform {

std::string NewestLines(const std::string &path, long maxBytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in || maxBytes <= 0) return "";
    in.seekg(0, std::ios::end);
    const long size = static_cast<long>(in.tellg());
    const long from = size > maxBytes ? size - maxBytes : 0;
    in.seekg(from);
    std::string text(static_cast<size_t>(size - from), '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(in.gcount()));
    if (from > 0) {
        const size_t first = text.find('\n');
        text.erase(0, first == std::string::npos ? text.size() : first + 1);
    }
    return text;
}

}  // namespace platform
