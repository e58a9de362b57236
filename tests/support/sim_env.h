// The in-process simulator under the serial services, for behaviour tests: port `port`
// is answered by `engine`; every write is journaled with its (virtual) time.
// Declare it as a member of the test fixture; destroying it closes the ports and goes
// back to the default serial backend.
#pragma once

#include <string>
#include <vector>

#include "platform/serial/testing.h"
#include "platform/rs232.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"

namespace zektest {

struct SimEnv {
    explicit SimEnv(int port = 1, int channels = 16) : engine(channels), backend(engine, port)
    {
        platform::InstallSerialBackend(&backend);
    }

    // (time, bytes) of every write, in order.
    const std::vector<sim::SimSerialBackend::Write> &Journal() const { return backend.Journal(); }
    // Every byte written, in order.
    std::string Written() const { return backend.Written(); }

    sim::Engine engine;
    sim::SimSerialBackend backend;
};

}  // namespace zektest
