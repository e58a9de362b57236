// Kill test: the program is killed with SIGKILL at seeded random moments while it writes
// its files, and every file it keeps must afterwards hold a whole old or new content.
//
// "The program" here is the system's own code with its start-up (zek_main), on the
// scripted front end instead of the Qt window, with the real file services and the real
// termios serial services, against zek-sim on a pseudo-terminal. It runs as a child
// process of this harness (the same executable with --run or --check); its clock runs
// kSpeed times faster than real time and zek-sim answers without pacing, so a session
// takes about a second instead of a minute.
//
// Each trial starts the program on the files the previous trial left, runs a seeded
// session (range changes, a download acknowledged frame by frame, Save as, a trim, then
// Quit or a channel-count change) and kills it either at a seeded step of its file
// writes (the child stops there and waits for the kill) or after a seeded real-time
// delay. The child announces every write step on a pipe, so the harness knows the old
// and the new content of each file. Then a fresh start must remove the temporary file
// the kill left, show the exit backup and fall back to the acknowledged state.
//
// With --power-loss every kill is a power cut as well: the child tells every change it
// makes on the disk (platform::SetDiskHook), a simulation of the working folder keeps
// apart what was flushed and what is only cached, and after the kill the folder is left
// as a power cut may leave it: the flushed state and a random part of the rest. Then
// every file must hold the content of its last write that returned, or of the write
// under way; the calibration record every line it had taken; and the next start must
// close a torn last line of the record before its next line.
//
//   zek-kill-test [--kills N] [--seed S] [--sim PATH] [--power-loss]
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "app/shell.h"
#include "calibration/calibration.h"
#include "channels/acknowledged.h"
#include "channels/image.h"
#include "platform/clock.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/ui/model.h"
#include "platform/ui/resource.h"
#include "platform/frontend/scripted/scripted.h"
#include "platform/userint.h"
#include "sim/child.h"
#include "support/power_loss.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

constexpr double kSpeed = 50.0;  // clock seconds per real second in the child
constexpr int kAnnounceFd = 3;   // the child's end of the announcement pipe
constexpr double kHangSeconds = 60.0;
const char *const kFiles[] = {"config.ctc", "last.cfg", "temp.ctc", "doc-1.cfg", "doc-2.cfg", cal_record_file};

// ---- the child: the program, announcing its writes ---------------------------------

long stopAt = 0;  // write step at which to stop and wait for the kill; 0: never
long steps = 0;

void Announce(const std::string &line)
{
    std::string text = line + "\n";
    for (size_t done = 0; done < text.size();) {
        ssize_t n = write(kAnnounceFd, text.data() + done, text.size() - done);
        if (n <= 0) _exit(3);
        done += static_cast<size_t>(n);
    }
}

