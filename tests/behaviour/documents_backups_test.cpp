// Exit backup "last.cfg" and acknowledged-state file "temp.ctc", directly and through
// the frames of the command protocol against the in-process simulator.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "channels/acknowledged.h"
#include "documents/file_menu.h"
#include "ui/window.h"
#include "behaviour/documents_fixture.h"
#include "channels/image.h"
#include "documents/backups.h"
#include "link/protocol.h"
#include "platform/serial/testing.h"
#include "platform/files.h"
#include "platform/files/testing.h"
#include "platform/frontend.h"
#include "platform/rs232.h"
#include "platform/frontend/scripted/scripted.h"
#include "sim/engine.h"
#include "sim/sim_serial.h"

using namespace doctest;
using platform::scripted::AnswerFileSelect;
using platform::scripted::PopupRecord;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::WriteFile;

namespace {

class BackupsTest : public DocumentsTest {
protected:
    // A second run of the program in the same working directory.
    int Restart()
    {
        platform::ResetUserInterface();
        platform::ResetEventLoop();
        return StartUp();
    }
    static bool Close() { return platform::OperatorClosePanel(panel_handle); }
};

TEST_F(BackupsTest, FirstStartInAnEmptyDirectory)
{
    ASSERT_EQ(StartUp(), 0);
    EXPECT_TRUE(FileExists("last.cfg"));
    EXPECT_EQ(ReadFile("last.cfg"), "");
    EXPECT_EQ(Image(), std::vector<int>(512, 0));
    EXPECT_STREQ(File_Name, "last.cfg");
    EXPECT_EQ(Title(), "last.cfg");
    EXPECT_TRUE(Messages().empty());

    ASSERT_TRUE(Close());
    EXPECT_TRUE(platform::QuitRequested());
    EXPECT_EQ(ReadFile("last.cfg"), std::string(800, '0'));
}

TEST_F(BackupsTest, NextStartRestoresImageAndWindowOfTheLastExit)
{
    ASSERT_EQ(StartUp(), 0);
    FillImage(7);
    ShowableImage();
    for (int k = 100; k < 512; k++) aktuelle_daten[k] = PatternValue(k, 7);
    std::vector<int> closed = Image();
    ASSERT_TRUE(Close());

    std::memset(aktuelle_daten, 0, sizeof aktuelle_daten);
    for (int k = 400; k < 512; k++) aktuelle_daten[k] = 0x11;
    ASSERT_EQ(Restart(), 0);
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], closed[k]) << k;
    for (int k = 400; k < 512; k++) ASSERT_EQ(aktuelle_daten[k], 0x11) << k;
    std::vector<RowState> rows = Rows();
    EXPECT_EQ(rows[0], (RowState{6, 0, 1, 1}));
    EXPECT_EQ(rows[1], (RowState{4, 1, 0, 0}));
    EXPECT_EQ(rows[2], (RowState{3, 0, 0, 0}));
    EXPECT_EQ(Title(), "last.cfg");

    // Quit writes the same backup.
    FillImage(9);
    ASSERT_TRUE(Menu(MENU_quit));
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(9));
    EXPECT_EQ(platform::WrittenFiles().at(platform::WrittenFiles().size() - 2), "last.cfg");
}

