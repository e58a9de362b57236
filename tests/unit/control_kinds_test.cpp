// The control kinds' rules (attributes a kind takes, value clamping), the report's
// pages and what Open and Save as offer, as every front end receives them from the run-time layer.
#include <gtest/gtest.h>

#include "platform/ui/control_kinds.h"
#include "platform/frontend.h"
#include "platform/report.h"
#include "platform/state.h"
#include "platform/userint.h"
#include "support/test_env.h"
#include "ui/uir.h"
#include "ui/window.h"

namespace {

using namespace platform;

class ControlKindsTest : public zektest::ZekTest {};

// An attribute that means nothing for a kind is refused, not taken silently.
TEST_F(ControlKindsTest, EachKindTakesOnlyItsAttributes)
{
    ASSERT_EQ(StartUp(), 0);
    const int ring = panel_rings[0];
    int value = 0;
    EXPECT_EQ(SetCtrlAttribute(panel_handle, ring, ATTR_MIN_VALUE, 3), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(panel_handle, ring, ATTR_ON_TEXT, "on"), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(GetCtrlAttribute(panel_handle, ring, ATTR_ON_COLOR, &value), UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(panel_handle, ring, ATTR_DIMMED, 1), 0);
    EXPECT_EQ(SetCtrlAttribute(panel_handle, PANEL_TOGGLEBUTTON, ATTR_CMD_BUTTON_COLOR, 0),
              UIE_BAD_ATTRIBUTE);
    EXPECT_EQ(SetCtrlAttribute(panel_handle, PANEL_TOGGLEBUTTON, ATTR_ON_COLOR, VAL_RED), 0);
    EXPECT_EQ(GetCtrlAttribute(panel_handle, PANEL_TOGGLEBUTTON, ATTR_ON_COLOR, &value), 0);
    EXPECT_EQ(value, VAL_RED);
}

// The program's value is clamped into a numeric's range; the operator's is refused
// outside it; a range not set (min > max) holds any value.
TEST(ControlKinds, NumericRangeClampsProgramAndRefusesOperator)
{
    Control numeric;
    numeric.kind = CtrlKind::Numeric;
    numeric.minValue = 1;
    numeric.maxValue = 16;
    EXPECT_EQ(ProgramSetValue(numeric, 40), 0);
    EXPECT_EQ(numeric.value, 16);
    EXPECT_FALSE(OperatorValueAccepted(numeric, 0));
    EXPECT_EQ(numeric.value, 16);
    numeric.minValue = 5;
    numeric.maxValue = 0;
    EXPECT_EQ(ProgramSetValue(numeric, -7), 0);
    EXPECT_EQ(numeric.value, -7);
    Control ring;
    ring.kind = CtrlKind::Ring;
    ring.items = {{"a", 10}, {"b", 20}};
    EXPECT_EQ(ProgramSetValue(ring, 30), UIE_BAD_VALUE);
    EXPECT_FALSE(OperatorValueAccepted(ring, 2));
    EXPECT_EQ(ring.value, 0);
}

// No part crosses the page's foot, every page after the first starts with the table's
// heading, and each row is placed once, in order.
TEST(ReportPages, RowsBreakWithTheHeadingRepeated)
{
    ReportContent report{"T", {"a", "b"}, {"h1", "h2"}, {}, {"n"}};
    for (int i = 0; i < 40; ++i) report.rows.push_back({std::to_string(i), "x"});
    const auto parts = PageReport(report, {20.0, 10.0}, 0.0, 150.0, true);
    int page = 0;
    size_t nextRow = 0;
    for (size_t i = 0; i < parts.size(); ++i) {
        const ReportPart &p = parts[i];
        EXPECT_LE(p.top + p.height, 150.0 + 1e-9);
        if (p.page != page) {
            EXPECT_EQ(p.page, page + 1);
            if (p.kind == ReportPart::Row || p.kind == ReportPart::Header) {
                EXPECT_EQ(p.kind, ReportPart::Header) << "page " << p.page;
            }
            page = p.page;
        }
        if (p.kind == ReportPart::Row) {
            EXPECT_EQ(p.index, nextRow++);
        }
    }
    EXPECT_EQ(nextRow, report.rows.size());
    EXPECT_GT(page, 1);
    for (const ReportPart &p : PageReport(report, {20.0, 10.0}, 0.0, 150.0, false))
        EXPECT_EQ(p.page, 0);
}

// Every front end's Open and Save as start from this offer: a wildcard is the filter,
// a named file is proposed with its extension as filter and suffix, in its own folder
// (either separator) before the caller's and before the one last chosen.
TEST_F(ControlKindsTest, FileDialogOfferFromTheCallersSpec)
{
    auto offered = [](const std::string &directory, const std::string &spec) {
        const FileDialogOffer o = OfferFileDialog(directory, spec);
        return o.pattern + "|" + o.suffix + "|" + o.name + "|" + o.folder;
    };
    EXPECT_EQ(offered("", "*.cfg"), "*.cfg|cfg||");
    SaveState("file_dialog_folder", "/last");
    EXPECT_EQ(offered("", "*.c?g"), "*.c?g|||/last");
    EXPECT_EQ(offered("/given", "dir\\Prüf.pdf"), "*.pdf|pdf|Prüf.pdf|dir");
    EXPECT_EQ(offered("/given", "notes"), "||notes|/given");
    EXPECT_EQ(offered("", "/rig.tar.gz"), "*.gz|gz|rig.tar.gz|/");
}

}  // namespace
