// The whole-memory read: frames, the reply's parsing into the image and the window, and
// the replies that leave the image as it was.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "channels/image.h"
#include "documents/file_menu.h"
#include "ui/window.h"
#include "behaviour/protocol_fixture.h"
#include "link/protocol.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"

using namespace zektest;
using platform::scripted::Messages;

namespace {

// A whole-memory reply as the device sends it: value k is (k * 7) & 0xFF.
std::string Dump(const char *separator = " ")
{
    std::string out;
    char pair[3];
    for (int k = 0; k < 512; k++) {
        std::snprintf(pair, sizeof pair, "%02X", (k * 7) & 0xFF);
        out += pair;
        out += separator;
    }
    return out + "OK";
}

int Parse(const std::string &reply, std::vector<int> *values)
{
    // Exactly the received bytes, so that a read beyond them is caught by the sanitizer.
    std::vector<char> bytes(reply.begin(), reply.end());
    values->assign(512, -1);
    return parse_memory_reply(bytes.data(), static_cast<int>(bytes.size()), values->data());
}

TEST(MemoryReply, ParsesOneOrTwoDigitValuesInEitherCase)
{
    std::vector<int> values;
    ASSERT_EQ(Parse(Dump(), &values), 1);
    for (int k = 0; k < 512; k++) ASSERT_EQ(values[k], (k * 7) & 0xFF) << k;

    // Values 0..2 as "5", "ab", "F"; the separators are never examined.
    ASSERT_EQ(Parse("5,ab:F;" + Dump(";").substr(9), &values), 1);
    EXPECT_EQ(values[0], 5);
    EXPECT_EQ(values[1], 0xAB);
    EXPECT_EQ(values[2], 0xF);
    EXPECT_EQ(values[3], (3 * 7) & 0xFF);
}

TEST(MemoryReply, RejectsValuesThatDoNotFitAByteAndMissingValues)
{
    std::vector<int> values;
    std::string reply = Dump();
    EXPECT_EQ(Parse(reply.replace(0, 2, "1FF"), &values), 0);  // a run of three digits
    reply = Dump();
    EXPECT_EQ(Parse(reply.replace(3, 3, "  "), &values), 0);   // an empty value
    // A cut reply: the values run out before 512, and nothing past the cut is read.
    EXPECT_EQ(Parse(Dump().substr(0, 1000), &values), 0);
    EXPECT_EQ(Parse(Dump().substr(0, 1535), &values), 0);
    EXPECT_EQ(Parse("", &values), 0);
}

TEST_F(ProtocolTest, ReadFillsTheImageAndTheWindow)
{
    Start(16);
    sim->engine.Poke(16 + 2, 201);           // channel 3: thermocouple type 1
    sim->engine.Poke(16 + 5, 176);           // channel 6: half bridge
    sim->engine.Poke(32 + 8 * 5 + 4, 0x80);  // channel 6's range gain word: 1 mV/V
    sim->engine.Poke(32 + 8 * 5 + 5, 0x00);
    std::fill(std::begin(aktuelle_daten), std::end(aktuelle_daten), 7);
    // A reply left unread by a frame sent while the link fault flag was set.
    com_fault = 1;
    send_byte_oD(0, 0);
    com_fault = 0;
    Mark();

    EXPECT_EQ(read_encoder(), 0);
    ExpectWrites({{0.0, "R"}, {0.1, "\r"}});
    for (int a = 0; a < 512; a++) ASSERT_EQ(aktuelle_daten[a], sim->engine.Peek(a)) << a;
    EXPECT_EQ(Ctrl(panel_rings[2])->value, 6);
    EXPECT_TRUE(Ctrl(panel_command_button[2])->dimmed);
    EXPECT_EQ(Ctrl(panel_rings[5])->value, 5);
    EXPECT_EQ(Ctrl(panel_checkbox[5])->value, 1);
    EXPECT_EQ(Ctrl(panel_rings[0])->value, 4);  // factory: 2 mV/V
    EXPECT_TRUE(Messages().empty());
    EXPECT_FALSE(platform::scripted::WaitCursorOn());
    EXPECT_FALSE(FileExists("temp.ctc"));  // the read is no acknowledged command
}

TEST_F(ProtocolTest, ReadWithoutReplyWaitsTwentySecondsAndKeepsTheImage)
{
    Start(16);
    sim->engine.AddFault({sim::FaultKind::NoReply, 1});
    aktuelle_daten[100] = 42;
    const std::string name = File_Name;

    EXPECT_EQ(read_encoder(), -1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "COM ERROR");
    EXPECT_NE(Messages()[0].text.find("COM1"), std::string::npos) << Messages()[0].text;
    EXPECT_NEAR(Messages()[0].time - t0, 0.2 + 20.0, 1e-9);
    EXPECT_EQ(aktuelle_daten[100], 42);
    EXPECT_EQ(com_fault, 0);
    EXPECT_EQ(File_Name, name);  // no restore
    EXPECT_FALSE(platform::scripted::WaitCursorOn());
}

TEST_F(ProtocolTest, RefusedReadShowsTheRefusalInTheUsersLanguage)
{
    Start(16, 1);
    sim->engine.AddFault({sim::FaultKind::Error, 1});
    aktuelle_daten[100] = 42;
    EXPECT_EQ(read_encoder(), -1);
    EXPECT_EQ(MessageList(), std::vector<std::string>{
                                 "COM ERROR|\tError\nThe last command could not be received "
                                 "correctly!\nPlease check the connection!"});
    EXPECT_EQ(aktuelle_daten[100], 42);
    EXPECT_EQ(com_fault, 0);
}

TEST_F(ProtocolTest, BrokenDumpsLeaveTheImageAndSaySo)
{
    Start(16);
    UseScriptedDevice();
    std::string above_255 = Dump();  // one value of three digits, one of one: OK stays at 1536
    above_255.replace(0, 2, "0").replace(2, 2, "1FF");
    ASSERT_EQ(above_255.find("OK"), 1536u);
    std::string short_reply = Dump();
    short_reply.replace(0, 2, "0");  // OK at 1535
    for (const std::string &reply :
         {above_255, short_reply, std::string("00 01 02 OK"), std::string("?#%&")}) {
        std::fill(std::begin(aktuelle_daten), std::end(aktuelle_daten), 9);
        device->replies.push_back(reply + "\r");
        platform::scripted::ClearJournal();
        EXPECT_EQ(read_encoder(), -1) << reply.substr(0, 20);
        EXPECT_TRUE(std::all_of(std::begin(aktuelle_daten), std::end(aktuelle_daten),
                                [](int v) { return v == 9; }))
            << reply.substr(0, 20);
        ASSERT_EQ(Messages().size(), 1u) << reply.substr(0, 20);
        EXPECT_EQ(Messages()[0].title, "COM ERROR");
        EXPECT_EQ(Messages()[0].text, txt::memory_unreadable.de);
    }
    EXPECT_FALSE(platform::scripted::WaitCursorOn());

    // The same device with a sound dump is read.
    device->replies.push_back(Dump() + "\r");
    EXPECT_EQ(read_encoder(), 0);
    EXPECT_EQ(aktuelle_daten[511], (511 * 7) & 0xFF);
}

// A reply over ten characters whose CR never comes: the rest is dropped once the line is
// quiet, not after the port's whole time-out, and the time-out holds again afterwards.
TEST_F(ProtocolTest, UnendedOverlongReplyEndsWhenTheLineIsQuiet)
{
    Start(16);
    UseScriptedDevice();
    device->replies.push_back("OK TRAILING-DATA");
    cal_on();
    EXPECT_NEAR(Now(), 0.1 + 0.2, 1e-9);
    EXPECT_EQ(com_fault, 0);  // judged by its first ten characters

    Mark();
    device->replies.push_back(Dump() + " TRAILING-DATA");
    EXPECT_EQ(read_encoder(), 0);
    EXPECT_NEAR(Now(), 0.2 + 0.2, 1e-9);
    EXPECT_EQ(aktuelle_daten[511], (511 * 7) & 0xFF);

    Mark();
    cal_on();  // unanswered: the whole-memory read's time-out
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_NEAR(Messages()[0].time - t0, 0.1 + 20.0, 1e-9);
}

}  // namespace