TEST_F(BackupsTest, FailedExitBackupKeepsTheOldTextAndTheExitCompletes)
{
    WriteFile("last.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    platform::InjectFileWriteFailure(true);
    ASSERT_TRUE(Close());
    EXPECT_TRUE(platform::QuitRequested());
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_EQ(Messages()[0].title, "");
    EXPECT_NE(Messages()[0].text.find("last.cfg"), std::string::npos) << Messages()[0].text;
    platform::InjectFileWriteFailure(false);
    EXPECT_EQ(ReadFile("last.cfg"), TextOfPattern(3));
}

TEST_F(BackupsTest, WorkingDirectoryWhereNoFileCanBeCreated)
{
    // The working directory is removed under the program, so no file can be created
    // there, whoever runs the test. Windows keeps a working directory in use (EACCES).
    if (rmdir(dir.c_str()) != 0 && errno == EACCES)
        GTEST_SKIP() << "this system does not remove a working directory in use";
    ASSERT_FALSE(std::filesystem::exists(dir));
    FillImage(3);
    std::vector<int> image = Image();
    ASSERT_EQ(StartUp(), 0);
    // The restore reports the open, the size and the read, then goes on.
    ASSERT_EQ(Messages().size(), 3u);
    for (const auto &m : Messages()) EXPECT_NE(m.text.find("last.cfg"), std::string::npos);
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(Title(), "last.cfg");

    platform::scripted::ClearJournal();
    ASSERT_TRUE(Close());
    EXPECT_EQ(Messages().size(), 1u);  // the backup; the settings file is not reported
    EXPECT_TRUE(platform::QuitRequested());
}

TEST_F(BackupsTest, RestoreOfTheAcknowledgedState)
{
    ASSERT_EQ(StartUp(), 0);
    ShowableImage();
    WriteFile("temp.ctc", TextOfImage());
    FillImage(5);
    ini_panel_1();
    temp_hoch();
    for (int k = 400; k < 512; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 5)) << k;
    EXPECT_EQ(ReadFile("temp.ctc"), TextOfImage());
    EXPECT_EQ(Rows()[0], (RowState{6, 0, 1, 1}));
    EXPECT_EQ(Rows()[1], (RowState{4, 1, 0, 0}));
    EXPECT_STREQ(File_Name, "temp.ctc");
    EXPECT_EQ(Title(), "temp.ctc");  // at once
    EXPECT_TRUE(Messages().empty());

    // A Save now overwrites the acknowledged-state file without a dialog.
    FillImage(7);
    ASSERT_TRUE(Menu(MENU_save));
    EXPECT_EQ(ReadFile("temp.ctc"), TextOfPattern(7));
    EXPECT_EQ(PopupsOf(PopupRecord::FileSelect), 0);
}

TEST_F(BackupsTest, MissingAcknowledgedStateIsCreatedEmptyAndChangesNothing)
{
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    std::vector<int> image = Image();
    temp_hoch();
    EXPECT_TRUE(FileExists("temp.ctc"));
    EXPECT_EQ(ReadFile("temp.ctc"), "");
    EXPECT_EQ(Image(), image);
    EXPECT_EQ(Title(), "temp.ctc");
    EXPECT_TRUE(Messages().empty());
}

// Frames acknowledged or refused by the simulated device.
class BackupFramesTest : public BackupsTest {
protected:
    sim::Engine engine{8};
    std::unique_ptr<sim::SimSerialBackend> serial;

    void SetUp() override
    {
        BackupsTest::SetUp();
        serial = std::make_unique<sim::SimSerialBackend>(engine, 1);
        platform::InstallSerialBackend(serial.get());
    }
    void TearDown() override
    {
        BackupsTest::TearDown();
        serial.reset();
    }
    void Start()
    {
        ASSERT_EQ(StartUp(), 0);
        ASSERT_TRUE(platform::ComIsOpen(1));
        platform::scripted::ClearJournal();
    }
    // The next frame the device receives fails in the given way.
    void FailNext(sim::FaultKind kind) { engine.AddFault({kind, engine.Frames() + 1, 25.0}); }
    // An acknowledged change, then one whose frame fails in the given way: the image,
    // the window and the name fall back to the acknowledged state.
    void ExpectRestoredAfterFailed(sim::FaultKind kind)
    {
        Start();
        ShowableImage();
        ASSERT_EQ(Change(17, 0xB0), 0);
        std::vector<int> acknowledged = Image();
        std::vector<RowState> rows = Rows();

        FailNext(kind);
        EXPECT_EQ(Change(17, 0xC9), 1);
        EXPECT_EQ(Image(), acknowledged);
        EXPECT_EQ(Rows(), rows);
        EXPECT_STREQ(File_Name, "temp.ctc");
        EXPECT_EQ(Title(), "temp.ctc");
        ASSERT_EQ(Messages().size(), 1u);
        EXPECT_EQ(Messages()[0].title, "COM ERROR");
    }
    // A channel setting as the window's callbacks make it: image, window, device.
    static int Change(int address, int value)
    {
        aktuelle_daten[address] = value;
        ini_panel_1();
        return send_byte(address, value);
    }
};

