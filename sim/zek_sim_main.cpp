// zek-sim: serves the simulated telemetry unit on a pseudo-terminal linked as COM<n>.
#include <cstdio>
#include <string>
#include <vector>

#include "sim/server.h"

int main(int argc, char *argv[])
{
    std::vector<std::string> args(argv + 1, argv + argc);
    sim::ServerOptions options;
    std::string error;
    switch (sim::ParseServerOptions(args, &options, &error)) {
    case sim::ParseOutcome::Help:
        std::fputs(sim::ServerUsage(), stdout);
        return 0;
    case sim::ParseOutcome::Error:
        std::fprintf(stderr, "zek-sim: %s\n%s", error.c_str(), sim::ServerUsage());
        return 2;
    case sim::ParseOutcome::Run:
        break;
    }
    return sim::RunServer(options);
}
