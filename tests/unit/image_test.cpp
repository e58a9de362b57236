// The configuration image's address map for 8 and 16 channels, and its display in the
// main window's channel rows.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "ui/window.h"
#include "channels/image.h"
#include "platform/ui/model.h"
#include "platform/frontend.h"
#include "transfer/transfer.h"
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
        WriteSettings({.channels = device, .shown = shown});
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

namespace {

// Addresses the image observer was told of, and the kinds of change it saw.
bool told[IMAGE_SIZE];
bool kinds_seen[image_cleared + 1];

void NoteChange(const ImageChange &change)
{
    kinds_seen[change.kind] = true;
    for (int a = change.first; a < change.first + change.count; a++) told[a] = true;
}

// The lines of the system's sources outside channels/ that store into the image: an
// element assignment or increment, or the image as the target of a block copy or fill.
std::vector<std::string> ImageWritesOutsideChannels()
{
    namespace fs = std::filesystem;
    static const std::regex store(
        R"(aktuelle_daten\s*\[[^\]]*\]\s*(([-+*/%&|^]|<<|>>)?=[^=]|\+\+|--)|)"
        R"((\+\+|--)\s*aktuelle_daten|(memcpy|memset|memmove|fill|fill_n)\s*\(\s*aktuelle_daten)");
    std::vector<std::string> found;
    for (const char *folder : {"app", "ui", "link", "settings", "transfer", "calibration",
                               "documents", "cli"}) {
        for (const auto &entry : fs::recursive_directory_iterator(fs::path(ZEK_SOURCE_DIR) / folder)) {
            std::ifstream in(entry.path());
            std::string line;
            for (int n = 1; std::getline(in, line); n++)
                if (std::regex_search(line, store))
                    found.push_back(entry.path().string() + ":" + std::to_string(n) + ": " + line);
        }
    }
    return found;
}

}  // namespace

TEST(ImageWritePath, NothingOutsideChannelsStoresIntoTheImage)
{
    const std::vector<std::string> found = ImageWritesOutsideChannels();
    std::string lines;
    for (const std::string &line : found) lines += line + "\n";
    EXPECT_TRUE(found.empty()) << lines;
}

// Every address an operation changes in the image was told to the observer: a write
// that bypasses the write path would leave a later change history without it.
TEST_F(ImageTest, EveryChangeOfAnOperationReachesTheImageObserver)
{
    Start(16, 16);
    for (int a = 0; a < IMAGE_SIZE; a++) sim.engine.Poke(a, (a * 7 + 3) & 0xFF);
    sim.engine.Poke(mode_address(2), MODE_BYTE_FULL_BRIDGE);
    image_observer = NoteChange;
    std::memset(kinds_seen, 0, sizeof kinds_seen);
    const auto expectAllTold = [](const int *before, const char *what) {
        for (int a = 0; a < IMAGE_SIZE; a++)
            EXPECT_TRUE(aktuelle_daten[a] == before[a] || told[a]) << what << ", address " << a;
    };
    const auto operation = [&](const char *what, const std::function<void()> &act) {
        int before[IMAGE_SIZE];
        std::memcpy(before, aktuelle_daten, sizeof before);
        std::memset(told, 0, sizeof told);
        act();
        expectAllTold(before, what);
    };
    operation("upload", [] { read_(0, 0, nullptr, 0); });
    operation("range change", [] { platform::OperatorSetValue(panel_handle, panel_rings[2], 3); });
    sim.engine.AddFault({sim::FaultKind::Error, 0});
    operation("refused range change",
              [] { platform::OperatorSetValue(panel_handle, panel_rings[2], 1); });
    sim.engine.ClearFaults();
    image_observer = nullptr;
    EXPECT_TRUE(kinds_seen[image_loaded]);
    EXPECT_TRUE(kinds_seen[image_byte_set]);
    EXPECT_TRUE(kinds_seen[image_entries_set]);  // the restore after the refusal
}
