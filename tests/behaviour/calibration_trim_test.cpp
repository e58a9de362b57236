// Calibration data: loading a bank (display and device switch) and trimming words.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "behaviour/calibration_fixture.h"
#include "platform/clock.h"
#include "ui/texts.h"

using namespace platform;
using zektest::CaliTest;
using Strings = std::vector<std::string>;

namespace {

// Ring indexes of the calibration ranges.
constexpr int TC1 = 0, TC2 = 1, SG = 2;

void PokeWord(sim::Engine &e, int address, int word)
{
    e.Poke(address, word & 0xFF);
    e.Poke(address + 1, word >> 8);
}

TEST_F(CaliTest, StrainGaugeBankSendsModeAndRangeWordsButKeepsTheImage)
{
    Start(16, 16);
    for (int i = 0; i < 16; i++)
        for (int b = 2; b < 6; b++) engine.Poke(32 + 8 * i + b, 0x10 * b + i);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    Clear();
    ASSERT_TRUE(Select(SG));
    Strings expected;
    for (int i = 0; i < 16; i++) {
        int a0 = 32 + 8 * i;
        for (const std::string &f : {W(16 + i, 0x30), std::string("D"), W(a0 + 2, 0x00),
                                     W(a0 + 3, 0x02), W(a0 + 4, 0x00), W(a0 + 5, 0x01),
                                     std::string("D")})
            expected.push_back(f);
        for (int b = 2; b < 6; b++) EXPECT_EQ(aktuelle_daten[a0 + b], 0x10 * b + i) << a0 + b;
        EXPECT_EQ(aktuelle_daten[16 + i], 0x30);
    }
    EXPECT_EQ(Frames(), expected);
    EXPECT_TRUE(scripted::Messages().empty());
}

TEST_F(CaliTest, ThermocoupleBanksSendOnlyTheModeBytes)
{
    Start(8, 4);  // four rows shown, eight device channels switched
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    Strings expected{"R"};
    for (int i = 0; i < 8; i++) expected.insert(expected.end(), {W(16 + i, 0xC9), "D"});
    EXPECT_EQ(Frames(), expected);
    Clear();
    ASSERT_TRUE(Select(TC2));
    expected.clear();
    for (int i = 0; i < 8; i++) expected.insert(expected.end(), {W(16 + i, 0xCA), "D"});
    EXPECT_EQ(Frames(), expected);
}

TEST_F(CaliTest, ShownValuesAndLimitsFollowTheBank)
{
    Start(16, 16);
    PokeWord(engine, 32, 32000);  // bank 0, channel 1
    PokeWord(engine, 38, 3900);
    PokeWord(engine, 40, 0);      // bank 0, channel 2
    PokeWord(engine, 46, 0);
    PokeWord(engine, 288, 20000);  // bank 2, channel 1
    PokeWord(engine, 294, 0xFFFF);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    ASSERT_TRUE(Select(SG));
    const Control &off1 = C(panel_numeric_off[0]), &gain1 = C(panel_numeric_gain[0]);
    EXPECT_EQ(off1.value, 0);
    EXPECT_EQ(gain1.value, 0);
    EXPECT_EQ(C(panel_numeric_off[1]).value, -32000);
    EXPECT_EQ(C(panel_numeric_gain[1]).value, -3900);
    EXPECT_EQ(off1.minValue, -32000);
    EXPECT_EQ(off1.maxValue, 33535);
    ASSERT_TRUE(Select(TC2));
    EXPECT_EQ(off1.value, 0);
    EXPECT_EQ(gain1.value, 61635);
    EXPECT_EQ(off1.minValue, -20000);
    EXPECT_EQ(off1.maxValue, 45535);
    EXPECT_EQ(gain1.minValue, -3900);
    EXPECT_EQ(gain1.maxValue, 61635);
}

TEST_F(CaliTest, TrimSendsLowByteThenHighByteWithD)
{
    Start(16, 16);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    ASSERT_TRUE(Select(TC2));
    struct Case {
        int ring, control, entry;
        Strings frames;
    } cases[] = {
        {TC2, panel_numeric_off[0], 5, {W(0x120, 0x25), W(0x121, 0x4E), "D"}},     // 20005
        {TC2, panel_numeric_gain[0], -1, {W(0x126, 0x3B), W(0x127, 0x0F), "D"}},   // 3899
        {SG, panel_numeric_off[0], 0, {W(0x20, 0x00), W(0x21, 0x7D), "D"}},        // 32000
        {SG, panel_numeric_gain[0], 0, {W(0x26, 0x3C), W(0x27, 0x0F), "D"}},       // 3900
        {SG, panel_numeric_off[2], 33535, {W(0x30, 0xFF), W(0x31, 0xFF), "D"}},    // 65535
        {SG, panel_numeric_gain[2], -3900, {W(0x36, 0x00), W(0x37, 0x00), "D"}},   // 0
    };
    for (const Case &c : cases) {
        if (C(PANEL_3_RING_Cali_Sel).value != c.ring) {
            ASSERT_TRUE(Select(c.ring));
        }
        Clear();
        ASSERT_TRUE(OperatorSetValue(cp, c.control, c.entry));
        EXPECT_EQ(Frames(), c.frames) << c.entry;
    }
    EXPECT_EQ(aktuelle_daten[0x30] + 256 * aktuelle_daten[0x31], 65535);
    EXPECT_EQ(engine.Peek(0x121), 0x4E);
    // Entries that would wrap the word are refused before anything is sent.
    Clear();
    EXPECT_FALSE(OperatorSetValue(cp, panel_numeric_off[0], 33536));
    EXPECT_FALSE(OperatorSetValue(cp, panel_numeric_gain[0], -3901));
    EXPECT_TRUE(Frames().empty());
}

TEST_F(CaliTest, EachNumericTrimsItsOwnChannel)
{
    Start(16, 16);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));  // thermocouple type 1: bank 1 at 160, offset base 23500
    Clear();
    Strings expected;
    for (int i = 0; i < 16; i++) {
        ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[i], 1));   // 23501 = 0x5BCD
        ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[i], 1));  // 3901 = 0x0F3D
        int a = 160 + 8 * i;
        expected.insert(expected.end(), {W(a, 0xCD), W(a + 1, 0x5B), "D", W(a + 6, 0x3D),
                                         W(a + 7, 0x0F), "D"});
    }
    EXPECT_EQ(Frames(), expected);
}

