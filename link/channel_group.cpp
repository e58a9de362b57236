// The channel-group frame shapes, built once for every operation that sends them.
#include "link/channel_group.h"

#include "channels/image.h"
#include "link/protocol.h"

bool strain_gauge(int mode)
{
    return mode == MODE_BYTE_FULL_BRIDGE || mode == MODE_BYTE_HALF_BRIDGE;
}

int range_words_address(int ch) { return block_address(0, ch) + OFF_RANGE_OFFSET; }

int send_range_byte(int ch, int k, int value)
{
    const int a = range_words_address(ch) + k;
    return k < 3 ? send_byte_oD(a, value) : send_byte(a, value);
}

int channel_group_addresses(int ch, int mode, int addresses[5])
{
    addresses[0] = mode_address(ch);
    if (!strain_gauge(mode)) return 1;
    for (int k = 0; k < 4; k++) addresses[1 + k] = range_words_address(ch) + k;
    return 5;
}

double channel_group_seconds(int mode)
{
    if (!strain_gauge(mode)) return SEND_BYTE_SECONDS;
    return 2 * SEND_BYTE_SECONDS + 3 * SEND_BYTE_OD_SECONDS;
}

void send_channel_group(int ch)
{
    const int m = mode_address(ch);
    const int b = aktuelle_daten[m];
    send_byte(m, b);
    if (!strain_gauge(b)) return;
    const int a = range_words_address(ch);
    for (int k = 0; k < 4; k++) send_range_byte(ch, k, aktuelle_daten[a + k]);
}

std::vector<VerifiedAddress> differing_group_addresses(const int channels[], int n,
                                                       const int device[512], int *checked)
{
    std::vector<VerifiedAddress> out;
    int compared = 0;
    for (int k = 0; k < n; k++) {
        int addresses[5];
        const int ch = channels[k];
        const int count = channel_group_addresses(ch, aktuelle_daten[mode_address(ch)], addresses);
        for (int j = 0; j < count; j++, compared++) {
            const int a = addresses[j];
            if (device[a] != aktuelle_daten[a]) out.push_back({a, aktuelle_daten[a], device[a]});
        }
    }
    if (checked) *checked = compared;
    return out;
}
