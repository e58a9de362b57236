// zek-sim's pseudo-terminal server: options, the link in the working directory, the
// serve loop, the traffic log and the hang-up fault.
#include "sim/server.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/rs232.h"
#include "sim/line_pacer.h"

namespace sim {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int sig) { stopSignal = sig; }

bool ParseInt(const std::string &s, int lo, int hi, int *out)
{
    if (s.empty()) return false;
    char *end = nullptr;
    errno = 0;
    long v = std::strtol(s.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || v < lo || v > hi) return false;
    *out = static_cast<int>(v);
    return true;
}

bool ParseSeconds(const std::string &s, double *out)
{
    if (s.empty()) return false;
    char *end = nullptr;
    double v = std::strtod(s.c_str(), &end);
    if (*end != '\0' || !std::isfinite(v) || v < 0.0 || v > 86400.0) return false;
    *out = v;
    return true;
}

// A pseudo-terminal: the master end we serve, the slave path the tool opens.
struct Line {
    int master = -1;
    std::string slave;
};

bool OpenLine(Line *line, std::string *error)
{
    int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (fd < 0 || ::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
        *error = std::string("cannot create a pseudo-terminal: ") + std::strerror(errno);
        if (fd >= 0) ::close(fd);
        return false;
    }
    (void)::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    // Raw from the start, so a terminal program that does not set it sees no echo.
    int s = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (s >= 0) {
        termios t{};
        if (::tcgetattr(s, &t) == 0) {
            ::cfmakeraw(&t);
            (void)::cfsetspeed(&t, B4800);
            t.c_cflag |= CSTOPB | CLOCAL;
            (void)::tcsetattr(s, TCSANOW, &t);
        }
        ::close(s);
    }
    line->master = fd;
    line->slave = name;
    return true;
}

void CloseLine(Line *line)
{
    if (line->master >= 0) ::close(line->master);
    line->master = -1;
}

