// zek-bench-download: a whole 16-channel strain-gauge download (down) to zek-sim over a
// pseudo-terminal on the real clock; prints its time beside the pacing floor.
//
//   zek-bench-download [RUNS] [--sim PATH] [--dir DIR] [--send-changes] [--log]
//
// After the downloads it prints what the disk flushes cost: how many files a download
// wrote, and the time of one acknowledged-state write (file and folder flushed) and of
// one calibration record line as a trim appends it (line flushed).
//
// --log: the link log on, as the Extras/Tools item turns it on: every frame and reply
// appended to zek-link.log in the working directory.
// --send-changes: after the downloads, Send Changes and Verify with nothing changed and
// with one strain-gauge channel changed, each against the mean download time.
//
// RUNS defaults to 1 (about 39 s each). The working directory, where the acknowledged-
// state file is written, is made in DIR (default /tmp); a tmpfs there (/dev/shm) shows
// the download without the disk's cost of storing that file.
//
// Per strain-gauge channel the download makes seven exchanges with 2.4 s of pacing, so
// 16 channels cost 38.4 s of pacing plus the time of 112 replies. Every acknowledged
// reply also stores the image in the acknowledged-state file, as in the program.
#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "calibration/calibration.h"
#include "channels/acknowledged.h"
#include "channels/config_text.h"
#include "channels/image.h"
#include "bench/bench_support.h"
#include "transfer/transfer.h"
#include "link/log_menu.h"
#include "link/protocol.h"
#include "platform/files/testing.h"
#include "platform/link_log.h"
#include "platform/frontend/scripted/scripted.h"

namespace {

constexpr int CHANNELS = 16;
constexpr int EXCHANGES_PER_CHANNEL = 7;
constexpr double FLOOR_PER_CHANNEL = 24 * COM_DELAY;  // 2.4 s of pacing
// Five of a channel's seven replies (the D replies and the range words without D) are
// read right after their frame's CR, so zek-sim's paced "OK" and CR, three characters at
// 4800 baud 8N2, add to the pacing; the other two arrive during a pacing pause.
constexpr int REPLIES_AFTER_CR = 5;
constexpr double REPLY_LINE_SECONDS = 3 * 11.0 / 4800.0;

// Every channel a strain gauge, half and full bridge alternating, ranges in turn.
void fill_image(void)
{
    const int offsets[6] = {2048, 2048, 2048, 1024, 512, 256};
    const int gains[6] = {4095, 2048, 1024, 512, 256, 128};
    Kanalzahl = CHANNELS;
    for (int ch = 0; ch < CHANNELS; ch++) {
        aktuelle_daten[16 + ch] = ch % 2 ? 176 : 48;
        const int a = 16 + CHANNELS + 8 * ch + 2;
        aktuelle_daten[a] = offsets[ch % 6] & 0xFF;
        aktuelle_daten[a + 1] = offsets[ch % 6] >> 8;
        aktuelle_daten[a + 2] = gains[ch % 6] & 0xFF;
        aktuelle_daten[a + 3] = gains[ch % 6] >> 8;
    }
}

// One download; false when a reply failed.
bool run_download(double *wall, double *cpu)
{
    platform::scripted::ClearJournal();
    const bench::Stopwatch watch;
    down();
    *wall = watch.Wall();
    *cpu = watch.Cpu();
    if (com_fault != 0 || !platform::scripted::Messages().empty()) {
        std::fprintf(stderr, "zek-bench-download: the download failed\n");
        return false;
    }
    return true;
}

void report(const std::vector<double> &walls, double cpu)
{
    const double floor = CHANNELS * FLOOR_PER_CHANNEL;
    const int replies = CHANNELS * EXCHANGES_PER_CHANNEL;
    const double best = *std::min_element(walls.begin(), walls.end());
    const double worst = *std::max_element(walls.begin(), walls.end());
    double sum = 0.0;
    for (double w : walls) sum += w;
    const double mean = sum / static_cast<double>(walls.size());
    std::printf("download             %d strain-gauge channels, %d exchanges, %d run(s)\n",
                CHANNELS, replies, static_cast<int>(walls.size()));
    std::printf("wall time            %.3f s mean  (min %.3f, max %.3f)\n", mean, best, worst);
    std::printf("pacing floor         %.3f s  (+ %d replies)\n", floor, replies);
    std::printf("above the floor      %.3f s = %.2f %%  (%.2f ms per reply; goal: at most 1 %%)\n",
                mean - floor, (mean - floor) / floor * 100.0,
                (mean - floor) / replies * 1000.0);
    const double line = floor + CHANNELS * REPLIES_AFTER_CR * REPLY_LINE_SECONDS;
    std::printf("line floor           %.3f s  (+ %d replies of 3 characters read after their CR)\n",
                line, CHANNELS * REPLIES_AFTER_CR);
    std::printf("above the line floor %.3f s = %.2f %%\n", mean - line,
                (mean - line) / line * 100.0);
    std::printf("CPU time, tool       %.3f s = %.3f %% of the wall time\n", cpu,
                cpu / sum * 100.0);
}

// The mean time of `once`, run `n` times.
double mean_seconds(int n, const std::function<void(int k)> &once)
{
    const bench::Stopwatch watch;
    for (int k = 0; k < n; k++) once(k);
    return watch.Wall() / n;
}

// What a download's writes and a trim's record line cost on this disk.
void report_flushes(size_t written, double download)
{
    const int n = 50;
    const double state = mean_seconds(n, [](int k) {
        aktuelle_daten[0] = k & 0xFF;  // a different text each time, as an acknowledgement writes
        format_i_s();
        text_schreiben(File_Temp);
    });
    const double line = mean_seconds(n, [](int k) {
        record_cali_write(0, 0, RECORD_OFFSET, k, k + 1, reply_ok);
        record_flush();
    });
    std::printf("files written        %zu per download; one acknowledged-state write %.2f ms "
                "(%.3f %% of the download for all)\n",
                written, state * 1000.0, written * state / download * 100.0);
    std::printf("record line (trim)   %.2f ms per appended line, flushed\n", line * 1000.0);
}

// Send Changes and Verify on the device the downloads left; wall and CPU time.
void run_send_changes(const char *what, double download, double *cpu)
{
    platform::scripted::ClearJournal();
    const bench::Stopwatch watch;
    send_changes(0, 0, nullptr, 0);
    const double wall = watch.Wall();
    *cpu += watch.Cpu();
    const auto messages = platform::scripted::Messages();
    std::printf("send changes, %-14s %.3f s = %.1f %% of the download  (%s)\n", what, wall,
                wall / download * 100.0, messages.empty() ? "no message" : messages.back().text.c_str());
}

void report_send_changes(double download)
{
    double cpu = 0.0;
    const bench::Stopwatch watch;
    run_send_changes("none changed", download, &cpu);  // goal: at most 12 %
    const int a = 16 + CHANNELS + 8 * 5 + 3;                // channel 6's range offset high byte
    aktuelle_daten[a] = aktuelle_daten[a] == 0x08 ? 0x04 : 0x08;
    run_send_changes("one changed", download, &cpu);   // goal: at most 30 %
    std::printf("CPU time, tool       %.3f s = %.3f %% of the wall time (send changes)\n", cpu,
                cpu / watch.Wall() * 100.0);
}

}  // namespace

