// The configuration text: the writer (image -> textbuffer) and the reader
// (eingangsbuffer -> image) on their own.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "channels/image.h"
#include "channels/config_text.h"
#include "behaviour/documents_fixture.h"
#include "documents/file_menu.h"

using namespace doctest;

namespace {

class ConfigTextTest : public DocumentsTest {
protected:
    static void Input(const std::string &text)
    {
        std::memset(eingangsbuffer, 0, sizeof eingangsbuffer);
        std::memcpy(eingangsbuffer, text.data(), text.size());
    }
};

TEST_F(ConfigTextTest, WriterGivesTwoLowerCaseDigitsPerEntryWithoutEnd)
{
    aktuelle_daten[0] = 10;
    aktuelle_daten[1] = 255;
    aktuelle_daten[2] = 0;
    aktuelle_daten[3] = 0xAB;
    aktuelle_daten[399] = 0x5C;
    aktuelle_daten[400] = 0x77;  // not part of the text
    std::memset(textbuffer, 'x', sizeof textbuffer);
    format_i_s();
    std::string out(textbuffer);
    ASSERT_EQ(out.size(), 800u);
    EXPECT_EQ(out.substr(0, 8), "0aff00ab");
    EXPECT_EQ(out.substr(798), "5c");
    EXPECT_EQ(out.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_EQ(out, TextOfImage());
}

TEST_F(ConfigTextTest, WriterKeepsEightHundredCharactersForOutOfRangeEntries)
{
    // Only the low byte is written, as on the wire, so no entry can push the
    // following ones out of place.
    FillImage(5);
    aktuelle_daten[7] = 0x1FF;
    aktuelle_daten[8] = -1;
    format_i_s();
    std::string out(textbuffer);
    ASSERT_EQ(out.size(), 800u);
    EXPECT_EQ(out.substr(14, 4), "ffff");
    EXPECT_EQ(out, TextOfImage());
}

TEST_F(ConfigTextTest, WriterThenReaderRestoresEveryByteValue)
{
    FillImage(7);
    format_i_s();
    std::memcpy(eingangsbuffer, textbuffer, sizeof eingangsbuffer);
    std::vector<int> written = Image();
    std::memset(aktuelle_daten, 0, 400 * sizeof(int));
    einlesen_ini();
    EXPECT_EQ(Image(), written);
}

TEST_F(ConfigTextTest, ReaderLeavesEntriesWhosePairIsNotTwoHexDigits)
{
    FillImage(3);
    std::vector<int> before = Image();
    std::string text = TextOfPattern(9);
    text[20] = 'g';   // entry 10, high digit
    text[23] = ' ';   // entry 11, low digit
    Input(text.substr(0, 600));  // entries 300..399 missing (NUL)
    einlesen_ini();
    for (int k = 0; k < 400; k++) {
        int expected = (k == 10 || k == 11 || k >= 300) ? before[k] : PatternValue(k, 9);
        ASSERT_EQ(aktuelle_daten[k], expected) << k;
    }
}

TEST_F(ConfigTextTest, LineBreakShiftsEveryLaterPair)
{
    // The text has no line structure: a line end after entry 10 moves every later pair
    // one character on, so entry 11 sees "\n" plus a digit and later entries straddle
    // two pairs.
    FillImage(1);
    std::string text = TextOfPattern(17);
    Input(text.substr(0, 22) + "\n" + text.substr(22));
    einlesen_ini();
    for (int k = 0; k <= 10; k++) EXPECT_EQ(aktuelle_daten[k], PatternValue(k, 17)) << k;
    EXPECT_EQ(aktuelle_daten[11], PatternValue(11, 1));
    for (int k = 12; k < 400; k++) {
        int expected = (PatternValue(k - 1, 17) & 0xF) * 16 + (PatternValue(k, 17) >> 4);
        ASSERT_EQ(aktuelle_daten[k], expected) << k;
    }
}

}  // namespace
