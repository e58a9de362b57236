// Fixture of the command-protocol tests: the program started on the scripted front end
// and the virtual clock, port 1 answered by the in-process simulator, or by a scripted
// device for replies the simulator never gives ("ok", "OKAY", broken memory dumps).
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "channels/image.h"
#include "link/protocol.h"
#include "ui/window.h"
#include "platform/serial/testing.h"
#include "platform/clock.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "support/sim_env.h"
#include "support/test_env.h"

namespace zektest {

// (time since the operation began, bytes) of one write.
struct TimedWrite {
    double at;
    std::string bytes;
};

// A device that answers the n-th CR-ended frame with the n-th queued reply, sent as is
// (a reply without CR simply never ends the read). Frames beyond the queue get nothing.
class ScriptedDevice : public platform::SerialBackend {
public:
    ~ScriptedDevice() override { platform::InstallSerialBackend(nullptr); }

    std::unique_ptr<platform::SerialPort> Open(int, const platform::LineSettings &,
                                               int *, std::string *path) override
    {
        *path = "scripted device";
        return std::make_unique<Port>(this);
    }

    std::deque<std::string> replies;
    std::vector<sim::SimSerialBackend::Write> journal;

private:
    struct Port : platform::SerialPort {
        explicit Port(ScriptedDevice *d) : dev(d) {}
        int Write(const char *data, int count, double) override
        {
            dev->journal.push_back({platform::ClockNow(), std::string(data, count)});
            for (int k = 0; k < count; k++) {
                if (data[k] != '\r' || dev->replies.empty()) continue;
                input += dev->replies.front();
                dev->replies.pop_front();
            }
            return count;
        }
        int ReadTerm(char *buffer, int count, int term, double deadline) override
        {
            int n = 0;
            size_t used = 0;
            while (used < input.size() && n < count) {
                const char c = input[used++];
                if (static_cast<unsigned char>(c) == term) {
                    input.erase(0, used);
                    return n;
                }
                buffer[n++] = c;
            }
            input.erase(0, used);
            if (n >= count) return n;
            platform::ClockSleepUntil(deadline);  // nothing more will come
            return RS232_TIMEOUT;
        }
        int Flush() override
        {
            input.clear();
            return 0;
        }
        int InQueueLength() override { return static_cast<int>(input.size()); }
        std::string Describe() const override { return "scripted device"; }

        ScriptedDevice *dev;
        std::string input;
    };
};

class ProtocolTest : public ZekTest {
protected:
    std::unique_ptr<SimEnv> sim;
    std::unique_ptr<ScriptedDevice> device;
    double t0 = 0.0;

    void SetUp() override
    {
        ZekTest::SetUp();
        sim = std::make_unique<SimEnv>(1, 16);
    }

    void TearDown() override
    {
        ZekTest::TearDown();
        sim.reset();
        device.reset();
    }

    // Starts the program with `channels` device and displayed channels, in a language,
    // on port 1; journals and popups start empty and t0 is the current time.
    void Start(int channels = 16, int language = 0)
    {
        zektest::WriteSettings({.language = language, .channels = channels, .shown = channels});
        sim->engine.Reset(channels);
        ASSERT_EQ(StartUp(), 0);
        if (!platform::ComIsOpen(1)) OpenPort();
        platform::ResetEventLoop();
        Mark();
    }

    // Replaces the simulator by a scripted device on port 1.
    void UseScriptedDevice()
    {
        sim.reset();
        device = std::make_unique<ScriptedDevice>();
        platform::InstallSerialBackend(device.get());
        OpenPort();
        Mark();
    }

    static void OpenPort() { ASSERT_EQ(OpenComConfig(1, "", 4800, 0, 8, 2, 1540, 512), 0); }

    // Clears the journals and popups and starts the operation's time at now.
    void Mark()
    {
        if (sim) sim->backend.ClearJournal();
        if (device) device->journal.clear();
        platform::scripted::ClearJournal();
        t0 = platform::ClockNow();
    }

    double Now() const { return platform::ClockNow() - t0; }

    std::vector<TimedWrite> Writes() const
    {
        std::vector<TimedWrite> out;
        const auto &journal = sim ? sim->Journal() : device->journal;
        for (const auto &w : journal) out.push_back({w.time - t0, w.bytes});
        return out;
    }

    // Asserts the writes since Mark(): exactly these byte groups at these times.
    void ExpectWrites(const std::vector<TimedWrite> &expected) const
    {
        const auto got = Writes();
        ASSERT_EQ(got.size(), expected.size()) << Describe(got);
        for (size_t k = 0; k < got.size(); k++) {
            EXPECT_EQ(got[k].bytes, expected[k].bytes) << "write " << k << ": " << Describe(got);
            EXPECT_NEAR(got[k].at, expected[k].at, 1e-9) << "write " << k << ": " << Describe(got);
        }
    }

    static std::string Describe(const std::vector<TimedWrite> &writes)
    {
        std::string s;
        for (const auto &w : writes) {
            std::string b = w.bytes == "\r" ? "<CR>" : w.bytes;
            s += std::to_string(w.at) + " " + b + "; ";
        }
        return s;
    }


    static platform::Control *Ctrl(int control) { return platform::FindControl(panel_handle, control); }
};

}  // namespace zektest