int main(int argc, char *argv[])
{
    int runs = 1;
    std::string sim_path = bench::DefaultSimPath(argv[0]);
    std::string parent = "/tmp";
    bool changes = false;
    bool log = false;
    for (int i = 1; i < argc; i++) {
        std::string a = argv[i];
        if (a == "--sim" && i + 1 < argc) {
            sim_path = argv[++i];
        } else if (a == "--send-changes") {
            changes = true;
        } else if (a == "--log") {
            log = true;
        } else if (a == "--dir" && i + 1 < argc) {
            parent = argv[++i];
        } else if (bench::CountArgument(a, 3) > 0) {
            runs = bench::CountArgument(a, 3);
        } else {
            std::fprintf(stderr, "usage: zek-bench-download [RUNS] [--sim PATH] [--dir DIR] "
                                 "[--send-changes] [--log]\n");
            return 2;
        }
    }

    bench::Bench b;
    if (!bench::BeginBench("zek-bench-download", sim_path, parent,
                           {"--channels", std::to_string(CHANNELS)}, &b)) {
        return 1;
    }
    platform::scripted::Install();
    fill_image();
    std::printf("working directory    %s\n", b.dir.c_str());
    if (log && !platform::SetLinkLog(LINK_LOG_FILE, LINK_LOG_ROTATE_BYTES)) {
        std::fprintf(stderr, "zek-bench-download: the link log cannot be written\n");
        bench::EndBench(&b);
        return 1;
    }
    std::printf("link log             %s\n", log ? LINK_LOG_FILE : "off");
    std::vector<double> walls;
    double cpu = 0.0;
    platform::RecordWrittenFiles(true);
    const bool ok = bench::Repeat(runs, run_download, &walls, &cpu);
    const size_t written = platform::WrittenFiles().size() / static_cast<size_t>(runs);
    platform::RecordWrittenFiles(false);
    if (ok && changes) {
        double sum = 0.0;
        for (double w : walls) sum += w;
        report_send_changes(sum / static_cast<double>(walls.size()));
    }
    if (log) {
        platform::SetLinkLog("");
        std::error_code ec;
        std::printf("link log written     %ju bytes\n",
                    static_cast<uintmax_t>(std::filesystem::file_size(LINK_LOG_FILE, ec)));
    }
    if (ok) report_flushes(written, *std::min_element(walls.begin(), walls.end()));
    bench::EndBench(&b);
    if (!ok) return 1;
    report(walls, cpu);
    return 0;
}