TEST_F(BackupFramesTest, EveryAcknowledgedFrameStoresTheImage)
{
    Start();
    ShowableImage();
    ASSERT_EQ(Change(16, 0xC9), 0);
    EXPECT_EQ(engine.Peek(16), 0xC9);
    EXPECT_EQ(ReadFile("temp.ctc"), TextOfImage());
    AnswerFileSelect(1, Path("same.cfg"));
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(ReadFile("temp.ctc"), ReadFile("same.cfg"));
    EXPECT_STREQ(File_Name, Path("same.cfg").c_str());
    EXPECT_TRUE(Messages().empty());

    // A failed write of the acknowledged state keeps its last full text.
    platform::InjectFileWriteFailure(true);
    ASSERT_EQ(Change(16, 0x30), 0);
    platform::InjectFileWriteFailure(false);
    EXPECT_EQ(ReadFile("temp.ctc"), ReadFile("same.cfg"));
    EXPECT_EQ(Messages().size(), 2u);  // one per acknowledged frame: the write and the D
}

TEST_F(BackupFramesTest, AcknowledgedStateIsRewrittenOnlyWhenItChanges)
{
    Start();
    ShowableImage();
    auto writes = [] {
        int n = 0;
        for (const std::string &name : platform::WrittenFiles()) n += name == "temp.ctc";
        return n;
    };
    ASSERT_EQ(Change(16, 0xC9), 0);  // two acknowledged frames, one change
    EXPECT_EQ(writes(), 1);
    ASSERT_EQ(send_byte(16, 0xC9), 0);  // the same state acknowledged again
    EXPECT_EQ(writes(), 1);
    EXPECT_EQ(ReadFile("temp.ctc"), TextOfImage());

    WriteFile("temp.ctc", std::string(800, '0'));  // whatever the file holds is checked
    ASSERT_EQ(send_byte(16, 0xC9), 0);
    EXPECT_EQ(writes(), 2);
    EXPECT_EQ(ReadFile("temp.ctc"), TextOfImage());
    EXPECT_TRUE(Messages().empty());
}

TEST_F(BackupFramesTest, RefusedFrameRestoresTheAcknowledgedState)
{
    ExpectRestoredAfterFailed(sim::FaultKind::Error);
}

TEST_F(BackupFramesTest, UnansweredFrameRestoresTheAcknowledgedState)
{
    ExpectRestoredAfterFailed(sim::FaultKind::NoReply);
}

TEST_F(BackupFramesTest, FirstFailedFrameWithoutAnEarlierStateChangesNothing)
{
    Start();
    FillImage(5);
    std::vector<int> image = Image();
    engine.AddFault({sim::FaultKind::NoReply, 0, 25.0});
    EXPECT_EQ(send_byte(16, 0x30), 1);
    EXPECT_EQ(Image(), image);  // the empty text changes nothing
    EXPECT_EQ(ReadFile("temp.ctc"), "");
    EXPECT_EQ(Title(), "temp.ctc");
}

TEST_F(BackupFramesTest, FirstFailedFrameFallsBackToTheEarlierRunsState)
{
    WriteFile("temp.ctc", TextOfPattern(9));
    Start();
    FillImage(5);
    engine.AddFault({sim::FaultKind::Error, 0, 25.0});
    EXPECT_EQ(send_byte(16, 0x30), 1);
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 9)) << k;
    for (int k = 400; k < 512; k++) ASSERT_EQ(aktuelle_daten[k], PatternValue(k, 5)) << k;
}

TEST_F(BackupFramesTest, OpenSendsNothingAndLeavesTheAcknowledgedState)
{
    Start();
    ShowableImage();
    ASSERT_EQ(Change(18, 0x30), 0);
    std::vector<int> acknowledged = Image();
    int frames = engine.Frames();
    std::string state = ReadFile("temp.ctc");

    WriteFile("doc.cfg", TextOfPattern(7));
    AnswerFileSelect(1, Path("doc.cfg"));
    ASSERT_TRUE(Menu(MENU_open));
    EXPECT_EQ(engine.Frames(), frames);
    EXPECT_EQ(ReadFile("temp.ctc"), state);
    EXPECT_EQ(aktuelle_daten[5], PatternValue(5, 7));

    FailNext(sim::FaultKind::Error);
    EXPECT_EQ(send_byte(19, 0x30), 1);
    for (int k = 0; k < 400; k++) ASSERT_EQ(aktuelle_daten[k], acknowledged[k]) << k;
    EXPECT_STREQ(File_Name, "temp.ctc");
}

}  // namespace
