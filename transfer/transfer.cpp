// Whole-configuration transfer: the upload reads the device's memory into the image, the
// download writes every channel's mode byte and strain-gauge range words back.
#include "transfer/transfer.h"

#include "channels/image.h"
#include "link/protocol.h"
#include "platform/userint.h"

namespace {

bool strain_gauge(int mode)
{
    return mode == MODE_BYTE_FULL_BRIDGE || mode == MODE_BYTE_HALF_BRIDGE;
}

}  // namespace

void read_(int, int, void *, int)
{
    clear_com_fault();
    read_encoder();
}

void down_load(int, int, void *, int)
{
    clear_com_fault();
    down();
}

// Channel by channel in ascending order: the mode byte closed by D, then for a strain
// gauge the range offset and gain words closed by D. Never stops early: after a failure
// the remaining frames go out unacknowledged. Each value is taken from the image when it
// is sent, since a failed acknowledgement restores the image on the way.
void down(void)
{
    clear_com_fault();
    SetWaitCursor(1);
    for (int ch = 0; ch < Kanalzahl; ch++) {
        const int m = mode_address(ch);
        const int b = aktuelle_daten[m];
        send_byte(m, b);
        if (!strain_gauge(b)) continue;
        const int a = block_address(0, ch) + OFF_RANGE_OFFSET;
        send_byte_oD(a, aktuelle_daten[a]);
        send_byte_oD(a + 1, aktuelle_daten[a + 1]);
        send_byte_oD(a + 2, aktuelle_daten[a + 2]);
        send_byte(a + 3, aktuelle_daten[a + 3]);
    }
    SetWaitCursor(0);
}

void register_transfer_callbacks(void)
{
    RegisterMenuCallback("read", read_);
    RegisterMenuCallback("down_load", down_load);
}
