// Operator actions on the widgets reach the callbacks through the run-time layer, with
// the model already holding the new value; modal popups keep the main window out.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QFocusEvent>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>
#include <QWheelEvent>

#include <functional>

#include "ui/uir.h"
#include "window/window_env.h"

using namespace platform;
using zektest::Seen;

namespace {

class EventsTest : public zektest::WindowTest {
protected:
    void SetUp() override
    {
        WindowTest::SetUp();
        ASSERT_EQ(StartWindow(0, 8), 0);
    }
    // Stands in for OK: records the port field's value when OK commits.
    static int RecordPortField(int panel, int control, int event, void *, int, int)
    {
        int value = 0;
        GetCtrlVal(panel, PANEL_2_NUMERIC, &value);
        if (event == EVENT_COMMIT) seen.push_back({panel, control, event, value});
        return 0;
    }
    std::vector<int> Events()
    {
        std::vector<int> events;
        for (const Seen &s : seen) events.push_back(s.event);
        return events;
    }
};

TEST_F(EventsTest, RingChangeCommitsWithTheNewIndexInTheModel)
{
    Record(panel_handle, panel_rings[1]);
    SetCtrlIndex(panel_handle, panel_rings[1], 2);
    QTest::keyClick(Ring(1), Qt::Key_Down);
    ASSERT_EQ(Events(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(seen.back().control, panel_rings[1]);
    EXPECT_EQ(seen.back().value, 3);  // the model held index 3 when the commit arrived
    EXPECT_EQ(Ring(1)->currentIndex(), 3);

    // Choosing the item that is already current changes nothing and commits nothing.
    seen.clear();
    emit Ring(1)->activated(3);
    EXPECT_TRUE(seen.empty());
}

TEST_F(EventsTest, CheckboxButtonAndToggleCommit)
{
    Record(panel_handle, panel_checkbox[0]);
    Record(panel_handle, panel_command_button[0]);
    Record(panel_handle, PANEL_TOGGLEBUTTON);

    QTest::mouseClick(Widget(panel_checkbox[0]), Qt::LeftButton);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back().event, EVENT_COMMIT);
    EXPECT_EQ(seen.back().value, 1);

    seen.clear();
    QTest::mouseClick(Widget(panel_command_button[0]), Qt::LeftButton);
    EXPECT_EQ(Events(), std::vector<int>{EVENT_COMMIT});

    // The toggle sends value-changed, then commit; it shows the on text and colour.
    seen.clear();
    auto *toggle = static_cast<QPushButton *>(Widget(PANEL_TOGGLEBUTTON));
    QTest::mouseClick(toggle, Qt::LeftButton);
    ASSERT_EQ(Events(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(seen.front().value, 1);
    EXPECT_EQ(toggle->text(), "ON");
    EXPECT_EQ(toggle->palette().color(QPalette::Button), QColor(0x00, 0x80, 0x00));
    QTest::mouseClick(toggle, Qt::LeftButton);
    EXPECT_EQ(toggle->text(), "OFF");
    EXPECT_EQ(toggle->palette().color(QPalette::Button), QColor(0xA0, 0xA0, 0xA0));
}

TEST_F(EventsTest, DimmedControlsTakeNoInput)
{
    Record(panel_handle, panel_checkbox[0]);
    SetCtrlAttribute(panel_handle, panel_checkbox[0], ATTR_DIMMED, 1);
    emit static_cast<QCheckBox *>(Widget(panel_checkbox[0]))->clicked(true);
    EXPECT_TRUE(seen.empty());
    EXPECT_FALSE(static_cast<QCheckBox *>(Widget(panel_checkbox[0]))->isChecked());
}

// Scrolling the panel over a ring must not change the channel's range.
TEST_F(EventsTest, MouseWheelOverARingChangesNothing)
{
    Record(panel_handle, panel_rings[0]);
    int before = Ring(0)->currentIndex();
    QPointF at(5, 5);
    QWheelEvent wheel(at, Ring(0)->mapToGlobal(at), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(Ring(0), &wheel);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Ring(0)->currentIndex(), before);
}

TEST_F(EventsTest, ListBoxStartsWithoutAChoiceAndCommitsTheClickedRow)
{
    int dialog = LoadPanel(0, uir_file, PANEL_2);
    ASSERT_GT(dialog, 0);
    InstallPopup(dialog);
    for (const char *item : {"ttyS0", "ttyUSB0", "COM3"})
        InsertListItem(dialog, PANEL_2_LISTBOX, -1, item, 0);
    Record(dialog, PANEL_2_LISTBOX);
    auto *list = static_cast<QListWidget *>(qt::WindowOf(dialog)->Body(PANEL_2_LISTBOX));
    ASSERT_EQ(list->count(), 3);
    EXPECT_EQ(list->currentRow(), -1);

    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(list, &tabIn);  // makes the first row current, but not chosen
    EXPECT_TRUE(seen.empty());
    const QPoint row1 = list->visualItemRect(list->item(1)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1);
    ASSERT_EQ(Events(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(seen.back().value, 1);

    DeleteListItem(dialog, PANEL_2_LISTBOX, 1, 1);  // the chosen item goes: no choice left
    int index = 0;
    GetCtrlIndex(dialog, PANEL_2_LISTBOX, &index);
    EXPECT_EQ(index, -1);
    EXPECT_EQ(list->count(), 2);
    EXPECT_EQ(list->currentRow(), -1);
}

TEST_F(EventsTest, NumericFieldCommitsWithinItsLimits)
{
    int dialog = LoadPanel(0, uir_file, PANEL_2);
    ASSERT_GT(dialog, 0);
    InstallPopup(dialog);
    Record(dialog, PANEL_2_NUMERIC);
    FindControl(dialog, PANEL_2_COMMANDBUTTON)->callback = nullptr;  // Return also presses OK
    auto *spin = static_cast<QSpinBox *>(qt::WindowOf(dialog)->Body(PANEL_2_NUMERIC));
    const Control *field = FindControl(dialog, PANEL_2_NUMERIC);
    EXPECT_EQ(spin->minimum(), field->minValue);
    EXPECT_EQ(spin->maximum(), field->maxValue);
    ASSERT_LT(field->maxValue, 999);

    spin->selectAll();
    QTest::keyClicks(spin, "12");
    EXPECT_TRUE(seen.empty());  // typing alone is no commit
    QTest::keyClick(spin, Qt::Key_Return);
    ASSERT_EQ(Events(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
    EXPECT_EQ(seen.back().value, 12);

    seen.clear();
    spin->selectAll();
    QTest::keyClicks(spin, "999");
    QTest::keyClick(spin, Qt::Key_Return);
    int value = 0;
    GetCtrlVal(dialog, PANEL_2_NUMERIC, &value);
    EXPECT_LE(value, field->maxValue);
    EXPECT_EQ(spin->value(), value);
}

// The port dialog's OK must see the number typed into the field, also while the field
// keeps the focus: OK by its mnemonic, by a click, or by Return in the field (OK is the
// dialog's default button).
TEST_F(EventsTest, TypedPortNumberCountsForOkWhileTheFieldHasFocus)
{
    const std::vector<std::function<void(qt::PanelWindow *)>> ways = {
        [](qt::PanelWindow *w) { QTest::keyClick(w->windowHandle(), Qt::Key_O, Qt::AltModifier); },
        [](qt::PanelWindow *w) { QTest::mouseClick(w->Body(PANEL_2_COMMANDBUTTON), Qt::LeftButton); },
        [](qt::PanelWindow *w) { QTest::keyClick(w->Body(PANEL_2_NUMERIC), Qt::Key_Return); },
    };
    for (size_t way = 0; way < ways.size(); ++way) {
        int dialog = LoadPanel(0, uir_file, PANEL_2);
        ASSERT_GT(dialog, 0);
        InstallPopup(dialog);
        FindControl(dialog, PANEL_2_COMMANDBUTTON)->callback = RecordPortField;
        qt::PanelWindow *window = qt::WindowOf(dialog);
        auto *spin = static_cast<QSpinBox *>(window->Body(PANEL_2_NUMERIC));
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
        spin->setFocus();
        spin->selectAll();
        QTest::keyClicks(spin, "7");
        seen.clear();
        ways[way](window);
        ASSERT_TRUE(QTest::qWaitFor([] { return !seen.empty(); })) << way;
        EXPECT_EQ(seen.back().value, 7) << way;
        DiscardPanel(dialog);
    }
}

TEST_F(EventsTest, CloseBoxAsksThePanelCallbackAndTheWindowStays)
{
    RecordPanel(panel_handle);
    EXPECT_FALSE(Main()->close());
    EXPECT_EQ(Events(), std::vector<int>{EVENT_CLOSE});
    EXPECT_TRUE(Main()->isVisible());
}

TEST_F(EventsTest, ActivationSendsFocusEvents)
{
    RecordPanel(panel_handle);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_EQ(Events(), std::vector<int>{EVENT_LOST_FOCUS});
    seen.clear();
    Main()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
    EXPECT_EQ(Events(), std::vector<int>{EVENT_GOT_FOCUS});
}

// While the information dialog is installed as a modal popup, neither the rings nor
// the menus of the main window reach their callbacks; after OK they do again.
TEST_F(EventsTest, ModalPopupBlocksTheMainWindow)
{
    qt::AsOperator([] { qt::WindowOf(panel_handle)->MenuAction(MENU_info)->trigger(); });
    int info = PanelByResource(PANEL_5);
    ASSERT_GT(info, 0);
    qt::PanelWindow *dialog = qt::WindowOf(info);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(dialog->windowModality(), Qt::ApplicationModal);

    Record(panel_handle, panel_rings[0]);
    int before = Ring(0)->currentIndex();
    QTest::keyClick(Ring(0), Qt::Key_Down);
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(Ring(0)->currentIndex(), before);  // the widget falls back to the model
    Main()->MenuAction(MENU_info)->trigger();
    EXPECT_EQ(PanelHandles().size(), 2u);  // no second dialog

    QTest::mouseClick(dialog->Body(PANEL_5_COMMANDBUTTON), Qt::LeftButton);
    EXPECT_EQ(FindPanel(info), nullptr);
    EXPECT_EQ(qt::WindowOf(info), nullptr);
    QTest::keyClick(Ring(0), Qt::Key_Down);
    EXPECT_EQ(Events(), (std::vector<int>{EVENT_VAL_CHANGED, EVENT_COMMIT}));
}

}  // namespace
