// Whole-memory reply: whatever the device sends, the read never runs past the bytes
// received, and the image either takes 512 byte values or stays as it was.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include "channels/image.h"
#include "link/port.h"
#include "fuzz/fuzz_support.h"
#include "link/protocol.h"

namespace {

// A port whose device answers every read with the fuzz input.
class ReplyPort : public platform::SerialPort {
public:
    explicit ReplyPort(const std::string *reply) : reply_(reply) {}
    int Write(const char *, int count, double) override { return count; }
    int ReadTerm(char *buffer, int count, int term, double) override
    {
        int n = 0;
        while (n < count && at_ < reply_->size()) {
            char c = (*reply_)[at_++];
            if (c == static_cast<char>(term)) return n;
            buffer[n++] = c;
        }
        return n == count ? n : RS232_TIMEOUT;
    }
    int Flush() override { return 0; }
    int InQueueLength() override { return static_cast<int>(reply_->size() - at_); }
    std::string Describe() const override { return "fuzz reply"; }

private:
    const std::string *reply_;
    size_t at_ = 0;
};

class ReplyBackend : public platform::SerialBackend {
public:
    std::string reply;
    std::unique_ptr<platform::SerialPort> Open(int, const platform::LineSettings &,
                                               int *, std::string *) override
    {
        return std::make_unique<ReplyPort>(&reply);
    }
};

ReplyBackend backend;

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzzsupport::EnterWorkDir("memory-reply");
    fuzzsupport::StartProgram(&backend);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The pure parser on exactly the bytes given, with nothing readable beyond them.
    std::unique_ptr<char[]> copy(new char[size ? size : 1]);
    std::memcpy(copy.get(), data, size);
    int values[512];
    if (parse_memory_reply(copy.get(), static_cast<int>(size), values))
        for (int v : values)
            if (v < 0 || v > 255) std::abort();

    // The whole read through the serial services, on a freshly opened port.
    backend.reply.assign(reinterpret_cast<const char *>(data), size);
    CloseCom(com_port);
    OpenComConfig(com_port, "", 4800, 0, 8, 2, 1540, 512);
    int before[512];
    for (int k = 0; k < 512; k++) aktuelle_daten[k] = before[k] = (k * 5) & 0xFF;
    platform::scripted::ClearJournal();
    read_encoder();
    bool changed = std::memcmp(before, aktuelle_daten, sizeof before) != 0;
    for (int v : aktuelle_daten)
        if (v < 0 || v > 255) std::abort();
    if (changed && platform::scripted::Messages().size() != 0) std::abort();
    return 0;
}
