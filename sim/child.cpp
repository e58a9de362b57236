#include "sim/child.h"

#include <poll.h>
#include <unistd.h>

namespace sim {

pid_t StartSimulator(const std::string &path, int port, const std::string &dir,
                     const std::vector<std::string> &extra, int *out)
{
    int fds[2];
    if (pipe(fds) != 0) return -1;
    std::vector<std::string> args = {path, "--port", std::to_string(port), "--dir", dir};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_t pid = fork();
    if (pid < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (pid == 0) {
        dup2(fds[1], 1);
        std::vector<char *> argv;
        for (std::string &a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(fds[1]);
    *out = fds[0];
    return pid;
}

std::string ReadLine(int fd, int timeoutMs)
{
    std::string line;
    char c;
    pollfd p{fd, POLLIN, 0};
    while (poll(&p, 1, timeoutMs) > 0 && read(fd, &c, 1) == 1 && c != '\n') line += c;
    return line;
}

}  // namespace sim
