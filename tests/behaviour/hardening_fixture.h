// Fixture of the fault matrix and the long run: the program on the scripted front end and
// the virtual clock, its port answered by the in-process simulator through a watch that
// sees every frame the program writes and every reply it reads. From the replies the
// watch knows the last acknowledged state without looking at the program's own files:
// the image as it stood when an "OK" was read is what the acknowledgement wait stores.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ui/window.h"
#include "calibration/calibration.h"
#include "channels/image.h"
#include "platform/serial/testing.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"
#include "support/test_env.h"
#include "ui/uir.h"

namespace hardening {

using Image = std::array<int, 512>;

constexpr int kAckLength = 10;      // characters an acknowledgement wait reads
constexpr int kMemoryLength = 1540;  // characters the whole-memory read asks for

inline Image CurrentImage()
{
    Image image;
    std::memcpy(image.data(), aktuelle_daten, sizeof aktuelle_daten);
    return image;
}

// The configuration text of entries 0..399.
inline std::string TextOf(const Image &image) { return zektest::ConfigTextOf(image.data()); }

inline Image ImageOf(const sim::Memory &memory)
{
    Image image;
    for (size_t k = 0; k < image.size(); k++) image[k] = memory[k];
    return image;
}

// A whole configuration text as the program writes it.
inline bool IsConfigText(const std::string &text)
{
    if (text.size() != 800) return false;
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
    return true;
}

// Address of a write frame ("AAAADDW"), -1 for any other frame.
inline int WriteAddress(const std::string &frame)
{
    if (frame.size() != 7 || frame[6] != 'W') return -1;
    return static_cast<int>(std::stoul(frame.substr(0, 4), nullptr, 16));
}

inline bool StartsWith(const char *reply, int n, const char *word)
{
    const int len = static_cast<int>(std::strlen(word));
    if (n < len) return false;
    for (int k = 0; k < len; k++) {
        char c = reply[k];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != word[k]) return false;
    }
    return true;
}

// What went over the line, as the program saw it.
struct LinkWatch {
    std::vector<std::string> frames;  // frames written since Clear, without CR
    std::string partial;              // the frame being written
    std::string lastFrame;            // the last whole frame written
    Image acked{};                    // the image when the last "OK" was read
    int oks = 0;                      // acknowledgements read since Clear
    int failedAcks = 0;               // failed acknowledgement waits since Clear
    int unreadableAcks = 0;           // replies neither OK nor ERROR since Clear
    int pendingAddress = -1;          // an acknowledged write not yet compared
    int ackedSignal = 0;              // calibration signal of the last acknowledged C or U
    int unreadableAt = -1;            // frames written when a memory reply was unreadable
    // Called with the address of each acknowledged write once the program has taken the
    // acknowledgement in, i.e. before the next write or when the test asks (Settle).
    std::function<void(int address)> onAckedWrite;
    // Called before every write and after every read.
    std::function<void()> onTraffic;

    void Clear()
    {
        frames.clear();
        oks = failedAcks = unreadableAcks = 0;
        beforeRead.reset();
        unreadableAt = -1;
    }

    void Settle()
    {
        if (pendingAddress < 0) return;
        const int address = pendingAddress;
        pendingAddress = -1;
        if (onAckedWrite) onAckedWrite(address);
    }

    void Written(const char *data, int count)
    {
        beforeRead.reset();
        for (int k = 0; k < count; k++) {
            if (data[k] == '\r') {
                frames.push_back(partial);
                lastFrame = partial;
                partial.clear();
            } else {
                partial += data[k];
            }
        }
    }

    // Every read of kAckLength characters is an acknowledgement wait, every read of
    // kMemoryLength the whole-memory read; others drop the rest of a reply.
    void Read(const char *reply, int count, int result)
    {
        if (count == kMemoryLength) return MemoryRead(reply, result);
        if (count != kAckLength) return;
        // A reply the program drops, because another follows it, answered an earlier
        // frame: only the last read before the next write judges the frame.
        if (beforeRead)
            Restore(*beforeRead);
        else
            beforeRead =
                Judgement{oks, failedAcks, unreadableAcks, pendingAddress, ackedSignal, acked};
        if (result < 0 || StartsWith(reply, result, "ERROR")) {
            failedAcks++;
        } else if (StartsWith(reply, result, "OK")) {
            oks++;
            acked = CurrentImage();
            pendingAddress = WriteAddress(lastFrame);
            if (lastFrame == "C" || lastFrame == "U") ackedSignal = lastFrame == "C";
        } else {
            unreadableAcks++;
        }
    }