TEST_F(CaliTest, FailedWriteStopsLoadingWithOneMessage)
{
    Start(8, 8);
    ASSERT_NE(Open(), 0);
    engine.AddFault({sim::FaultKind::Error, engine.Frames() + 6, 0.0});  // channel 3's mode byte
    ASSERT_TRUE(Toggle(1));
    EXPECT_EQ(Frames(), (Strings{"R", W(16, 0xC9), "D", W(17, 0xC9), "D", W(18, 0xC9), "D"}));
    EXPECT_EQ(MessageList(), (Strings{std::string("COM ERROR|") + txt::refusal.de,
                                      "Schnittstellen-Fehler|Prüfen"}));
    EXPECT_EQ(C(PANEL_3_TOGGLEBUTTON_ACTIV).value, 1);
    EXPECT_FALSE(C(panel_numeric_off[7]).dimmed);
    EXPECT_EQ(engine.Peek(19), 0x30);
}

TEST_F(CaliTest, RefusedLowByteLeavesTheHighByteUnsent)
{
    Start(8, 8, 1);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    const int a = 88 + 8 + 6;  // bank 1, channel 2, gain word
    const int before = aktuelle_daten[a] + 256 * aktuelle_daten[a + 1];
    Clear();
    FailNext(sim::FaultKind::Error);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[1], 10));
    EXPECT_EQ(Frames(), Strings{W(a, 0x46)});  // 3910 = 0x0F46
    EXPECT_EQ(MessageList(), (Strings{std::string("COM ERROR|") + txt::refusal.en, "Port-Error|Check"}));
    EXPECT_EQ(aktuelle_daten[a] + 256 * aktuelle_daten[a + 1], before);
    EXPECT_EQ(com_fault, 1);
}

}  // namespace

