// Compare With Rotor: reads the device's memory into a scratch copy and lists, per
// channel and in words, where it differs from the window's configuration. The image, the
// window and the acknowledged state stay as they are.
#include <cstring>
#include <string>
#include <vector>

#include "channels/image.h"
#include "link/protocol.h"
#include "platform/clock.h"
#include "platform/progress.h"
#include "platform/report.h"
#include "platform/userint.h"
#include "transfer/transfer.h"
#include "ui/texts.h"

namespace {

constexpr int MAX_LINES_SHOWN = 40;  // the message stays within a screen's height

// What the last check found, kept as data so that it reads in the language of the moment.
struct LastCheck {
    int kind = 0;  // 0 none, 1 comparison, 2 send changes and verify
    std::string when;
    int window[IMAGE_SIZE] = {}, device[IMAGE_SIZE] = {};
    int outcome = 0, channels = 0;
    std::vector<VerifiedAddress> differing;
};
LastCheck last_check;

int word_at(const int memory[512], int a) { return memory[a] | memory[a + 1] << 8; }

// Range and bridge of a channel in one memory, as the window's row would show them.
std::string describe_mode(const int memory[512], int ch)
{
    std::string range, bridge;
    channel_mode_words(memory, ch, &range, &bridge);
    return bridge.empty() ? range : range + ", " + bridge;
}

// "Kanal 3, what: A (Fenster), B (Rotorsystem)".
std::string difference_line(int ch, const std::string &what, const std::string &window,
                            const std::string &device)
{
    return text(txt::kanal_prefix) + std::to_string(ch + 1) + ", " + what + ": " + window +
           " (" + text(txt::window_word) + "), " + device + " (" + text(txt::rotor_word) + ")";
}

std::string word_pair(const int memory[512], int a)
{
    return std::to_string(word_at(memory, a)) + "/" + std::to_string(word_at(memory, a + 2));
}

void channel_differences(const int window[512], const int device[512], int ch,
                         std::vector<std::string> &lines)
{
    const std::string wm = describe_mode(window, ch), dm = describe_mode(device, ch);
    if (wm != dm) lines.push_back(difference_line(ch, text(txt::diff_range), wm, dm));
    const int r = block_address(0, ch) + OFF_RANGE_OFFSET;
    if (word_pair(window, r) != word_pair(device, r))
        lines.push_back(difference_line(ch, text(txt::diff_range_words), word_pair(window, r),
                                        word_pair(device, r)));
    for (int bank = 0; bank < BANK_COUNT; bank++) {
        const int b = block_address(bank, ch);
        const TextPair *names[2] = {&txt::diff_cal_offset, &txt::diff_cal_gain};
        const int offsets[2] = {OFF_CAL_OFFSET, OFF_CAL_GAIN};
        for (int k = 0; k < 2; k++) {
            const int w = word_at(window, b + offsets[k]), d = word_at(device, b + offsets[k]);
            if (w == d) continue;
            const std::string what = std::string(text(txt::bank_names[bank])) + ", " + text(*names[k]);
            lines.push_back(difference_line(ch, what, std::to_string(w), std::to_string(d)));
        }
    }
}

}  // namespace

std::string range_words(int index) { return item_words(txt::range_items[index]); }

void channel_mode_words(const int memory[512], int ch, std::string *range, std::string *bridge)
{
    const int mode = memory[mode_address(ch)];
    const int gain = word_at(memory, block_address(0, ch) + OFF_RANGE_GAIN);
    bridge->clear();
    if (mode == MODE_BYTE_TE_1 || mode == MODE_BYTE_TE_2) {
        *range = range_words(range_index_of(mode, 0));
    } else if (mode == MODE_BYTE_FULL_BRIDGE || mode == MODE_BYTE_HALF_BRIDGE) {
        *range = range_words(range_index_of(mode, gain));
        *bridge = text(mode == MODE_BYTE_FULL_BRIDGE ? txt::full_bridge : txt::half_bridge);
    } else {
        char hex[16];
        std::snprintf(hex, sizeof hex, " %02Xh", mode & 0xFF);
        *range = text(txt::mode_byte_word) + std::string(hex);
    }
}

void note_comparison(const int window[512], const int device[512])
{
    last_check.kind = 1;
    last_check.when = LocalDateTime(' ');
    std::memcpy(last_check.window, window, sizeof last_check.window);
    std::memcpy(last_check.device, device, sizeof last_check.device);
}

void note_verification(int outcome, int channels, const std::vector<VerifiedAddress> &differing)
{
    last_check.kind = 2;
    last_check.when = LocalDateTime(' ');
    last_check.outcome = outcome;
    last_check.channels = channels;
    last_check.differing = differing;
}

std::string last_check_title(void)
{
    if (last_check.kind == 0) return "";
    return text(last_check.kind == 1 ? txt::compare_title : txt::send_changes_title);
}

std::string last_check_time(void) { return last_check.kind ? last_check.when : ""; }

std::vector<std::string> last_check_lines(void)
{
    if (last_check.kind == 1) {
        std::vector<std::string> lines =
            configuration_differences(last_check.window, last_check.device);
        if (lines.empty()) lines.push_back(text(txt::no_differences));
        return lines;
    }
    if (last_check.kind != 2) return {};
    if (last_check.outcome == NOTHING_TO_SEND) return {text(txt::nothing_to_send)};
    if (last_check.outcome == SENT_AND_VERIFIED)
        return {format_text(txt::sent_and_verified, last_check.channels)};
    std::vector<std::string> lines{text(txt::verify_differs)};
    for (const VerifiedAddress &d : last_check.differing)
        lines.push_back(format_text(txt::verify_address, d.address, d.sent, d.read));
    return lines;
}

void reset_transfer_state(void) { last_check = LastCheck(); }

std::vector<std::string> configuration_differences(const int window[512], const int device[512])
{
    std::vector<std::string> lines;
    for (int ch = 0; ch < channel_rows(Kanalzahl); ch++)
        channel_differences(window, device, ch, lines);
    return lines;
}

// Menu item "compare": one whole-memory read, then the differences in a message.
void compare(int, int, void *, int)
{
    clear_com_fault();
    const double start = platform::ClockNow();
    int device[IMAGE_SIZE];
    const int result = read_memory_shown(device, 0.0, new_read_line);
    ProgressEnd();
    if (result != 0) {
        SetStatusLine(format_text(txt::status_failed, text(txt::compare_title)).c_str());
        return;
    }
    const std::vector<std::string> lines = configuration_differences(aktuelle_daten, device);
    note_comparison(aktuelle_daten, device);
    const int count = static_cast<int>(lines.size());
    std::string message = lines.empty() ? text(txt::no_differences) : "";
    for (int k = 0; k < count && k < MAX_LINES_SHOWN; k++) {
        if (k > 0) message += '\n';
        message += lines[static_cast<size_t>(k)];
    }
    if (count > MAX_LINES_SHOWN) {
        message += '\n';
        message += format_text(txt::more_differences, count - MAX_LINES_SHOWN);
    }
    SetStatusLine(format_text(txt::status_compare_done, static_cast<int>(lines.size()),
                              platform::ClockNow() - start).c_str());
    MessagePopup(text(txt::compare_title), message.c_str());
}
