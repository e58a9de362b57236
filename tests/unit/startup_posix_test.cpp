// The per-user data folder after the XDG base directory rules (POSIX systems).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#include "platform/host/data_home.h"
#include "support/test_env.h"

using namespace platform;
using zektest::WriteFile;

namespace {

using DataHomeTest = zektest::ZekTest;

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value) : name_(name)
    {
        if (const char *old = std::getenv(name)) old_ = old;
        setenv(name, value.c_str(), 1);
    }
    ~ScopedEnv() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char *name_;
    std::optional<std::string> old_;
};

// Started from the desktop menu, every file the program keeps lands in the per-user data
// folder, created on the first start; a relative XDG_DATA_HOME is not taken.
TEST_F(DataHomeTest, DataHomeHoldsTheProgramsFilesAndIsCreatedOnFirstStart)
{
    ScopedEnv home("HOME", dir + "/home");
    ScopedEnv relative("XDG_DATA_HOME", "data");
    EXPECT_EQ(DataHomeFolder("zek-config"), dir + "/home/.local/share/zek-config");

    ScopedEnv dataHome("XDG_DATA_HOME", dir + "/data/");
    ASSERT_EQ(EnterDataHome("zek-config"), "");
    ASSERT_EQ(StartUp(), 0);
    EXPECT_TRUE(std::filesystem::exists(dir + "/data/zek-config/config.ctc"));
    EXPECT_FALSE(std::filesystem::exists(dir + "/config.ctc"));
}

TEST_F(DataHomeTest, UnusableDataHomeIsNamedAndLeavesTheWorkingDirectory)
{
    WriteFile("data", "a file, not a folder");
    ScopedEnv dataHome("XDG_DATA_HOME", dir + "/data");
    std::string failure = EnterDataHome("zek-config");
    EXPECT_NE(failure.find(dir + "/data/zek-config"), std::string::npos) << failure;
    EXPECT_EQ(std::filesystem::current_path(), dir);
}

}  // namespace
