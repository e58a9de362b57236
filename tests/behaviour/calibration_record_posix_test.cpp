// The calibration record under a file size limit: an append that stops part-way.
#include <sys/resource.h>

#include <csignal>
#include <string>

#include "behaviour/calibration_fixture.h"
#include "support/power_loss.h"
#include "ui/texts.h"

namespace {

using platform::OperatorSetValue;
using zektest::CaliTest;
using zektest::ReadFile;

// Holds the process's file size limit at `bytes` while it lives; writes beyond it fail
// with EFBIG instead of raising SIGXFSZ.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long bytes)
    {
        getrlimit(RLIMIT_FSIZE, &old_);
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        rlimit limited = old_;
        limited.rlim_cur = static_cast<rlim_t>(bytes);
        ok_ = setrlimit(RLIMIT_FSIZE, &limited) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool ok() const { return ok_; }

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
    bool ok_ = false;
};

// Eight range lines meet the limit in their third line: the record keeps the two that
// landed whole, without the torn third, and the six others follow once, whole, with the
// next append.
TEST_F(CaliTest, RecordKeepsTheWholeLinesOfAnAppendThatStoppedPartWay)
{
    Start(8, 8);
    ASSERT_NE(Open(), 0);
    ASSERT_TRUE(Toggle(1));
    ASSERT_TRUE(Select(1));  // thermocouple type 2: sixteen lines, more than a backup holds
    const std::string before = ReadFile(cal_record_file);
    const long line = static_cast<long>(before.size() - before.find("\r\n") - 2) / 16;
    Clear();
    {
        FileSizeLimit limit(static_cast<long>(before.size()) + 5 * line / 2);
        ASSERT_TRUE(limit.ok());
        ASSERT_TRUE(Select(2));  // strain gauge: eight lines
    }
    EXPECT_EQ(platform::scripted::Messages().size(), 1u);  // the record's failure
    const auto cut = RecordLines();  // fails on a torn last line
    ASSERT_EQ(cut.size(), 1u + 16u + 2u);
    ASSERT_TRUE(OperatorSetValue(cp, panel_numeric_off[0], 1));

    const auto lines = RecordLines();
    ASSERT_EQ(lines.size(), 1u + 16u + 8u + 1u);
    for (size_t k = 0; k < 8; k++) {
        EXPECT_EQ(lines[17 + k][3], std::to_string(k + 1)) << "line " << 17 + k;
        EXPECT_EQ(lines[17 + k][5], txt::record_range.de);
    }
    EXPECT_EQ(lines[25][5], txt::record_offset.de);
}

// The lines of a range change are on the disk when the calibration goes on: a power cut
// that loses everything not flushed keeps the new record file and its lines.
TEST_F(CaliTest, RecordLinesSurviveAPowerCutOnceWritten)
{
    Start(8, 8);
    ASSERT_NE(Open(), 0);
    zektest::PowerLossDisk disk(".");
    platform::SetDiskHook([&disk](const platform::DiskChange &c) { disk.Apply(c); });
    const bool toggled = Toggle(1) && Select(1);
    platform::SetDiskHook(nullptr);
    ASSERT_TRUE(toggled);
    std::mt19937_64 rng(1);
    const std::string written = ReadFile(cal_record_file);
    ASSERT_NE(written.find(txt::record_range.de), std::string::npos);
    EXPECT_TRUE(disk.AfterCut(rng, 0.0)[cal_record_file] == written) << "record lines lost";
}

}  // namespace
