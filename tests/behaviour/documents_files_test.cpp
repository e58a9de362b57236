// File menu commands New, Open, Save and Save as on the running program.
#include <gtest/gtest.h>
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "app/shell.h"
#include "documents/file_menu.h"
#include "platform/report.h"
#include "ui/window.h"
#include "behaviour/documents_fixture.h"
#include "channels/image.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"

using namespace doctest;
using platform::scripted::AnswerConfirm;
using platform::scripted::AnswerFileSelect;
using platform::scripted::PopupRecord;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::WriteFile;

namespace {

using DocumentFilesTest = DocumentsTest;

TEST_F(DocumentFilesTest, SaveAsThenOpenRestoresEntriesBelow400Only)
{
    ASSERT_EQ(StartUp(), 0);
    FillImage(7);
    std::string saved = TextOfImage();
    AnswerFileSelect(1, Path("rig.cfg"));
    ASSERT_TRUE(Menu(MENU_save_as));

    std::string file = ReadFile("rig.cfg");
    EXPECT_EQ(file, saved);
    EXPECT_EQ(file.size(), 800u);
    EXPECT_EQ(file.find_first_not_of("0123456789abcdef"), std::string::npos);

    FillImage(9);
    AnswerFileSelect(1, Path("rig.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 7)) << k;
    for (int k = 400; k < 512; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 9)) << k;
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DocumentFilesTest, OpenShowsTheDocumentInTheWindow)
{
    ASSERT_EQ(StartUp(), 0);
    ShowableImage();
    WriteFile("show.cfg", TextOfImage());
    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
    AnswerFileSelect(1, Path("show.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    std::vector<RowState> rows = Rows();
    EXPECT_EQ(rows[0], (RowState{6, 0, 1, 1}));
    EXPECT_EQ(rows[1], (RowState{4, 1, 0, 0}));
    EXPECT_EQ(rows[2], (RowState{3, 0, 0, 0}));
}

TEST_F(DocumentFilesTest, OpenUsesTheFirst800CharactersInEitherCase)
{
    ASSERT_EQ(StartUp(), 0);
    std::string upper = TextOfPattern(11);
    for (char &c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    // Far longer than the input buffer: the rest is never read into it.
    WriteFile("long.cfg", upper + TextOfPattern(13) + std::string(5000, 'z'));
    AnswerFileSelect(1, Path("long.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 11)) << k;
    EXPECT_EQ(File_Name, Path("long.cfg"));
    EXPECT_TRUE(Messages().empty());
}

struct Malformed {
    const char *what;
    std::string content;
};

void PrintTo(const Malformed &m, std::ostream *os) { *os << m.what; }

class OpenMalformedTest : public DocumentFilesTest,
                          public ::testing::WithParamInterface<Malformed> {};

TEST_P(OpenMalformedTest, ChangesNothingAndNamesTheFile)
{
    WriteFile("last.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    ShowableImage();
    ini_panel_1();
    std::vector<int> image = Image();
    std::vector<RowState> rows = Rows();
    WriteFile("bad.cfg", GetParam().content);
    platform::scripted::ClearJournal();

    AnswerFileSelect(1, Path("bad.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(Rows(), rows);
    EXPECT_STREQ(File_Name, "last.cfg");
    EXPECT_EQ(Title(), "last.cfg");
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "ZEK Konfiguration");
    EXPECT_EQ(Messages()[0].text.rfind(Path("bad.cfg") + "\n", 0), 0u) << Messages()[0].text;
    EXPECT_NE(Messages()[0].text.find("keine Konfigurationsdatei"), std::string::npos);
}

std::string WithAt(size_t at, const std::string &insert)
{
    std::string text = TextOfPattern(5);
    return text.substr(0, at) + insert + text.substr(at);
}

INSTANTIATE_TEST_SUITE_P(
    Documents, OpenMalformedTest,
    ::testing::Values(Malformed{"empty", ""},
                      Malformed{"short", TextOfPattern(5).substr(0, 799)},
                      Malformed{"letter_g", WithAt(500, "g").substr(0, 800)},
                      Malformed{"line_break", WithAt(100, "\r\n")},
                      Malformed{"nul_byte", WithAt(0, std::string(1, '\0'))},
                      Malformed{"prose", std::string(900, 'x')}),
    [](const auto &param_info) { return std::string(param_info.param.what); });

TEST_F(DocumentFilesTest, RefusalIsInTheCurrentLanguage)
{
    ASSERT_EQ(StartUp(), 0);
    sprache = 1;
    WriteFile("notes.cfg", "hello");
    AnswerFileSelect(1, Path("notes.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "ZEK Configuration");
    EXPECT_EQ(Messages()[0].text.rfind(Path("notes.cfg") + "\nis not a configuration file", 0),
              0u);
}

TEST_F(DocumentFilesTest, OpenOfAFileThatCannotBeReadReportsAndChangesNothing)
{
    ASSERT_EQ(StartUp(), 0);
    FillImage(3);
    std::vector<int> image = Image();
    AnswerFileSelect(1, Path("gone.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    // Open, size and read each report the failed open.
    ASSERT_EQ(Messages().size(), 3u);
    for (const auto &m : Messages()) {
        EXPECT_EQ(m.title, "");
        EXPECT_NE(m.text.find("gone.cfg"), std::string::npos) << m.text;
    }
    EXPECT_EQ(Image(), image);
    EXPECT_STREQ(File_Name, "last.cfg");
    EXPECT_EQ(Title(), "last.cfg");
    EXPECT_FALSE(FileExists("gone.cfg"));
}

TEST_F(DocumentFilesTest, CancelledDialogsChangeNothing)
{
    ASSERT_EQ(StartUp(), 0);
    FillImage(3);
    std::vector<int> image = Image();
    std::vector<std::string> files = DirectoryNames();
    ASSERT_TRUE(Menu(MENU_open));  // no answer queued: cancel
    const auto &open = platform::scripted::Popups().back();
    EXPECT_EQ(open.fileSpec, "*.cfg");
    EXPECT_FALSE(open.saveButton);
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 2);
    EXPECT_TRUE(Messages().empty());
    EXPECT_EQ(Image(), image);
    EXPECT_STREQ(File_Name, "last.cfg");
    EXPECT_EQ(DirectoryNames(), files);
}

TEST_F(DocumentFilesTest, NameAndTitleAfterEachOperation)
{
    ASSERT_EQ(StartUp(), 0);
    EXPECT_STREQ(File_Name, "last.cfg");
    EXPECT_EQ(Title(), "last.cfg");

    ASSERT_TRUE(Menu(MENU_new));  // answered No
    EXPECT_STREQ(File_Name, "unnamed.cfg");
    EXPECT_EQ(Title(), "last.cfg");  // until the window gains the focus
    ASSERT_TRUE(Focus());
    EXPECT_EQ(Title(), "unnamed.cfg");

    WriteFile("a.cfg", TextOfPattern(1));
    AnswerFileSelect(1, Path("a.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    EXPECT_EQ(File_Name, Path("a.cfg"));
    EXPECT_EQ(Title(), Path("a.cfg"));  // at once
    EXPECT_EQ(kopfzeile, Path("a.cfg"));

    AnswerFileSelect(1, Path("b.cfg"));
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(File_Name, Path("b.cfg"));
    EXPECT_EQ(Title(), Path("a.cfg"));
    ASSERT_TRUE(Focus());
    EXPECT_EQ(Title(), Path("b.cfg"));

    ASSERT_TRUE(Menu(MENU_save));
    EXPECT_EQ(File_Name, Path("b.cfg"));
    EXPECT_EQ(Title(), Path("b.cfg"));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 2);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DocumentFilesTest, SaveAfterStartUpOverwritesLastCfgWithoutDialog)
{
    WriteFile("last.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    ASSERT_TRUE(Menu(MENU_save));
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(5));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 0);
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DocumentFilesTest, SaveAfterNewProposesUnnamedUnlessItExists)
{
    ASSERT_EQ(StartUp(), 0);
    sprache = 1;
    ASSERT_TRUE(Menu(MENU_new));
    ASSERT_TRUE(Menu(MENU_save));  // cancelled
    const auto &popups = platform::scripted::Popups();
    ASSERT_EQ(popups.back().kind, PopupRecord::FileSelect);
    EXPECT_EQ(popups.back().fileSpec, "unnamed.cfg");
    EXPECT_EQ(popups.back().title, "Speichern unter");
    EXPECT_TRUE(popups.back().saveButton);
    EXPECT_FALSE(FileExists("unnamed.cfg"));

    WriteFile("unnamed.cfg", "old");
    FillImage(3);
    platform::scripted::ClearJournal();
    ASSERT_TRUE(Menu(MENU_save));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 0);
    EXPECT_EQ(ReadFile("unnamed.cfg"), TextOfPattern(3));
}

TEST_F(DocumentFilesTest, NewAsksAndSavesOnYesWithoutTouchingTheImage)
{
    WriteFile("last.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    std::vector<int> image = Image();

    AnswerConfirm(1);
    ASSERT_TRUE(Menu(MENU_new));  // Yes: saved under the current, existing name
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(5));
    EXPECT_STREQ(File_Name, "unnamed.cfg");
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 0);

    FillImage(9);
    AnswerConfirm(0);
    ASSERT_TRUE(Menu(MENU_new));  // No: nothing saved
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(5));
    EXPECT_FALSE(FileExists("unnamed.cfg"));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 0);

    std::vector<PopupRecord> confirms;
    for (const auto &p : platform::scripted::Popups())
        if (p.kind == PopupRecord::Confirm) confirms.push_back(p);
    ASSERT_EQ(confirms.size(), 2u);
    EXPECT_EQ(confirms[0].title, "ZEK Konfiguration");
    EXPECT_EQ(confirms[0].text, "Änderungen gespeichert?");

    sprache = 1;
    ASSERT_TRUE(Menu(MENU_new));
    EXPECT_EQ(platform::scripted::Popups().back().title, "ZEK Configuration");
    EXPECT_EQ(platform::scripted::Popups().back().text, "Changes saved?");
}

TEST_F(DocumentFilesTest, NewWithYesAndCancelledSaveAsStillEndsUnnamed)
{
    ASSERT_EQ(StartUp(), 0);
    // The current document has been removed meanwhile: Save asks for a name.
    std::snprintf(File_Name, sizeof File_Name, "%s", Path("elsewhere.cfg").c_str());
    AnswerConfirm(1);
    ASSERT_TRUE(Menu(MENU_new));  // the Save as dialog is cancelled
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 1);
    EXPECT_EQ(platform::scripted::Popups().back().fileSpec, Path("elsewhere.cfg"));
    EXPECT_STREQ(File_Name, "unnamed.cfg");
    EXPECT_FALSE(FileExists("elsewhere.cfg"));
    EXPECT_TRUE(Messages().empty());
}

TEST_F(DocumentFilesTest, FailedSaveKeepsTheOldFullTextAndReportsOnce)
{
    WriteFile("last.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    std::vector<std::string> files = DirectoryNames();
    FillImage(5);
    platform::InjectFileWriteFailure(true);
    ASSERT_TRUE(Menu(MENU_save));
    platform::InjectFileWriteFailure(false);
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(3));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "");
    EXPECT_NE(Messages()[0].text.find("last.cfg"), std::string::npos) << Messages()[0].text;
    EXPECT_EQ(DirectoryNames(), files);  // no half-written replacement left behind

    ASSERT_TRUE(Menu(MENU_save));
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(5));
}

TEST_F(DocumentFilesTest, FailedSaveAsReportsAndKeepsNameAndOldFile)
{
    WriteFile("rig.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    platform::InjectFileWriteFailure(true);
    AnswerFileSelect(1, Path("rig.cfg"));
    AnswerFileSelect(1, Path("new.cfg"));
    ASSERT_TRUE(Menu(MENU_save_as));
    ASSERT_TRUE(Menu(MENU_save_as));
    platform::InjectFileWriteFailure(false);
    EXPECT_EQ(ReadFile("rig.cfg"), TextOfPattern(3));
    EXPECT_FALSE(FileExists("new.cfg"));
    ASSERT_EQ(Messages().size(), 2u);
    EXPECT_NE(Messages()[0].text.find("rig.cfg"), std::string::npos);
    EXPECT_NE(Messages()[1].text.find("new.cfg"), std::string::npos);
    EXPECT_STREQ(File_Name, "last.cfg");
}

// After a failed exchange the document is "temp.ctc": Save as offers it as a ".cfg"
// document, and a name typed without an extension is saved as one, so Open lists it.
TEST_F(DocumentFilesTest, SaveAsOffersAndAddsTheDocumentExtension)
{
    ASSERT_EQ(StartUp(), 0);
    std::snprintf(File_Name, sizeof File_Name, "%s", "temp.ctc");
    FillImage(5);
    AnswerFileSelect(1, Path("rig1"));
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(platform::scripted::Popups().back().fileSpec, "temp.cfg");
    EXPECT_EQ(ReadFile("rig1.cfg"), TextOfPattern(5));
    EXPECT_FALSE(FileExists("rig1"));
    EXPECT_EQ(File_Name, Path("rig1.cfg"));

    AnswerFileSelect(1, Path("rig2.txt"));  // an extension typed is kept
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(ReadFile("rig2.txt"), TextOfPattern(5));
    EXPECT_TRUE(Messages().empty());
}

// A save keeps a hard link whole (both names show the new text); a temporary file that
// a live write holds stays through every clean-up, and one that a kill left beside a
// document in another folder goes at the next save there.
TEST_F(DocumentFilesTest, SaveKeepsHardLinksAndRemovesOnlyUnheldTemporaryFiles)
{
    std::filesystem::create_directory(Path("docs"));
    WriteFile("docs/rig.cfg", TextOfPattern(3));
    std::filesystem::create_hard_link(Path("docs/rig.cfg"), Path("docs/also.cfg"));
    WriteFile("docs/.zek-write-a1b2c3", "left by a kill");
    ASSERT_EQ(StartUp(), 0);
    const int live = CVI_OpenFile(Path("live.cfg").c_str(), VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(live, 0);
    FillImage(5);
    AnswerFileSelect(1, Path("docs/rig.cfg"));
    ASSERT_TRUE(Menu(MENU_save_as));
    RemoveStaleWriteFiles();  // as a second program's start-up would
    EXPECT_EQ(ReadFile("docs/also.cfg"), TextOfPattern(5));
    EXPECT_FALSE(FileExists("docs/.zek-write-a1b2c3"));

    ASSERT_EQ(CVI_WriteFile(live, "live", 4), 4);
    EXPECT_EQ(CVI_CloseFile(live), 0);
    EXPECT_EQ(ReadFile("live.cfg"), "live");
    EXPECT_EQ(DirectoryNames(), (std::vector<std::string>{"config.ctc", "docs", "last.cfg", "live.cfg",
                                                          "zek-config.state"}));
    EXPECT_TRUE(Messages().empty());
}

// The configuration sheet is offered under the document's name with ".pdf" (characters
// a file name cannot hold replaced), gets ".pdf" when no extension is typed, and a name
// or folder it cannot be written to is reported with nothing written and an existing
// sheet kept whole.
TEST_F(DocumentFilesTest, ConfigurationSheetIsNamedAfterTheDocumentAndNeverHalfWritten)
{
    ASSERT_EQ(StartUp(), 0);
    const std::string document = Path("rig:7?.cfg");
    std::snprintf(File_Name, sizeof File_Name, "%s", document.c_str());
    AnswerFileSelect(1, Path("sheet"));
    ASSERT_TRUE(Menu(MENU_config_sheet));
    ASSERT_EQ(PopupsOf(PopupRecord::FileSelect), 1);
    EXPECT_EQ(platform::scripted::Popups().back().fileSpec, "rig_7_.pdf");
    EXPECT_TRUE(platform::scripted::Popups().back().saveButton);
    const std::string sheet = ReadFile("sheet.pdf");
    EXPECT_NE(sheet.find("Dokument: " + document), std::string::npos) << sheet;
    EXPECT_EQ(sheet.substr(0, 5), "%PDF-");
    EXPECT_EQ(configuration_sheet().rows.size(), 8u);  // rows displayed
    EXPECT_TRUE(Messages().empty());

    const std::vector<std::string> files = DirectoryNames();
    AnswerFileSelect(1, Path("a|b.pdf"));
    AnswerFileSelect(1, Path("missing/sheet.pdf"));
    AnswerFileSelect(1, Path("sheet.pdf"));
    ASSERT_TRUE(Menu(MENU_config_sheet));
    ASSERT_TRUE(Menu(MENU_config_sheet));
    platform::InjectFileWriteFailure(true);
    ASSERT_TRUE(Menu(MENU_config_sheet));
    platform::InjectFileWriteFailure(false);
    EXPECT_EQ(ReadFile("sheet.pdf"), sheet);
    EXPECT_EQ(DirectoryNames(), files);
    ASSERT_EQ(Messages().size(), 3u);
    EXPECT_NE(Messages()[0].text.find("a|b.pdf"), std::string::npos) << Messages()[0].text;
    for (int k : {1, 2}) {
        EXPECT_EQ(Messages()[k].title, "");
        EXPECT_NE(Messages()[k].text.find(k == 1 ? "missing/sheet.pdf" : "sheet.pdf"),
                  std::string::npos)
            << Messages()[k].text;
    }
}

// What the File menu's recent items show: the label of each visible one, in order.
std::string LastPart(const std::string &path) { return path.substr(path.find_last_of("/\\") + 1); }

// The recent list as shown: each entry's number and the name of its file. A long path is
// shown with its middle left out, so only the name at its end is compared.
std::vector<std::string> RecentLabels(int bar)
{
    std::vector<std::string> labels;
    for (int item = MENU_recent_1; item <= MENU_recent_4; item++) {
        const platform::MenuEntry *e = platform::FindMenuEntry(bar, item);
        if (e->visible) labels.push_back(e->label.substr(0, 4) + LastPart(e->label));
    }
    return labels;
}

// The last four documents opened or saved, newest first, across a restart; a path that is
// not UTF-8 and holds a space and a '%' comes back byte for byte; a gone one leaves.
TEST_F(DocumentFilesTest, RecentDocumentsOpenByNumberAndSurviveARestart)
{
    ASSERT_EQ(StartUp(), 0);
    EXPECT_TRUE(RecentLabels(Bar()).empty());
    EXPECT_FALSE(platform::FindMenuEntry(Bar(), MENU_SEPARATOR_8)->visible);
    EXPECT_FALSE(Menu(MENU_recent_1));
    // A name with a blank and a percent sign, and on POSIX bytes that are not UTF-8; a
    // Windows name is UTF-16, so there it holds characters beyond ASCII instead.
#ifdef _WIN32
    const std::string odd = Path("r\xc3\xa9sum\xc3\xa9 5%.cfg");
#else
    const std::string odd = Path("r\xe9sum\xff 5%.cfg");
#endif
    const std::vector<std::string> names = {Path("a.cfg"), Path("b.cfg"), odd, Path("d.cfg")};
    for (size_t k = 0; k < names.size(); k++) {
        FillImage(static_cast<int>(k) + 1);
        AnswerFileSelect(1, names[k]);
        ASSERT_TRUE(Menu(MENU_save_as));
    }
    WriteFile("e.cfg", TextOfPattern(9));
    AnswerFileSelect(1, Path("e.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    EXPECT_EQ(RecentLabels(Bar()), (std::vector<std::string>{"__1 e.cfg", "__2 d.cfg",
                                                             "__3 " + LastPart(odd), "__4 b.cfg"}));

    ResetProgramState();
    platform::ResetUserInterface();
    platform::ResetEventLoop();
    ASSERT_EQ(StartUp(), 0);
    EXPECT_TRUE(platform::FindMenuEntry(Bar(), MENU_SEPARATOR_8)->visible);
    ASSERT_TRUE(Menu(MENU_recent_3));
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 3)) << k;
    EXPECT_EQ(File_Name, odd);
    EXPECT_EQ(Title(), odd);
    EXPECT_EQ(RecentLabels(Bar())[0], "__1 " + LastPart(odd));

    std::filesystem::remove(names[3]);
    const std::vector<int> image = Image();
    ASSERT_TRUE(Menu(MENU_recent_3));
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].text, format_text(txt::recent_gone, names[3].c_str()));
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(File_Name, odd);
    EXPECT_EQ(RecentLabels(Bar()).size(), 3u);
    EXPECT_FALSE(platform::FindMenuEntry(Bar(), MENU_recent_4)->visible);
}

// A file dialog that fails ends the program with status 1 after the message, having
// written the exit backup and the settings as quitting does.
class DocumentFilesDeathTest : public DocumentFilesTest {
protected:
    void StartAndChange()
    {
        WriteFile("last.cfg", TextOfPattern(3));
        ASSERT_EQ(StartUp(), 0);
        settings = ReadFile("config.ctc");
        FillImage(5);
        sprache = 1;  // the settings file must keep it
        platform::scripted::OnMessage([](const PopupRecord &m) {
            std::fprintf(stderr, "message [%s] %s\n", m.title.c_str(), m.text.c_str());
        });
    }
    void ExpectSessionKept(char language)
    {
        EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(5));
        EXPECT_EQ(ReadFile("config.ctc"), language + settings.substr(1));
    }
    std::string settings;
};

TEST_F(DocumentFilesDeathTest, OpenDialogFailure)
{
    StartAndChange();
    EXPECT_EXIT({
        AnswerFileSelect(-1);
        Menu(MENU_open);
    }, ::testing::ExitedWithCode(1), "message \\[\\] File Error");
    ExpectSessionKept(1);
}

TEST_F(DocumentFilesDeathTest, SaveAsDialogFailure)
{
    StartAndChange();
    sprache = 0;
    EXPECT_EXIT({
        AnswerFileSelect(-1);
        Menu(MENU_save_as);
    }, ::testing::ExitedWithCode(1), "message \\[\\] Datei Fehler!");
    ExpectSessionKept(0);
}

TEST_F(DocumentFilesDeathTest, DialogFailureAfterNew)
{
    StartAndChange();
    EXPECT_EXIT({
        AnswerConfirm(0);
        AnswerConfirm(1);
        AnswerFileSelect(-1);
        Menu(MENU_new);  // No: the name becomes "unnamed.cfg"
        Menu(MENU_new);  // Yes: Save finds no "unnamed.cfg" and opens Save as
    }, ::testing::ExitedWithCode(1), "message \\[\\] File Error");
    ExpectSessionKept(1);
}

}  // namespace