std::string Hex(std::string_view bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string Unhex(const std::string &hex)
{
    std::string out;
    for (size_t k = 0; k + 1 < hex.size(); k += 2)
        out += static_cast<char>(std::stoi(hex.substr(k, 2), nullptr, 16));
    return out;
}

void OnWriteStep(platform::WriteStep step, const std::string &name, std::string_view bytes)
{
    static const char *const names[] = {"opened", "writing", "flushed", "closed"};
    const std::string base = std::filesystem::path(name).filename().string();
    Announce(std::string(names[static_cast<int>(step)]) + " " + base + " " + Hex(bytes));
    if (++steps != stopAt) return;
    Announce(std::string("stop ") + names[static_cast<int>(step)]);
    for (;;) pause();
}

// A change on the disk as one line: "fs" and its fields, the names and bytes in hex.
void OnDiskChange(const platform::DiskChange &c)
{
    Announce("fs " + std::to_string(static_cast<int>(c.op)) + " " + std::to_string(c.file) + " " +
             std::to_string(c.offset) + " x" + Hex(c.path) + " x" + Hex(c.to) + " x" + Hex(c.bytes));
}

bool Menu(int item) { return platform::OperatorChooseMenu(GetPanelMenuBar(panel_handle), item); }

// The operator's session: changes in a seeded order, then Quit or a channel change.
void QueueSession(std::uint64_t seed)
{
    using namespace platform::scripted;
    static std::mt19937_64 rng;
    rng.seed(seed);
    auto uniform = [](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    std::vector<std::function<void()>> middle = {
        [=] {
            for (int n = uniform(1, 3); n > 0; n--)
                platform::OperatorSetValue(panel_handle, panel_rings[uniform(0, Kanalzahl_GUI - 1)],
                                           uniform(0, 7));
        },
        [] { Menu(MENU_down_load); },
        [=] {
            AnswerFileSelect(1, std::filesystem::current_path().string() + "/doc-" +
                                    std::to_string(uniform(1, 2)) + ".cfg");
            Menu(MENU_save_as);
        },
        [=] {
            AnswerPrompt("vqd");
            if (!Menu(MENU_cali) || cali_panel_handle == 0) return;
            platform::OperatorToggle(cali_panel_handle, PANEL_3_TOGGLEBUTTON_ACTIV, 1);
            const int i = uniform(0, 3);
            const int control = uniform(0, 1) ? panel_numeric_gain[i] : panel_numeric_off[i];
            const auto *c = platform::FindControl(cali_panel_handle, control);
            if (c) platform::OperatorSetValue(cali_panel_handle, control,
                                              std::clamp(c->value + uniform(-40, 40), c->minValue, c->maxValue));
            platform::OperatorClosePanel(cali_panel_handle);
        },
    };
    std::shuffle(middle.begin(), middle.end(), rng);
    for (auto &step : middle) QueueStep(step);
    if (uniform(0, 9) < 7) {
        QueueStep([] { Menu(MENU_quit); });
    } else {
        QueueStep([] {
            AnswerConfirm(1);
            Menu(Kanalzahl_GUI == 8 ? MENU_4kanal : MENU_8kanal);
        });
    }
}

// Do the rows of the window show the image's ranges and bridges?
bool RowsShowImage()
{
    for (int ch = 0; ch < Kanalzahl_GUI; ch++) {
        const int mode = aktuelle_daten[mode_address(ch)];
        const int index = range_index_of(mode, image_word(block_address(0, ch) + OFF_RANGE_GAIN));
        if (platform::FindControl(panel_handle, panel_rings[ch])->value != index ||
            platform::FindControl(panel_handle, panel_checkbox[ch])->value !=
                (mode == MODE_BYTE_HALF_BRIDGE ? 1 : 0))
            return false;
    }
    return true;
}

std::string ImageText()
{
    std::string bytes;
    for (int a = 0; a < 400; a++) bytes += static_cast<char>(aktuelle_daten[a]);
    return Hex(bytes);
}

// A fresh start reports what it shows, then falls back to the acknowledged state.
void QueueCheck()
{
    platform::scripted::QueueStep([] {
        Announce("shown " + ImageText());
        Announce(std::string("rows ") + (RowsShowImage() ? "agree" : "differ"));
        temp_hoch();
        Announce("acked " + ImageText());
        record_cali_write(0, 0, RECORD_OFFSET, 1, 2, reply_ok);
        record_flush();
    });
}

int RunChild(char *argv[], bool check, std::uint64_t seed, bool power)
{
    SetResourceDir(ZEK_UIR_DIR);
    platform::UseRealClock(kSpeed);
    platform::scripted::Install();
    if (check) {
        QueueCheck();
    } else {
        platform::SetWriteStepHook(OnWriteStep);
        if (power) platform::SetDiskHook(OnDiskChange);
        QueueSession(seed);
    }
    const int status = zek_main(1, argv);
    Announce("done");
    return status;
}

// ---- the harness -------------------------------------------------------------------

std::optional<std::string> Content(const std::string &name)
{
    std::ifstream in(name, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

int StaleWriteFiles()
{
    int n = 0;
    for (const auto &e : std::filesystem::directory_iterator("."))
        n += e.path().filename().string().rfind(".zek-write-", 0) == 0;
    return n;
}

// What a file may hold after a kill: what it held before, or the write under way.
struct Expect {
    std::optional<std::string> committed;
    std::string inflight;
    bool open = false;
};

struct Child {
    pid_t pid = -1;
    int fd = -1;
    std::string buffer;
};

Child Spawn(const std::string &self, const std::vector<std::string> &args)
{
    int p[2];
    if (pipe2(p, O_CLOEXEC) != 0) return {};
    Child c;
    c.pid = fork();
    if (c.pid == 0) {
        dup2(p[1], kAnnounceFd);
        std::vector<char *> argv{const_cast<char *>(self.c_str())};
        for (const auto &a : args) argv.push_back(const_cast<char *>(a.c_str()));
        argv.push_back(nullptr);
        execv(self.c_str(), argv.data());
        _exit(127);
    }
    close(p[1]);
    c.fd = p[0];
    return c;
}

using Time = std::chrono::steady_clock::time_point;

Time After(Time start, double seconds)
{
    return start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                       std::chrono::duration<double>(seconds));
}

// The child's next line; empty at its end or when nothing came until `deadline`.
std::optional<std::string> NextLine(Child &c, Time deadline)
{
    for (;;) {
        size_t nl = c.buffer.find('\n');
        if (nl != std::string::npos) {
            std::string line = c.buffer.substr(0, nl);
            c.buffer.erase(0, nl + 1);
            return line;
        }
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        pollfd p{c.fd, POLLIN, 0};
        if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) return std::nullopt;
        char buf[4096];
        ssize_t n = read(c.fd, buf, sizeof buf);
        if (n <= 0) return std::string();
        c.buffer.append(buf, static_cast<size_t>(n));
    }
}

int Reap(Child &c, bool kill_it)
{
    if (kill_it) kill(c.pid, SIGKILL);
    int status = 0;
    waitpid(c.pid, &status, 0);
    return status;
}

class Harness {
public:
    Harness(std::string self, std::uint64_t seed, bool power)
        : self_(std::move(self)), rng_(seed), seed_(seed), power_(power) {}

    // One trial; false (with the reason printed) when a check fails.
    bool Trial(int trial)
    {
        std::map<std::string, Expect> expect;
        for (const char *name : kFiles) expect[name].committed = Content(name);
        std::optional<zektest::PowerLossDisk> disk;
        if (power_) disk.emplace(".");
        const bool staged = Chance();
        const long stop = staged ? Uniform(1, maxSteps_) : 0;
        const double delay = staged ? 0 : std::uniform_real_distribution<double>(0, runSeconds_)(rng_);
        const auto start = std::chrono::steady_clock::now();
        std::vector<std::string> args{"--run", std::to_string(rng_()), std::to_string(stop)};
        if (power_) args.push_back("--power-loss");
        Child c = Spawn(self_, args);
        const auto deadline = After(start, staged ? kHangSeconds : delay);
        std::string at;  // where the kill landed
        long seen = 0;
        bool done = false;
        while (auto line = NextLine(c, deadline)) {
            if (line->empty() || *line == "done") { done = true; break; }
            if (line->rfind("stop ", 0) == 0) { at = line->substr(5); break; }
            Follow(*line, expect, disk);
            seen += line->rfind("fs ", 0) != 0;
        }
        Reap(c, true);
        while (auto line = NextLine(c, std::chrono::steady_clock::now() + std::chrono::seconds(5))) {
            if (line->empty()) break;
            if (line->rfind("stop", 0) != 0 && *line != "done") Follow(*line, expect, disk);
        }
        close(c.fd);
        if (staged && at.empty() && !done) return Fail(trial, "the session hung");
        if (done) {
            maxSteps_ = std::max(seen, 8L);
            runSeconds_ = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
            completed_++;
        } else {
            Count(at, expect);
        }
        if (disk && !Cut(trial, *disk, !at.empty())) return false;
        for (auto &[name, e] : expect) {
            auto now = Content(name);
            filesChecked_++;
            if (name == cal_record_file) {
                if (e.committed && now.value_or("").compare(0, e.committed->size(), *e.committed) != 0)
                    return Fail(trial, name + " lost lines it had taken (cut " + at + ") ");
                continue;
            }
            const bool whole = now == e.committed || (e.open && !e.inflight.empty() && now == e.inflight);
            if (!whole)
                return Fail(trial, name + " is neither its old nor its new content (" + (power_ ? "cut " : "killed ") + at + ")");
        }
        left_ += StaleWriteFiles();
        return Check(trial);
    }

    void Report(int trials, double seconds) const
    {
        if (power_) {
            std::printf("power-loss test: seed %" PRIu64 ", %d power cuts in %d trials (%d sessions ran to "
                        "their end), %.0f s\n  cut inside a write: %d (temporary file made %d, about to "
                        "write %d, flushed but not renamed %d, closed %d; at a random moment %d); "
                        "outside writes %d\n  files checked after the cuts: %d; record lines checked at the "
                        "next start: %d; temporary files left and removed at the next start: %d\n",
                        seed_, kills_, trials, completed_, seconds, inside_, byStep_.at("opened"),
                        byStep_.at("writing"), byStep_.at("flushed"), byStep_.at("closed"), insideTimed_,
                        kills_ - inside_, filesChecked_, recordChecks_, left_);
            return;
        }
        std::printf("kill test: seed %" PRIu64 ", %d kill points survived in %d trials (%d sessions ran to "
                    "their end), %.0f s\n  killed inside a write: %d (temporary file made %d, "
                    "about to write %d, flushed but not renamed %d, closed %d; at a random moment %d); "
                    "outside writes %d; temporary files left and removed at the next start: %d\n",
                    seed_, kills_, trials, completed_, seconds, inside_, byStep_.at("opened"),
                    byStep_.at("writing"), byStep_.at("flushed"), byStep_.at("closed"), insideTimed_,
                    kills_ - inside_, left_);
    }
    int Kills() const { return kills_; }

private:
    bool Chance() { return std::bernoulli_distribution(0.5)(rng_); }
    long Uniform(long lo, long hi) { return std::uniform_int_distribution<long>(lo, hi)(rng_); }

    static void Follow(const std::string &line, std::map<std::string, Expect> &expect,
                       std::optional<zektest::PowerLossDisk> &disk)
    {
        std::istringstream in(line);
        if (line.rfind("fs ", 0) == 0) {
            std::string fs, path, to, bytes;
            int op = 0;
            platform::DiskChange c{};
            in >> fs >> op >> c.file >> c.offset >> path >> to >> bytes;
            path = Unhex(path.substr(1));
            to = Unhex(to.substr(1));
            bytes = Unhex(bytes.substr(1));
            c.op = static_cast<platform::DiskOp>(op);
            c.path = path;
            c.to = to;
            c.bytes = bytes;
            if (disk) disk->Apply(c);
            return;
        }
        std::string step, name, hex;
        in >> step >> name >> hex;
        auto it = expect.find(name);
        if (it == expect.end()) return;
        Expect &e = it->second;
        if (step == "opened") {
            e.open = true;
            e.inflight.clear();
        } else if (step == "writing") {
            e.inflight += Unhex(hex);
        } else if (step == "closed" && name == cal_record_file) {
            e.committed = e.committed.value_or("") + e.inflight;  // appended to
            e.inflight.clear();
            e.open = false;
        } else if (step == "closed") {
            if (!e.inflight.empty()) e.committed = e.inflight;
            else if (!e.committed) e.committed = std::string();  // created empty
            e.open = false;
        }
    }

    void Count(const std::string &at, const std::map<std::string, Expect> &expect)
    {
        kills_++;
        if (!at.empty()) {
            byStep_[at]++;
            inside_++;
            return;
        }
        for (const auto &entry : expect)
            if (entry.second.open) {
                inside_++;
                insideTimed_++;
                return;
            }
    }

    // Leaves the folder as a power cut now may: the flushed state and each change that is
    // only cached kept by chance, at a rate that varies from cut to cut (none in a third).
    // A child stopped at a write step has told every change: the cache must be the disk.
    bool Cut(int trial, const zektest::PowerLossDisk &disk, bool stopped)
    {
        if (stopped)
            for (const auto &[name, content] : disk.Cached())
                if (Content(name) != content) return Fail(trial, "the simulation lost track of " + name);
        const double keep = Uniform(0, 2) == 0 ? 0.0 : std::uniform_real_distribution<double>(0, 1)(rng_);
        disk.WriteOut(disk.AfterCut(rng_, keep));
        return true;
    }

    // The next start's record line follows what the record held, after a line end that
    // closes a torn last line; a new record starts with its header.
    static bool RecordClosed(const std::optional<std::string> &before, const std::optional<std::string> &after)
    {
        std::string head = before.value_or("");
        if (!head.empty() && head.back() != '\n') head += "\r\n";
        if (!after || after->size() < head.size() + 2 || after->compare(0, head.size(), head) != 0)
            return false;
        const std::string tail = after->substr(head.size());
        const long lines = std::count(tail.begin(), tail.end(), '\n');
        return tail.compare(tail.size() - 2, 2, "\r\n") == 0 && lines == (head.empty() ? 2 : 1);
    }

    // A fresh start: no temporary file stays, the window shows the exit backup, and the
    // fall-back after a failed frame is the acknowledged state.
    bool Check(int trial)
    {
        const auto record = Content(cal_record_file);
        Child c = Spawn(self_, {"--check"});
        std::map<std::string, std::string> said;
        const auto deadline = After(std::chrono::steady_clock::now(), kHangSeconds);
        bool ended = false;
        while (auto line = NextLine(c, deadline)) {
            if ((ended = line->empty() || *line == "done")) break;
            const size_t space = line->find(' ');
            said[line->substr(0, space)] = line->substr(space + 1);
        }
        const int status = Reap(c, !ended);
        close(c.fd);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return Fail(trial, "the next start failed");
        if (StaleWriteFiles() != 0) return Fail(trial, "the next start left a temporary file");
        if (said["shown"] != Content("last.cfg").value_or(""))
            return Fail(trial, "the next start does not show last.cfg");
        if (said["rows"] != "agree") return Fail(trial, "the window's rows differ from the image");
        if (said["acked"] != Content("temp.ctc").value_or(""))
            return Fail(trial, "the fall-back is not the acknowledged state in temp.ctc");
        if (!RecordClosed(record, Content(cal_record_file)))
            return Fail(trial, "the next start's record line does not follow the record on a line of its own");
        recordChecks_++;
        return true;
    }

    bool Fail(int trial, const std::string &what) const
    {
        std::fprintf(stderr, "%s: trial %d: %s\nrerun with --seed %" PRIu64 "%s\n", power_ ? "power-loss test" : "kill test",
                     trial, what.c_str(), seed_, power_ ? " --power-loss" : "");
        return false;
    }

    std::string self_;
    std::mt19937_64 rng_;
    std::uint64_t seed_;
    long maxSteps_ = 40;
    double runSeconds_ = 1.0;
    bool power_;
    int filesChecked_ = 0, recordChecks_ = 0;
    int kills_ = 0, inside_ = 0, insideTimed_ = 0, completed_ = 0, left_ = 0;
    std::map<std::string, int> byStep_{{"opened", 0}, {"writing", 0}, {"flushed", 0}, {"closed", 0}};
};

std::string Arg(int argc, char *argv[], const char *name, const char *fallback)
{
    for (int i = 1; i + 1 < argc; i++)
        if (std::strcmp(argv[i], name) == 0) return argv[i + 1];
    return fallback;
}

// A working directory with zek-sim on port 1 (8 channels, no pacing) and the program's
// files of an earlier orderly exit.
int RunHarness(int argc, char *argv[])
{
    const int kills = std::atoi(Arg(argc, argv, "--kills", "200").c_str());
    const std::uint64_t seed = std::strtoull(Arg(argc, argv, "--seed", "20261208").c_str(), nullptr, 0);
    const bool power = std::find_if(argv + 1, argv + argc, [](const char *a) {
                           return std::strcmp(a, "--power-loss") == 0;
                       }) != argv + argc;
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::string dir = (std::filesystem::temp_directory_path() / "zek-kill-XXXXXX").string();
    if (!mkdtemp(dir.data()) || chdir(dir.c_str()) != 0) return 2;
    int out = -1;
    pid_t sim = sim::StartSimulator(Arg(argc, argv, "--sim", ZEK_SIM_PATH), 1, dir,
                                    {"--no-pacing", "--channels", "8"}, &out);
    if (sim < 0 || sim::ReadLine(out, 10000).find("COM1") == std::string::npos) return 2;
    std::ofstream("config.ctc", std::ios::binary) << std::string{0, 7, 7, 1};
    std::ofstream("last.cfg") << std::string(800, '0');
    std::ofstream("temp.ctc") << std::string(800, '0');

    std::printf("%s: seed %" PRIu64 ", %d %s, in %s\n", power ? "power-loss test" : "kill test", seed, kills,
                power ? "power cuts" : "kill points", dir.c_str());
    std::fflush(stdout);
    Harness harness(self, seed, power);
    const auto start = std::chrono::steady_clock::now();
    int trial = 0;
    bool ok = true;
    while (ok && harness.Kills() < kills) ok = harness.Trial(trial++);
    harness.Report(trial, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    kill(sim, SIGTERM);
    waitpid(sim, nullptr, 0);
    std::error_code ec;
    if (ok) std::filesystem::remove_all(dir, ec);
    return ok ? 0 : 1;
}

}  // namespace

int main(int argc, char *argv[])
{
    if (argc >= 2 && std::strcmp(argv[1], "--check") == 0) return RunChild(argv, true, 0, false);
    if (argc >= 4 && std::strcmp(argv[1], "--run") == 0) {
        stopAt = std::atol(argv[3]);
        return RunChild(argv, false, std::strtoull(argv[2], nullptr, 10), argc >= 5);
    }
    return RunHarness(argc, argv);
}
