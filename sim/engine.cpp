// The protocol engine of the device simulator.
#include "sim/engine.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

namespace sim {
namespace {

constexpr char kCR = '\r';
constexpr char kSeparator = ' ';  // after each value of the memory dump
const std::string kGarbage = "?#%&";
const std::string kTrailer = " TRAILING-DATA";  // makes a reply longer than 10 characters

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Value of the hex digits text[0..n), or -1 if one is not a hex digit.
int HexValue(std::string_view text)
{
    int v = 0;
    for (char c : text) {
        int d = HexDigit(c);
        if (d < 0) return -1;
        v = v * 16 + d;
    }
    return v;
}

void PutWord(Memory &m, int at, int word)
{
    m[static_cast<size_t>(at)] = static_cast<std::uint8_t>(word & 0xFF);
    m[static_cast<size_t>(at) + 1] = static_cast<std::uint8_t>((word >> 8) & 0xFF);
}

}  // namespace

Memory FactoryImage(int channels)
{
    const int k = channels == 8 ? 8 : 16;
    Memory m{};
    std::fill(m.begin() + 16 + 25 * k, m.end(), 0xFF);
    for (int ch = 0; ch < k; ++ch) {
        m[static_cast<size_t>(16 + ch)] = 48;  // strain gauge, full bridge
        for (int bank = 0; bank < 3; ++bank) {
            const int block = 16 + k + 8 * k * bank + 8 * ch;
            PutWord(m, block, kFactoryCalOffset[bank]);
            PutWord(m, block + 6, kFactoryCalGain);
        }
        const int bank0 = 16 + k + 8 * ch;
        PutWord(m, bank0 + 2, 512);  // range offset word of 2 mV/V
        PutWord(m, bank0 + 4, 256);  // range gain word of 2 mV/V
    }
    return m;
}

bool ParseConfigText(std::string_view text, Memory *memory, std::string *error)
{
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
    if (text.size() != kConfigTextLength) {
        *error = "a configuration text has " + std::to_string(kConfigTextLength) +
                 " hex digits, this one " + std::to_string(text.size()) + " characters";
        return false;
    }
    Memory m = *memory;
    for (size_t k = 0; k < kConfigTextLength / 2; ++k) {
        int v = HexValue(text.substr(2 * k, 2));
        if (v < 0) {
            *error = "character " + std::to_string(2 * k) + " or " + std::to_string(2 * k + 1) +
                     " is not a hex digit";
            return false;
        }
        m[k] = static_cast<std::uint8_t>(v);
    }
    *memory = m;
    return true;
}

const char *FaultName(FaultKind kind)
{
    switch (kind) {
    case FaultKind::NoReply: return "noreply";
    case FaultKind::Error: return "error";
    case FaultKind::Garbage: return "garbage";
    case FaultKind::Overlong: return "long";
    case FaultKind::Slow: return "slow";
    case FaultKind::Hangup: return "hangup";
    }
    return "?";
}

std::string Printable(std::string_view bytes)
{
    std::string out;
    for (char c : bytes) {
        const auto u = static_cast<unsigned char>(c);
        if (c == kCR) {
            out += "<CR>";
        } else if (u < 0x20 || u >= 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "<%02X>", u);
            out += buf;
        } else {
            out += c;
        }
    }
    return out;
}

Engine::Engine(int channels) { Reset(channels); }

void Engine::Reset(int channels)
{
    channels_ = channels == 8 ? 8 : 16;
    memory_ = FactoryImage(channels_);
    frame_.clear();
    overlong_ = false;
    replies_.clear();
    busyUntil_ = 0.0;
    calibration_ = hangup_ = false;
    frames_ = commits_ = 0;
    frameLog_.clear();
    autoZeros_.clear();
    faults_.clear();
}

void Engine::Feed(std::string_view bytes, double now)
{
    for (char c : bytes) {
        if (c == kCR) {
            EndFrame(now);
        } else if (c == '\n') {
            continue;  // a terminal's line feed after CR means nothing
        } else if (frame_.size() < kMaxFrame) {
            frame_ += c;
        } else {
            overlong_ = true;
        }
    }
}

