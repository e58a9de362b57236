// The simulator's frame parser: any byte stream, split anywhere, gives well-formed
// replies ending in CR and never writes outside the 512-byte memory.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0) return 0;
    // The first byte chooses the layout and how the rest is split into reads.
    sim::Engine engine((data[0] & 1) ? 16 : 8);
    size_t chunk = 1 + (data[0] >> 1) % 17;
    std::string_view rest(reinterpret_cast<const char *>(data + 1), size - 1);
    double now = 0.0;
    std::string replies;
    for (size_t at = 0; at < rest.size(); at += chunk) {
        engine.Feed(rest.substr(at, chunk), now);
        now += 0.1;
        replies += engine.TakeReplies(now);
    }
    replies += engine.TakeReplies(1e9);
    if (!replies.empty() && replies.back() != '\r') std::abort();
    for (size_t start = 0; start < replies.size();) {
        size_t end = replies.find('\r', start);
        std::string_view reply(replies.data() + start, end - start);
        if (reply != "OK" && reply != "ERROR" && reply.size() != 1538) std::abort();
        start = end + 1;
    }
    return 0;
}
