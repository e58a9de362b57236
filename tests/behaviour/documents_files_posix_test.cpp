// File menu commands on POSIX file systems: paths up to the system's limit, symbolic
// links, file modes and owners, folders that take no new file.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "behaviour/documents_fixture.h"
#include "support/power_loss.h"
#include "platform/files.h"
#include "platform/frontend/scripted/scripted.h"
#include "ui/texts.h"

using namespace doctest;
using platform::scripted::AnswerFileSelect;
using zektest::FileExists;
using zektest::ReadFile;
using zektest::WriteFile;

namespace {

using DocumentFilesPosixTest = DocumentsTest;

using DocumentFilesPosixDeathTest = DocumentFilesPosixTest;

// Paths as long as the system takes (deep folders, umlauts) are saved and opened in
// full; a longer one is refused with a message, like a cancel.
TEST_F(DocumentFilesPosixTest, LongPathsAreSavedAndOpenedAndOverlongOnesRefused)
{
    std::string folder = dir;
    while (folder.size() < 700) {
        folder += "/Prüfstand-Läufer-Messreihe-Überlast";
        ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    }
    const std::string path = folder + "/rotor.cfg";
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    AnswerFileSelect(1, path);
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(ReadFile(path), TextOfPattern(5));
    EXPECT_EQ(File_Name, path);

    FillImage(7);
    AnswerFileSelect(1, path);
    ASSERT_TRUE(Menu(MENU_open));
    EXPECT_EQ(TextOfImage(), TextOfPattern(5));
    EXPECT_EQ(Title(), path);

    AnswerFileSelect(1, folder + "/" + std::string(MAX_PATHNAME_LEN, 'x'));
    ASSERT_TRUE(Menu(MENU_save_as));
    EXPECT_EQ(File_Name, path);
    ASSERT_EQ(Messages().size(), 1u);
    EXPECT_STREQ(Messages()[0].text.c_str(), text(txt::path_too_long));
}

// A save changes the content only: a link stays and its target gets the text, the file
// keeps its mode and extended attributes, a new file gets the mode the umask gives, no
// temporary file stays, and one that an interrupted write left is gone at the next start.
TEST_F(DocumentFilesPosixTest, SaveKeepsLinksModesAttributesAndLeavesNoTemporaryFile)
{
    WriteFile("target.cfg", TextOfPattern(3));
    ASSERT_EQ(chmod("target.cfg", 0604), 0);
    const bool attributes = setxattr("target.cfg", "user.zek.rig", "R7", 2, 0) == 0;
    ASSERT_EQ(symlink("target.cfg", "link.cfg"), 0);
    WriteFile(".zek-write-a1B2c3", "torn");
    ASSERT_EQ(StartUp(), 0);
    EXPECT_FALSE(FileExists(".zek-write-a1B2c3"));
    FillImage(5);
    AnswerFileSelect(1, Path("link.cfg"));
    AnswerFileSelect(1, Path("new.cfg"));
    const mode_t mask = umask(026);
    ASSERT_TRUE(Menu(MENU_save_as));
    ASSERT_TRUE(Menu(MENU_save_as));
    umask(mask);

    struct stat link, target, created;
    ASSERT_EQ(lstat("link.cfg", &link), 0);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    EXPECT_EQ(ReadFile("target.cfg"), TextOfPattern(5));
    ASSERT_EQ(stat("target.cfg", &target), 0);
    EXPECT_EQ(target.st_mode & 07777, 0604u);
    char rig[8] = "";
    if (attributes) {  // a file system without user attributes has none to keep
        EXPECT_EQ(getxattr("target.cfg", "user.zek.rig", rig, sizeof rig), 2) << "attribute lost";
    }
    ASSERT_EQ(stat("new.cfg", &created), 0);
    EXPECT_EQ(created.st_mode & 07777, 0640u);
    EXPECT_EQ(DirectoryNames(),
              (std::vector<std::string>{"config.ctc", "last.cfg", "link.cfg", "new.cfg", "target.cfg",
                                        "zek-config.state"}));
    EXPECT_TRUE(Messages().empty());
}

// A save that returned is on the disk, its new name included: a power cut that loses
// everything not flushed leaves the new text in a replaced document and in a new one,
// and no other file.
TEST_F(DocumentFilesPosixTest, SavedDocumentsSurviveAPowerCut)
{
    WriteFile("old.cfg", TextOfPattern(3));
    ASSERT_EQ(StartUp(), 0);
    zektest::PowerLossDisk disk(dir);
    platform::SetDiskHook([&disk](const platform::DiskChange &c) { disk.Apply(c); });
    FillImage(5);
    AnswerFileSelect(1, Path("old.cfg"));
    AnswerFileSelect(1, Path("new.cfg"));
    const bool saved = Menu(MENU_save_as) && Menu(MENU_save_as);
    platform::SetDiskHook(nullptr);
    ASSERT_TRUE(saved);
    std::mt19937_64 rng(1);
    EXPECT_EQ(disk.AfterCut(rng, 0.0), disk.Cached());
    EXPECT_EQ(disk.Cached()["new.cfg"], TextOfPattern(5));
    EXPECT_EQ(disk.Cached()["old.cfg"], TextOfPattern(5));
}

// Permissions as an ordinary user (root runs it as "nobody" in the child): a document
// that may not be written is refused with a message naming it and keeps its content; a
// writable one in a folder that takes no new file is written in place.
TEST_F(DocumentFilesPosixDeathTest, PermissionsOfDocumentAndFolderAreKept)
{
    ASSERT_EQ(chmod(dir.c_str(), 0755), 0);
    ASSERT_EQ(mkdir("open", 0755), 0);
    ASSERT_EQ(mkdir("closed", 0755), 0);
    WriteFile("open/locked.cfg", TextOfPattern(3));
    WriteFile("closed/free.cfg", TextOfPattern(3));
    ASSERT_EQ(chmod("open/locked.cfg", 0444), 0);
    ASSERT_EQ(chmod("closed/free.cfg", 0666), 0);
    ASSERT_EQ(chmod("closed", 0555), 0);
    if (geteuid() == 0) {
        ASSERT_EQ(chown("open", 65534, 65534), 0);
    }
    ASSERT_EQ(StartUp(), 0);
    FillImage(5);
    EXPECT_EXIT({
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) std::exit(2);
        AnswerFileSelect(1, Path("open/locked.cfg"));
        AnswerFileSelect(1, Path("closed/free.cfg"));
        Menu(MENU_save_as);
        Menu(MENU_save_as);
        for (const auto &m : Messages()) std::fprintf(stderr, "message: %s\n", m.text.c_str());
        std::exit(static_cast<int>(Messages().size()));
    }, ::testing::ExitedWithCode(1), "message: Datei kann nicht geöffnet werden .*open/locked.cfg.*verweigert");
    EXPECT_EQ(ReadFile("open/locked.cfg"), TextOfPattern(3));
    EXPECT_EQ(ReadFile("closed/free.cfg"), TextOfPattern(5));
    EXPECT_EQ(chmod("closed", 0755), 0);
}

}  // namespace