std::string LinkTarget(const std::string &link)
{
    char buf[PATH_MAX];
    ssize_t n = ::readlink(link.c_str(), buf, sizeof buf - 1);
    return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

// Makes link -> target. An old simulator link whose pseudo-terminal is gone is replaced;
// anything else at that name is left alone.
bool MakeLink(const std::string &link, const std::string &target, std::string *error)
{
    struct stat st {};
    if (::lstat(link.c_str(), &st) == 0) {
        const std::string old = LinkTarget(link);
        struct stat live {};
        const bool stale = S_ISLNK(st.st_mode) && old.rfind("/dev/pts/", 0) == 0 &&
                           ::stat(link.c_str(), &live) != 0;
        if (!stale) {
            *error = link + " already exists" + (old.empty() ? "" : " (-> " + old + ")") +
                     "; remove it or choose another port";
            return false;
        }
        ::unlink(link.c_str());
    }
    if (::symlink(target.c_str(), link.c_str()) != 0) {
        *error = "cannot create " + link + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

void RemoveLink(const std::string &link, const std::string &target)
{
    if (LinkTarget(link) == target) ::unlink(link.c_str());
}

class Server {
public:
    explicit Server(const ServerOptions &o)
        : o_(o), engine_(o.channels), pacer_(o.pacing ? kLineCharSeconds : 0.0) {}
    int Run();

private:
    bool Prepare();
    bool Relink();
    void Serve();
    void Transmit(double now);
    void WriteOut();
    void ReadIn();
    void Log(const std::string &line);

    const ServerOptions &o_;
    Engine engine_;
    Line line_;
    std::string link_;
    LinePacer pacer_;
    std::string onLine_;  // reply bytes still travelling at the line's pace
    std::string out_;     // reply bytes through the line, not yet taken by the pseudo-terminal
    std::FILE *log_ = nullptr;
};

void Server::Log(const std::string &line)
{
    if (!log_) return;
    std::fprintf(log_, "%.1f ms %s\n", platform::ClockNow() * 1000.0, line.c_str());
    std::fflush(log_);
}

bool Server::Prepare()
{
    if (!o_.logFile.empty()) {
        log_ = std::fopen(o_.logFile.c_str(), "w");
        if (!log_) {
            std::fprintf(stderr, "zek-sim: cannot write the log %s: %s\n", o_.logFile.c_str(),
                         std::strerror(errno));
            return false;
        }
        engine_.SetLog([this](const std::string &l) { Log(l); });
    }
    if (!o_.memoryFile.empty()) {
        std::ifstream in(o_.memoryFile, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        std::string error;
        if (!in || !engine_.LoadConfigText(text.str(), &error)) {
            std::fprintf(stderr, "zek-sim: %s: %s\n", o_.memoryFile.c_str(),
                         in ? error.c_str() : "cannot read the file");
            return false;
        }
    }
    for (const Fault &f : o_.faults) engine_.AddFault(f);
    if (::mkdir(o_.dir.c_str(), 0777) != 0 && errno != EEXIST) {
        std::fprintf(stderr, "zek-sim: cannot create %s: %s\n", o_.dir.c_str(), std::strerror(errno));
        return false;
    }
    link_ = o_.dir + "/COM" + std::to_string(o_.port);
    return Relink();
}

// Opens a fresh pseudo-terminal and points the link at it.
bool Server::Relink()
{
    std::string error;
    if (line_.master >= 0) {
        RemoveLink(link_, line_.slave);
        CloseLine(&line_);
    }
    if (!OpenLine(&line_, &error) || !MakeLink(link_, line_.slave, &error)) {
        std::fprintf(stderr, "zek-sim: %s\n", error.c_str());
        return false;
    }
    std::printf("zek-sim: COM%d is %s -> %s (%d channels)\n", o_.port, link_.c_str(),
                line_.slave.c_str(), engine_.Channels());
    std::fflush(stdout);
    Log("line COM" + std::to_string(o_.port) + " is " + link_ + " -> " + line_.slave);
    return true;
}

// New replies join the line; the characters through by now go to the pseudo-terminal.
void Server::Transmit(double now)
{
    const std::string replies = engine_.TakeReplies(now);
    pacer_.Queue(replies.size(), now);
    onLine_ += replies;
    const size_t through = pacer_.TakeDue(now);
    out_.append(onLine_, 0, through);
    onLine_.erase(0, through);
}

void Server::WriteOut()
{
    while (!out_.empty()) {
        ssize_t w = ::write(line_.master, out_.data(), out_.size());
        if (w > 0) {
            out_.erase(0, static_cast<size_t>(w));
        } else if (w < 0 && errno == EINTR) {
            continue;
        } else {
            if (w < 0 && errno != EAGAIN) out_.clear();  // nobody on the line: the reply is lost
            return;
        }
    }
}

void Server::ReadIn()
{
    char buf[512];
    ssize_t n = ::read(line_.master, buf, sizeof buf);
    if (n > 0) {
        engine_.Feed(std::string_view(buf, static_cast<size_t>(n)), platform::ClockNow());
        return;
    }
    // Nobody has the line open (the master reports a hang-up until someone opens it).
    if (n == 0 || (errno != EAGAIN && errno != EINTR)) ::usleep(20000);
}

void Server::Serve()
{
    while (!stopSignal) {
        const double now = platform::ClockNow();
        Transmit(now);
        if (engine_.TakeHangup()) {
            Log("hang-up: closing the line");
            out_.clear();
            onLine_.clear();
            pacer_.Clear();
            if (!Relink()) return;
            continue;
        }
        WriteOut();
        int waitMs = out_.empty() ? 200 : 20;
        const double next = std::min(engine_.NextReplyTime(), pacer_.NextDue());
        if (std::isfinite(next))
            waitMs = std::min(waitMs, std::max(0, static_cast<int>(std::ceil((next - now) * 1000.0))));
        pollfd p{line_.master, POLLIN, 0};
        int r = ::poll(&p, 1, waitMs);
        if (r > 0 && (p.revents & POLLIN)) {
            ReadIn();
        } else if (r > 0) {
            ::usleep(static_cast<useconds_t>(std::min(waitMs, 20)) * 1000);  // hang-up: no peer yet
        }
    }
}

int Server::Run()
{
    if (!Prepare()) {
        if (log_) std::fclose(log_);
        return 1;
    }
    Serve();
    const int sig = stopSignal;
    RemoveLink(link_, line_.slave);
    CloseLine(&line_);
    Log("stopped" + (sig ? " by signal " + std::to_string(sig) : std::string()));
    if (log_) std::fclose(log_);
    std::printf("zek-sim: stopped, %s removed\n", link_.c_str());
    return sig ? 0 : 1;
}

}  // namespace

bool ParseFault(const std::string &arg, Fault *fault, std::string *error)
{
    std::string kind = arg;
    Fault f;
    const size_t at = kind.find('@');
    if (at != std::string::npos) {
        if (!ParseInt(kind.substr(at + 1), 1, INT_MAX, &f.frame)) {
            *error = "bad frame number in fault '" + arg + "'";
            return false;
        }
        kind.resize(at);
    }
    const size_t colon = kind.find(':');
    if (colon != std::string::npos) {
        if (kind.substr(0, colon) != "slow" || !ParseSeconds(kind.substr(colon + 1), &f.seconds)) {
            *error = "bad fault '" + arg + "' (only slow takes seconds: slow:SECONDS)";
            return false;
        }
        kind.resize(colon);
    }
    static const FaultKind kinds[] = {FaultKind::NoReply, FaultKind::Error, FaultKind::Garbage,
                                      FaultKind::Overlong, FaultKind::Slow, FaultKind::Hangup};
    for (FaultKind k : kinds) {
        if (kind == FaultName(k)) {
            f.kind = k;
            *fault = f;
            return true;
        }
    }
    *error = "unknown fault '" + arg + "'";
    return false;
}

const char *ServerUsage()
{
    return "usage: zek-sim --port N [--dir DIR] [--memory FILE] [--channels 8|16] [--log FILE]\n"
           "               [--fault KIND[@N]]... [--no-pacing]\n"
           "Simulates the telemetry system's stationary unit on a pseudo-terminal linked as\n"
           "DIR/COM<N> (DIR defaults to the working directory) until SIGINT or SIGTERM.\n"
           "  --port N        port number 1..255\n"
           "  --memory FILE   start from a configuration text (800 hex digits) instead of\n"
           "                  the factory image\n"
           "  --channels 8|16 memory layout of the factory image (default 16)\n"
           "  --log FILE      traffic log: one line per frame and reply, time in ms\n"
           "  --fault KIND    misbehave on every frame, or on frame N only with KIND@N:\n"
           "                  noreply, error, garbage, long (reply over 10 characters),\n"
           "                  slow[:SECONDS] (default 25 s late), hangup\n"
           "  --no-pacing     send replies at once instead of at 4800 baud 8N2\n"
           "                  (2.29 ms per character; a memory reply takes 3.5 s)\n";
}

ParseOutcome ParseServerOptions(const std::vector<std::string> &args, ServerOptions *o,
                                std::string *error)
{
    bool havePort = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (a == "--help" || a == "-h") return ParseOutcome::Help;
        if (a == "--no-pacing") {
            o->pacing = false;
            continue;
        }
        if (i + 1 >= args.size()) {
            *error = a.rfind("--", 0) == 0 ? a + " needs a value" : "unknown argument '" + a + "'";
            return ParseOutcome::Error;
        }
        const std::string &v = args[++i];
        if (a == "--port") {
            if (!ParseInt(v, platform::kFirstComPort, platform::kLastComPort, &o->port)) {
                *error = "--port takes a number from " + std::to_string(platform::kFirstComPort) +
                         " to " + std::to_string(platform::kLastComPort) + ", not '" + v + "'";
                return ParseOutcome::Error;
            }
            havePort = true;
        } else if (a == "--dir") {
            o->dir = v;
        } else if (a == "--memory") {
            o->memoryFile = v;
        } else if (a == "--log") {
            o->logFile = v;
        } else if (a == "--channels") {
            if (v != "8" && v != "16") {
                *error = "--channels takes 8 or 16, not '" + v + "'";
                return ParseOutcome::Error;
            }
            o->channels = std::atoi(v.c_str());
        } else if (a == "--fault") {
            Fault f;
            if (!ParseFault(v, &f, error)) return ParseOutcome::Error;
            o->faults.push_back(f);
        } else {
            *error = "unknown option '" + a + "'";
            return ParseOutcome::Error;
        }
    }
    if (!havePort) {
        *error = "--port is required";
        return ParseOutcome::Error;
    }
    if (o->dir.empty()) o->dir.push_back('.');
    return ParseOutcome::Run;
}

int RunServer(const ServerOptions &options)
{
    struct sigaction sa {};
    sa.sa_handler = OnStopSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = 0;  // no restart: a signal ends the poll at once
    for (int sig : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(sig, &sa, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    stopSignal = 0;
    Server server(options);
    return server.Run();
}

}  // namespace sim
