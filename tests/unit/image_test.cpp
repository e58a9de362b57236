// The configuration image's address map for 8 and 16 channels, and its display in the
// main window's channel rows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/window.h"
#include "channels/image.h"
#include "platform/ui/model.h"
#include "support/sim_env.h"
#include "support/test_env.h"

using namespace zektest;

namespace {

class ImageTest : public ZekTest {
protected:
    SimEnv sim;
    int saved_k = Kanalzahl;

    void TearDown() override
    {
        Kanalzahl = saved_k;
        ZekTest::TearDown();
    }

    // Starts the program for `device` channels with `shown` rows and an all-zero image.
    void Start(int device, int shown)
    {
        const char settings[4] = {0, static_cast<char>(device - 1), static_cast<char>(shown - 1), 1};
        WriteFile("config.ctc", std::string(settings, 4));
        std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
        ASSERT_EQ(StartUp(), 0);
        ASSERT_EQ(Kanalzahl, device);
    }

    static platform::Control *Ctrl(int control) { return platform::FindControl(panel_handle, control); }
    static void SetWord(int address, int word)
    {
        aktuelle_daten[address] = word & 0xFF;
        aktuelle_daten[address + 1] = word >> 8;
    }
    // Ring index, checkbox value and dimming of zero-based row i.
    static void ExpectRow(int i, int index, int box, bool dimmed)
    {
        EXPECT_EQ(Ctrl(panel_rings[i])->value, index) << "row " << i;
        EXPECT_EQ(Ctrl(panel_checkbox[i])->value, box) << "row " << i;
        EXPECT_EQ(Ctrl(panel_checkbox[i])->dimmed, dimmed) << "row " << i;
        EXPECT_EQ(Ctrl(panel_command_button[i])->dimmed, dimmed) << "row " << i;
    }
};

TEST_F(ImageTest, AddressMapOfBothLayouts)
{
    Kanalzahl = 8;  // also the layout of a 4-channel system
    EXPECT_EQ(mode_address(2), 18);
    EXPECT_EQ(block_address(0, 2), 40);
    EXPECT_EQ(block_address(0, 2) + OFF_RANGE_OFFSET, 42);
    EXPECT_EQ(block_address(0, 2) + OFF_RANGE_GAIN, 44);
    EXPECT_EQ(block_address(0, 2) + OFF_CAL_GAIN + 1, 47);
    EXPECT_EQ(block_address(0, 0), 24);
    EXPECT_EQ(block_address(1, 0), 88);
    EXPECT_EQ(block_address(2, 0), 152);
    EXPECT_EQ(block_address(2, 7) + BLOCK_SIZE - 1, 215);

    Kanalzahl = 16;
    EXPECT_EQ(mode_address(15), 31);
    EXPECT_EQ(block_address(0, 2) + OFF_RANGE_OFFSET, 50);
    EXPECT_EQ(block_address(0, 2) + OFF_RANGE_GAIN + 1, 53);
    EXPECT_EQ(block_address(0, 0) + OFF_CAL_OFFSET, 32);
    EXPECT_EQ(block_address(1, 0), 160);
    EXPECT_EQ(block_address(2, 0), 288);
    EXPECT_EQ(block_address(2, 15) + BLOCK_SIZE - 1, 415);
    EXPECT_EQ(block_address_k(8, 1, 7), 144);
}

TEST_F(ImageTest, WordsAreLowByteFirstAndStayInsideTheImage)
{
    aktuelle_daten[100] = 0x34;
    aktuelle_daten[101] = 0x12;
    EXPECT_EQ(image_word(100), 0x1234);
    aktuelle_daten[511] = 0xFF;
    EXPECT_EQ(image_word(511), 0);
    EXPECT_EQ(image_word(-1), 0);
}

TEST_F(ImageTest, RowsFollowModeByteAndRangeGainWord)
{
    Start(16, 16);
    const int gains[6] = {0xFFF, 0x800, 0x400, 0x200, 0x100, 0x80};
    for (int i = 0; i < 6; i++) SetWord(block_address(0, i) + OFF_RANGE_GAIN, gains[i]);
    SetWord(block_address(0, 6) + OFF_RANGE_GAIN, 0x0123);  // not a range: shows 32 mV/V
    aktuelle_daten[mode_address(7)] = MODE_BYTE_TE_1;       // whatever the words hold
    SetWord(block_address(0, 7) + OFF_RANGE_GAIN, 0x100);
    aktuelle_daten[mode_address(8)] = MODE_BYTE_TE_2;
    aktuelle_daten[mode_address(9)] = MODE_BYTE_HALF_BRIDGE;
    SetWord(block_address(0, 9) + OFF_RANGE_GAIN, 256);
    aktuelle_daten[mode_address(10)] = 0x55;                // unknown mode: a strain gauge
    SetWord(block_address(0, 10) + OFF_RANGE_GAIN, 0x200);
    // Row 8 and 10 start ticked and dimmed, to see that the image decides.
    SetCtrlVal(panel_handle, panel_checkbox[7], 1);
    SetCtrlAttribute(panel_handle, panel_checkbox[9], ATTR_DIMMED, 1);
    SetCtrlAttribute(panel_handle, panel_command_button[9], ATTR_DIMMED, 1);

    ini_panel_1();
    for (int i = 0; i < 6; i++) ExpectRow(i, i, 0, false);
    ExpectRow(6, 0, 0, false);
    ExpectRow(7, 6, 0, true);
    ExpectRow(8, 7, 0, true);
    ExpectRow(9, 4, 1, false);
    ExpectRow(10, 3, 0, false);
    ExpectRow(15, 0, 0, false);
}

TEST_F(ImageTest, RowsBeyondTheChannelCountAreFilledFromTheirAddresses)
{
    Start(8, 4);
    // Row 12 reaches mode byte 27 and the word at 8 + 16 + 4 + 8 * 11 = 116, both past
    // the 8-channel mode bytes and bank 0.
    aktuelle_daten[27] = MODE_BYTE_HALF_BRIDGE;
    SetWord(116, 0x80);
    aktuelle_daten[31] = MODE_BYTE_TE_2;  // row 16
    // The 16-channel addresses of row 2 must not be used.
    SetWord(block_address_k(16, 0, 1) + OFF_RANGE_GAIN, 0x800);
    SetWord(block_address(0, 1) + OFF_RANGE_GAIN, 0x400);

    ini_panel_1();
    ExpectRow(1, 2, 0, false);
    ExpectRow(11, 5, 1, false);
    ExpectRow(15, 7, 0, true);
    EXPECT_FALSE(Ctrl(panel_rings[11])->visible);  // visibility is not the image's business
}

}  // namespace
