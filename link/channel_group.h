// The channel-group frame shapes: a channel's mode byte and its range words as the
// download, the per-channel settings, Send Changes and the calibration send them.
#pragma once

#include <vector>

// The range words of channel ch: range offset and range gain word of its bank-0 block,
// four byte writes from this address on, the last one closed by D.
int range_words_address(int ch);
// Sends byte k (0..3) of channel ch's range words in its place in the group; 1 if the
// link fault flag is set afterwards, else 0.
int send_range_byte(int ch, int k, int value);

// One channel's frames as the download sends them: the mode byte closed by D, then for a
// strain gauge the range words. Values come from the image as each is sent.
void send_channel_group(int ch);
// The addresses that group writes for a mode byte, into addresses[5]; their count.
int channel_group_addresses(int ch, int mode, int addresses[5]);
// Planned seconds of that group.
double channel_group_seconds(int mode);
// True for the mode bytes of the strain-gauge ranges, whose group holds the range words.
bool strain_gauge(int mode);

// An address a group wrote whose read-back differs: what was sent and what was read back.
struct VerifiedAddress {
    int address, sent, read;
};
// Every address of the groups of channels[0..n), as the image now holds them, whose value
// in the device's memory differs from the image; `checked` (when given) gets how many
// addresses were compared. Used by every read-back check after sending groups.
std::vector<VerifiedAddress> differing_group_addresses(const int channels[], int n,
                                                       const int device[512], int *checked = nullptr);
