// Write frames with and without D, the calibration-signal frames and the
// acknowledgement wait: bytes on the wire with their times, replies, the link fault flag.
#include <gtest/gtest.h>

#include <string>

#include "channels/hex.h"
#include "channels/image.h"
#include "documents/file_menu.h"
#include "ui/window.h"
#include "behaviour/protocol_fixture.h"
#include "link/protocol.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"

using namespace zektest;
using platform::scripted::Messages;
using platform::scripted::WaitCursorLog;

namespace {

const std::string REFUSAL_DE = "COM ERROR|\tFehler\nDas letzte Kommando wurde nicht richtig "
                               "empfangen!\nBitte Verbindung prüfen!";
const std::string REFUSAL_EN = "COM ERROR|\tError\nThe last command could not be received "
                               "correctly!\nPlease check the connection!";

TEST(HexPair, TwoUpperCaseDigitsOfTheLowByte)
{
    char pair[3];
    const struct {
        int value;
        const char *text;
    } cases[] = {{0, "00"}, {5, "05"}, {10, "0A"}, {0x0F, "0F"}, {0xA3, "A3"}, {255, "FF"},
                 {0x1AB, "AB"}, {-1, "FF"}};
    for (const auto &c : cases) {
        hex_pair(c.value, pair);
        EXPECT_STREQ(pair, c.text) << c.value;
    }
}

TEST_F(ProtocolTest, WriteWithDSendsPacedGroupsAndWaitsForBothReplies)
{
    Start();
    EXPECT_EQ(send_byte(0x1A3, 5), 0);
    ExpectWrites({{0.0, "01"}, {0.1, "A3"}, {0.2, "05"}, {0.3, "W"}, {0.4, "\r"},
                  {0.5, "D"}, {0.6, "\r"}});
    EXPECT_NEAR(Now(), 0.6, 1e-9);
    EXPECT_EQ(sim->engine.Peek(0x1A3), 5);
    EXPECT_EQ(sim->engine.Commits(), 1);
    EXPECT_EQ(com_fault, 0);
    EXPECT_TRUE(Messages().empty());
    // Each wait shows the wait cursor and hides it again.
    const auto &cursor = WaitCursorLog();
    ASSERT_EQ(cursor.size(), 4u);
    EXPECT_TRUE(cursor[0].second);
    EXPECT_FALSE(cursor[1].second);
    EXPECT_NEAR(cursor[0].first - t0, 0.5, 1e-9);
    EXPECT_FALSE(platform::scripted::WaitCursorOn());
}

TEST_F(ProtocolTest, WriteWithoutDPadsAndKeepsOnlyTheLowByte)
{
    Start();
    EXPECT_EQ(send_byte_oD(0x0A, 0x10F), 0);
    ExpectWrites({{0.0, "00"}, {0.1, "0A"}, {0.2, "0F"}, {0.3, "W"}, {0.4, "\r"}});
    EXPECT_EQ(sim->engine.Peek(0x0A), 0x0F);
    EXPECT_EQ(sim->engine.Commits(), 0);
    // Acknowledged: the image is stored as the acknowledged state.
    EXPECT_EQ(ReadFile("temp.ctc").size(), 800u);
}

TEST_F(ProtocolTest, WriteWithoutDWaitsTwentySecondsForAMissingReply)
{
    Start();
    sim->engine.AddFault({sim::FaultKind::NoReply, 1});
    EXPECT_EQ(send_byte_oD(16, 48), 1);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "COM ERROR");
    EXPECT_NEAR(Messages()[0].time - t0, 0.4 + 20.0, 1e-9);
    EXPECT_EQ(com_fault, 1);
}

TEST_F(ProtocolTest, FailedWriteReportsOnceThenSendsDWithoutWaiting)
{
    Start();
    WriteFile("temp.ctc", std::string(40, '0') + "b0" + std::string(758, '0'));
    aktuelle_daten[20] = 201;
    SetComTime(1, COM_TIMEOUT);
    sim->engine.AddFault({sim::FaultKind::NoReply, 1});

    EXPECT_EQ(send_byte(20, 201), 1);
    ExpectWrites({{0.0, "00"}, {0.1, "14"}, {0.2, "C9"}, {0.3, "W"}, {0.4, "\r"},
                  {20.5, "D"}, {20.6, "\r"}});
    EXPECT_NEAR(Now(), 20.6, 1e-9);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "COM ERROR");
    EXPECT_NE(Messages()[0].text.find("COM1"), std::string::npos) << Messages()[0].text;
    EXPECT_EQ(com_fault, 1);
    // The image and the window fall back to the acknowledged state.
    EXPECT_EQ(aktuelle_daten[20], 0xB0);
    EXPECT_EQ(Ctrl(panel_checkbox[4])->value, 1);
    EXPECT_STREQ(File_Name, "temp.ctc");
    EXPECT_FALSE(platform::scripted::WaitCursorOn());

    // While the flag is set: the same pacing, no waits, no further message.
    Mark();
    EXPECT_EQ(send_byte(21, 48), 1);
    EXPECT_EQ(send_byte_oD(22, 48), 1);
    cal_on();
    ExpectWrites({{0.0, "00"}, {0.1, "15"}, {0.2, "30"}, {0.3, "W"}, {0.4, "\r"},
                  {0.5, "D"}, {0.6, "\r"},
                  {0.6, "00"}, {0.7, "16"}, {0.8, "30"}, {0.9, "W"}, {1.0, "\r"},
                  {1.0, "C"}, {1.1, "\r"}});
    EXPECT_TRUE(Messages().empty());
    EXPECT_TRUE(WaitCursorLog().empty());
}

