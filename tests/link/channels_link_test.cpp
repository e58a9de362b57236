// A whole 8-channel download to zek-sim on a real pseudo-terminal, on the real clock:
// afterwards the simulator's memory holds the image's mode bytes and range words.
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

#include "channels/image.h"
#include "link/protocol.h"
#include "transfer/transfer.h"
#include "platform/clock.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "support/sim_process.h"
#include "support/test_env.h"

namespace {

using std::string;

class ChannelsLinkTest : public zektest::LinkTest {
protected:
    // The frames the simulator logged as received, and the number of OK replies.
    void ReadLog(std::vector<string> *frames, int *oks)
    {
        std::istringstream log(zektest::ReadFile("sim.log"));
        string line;
        *oks = 0;
        while (std::getline(log, line)) {
            const size_t rx = line.find(" rx ");
            if (rx != string::npos) frames->push_back(line.substr(rx + 4));
            if (line.find(" tx OK<CR>") != string::npos) ++*oks;
        }
    }
};

TEST_F(ChannelsLinkTest, EightChannelDownloadLandsInTheSimulatorsMemory)
{
    // zek-sim with an 8-channel factory memory, logging its traffic.
    ASSERT_TRUE(sim.StartLinked(dir, {"--channels", "8", "--log", dir + "/sim.log"}));
    zektest::WriteSettings({});
    ASSERT_EQ(StartUp(), 0);
    ASSERT_TRUE(platform::ComIsOpen(1)) << GetRS232ErrorString(GetRs232Err());
    platform::scripted::ClearJournal();

    // Channel 1 half bridge at 8 mV/V, channel 5 full bridge at 1 mV/V, the others
    // thermocouples whose range words differ from the device's (they stay unsent).
    const sim::Memory factory = sim::FactoryImage(8);
    for (int k = 0; k < 512; k++) aktuelle_daten[k] = factory[k];
    const int modes[8] = {176, 201, 202, 201, 48, 202, 201, 202};
    for (int ch = 0; ch < 8; ch++) {
        aktuelle_daten[16 + ch] = modes[ch];
        for (int k = 2; k < 6; k++) aktuelle_daten[24 + 8 * ch + k] = 0x33;
    }
    const int words0[4] = {0x00, 0x08, 0x00, 0x04};
    const int words4[4] = {0x00, 0x01, 0x80, 0x00};
    for (int k = 0; k < 4; k++) {
        aktuelle_daten[26 + k] = words0[k];
        aktuelle_daten[58 + k] = words4[k];
    }
    std::vector<int> sent(aktuelle_daten, aktuelle_daten + 512);

    const double start = platform::ClockNow();
    down();
    const double took = platform::ClockNow() - start;
    EXPECT_TRUE(platform::scripted::Messages().empty());
    EXPECT_EQ(com_fault, 0);
    EXPECT_GE(took, 2 * 2.4 + 6 * 0.6);

    // Read the simulator's memory back through the same line.
    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
    read_(0, 0, nullptr, 0);
    ASSERT_TRUE(platform::scripted::Messages().empty());
    for (int ch = 0; ch < 8; ch++) {
        EXPECT_EQ(aktuelle_daten[16 + ch], modes[ch]) << "mode byte of channel " << ch + 1;
        const bool strain = modes[ch] == 48 || modes[ch] == 176;
        for (int k = 0; k < 8; k++) {
            const int a = 24 + 8 * ch + k;
            const bool rangeWord = k >= 2 && k < 6;
            EXPECT_EQ(aktuelle_daten[a], strain && rangeWord ? sent[a] : factory[a])
                << "address " << a;
        }
    }

    std::vector<string> frames;
    int oks = 0;
    ReadLog(&frames, &oks);
    ASSERT_EQ(frames.size(), 2u * 7u + 6u * 2u + 1u);  // the download, then "R"
    EXPECT_EQ(frames.front(), "0010B0W<CR>");
    EXPECT_EQ(frames[frames.size() - 2], "D<CR>");
    EXPECT_EQ(oks, static_cast<int>(frames.size()) - 1);  // every frame but "R" got "OK"
}

}  // namespace