void Engine::EndFrame(double now)
{
    std::string frame;
    frame.swap(frame_);
    const bool overlong = overlong_;
    overlong_ = false;
    if (frame.empty() && !overlong) return;  // a bare CR: nothing to answer
    ++frames_;
    frameLog_.push_back(frame);
    Note("rx " + Printable(frame) + (overlong ? "...<CR> (overlong)" : "<CR>"));
    for (char &c : frame) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));

    const Fault *fault = FaultFor(frames_);
    if (fault) Note(std::string("fault ") + FaultName(fault->kind) + " on frame " + std::to_string(frames_));
    if (fault && fault->kind == FaultKind::Hangup) {
        hangup_ = true;
        return;
    }
    if (fault && fault->kind == FaultKind::Error) {
        Queue("ERROR", now);
        return;
    }
    std::string reply = overlong ? "ERROR" : Execute(frame);
    double at = now;
    if (fault) {
        switch (fault->kind) {
        case FaultKind::NoReply: return;
        case FaultKind::Garbage: reply = kGarbage; break;
        case FaultKind::Overlong: reply += kTrailer; break;
        case FaultKind::Slow: at += fault->seconds; break;
        default: break;
        }
    }
    Queue(reply, at);
}

std::string Engine::Execute(const std::string &f)
{
    if (f == "R") return MemoryDump();
    if (f == "D") {
        ++commits_;
        return "OK";
    }
    if (f == "C" || f == "U") {
        calibration_ = f == "C";
        return "OK";
    }
    if (f.size() == 3 && f[2] == 'Z') {
        const int ch = HexValue(std::string_view(f).substr(0, 2));
        if (ch < 0 || ch >= channels_) return "ERROR";
        autoZeros_.push_back(ch);
        return "OK";
    }
    if (f.size() == 7 && f[6] == 'W') {
        const int address = HexValue(std::string_view(f).substr(0, 4));
        const int data = HexValue(std::string_view(f).substr(4, 2));
        if (address < 0 || address >= kMemorySize || data < 0) return "ERROR";
        memory_[static_cast<size_t>(address)] = static_cast<std::uint8_t>(data);
        return "OK";
    }
    return "ERROR";
}

// 512 values as two upper-case hex digits and a separator each, then OK: the OK lands at
// offset 1536.
std::string Engine::MemoryDump() const
{
    std::string out;
    out.reserve(kMemorySize * 3 + 2);
    char buf[4];
    for (std::uint8_t v : memory_) {
        std::snprintf(buf, sizeof buf, "%02X", v);
        out += buf;
        out += kSeparator;
    }
    return out + "OK";
}

const Fault *Engine::FaultFor(int frame) const
{
    for (const Fault &f : faults_)
        if (f.frame == 0 || f.frame == frame) return &f;
    return nullptr;
}

// The device answers one frame after the other: a late reply holds back later ones.
void Engine::Queue(std::string bytes, double at)
{
    at = std::max(at, busyUntil_) + replyDelay_;
    busyUntil_ = at;
    replies_.push_back({at, std::move(bytes) + kCR});
}

std::string Engine::TakeReplies(double now)
{
    std::string out;
    while (!replies_.empty() && replies_.front().at <= now) {
        Note("tx " + Printable(replies_.front().bytes));
        out += replies_.front().bytes;
        replies_.pop_front();
    }
    return out;
}

bool Engine::HasReplies(double now) const { return !replies_.empty() && replies_.front().at <= now; }

double Engine::NextReplyTime() const
{
    return replies_.empty() ? std::numeric_limits<double>::infinity() : replies_.front().at;
}

bool Engine::TakeHangup()
{
    const bool h = hangup_;
    hangup_ = false;
    return h;
}

void Engine::DropReplies()
{
    if (!replies_.empty()) Note("dropped " + std::to_string(replies_.size()) + " undelivered replies");
    replies_.clear();
}

int Engine::Peek(int address) const
{
    return address >= 0 && address < kMemorySize ? memory_[static_cast<size_t>(address)] : -1;
}

void Engine::Poke(int address, int value)
{
    if (address >= 0 && address < kMemorySize)
        memory_[static_cast<size_t>(address)] = static_cast<std::uint8_t>(value & 0xFF);
}

bool Engine::LoadConfigText(std::string_view text, std::string *error)
{
    return ParseConfigText(text, &memory_, error);
}

void Engine::Note(const std::string &line) const
{
    if (log_) log_(line);
}

}  // namespace sim
