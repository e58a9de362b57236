// The in-process serial port of the simulator.
#include "sim/sim_serial.h"

#include "platform/serial/testing.h"
#include "platform/clock.h"

namespace sim {

class SimPort : public platform::SerialPort {
public:
    explicit SimPort(SimSerialBackend *backend) : b_(backend) { b_->open_ = true; }
    ~SimPort() override { b_->open_ = false; }
    SimPort(const SimPort &) = delete;
    SimPort &operator=(const SimPort &) = delete;

    int Write(const char *data, int count, double) override
    {
        if (HungUp()) return RS232_HANGUP;
        const double now = platform::ClockNow();
        b_->journal_.push_back({now, std::string(data, static_cast<size_t>(count))});
        b_->engine_.Feed(std::string_view(data, static_cast<size_t>(count)), now);
        return count;
    }

    int ReadTerm(char *buffer, int count, int term, double deadline) override
    {
        int n = 0;
        int result = RS232_TIMEOUT;
        auto ready = [&] {
            Pull();
            if (platform::TakeFromQueue(queue_, buffer, count, term, &n)) {
                result = n;
                return true;
            }
            if (hungUp_) {
                result = RS232_HANGUP;
                return true;
            }
            return false;
        };
        auto next = [&] { return b_->engine_.NextReplyTime(); };
        platform::ClockWaitFor(deadline, ready, next);
        return result;
    }

    int Flush() override
    {
        Pull();
        queue_.clear();
        return hungUp_ ? RS232_HANGUP : 0;
    }

    int InQueueLength() override
    {
        Pull();
        return hungUp_ ? RS232_HANGUP : static_cast<int>(queue_.size());
    }

    std::string Describe() const override { return "simulator COM" + std::to_string(b_->port_); }

private:
    bool HungUp()
    {
        if (b_->engine_.TakeHangup() || b_->unplugged_) hungUp_ = true;
        return hungUp_;
    }
    // Moves the replies that are due into the port's input queue.
    void Pull()
    {
        if (HungUp()) return;
        queue_ += b_->engine_.TakeReplies(platform::ClockNow());
    }

    SimSerialBackend *b_;
    std::string queue_;
    bool hungUp_ = false;
};

SimSerialBackend::SimSerialBackend(Engine &engine, int port) : engine_(engine), port_(port) {}

// Ports of this backend must not outlive it: closes every port and goes back to the
// default backend.
SimSerialBackend::~SimSerialBackend() { platform::InstallSerialBackend(nullptr); }

std::unique_ptr<platform::SerialPort> SimSerialBackend::Open(int port,
                                                             const platform::LineSettings &,
                                                             int *error, std::string *path)
{
    *path = "simulator COM" + std::to_string(port);
    if (port != port_ || unplugged_) {
        *error = RS232_PORT_NOT_FOUND;
        return nullptr;
    }
    if (held_ || open_) {
        *error = RS232_PORT_IN_USE;
        return nullptr;
    }
    // A fresh connection starts without the old line's hang-up, and without the replies
    // the old one did not deliver, as a serial driver empties its queues on opening.
    engine_.TakeHangup();
    engine_.DropReplies();
    return std::make_unique<SimPort>(this);
}

std::string SimSerialBackend::Written() const
{
    std::string all;
    for (const Write &w : journal_) all += w.bytes;
    return all;
}

}  // namespace sim