namespace {

using Lines = std::vector<Strings>;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::WriteFile;

// The record's header and the lines of the writes that went out, each with how the
// device answered: range switches on enabling, then acknowledged, refused and
// unanswered trims.
TEST_F(CaliTest, RecordHasALineForEveryWriteWithTheDevicesAnswer)
{
    Start(8, 8);
    Strings modes;
    for (int i = 0; i < 8; i++) modes.push_back(std::to_string(engine.Peek(16 + i)));
    ASSERT_NE(Open(), 0);
    EXPECT_FALSE(FileExists(cal_record_file));  // opening writes nothing
    ASSERT_TRUE(Toggle(1));                      // thermocouple type 1, bank 1 at 88
    const int off2 = 88 + 8, gain3 = 88 + 16 + 6, gain4 = 88 + 24 + 6;
    const std::string before2 = std::to_string(engine.Peek(off2) + 256 * engine.Peek(off2 + 1));
    const std::string before3 = std::to_string(engine.Peek(gain3) + 256 * engine.Peek(gain3 + 1));
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[1], 7));  // 23507
    FailNext(sim::FaultKind::Error);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[2], -5));  // 3895, low byte refused
    const double lost = platform::ClockNow();
    engine.AddFault({sim::FaultKind::NoReply, engine.Frames() + 2, 0.0});  // high byte's reply
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_gain[3], 1));            // 3901
    EXPECT_GE(platform::ClockNow() - lost, COM_TIMEOUT);  // the wait ran its time-out

    const Lines lines = RecordLines();
    ASSERT_EQ(lines.size(), 1u + 8u + 3u);
    EXPECT_EQ(lines[0][0], txt::record_header[0].de);
    for (int i = 0; i < 8; i++) {
        const Strings &l = lines[1 + static_cast<size_t>(i)];
        ASSERT_EQ(l.size(), 9u);
        EXPECT_EQ(Strings(l.begin() + 1, l.end()),
                  (Strings{"COM1", "8", std::to_string(i + 1), "TE Typ 1", txt::record_range.de,
                           modes[static_cast<size_t>(i)], "201", txt::record_acknowledged.de}));
    }
    EXPECT_EQ(Strings(lines[9].begin() + 3, lines[9].end()),
              (Strings{"2", "TE Typ 1", txt::record_offset.de, before2, "23507",
                       txt::record_acknowledged.de}));
    EXPECT_EQ(Strings(lines[10].begin() + 3, lines[10].end()),
              (Strings{"3", "TE Typ 1", txt::record_gain.de, before3, "3895",
                       txt::record_refused.de}));
    EXPECT_EQ(lines[11][3], "4");
    EXPECT_EQ(lines[11][8], txt::record_no_reply.de);
    for (size_t k = 1; k < lines.size(); k++) {
        const std::string &t = lines[k][0];  // local time, ISO 8601 to the second
        EXPECT_TRUE(t.size() == 19 && t[4] == '-' && t[7] == '-' && t[10] == 'T' && t[13] == ':' &&
                    t[16] == ':')
            << t;
    }
    EXPECT_EQ(engine.Peek(gain4 + 1), 0x0F);  // the unanswered write went out all the same

    // The table: newest first, filtered by channel.
    ASSERT_TRUE(OperatorClosePanel(cp));
    ASSERT_TRUE(OperatorChooseMenu(GetPanelMenuBar(panel_handle), MENU_cal_record));
    ASSERT_FALSE(scripted::Reports().empty());
    const scripted::ReportRecord &shown = scripted::Reports().back();
    EXPECT_EQ(shown.filterColumn, 3);
    EXPECT_EQ(shown.allLabel, "alle");
    ASSERT_EQ(shown.content.rows.size(), 11u);
    EXPECT_EQ(shown.content.rows.front(), lines.back());
    EXPECT_EQ(shown.content.rows.back(), lines[1]);
}