    struct Judgement {
        int oks, failedAcks, unreadableAcks, pendingAddress, ackedSignal;
        Image acked;
    };
    std::optional<Judgement> beforeRead;  // the judgement before this frame's first read

    void Restore(const Judgement &j)
    {
        oks = j.oks;
        failedAcks = j.failedAcks;
        unreadableAcks = j.unreadableAcks;
        pendingAddress = j.pendingAddress;
        ackedSignal = j.ackedSignal;
        acked = j.acked;
    }

    // A memory reply read whole that holds no "OK" at offset 1536 and is no refusal.
    void MemoryRead(const char *reply, int result)
    {
        if (result < 0 || StartsWith(reply, result, "ERROR")) return;
        if (result >= 1538 && StartsWith(reply + 1536, 2, "OK")) return;
        unreadableAt = static_cast<int>(frames.size());
    }
};

class WatchedPort : public platform::SerialPort {
public:
    WatchedPort(std::unique_ptr<platform::SerialPort> inner, LinkWatch *watch)
        : inner_(std::move(inner)), watch_(watch)
    {
    }
    int Write(const char *data, int count, double deadline) override
    {
        watch_->Settle();
        if (watch_->onTraffic) watch_->onTraffic();
        const int r = inner_->Write(data, count, deadline);
        if (r >= 0) watch_->Written(data, count);
        return r;
    }
    int ReadTerm(char *buffer, int count, int term, double deadline) override
    {
        const int r = inner_->ReadTerm(buffer, count, term, deadline);
        watch_->Read(buffer, count, r);
        if (watch_->onTraffic) watch_->onTraffic();
        return r;
    }
    int Flush() override { return inner_->Flush(); }
    int InQueueLength() override { return inner_->InQueueLength(); }
    std::string Describe() const override { return inner_->Describe(); }

private:
    std::unique_ptr<platform::SerialPort> inner_;
    LinkWatch *watch_;
};

class WatchedBackend : public platform::SerialBackend {
public:
    WatchedBackend(sim::SimSerialBackend &inner, LinkWatch *watch) : inner_(inner), watch_(watch) {}
    std::unique_ptr<platform::SerialPort> Open(int port, const platform::LineSettings &line,
                                               int *error, std::string *path) override
    {
        auto io = inner_.Open(port, line, error, path);
        if (!io) return nullptr;
        return std::make_unique<WatchedPort>(std::move(io), watch_);
    }

private:
    sim::SimSerialBackend &inner_;
    LinkWatch *watch_;
};

// Content (a link's target) and modification time of every file below a folder (a
// replaced file has the time of its replacement).
struct FileState {
    std::string content;
    long long mtime = 0;
    bool operator==(const FileState &) const = default;
};
using Tree = std::map<std::string, FileState>;

inline Tree Snapshot(const std::string &root)
{
    namespace fs = std::filesystem;
    Tree tree;
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(root, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        const fs::file_status st = it->symlink_status(ec);
        if (ec) continue;
        FileState f;
        if (fs::is_regular_file(st)) f.content = zektest::ReadFile(it->path().string());
        if (fs::is_symlink(st)) f.content = "-> " + fs::read_symlink(it->path(), ec).string();
        // A folder's time follows its entries; a link's is its target's.
        if (fs::is_regular_file(st))
            f.mtime = fs::last_write_time(it->path(), ec).time_since_epoch().count();
        tree[it->path().generic_string()] = f;
    }
    return tree;
}

class HardeningTest : public zektest::ZekTest {
protected:
    sim::Engine engine{16};
    std::unique_ptr<sim::SimSerialBackend> simBackend;
    std::unique_ptr<WatchedBackend> watched;
    LinkWatch watch;
    std::string base, work, docs;

