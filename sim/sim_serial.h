// The in-process serial backend: a port wired straight to a protocol engine, on the
// platform clock (virtual in behaviour tests). It journals every write with its time.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/serial/backend.h"
#include "sim/engine.h"

namespace sim {

class SimSerialBackend : public platform::SerialBackend {
public:
    struct Write {
        double time;        // platform clock when written
        std::string bytes;  // exactly as passed to the port
    };

    // Serves one port number; every other number is "not found".
    explicit SimSerialBackend(Engine &engine, int port = 1);
    // Closes every port and reinstalls the default backend.
    ~SimSerialBackend() override;
    SimSerialBackend(const SimSerialBackend &) = delete;
    SimSerialBackend &operator=(const SimSerialBackend &) = delete;

    std::unique_ptr<platform::SerialPort> Open(int port, const platform::LineSettings &line,
                                               int *error, std::string *path) override;

    Engine &engine() { return engine_; }
    int Port() const { return port_; }
    void SetPort(int port) { port_ = port; }
    bool IsOpen() const { return open_; }
    // Another program holds the port: opens fail with "in use".
    void SetHeldElsewhere(bool held) { held_ = held; }
    // The device is unplugged: opens fail with "not found", an open port hangs up.
    void SetUnplugged(bool unplugged) { unplugged_ = unplugged; }

    const std::vector<Write> &Journal() const { return journal_; }
    std::string Written() const;  // every byte written, in order
    void ClearJournal() { journal_.clear(); }

private:
    friend class SimPort;
    Engine &engine_;
    int port_;
    bool open_ = false;
    bool held_ = false;
    bool unplugged_ = false;
    std::vector<Write> journal_;
};

}  // namespace sim
