// The device simulator's protocol engine: the telemetry system's stationary unit as the
// tool sees it. Bytes go in, replies come out at given times; it keeps the 512-byte
// configuration memory, the calibration-signal state and the auto-zero requests, and can
// misbehave on purpose (faults). Time is whatever clock the caller passes in.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

constexpr int kMemorySize = 512;
constexpr int kConfigTextLength = 800;  // a configuration text: entries 0..399
constexpr size_t kMaxFrame = 32;        // frame characters kept; longer frames are refused

using Memory = std::array<std::uint8_t, kMemorySize>;

// Calibration words of the factory image, per bank.
constexpr int kFactoryCalOffset[3] = {32000, 23500, 20000};
constexpr int kFactoryCalGain = 3900;

// Every channel a full-bridge strain gauge at 2 mV/V, in the layout of `channels` (8 or
// 16); addresses outside the channel map read 0 (0..15) or 0xFF (erased, above the map).
Memory FactoryImage(int channels);

// Reads a configuration text (800 hex digits, either case; a trailing line end is
// allowed) into entries 0..399 of *memory. On failure *memory is untouched and *error
// says what is wrong.
bool ParseConfigText(std::string_view text, Memory *memory, std::string *error);

enum class FaultKind {
    NoReply,   // the command is carried out, the reply is lost
    Error,     // "ERROR", the command is not carried out
    Garbage,   // a reply that is neither OK nor ERROR
    Overlong,  // the normal reply with trailing characters, over 10 in all
    Slow,      // the normal reply, `seconds` late
    Hangup,    // the line hangs up instead of answering
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    int frame = 0;          // 0: every frame; N: only the Nth frame received (from 1)
    double seconds = 25.0;  // Slow: the delay
};

const char *FaultName(FaultKind kind);

class Engine {
public:
    using Log = std::function<void(const std::string &line)>;

    explicit Engine(int channels = 16);

    // Back to the factory image in the given layout; counters, faults and queues cleared.
    void Reset(int channels);
    int Channels() const { return channels_; }

    // Bytes from the tool, arriving at time `now`.
    void Feed(std::string_view bytes, double now);
    // Reply bytes due at or before `now`, removed from the engine.
    std::string TakeReplies(double now);
    bool HasReplies(double now) const;
    // When the next reply is due; infinity when none is pending.
    double NextReplyTime() const;
    // True once after a hang-up fault fired.
    bool TakeHangup();
    // Forgets the replies not yet delivered: a new connection does not receive them.
    void DropReplies();

    Memory &Mem() { return memory_; }
    const Memory &Mem() const { return memory_; }
    int Peek(int address) const;
    void Poke(int address, int value);
    bool LoadConfigText(std::string_view text, std::string *error);

    bool CalibrationSignal() const { return calibration_; }
    int Frames() const { return frames_; }                  // CR-ended frames received
    const std::vector<std::string> &FrameLog() const { return frameLog_; }  // without CR
    int Commits() const { return commits_; }                // "D" commands carried out
    const std::vector<int> &AutoZeros() const { return autoZeros_; }  // channels, in order

    void AddFault(const Fault &fault) { faults_.push_back(fault); }
    void ClearFaults() { faults_.clear(); }
    // Delay of every reply after its frame (default 0).
    void SetReplyDelay(double seconds) { replyDelay_ = seconds; }
    // One line per frame received, per reply sent and per fault.
    void SetLog(Log log) { log_ = std::move(log); }

private:
    struct Reply {
        double at;
        std::string bytes;
    };

    void EndFrame(double now);
    // Carries out one frame (upper case); returns the reply without CR.
    std::string Execute(const std::string &frame);
    std::string MemoryDump() const;
    const Fault *FaultFor(int frame) const;
    void Queue(std::string bytes, double at);
    void Note(const std::string &line) const;

    int channels_ = 16;
    Memory memory_{};
    std::string frame_;
    bool overlong_ = false;
    std::deque<Reply> replies_;
    double busyUntil_ = 0.0;
    double replyDelay_ = 0.0;
    bool calibration_ = false;
    bool hangup_ = false;
    int frames_ = 0;
    int commits_ = 0;
    std::vector<std::string> frameLog_;
    std::vector<int> autoZeros_;
    std::vector<Fault> faults_;
    Log log_;
};

// Printable form of wire bytes for logs: CR as <CR>, other control bytes as <xx>.
std::string Printable(std::string_view bytes);

}  // namespace sim