TEST_F(ProtocolTest, RefusedWriteShowsTheRefusalAndRestores)
{
    Start();
    WriteFile("temp.ctc", std::string(800, '0'));
    aktuelle_daten[16] = 176;
    sim->engine.AddFault({sim::FaultKind::Error, 1});

    EXPECT_EQ(send_byte(16, 176), 1);
    ExpectWrites({{0.0, "00"}, {0.1, "10"}, {0.2, "B0"}, {0.3, "W"}, {0.4, "\r"},
                  {0.5, "D"}, {0.6, "\r"}});
    ASSERT_EQ(MessageList().size(), 1u);
    EXPECT_EQ(MessageList()[0], REFUSAL_DE);
    EXPECT_EQ(aktuelle_daten[16], 0);
    EXPECT_STREQ(File_Name, "temp.ctc");
    EXPECT_EQ(com_fault, 1);
}

TEST_F(ProtocolTest, CalibrationSignalFrames)
{
    Start(16, 1);
    cal_on();
    ExpectWrites({{0.0, "C"}, {0.1, "\r"}});
    EXPECT_TRUE(sim->engine.CalibrationSignal());
    cal_off();
    EXPECT_FALSE(sim->engine.CalibrationSignal());
    EXPECT_EQ(Writes().back().bytes, "\r");
    EXPECT_EQ(Writes()[2].bytes, "U");

    sim->engine.AddFault({sim::FaultKind::Error, 0});
    cal_on();
    EXPECT_EQ(MessageList(), std::vector<std::string>{REFUSAL_EN});
    EXPECT_EQ(com_fault, 1);
}

// Replies the simulator never gives come from a scripted device.
TEST_F(ProtocolTest, AcknowledgementAcceptsOkInAnyCaseAndLongerOkReplies)
{
    Start();
    UseScriptedDevice();
    for (const char *reply : {"ok\r", "OKAY\r", "oK, done\r"}) {
        com_fault = 1;
        device->replies.push_back(reply);
        ComWrt(1, "\r", 1);
        std::remove("temp.ctc");
        EXPECT_EQ(ack_com(), 0) << reply;
        EXPECT_EQ(com_fault, 0) << reply;
        EXPECT_TRUE(FileExists("temp.ctc")) << reply;
    }
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProtocolTest, UnrecognisedRepliesChangeNothing)
{
    Start();
    UseScriptedDevice();
    aktuelle_daten[30] = 77;
    for (int fault : {0, 1}) {
        for (const char *reply : {"junk\r", "O\r", "ERRO\r", "\r", "?#%&\r"}) {
            com_fault = fault;
            device->replies.push_back(reply);
            ComWrt(1, "\r", 1);
            EXPECT_EQ(ack_com(), 0) << reply;
            EXPECT_EQ(com_fault, fault) << reply;
        }
    }
    EXPECT_FALSE(FileExists("temp.ctc"));
    EXPECT_EQ(aktuelle_daten[30], 77);
    EXPECT_STRNE(File_Name, "temp.ctc");
    EXPECT_TRUE(Messages().empty());
}

TEST_F(ProtocolTest, RefusalInAnyCaseWithTheFlagSetRestoresSilently)
{
    Start();
    UseScriptedDevice();
    WriteFile("temp.ctc", std::string(800, '0'));
    aktuelle_daten[30] = 77;
    com_fault = 1;
    device->replies.push_back("error\r");
    ComWrt(1, "\r", 1);
    EXPECT_EQ(ack_com(), 0);
    EXPECT_EQ(com_fault, 1);
    EXPECT_EQ(aktuelle_daten[30], 0);
    EXPECT_STREQ(File_Name, "temp.ctc");
    EXPECT_TRUE(Messages().empty());
}

// The first 10 characters are judged; the rest of the reply, up to its CR, is dropped,
// so that the next wait reads the reply to its own frame.
TEST_F(ProtocolTest, ReplyOverTenCharactersIsJudgedByItsFirstTen)
{
    Start();
    UseScriptedDevice();
    device->replies = {"0123456789ERROR\r", "OK\r"};
    EXPECT_EQ(send_byte(40, 1), 0);  // the "ERROR" in the tail answers nothing
    EXPECT_TRUE(Messages().empty());
    EXPECT_NEAR(Now(), 0.6, 1e-9);

    device->replies = {"OK, and more than ten\r", "ERROR\r"};
    EXPECT_EQ(send_byte(40, 1), 1);  // the write acknowledged, its D refused
    EXPECT_EQ(MessageList(), std::vector<std::string>{REFUSAL_DE});
}

}  // namespace

// A tally keeps the first reply that was not OK, for the whole operation it is held by:
// an inner tally (a record line within it) neither hides nor ends it.
TEST_F(ProtocolTest, ReplyTalliesKeepTheFirstFailureAndNest)
{
    Start();
    UseScriptedDevice();
    const ReplyTally outer;
    for (const char *reply : {"OK\r", "junk\r", "ERROR\r"}) {
        const ReplyTally inner;
        device->replies.push_back(reply);
        ComWrt(1, "\r", 1);
        ack_com();
        EXPECT_EQ(inner.first_failed, reply[0] == 'O'   ? reply_ok
                                      : reply[0] == 'j' ? reply_unreadable
                                                        : reply_refused)
            << reply;
    }
    EXPECT_EQ(outer.first_failed, reply_unreadable);
}