// The file is only ever appended to. A torn last line is closed first; a file that
// cannot be read or is not a record is left alone, reported once per session, and the
// lines wait until the record can be written; the calibration goes on all the same.
TEST_F(CaliTest, RecordIsOnlyAppendedAndKeepsItsLinesWhileItCannotBeWritten)
{
    Start(8, 8);
    const std::string torn = "\xEF\xBB\xBFZeit,Schnittstelle,Kanalzahl,Kanal,Kalibrationsbereich,"
                             "Geschrieben,Vorher,Gesendet,Ergebnis\r\n2026-01-01T10:00";
    WriteFile(cal_record_file, torn);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    std::string text = ReadFile(cal_record_file);
    EXPECT_EQ(text.substr(0, torn.size() + 2), torn + "\r\n");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 1 + 8);

    std::filesystem::remove(cal_record_file);
    std::filesystem::create_directory(cal_record_file);  // cannot be read nor appended to
    Clear();
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[0], 1));
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[1], 1));
    EXPECT_EQ(Frames().size(), 6u);  // both trims went out
    ASSERT_EQ(scripted::Messages().size(), 1u);
    EXPECT_EQ(scripted::Messages()[0].title, "Kalibrierprotokoll");
    EXPECT_NE(scripted::Messages()[0].text.find(cal_record_file), std::string::npos)
        << scripted::Messages()[0].text;

    const std::string foreign = "name;value\r\nx;1\r\n";
    std::filesystem::remove(cal_record_file);
    WriteFile(cal_record_file, foreign);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[2], 1));
    EXPECT_EQ(ReadFile(cal_record_file), foreign);
    EXPECT_EQ(scripted::Messages().size(), 1u);  // once per session
    ASSERT_TRUE(OperatorClosePanel(cp));
    ASSERT_TRUE(OperatorChooseMenu(GetPanelMenuBar(panel_handle), MENU_cal_record));
    EXPECT_TRUE(scripted::Reports().empty());  // not shown as a record
    EXPECT_EQ(scripted::Messages().size(), 2u);

    std::filesystem::remove(cal_record_file);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));  // eight more lines; the three waiting trims go with them
    const Lines lines = RecordLines();
    ASSERT_EQ(lines.size(), 1u + 3u + 8u);
    for (size_t k = 1; k <= 3; k++) EXPECT_EQ(lines[k][3], std::to_string(k)) << k;
    EXPECT_EQ(lines[4][5], txt::record_range.de);
}

// While the record cannot be written, at most record_waiting_max lines wait and the
// operator hears once that later ones are dropped. At exit the waiting lines are written
// once more, and the operator hears how many of the session's lines are lost.
TEST_F(CaliTest, RecordTriesAgainAtExitAndCountsTheLinesItLost)
{
    std::vector<std::string> shown;
    scripted::OnMessage([&shown](const scripted::PopupRecord &m) { shown.push_back(m.text); });
    record_waiting_max = 40;
    const int loads = 6;  // eight lines each: eight too many
    scripted::QueueStep([&] {
        std::filesystem::create_directory(cal_record_file);  // cannot be appended to
        ASSERT_NE(Open(), 0);
        ASSERT_TRUE(Toggle(1));
        for (int k = 1; k < loads; k++) ASSERT_TRUE(Select(k % 2));
        EXPECT_EQ(shown.size(), 2u);  // not written; lines dropped
        std::filesystem::remove(cal_record_file);
    });
    Start(8, 8);  // runs the steps and the exit
    scripted::OnMessage(nullptr);

    EXPECT_EQ(RecordLines().size(), 1u + 40u);
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown.back(), format_text(txt::record_lost, 8, cal_record_file));
}

}  // namespace