    void SetUp() override
    {
        ZekTest::SetUp();
        base = MemoryFolder();
        work = base + "/work";
        docs = base + "/docs";
        ASSERT_TRUE(std::filesystem::create_directory(work));
        ASSERT_TRUE(std::filesystem::create_directory(docs));
        std::filesystem::current_path(work);
        simBackend = std::make_unique<sim::SimSerialBackend>(engine, 1);
        watched = std::make_unique<WatchedBackend>(*simBackend, &watch);
        platform::InstallSerialBackend(watched.get());
    }

    void TearDown() override
    {
        platform::scripted::OnMessage(nullptr);
        watch.onTraffic = nullptr;
        watch.onAckedWrite = nullptr;
        ZekTest::TearDown();
        platform::InstallSerialBackend(nullptr);
        watched.reset();
        simBackend.reset();
        if (base != dir) {
            std::error_code ec;
            std::filesystem::remove_all(base, ec);
        }
    }

    // Every replacing write of the file services is flushed to disk before it counts;
    // thousands of acknowledged-state writes then wait for the disk far longer than the
    // program runs. A folder on a memory file system, where it is at hand, keeps the
    // same file semantics without the wait.
    std::string MemoryFolder()
    {
        const std::string folder = zektest::MakeTempFolder("/dev/shm");
        return folder.empty() ? dir : folder;
    }

    // Starts the program with k device channels and gui rows in German on port 1; the
    // configuration of the last exit and the acknowledged state are `image`, and so is
    // the device's memory.
    void Start(int k, int gui, const Image &image)
    {
        zektest::WriteSettings({.channels = k, .shown = gui});
        zektest::WriteFile("last.cfg", TextOf(image));
        zektest::WriteFile("temp.ctc", TextOf(image));
        engine.Reset(k);
        for (int a = 0; a < 512; a++) engine.Poke(a, image[static_cast<size_t>(a)]);
        ASSERT_EQ(StartUp(), 0);
        ASSERT_TRUE(platform::ComIsOpen(1));
        platform::ResetEventLoop();
        platform::scripted::ClearJournal();
        watch.acked = CurrentImage();
        watch.ackedSignal = 0;
    }

    static int Bar() { return GetPanelMenuBar(panel_handle); }
    static bool Menu(int item) { return platform::OperatorChooseMenu(Bar(), item); }

    static int ComErrors()
    {
        int n = 0;
        for (const auto &m : platform::scripted::Messages()) n += m.title == "COM ERROR";
        return n;
    }

    static std::string MessageSummary()
    {
        std::string out;
        for (const auto &m : platform::scripted::Messages())
            out += "[" + m.title + "|" + m.text + "] ";
        return out;
    }

    // Channel rows whose ring or half-bridge box differ from what the image says.
    static std::string RowsDifferingFromImage()
    {
        std::string out;
        for (int ch = 0; ch < Kanalzahl_GUI && ch < 16; ch++) {
            const int mode = aktuelle_daten[mode_address(ch)];
            const int index =
                range_index_of(mode, image_word(block_address(0, ch) + OFF_RANGE_GAIN));
            const auto *ring = platform::FindControl(panel_handle, panel_rings[ch]);
            const auto *box = platform::FindControl(panel_handle, panel_checkbox[ch]);
            if (ring->value != index || box->value != (mode == MODE_BYTE_HALF_BRIDGE ? 1 : 0))
                out += "channel " + std::to_string(ch + 1) + " ";
        }
        return out;
    }

    // Addresses where the image differs from `expected`, at most a few.
    static std::string Differences(const Image &expected)
    {
        std::string out;
        int shown = 0;
        for (int a = 0; a < 512; a++) {
            if (aktuelle_daten[a] == expected[static_cast<size_t>(a)]) continue;
            if (shown++ == 6) return out + "...";
            out += std::to_string(a) + ": image " + std::to_string(aktuelle_daten[a]) +
                   " expected " + std::to_string(expected[static_cast<size_t>(a)]) + "; ";
        }
        return out;
    }
};

}  // namespace hardening
