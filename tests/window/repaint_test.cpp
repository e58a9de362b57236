// During a blocking wait the window repaints, shows the wait cursor and takes no input.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QMouseEvent>
#include <QTest>

#include "platform/clock.h"
#include "ui/uir.h"
#include "window/window_env.h"

using namespace platform;

namespace {

// Counts the paint events of one widget and notes the button colour each one showed.
class PaintCounter : public QObject {
public:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            paints++;
            colours.push_back(static_cast<QWidget *>(watched)->palette().color(QPalette::Button));
        }
        return false;
    }
    int paints = 0;
    std::vector<QColor> colours;
};

struct Wait {
    PaintCounter counter;
    bool waitCursorDuringWait = false;
    int paintsDuringWait = 0;
    QWidget *checkbox = nullptr;
};
Wait *wait = nullptr;

// An auto-zero of channel 1 as the program does it: red button, wait cursor, a pause.
int AutoZero(int panel, int control, int event, void *, int, int)
{
    if (event != EVENT_COMMIT) return 0;
    SetCtrlAttribute(panel, control, ATTR_CMD_BUTTON_COLOR, VAL_RED);
    SetWaitCursor(1);
    // The operator clicks the half-bridge box while the device exchange runs.
    QPointF at(wait->checkbox->rect().center());
    QPointF global = wait->checkbox->mapToGlobal(at);
    for (QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease})
        QCoreApplication::postEvent(wait->checkbox, new QMouseEvent(type, at, global, Qt::LeftButton,
                                                                    Qt::LeftButton, Qt::NoModifier));
    wait->counter.paints = 0;
    Delay(0.15);
    wait->paintsDuringWait = wait->counter.paints;
    QCursor *cursor = QApplication::overrideCursor();
    wait->waitCursorDuringWait = cursor && cursor->shape() == Qt::WaitCursor;
    SetCtrlAttribute(panel, control, ATTR_CMD_BUTTON_COLOR, VAL_GRAY);
    SetWaitCursor(0);
    return 0;
}

using RepaintTest = zektest::WindowTest;

TEST_F(RepaintTest, WindowRepaintsButTakesNoInputDuringAWait)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    Wait state;
    wait = &state;
    state.checkbox = Widget(panel_checkbox[0]);
    QWidget *button = Widget(panel_command_button[0]);
    button->installEventFilter(&state.counter);
    FindControl(panel_handle, panel_command_button[0])->callback = AutoZero;
    Record(panel_handle, panel_checkbox[0]);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Main()));
    bool checked = static_cast<QCheckBox *>(state.checkbox)->isChecked();
    int before = -1;
    GetCtrlVal(panel_handle, panel_checkbox[0], &before);

    UseRealClock();
    QTest::mouseClick(button, Qt::LeftButton);
    UseVirtualClock();
    wait = nullptr;

    EXPECT_GT(state.paintsDuringWait, 0);
    EXPECT_NE(std::find(state.counter.colours.begin(), state.counter.colours.end(), QColor(255, 0, 0)),
              state.counter.colours.end());
    EXPECT_TRUE(state.waitCursorDuringWait);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    // The click made during the wait was dropped, not kept for later.
    QCoreApplication::processEvents();
    EXPECT_TRUE(seen.empty());
    EXPECT_EQ(static_cast<QCheckBox *>(state.checkbox)->isChecked(), checked);
    int after = -1;
    GetCtrlVal(panel_handle, panel_checkbox[0], &after);
    EXPECT_EQ(after, before);
}

}  // namespace
