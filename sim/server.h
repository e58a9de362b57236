// zek-sim: the protocol engine served on a pseudo-terminal that is linked as COM<n> in a
// directory, so the tool (or any terminal program) can open it like a serial port.
#pragma once

#include <string>
#include <vector>

#include "sim/engine.h"

namespace sim {

struct ServerOptions {
    int port = 0;            // required, 1..255
    std::string dir = ".";   // where the link COM<port> is made
    std::string memoryFile;  // configuration text to start from (else the factory image)
    int channels = 16;       // memory layout, 8 or 16
    std::string logFile;     // traffic log, one line per frame and per reply
    std::vector<Fault> faults;
    bool pacing = true;      // replies at the line's 4800 baud 8N2, not all at once
};

enum class ParseOutcome { Run, Help, Error };

// Reads the command line (without the program name).
ParseOutcome ParseServerOptions(const std::vector<std::string> &args, ServerOptions *options,
                                std::string *error);
// "noreply", "error@3", "slow:4.5@2" ... into *fault.
bool ParseFault(const std::string &arg, Fault *fault, std::string *error);
const char *ServerUsage();

// Serves until SIGINT, SIGTERM or SIGHUP; returns the exit status.
int RunServer(const ServerOptions &options);

}  // namespace sim
