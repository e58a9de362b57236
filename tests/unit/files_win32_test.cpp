// The file services on Windows: names are UTF-8 and reach the system as wide strings.
#include <gtest/gtest.h>

#include <string>

#include "platform/files.h"
#include "support/test_env.h"

namespace {

using FilesWin32Test = zektest::ZekTest;

// A name that is not UTF-8 (a byte of the ANSI code page) is a file error, never an
// exception; a UTF-8 name is the file of that name.
TEST_F(FilesWin32Test, NameThatIsNotUtf8IsAFileError)
{
    long size = 0;
    for (int mode : {VAL_READ_ONLY, VAL_WRITE_ONLY}) {
        EXPECT_EQ(CVI_OpenFile("Pr\xFC" "f.cfg", mode, VAL_TRUNCATE, VAL_BINARY), -1);
        EXPECT_EQ(GetFmtIOError(), FMTIO_OPEN_FAILED);
    }
    EXPECT_LT(GetFileInfo("Pr\xFC" "f.cfg", &size), 0);

    const int handle = CVI_OpenFile("Pr\xC3\xBC" "f.cfg", VAL_WRITE_ONLY, VAL_TRUNCATE, VAL_BINARY);
    ASSERT_GE(handle, 0);
    EXPECT_EQ(CVI_WriteFile(handle, "abc", 3), 3);
    EXPECT_EQ(CVI_CloseFile(handle), 0);
    EXPECT_EQ(GetFileInfo("Pr\xC3\xBC" "f.cfg", &size), 1);
    EXPECT_EQ(size, 3);
}

}  // namespace
