// What a screen reader and a keyboard-only user meet, through Qt's accessibility
// interface: every panel in both languages, the Tab order, the dialog keys, and the
// contrast of the focus outline and the check box border against the panel.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QCheckBox>
#include <QDialog>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "platform/language.h"
#include "ui/uir.h"
#include "window/window_env.h"

using namespace platform;

namespace {

// The role each kind of control must have.
const std::map<CtrlKind, QAccessible::Role> kRoles = {
    {CtrlKind::Ring, QAccessible::ComboBox},      {CtrlKind::Checkbox, QAccessible::CheckBox},
    {CtrlKind::CommandButton, QAccessible::Button}, {CtrlKind::ToggleButton, QAccessible::CheckBox},
    {CtrlKind::Numeric, QAccessible::SpinBox},    {CtrlKind::ListBox, QAccessible::List},
    {CtrlKind::Picture, QAccessible::Graphic}};

double Luminance(QRgb rgb)
{
    auto channel = [](int v) {
        double c = v / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

double Contrast(QRgb a, QRgb b)
{
    double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

class AccessibilityTest : public zektest::WindowTest {
protected:
    // Opens the port dialog, the information dialog or (password given) the calibration
    // panel from the menu; its handle.
    int Open(int item, int resource)
    {
        qt::SetDialogHook([](QWidget *w) {
            if (auto *entry = w->findChild<QLineEdit *>()) QTest::keyClicks(entry, "vqd");
            static_cast<QDialog *>(w)->accept();
        });
        EXPECT_TRUE(OperatorChooseMenu(GetPanelMenuBar(panel_handle), item));
        qt::SetDialogHook(nullptr);
        return PanelByResource(resource);
    }

    // Every shown control one can act on has a name of its own (unique in the panel, not
    // punctuation, not its state) and the role of its kind; the window is a dialog when
    // it is a popup.
    void ExpectNamedWithRoles(int panel)
    {
        qt::PanelWindow *w = qt::WindowOf(panel);
        ASSERT_NE(w, nullptr);
        const Panel &p = *FindPanel(panel);
        QAccessibleInterface *window = QAccessible::queryAccessibleInterface(w);
        EXPECT_EQ(window->role(), p.popup ? QAccessible::Dialog : QAccessible::Window) << p.constant;
        EXPECT_EQ(window->state().modal, p.popup) << p.constant;
        std::set<QString> names;
        for (const Control &c : p.controls) {
            if (c.kind == CtrlKind::TextMessage || !c.visible) continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w->Body(c.id));
            const QString name = a->text(QAccessible::Name);
            const std::string what = p.constant + " " + c.constant + " \"" + name.toStdString() + "\"";
            EXPECT_EQ(a->role(), kRoles.at(c.kind)) << what;
            EXPECT_TRUE(name.contains(QRegularExpression(QStringLiteral("\\w{2}")))) << what;
            EXPECT_TRUE(names.insert(name).second) << what << " is not told apart";
            if (c.kind == CtrlKind::ToggleButton) {
                EXPECT_TRUE(a->state().checkable) << what;
                EXPECT_NE(name, QString::fromStdString(c.onText)) << what;
                EXPECT_NE(name, QString::fromStdString(c.offText)) << what;
            }
        }
    }
};

TEST_F(AccessibilityTest, EveryPanelNamesItsControlsInItsLanguage)
{
    for (int language : {0, 1}) {
        ASSERT_EQ(StartWindow(language, 8), 0);
        ExpectNamedWithRoles(panel_handle);
        auto name = [](int panel, int control) {
            return qt::WindowOf(panel)->Body(control)->accessibleName().toStdString();
        };
        EXPECT_EQ(name(panel_handle, PANEL_CHECKBOX_3), language ? "Channel 3 half bridge" : "Kanal 3 Halbbrücke");
        EXPECT_FALSE(Widget(PANEL_COMMANDBUTTON_3)->accessibleDescription().isEmpty());
        for (auto [item, resource] : {std::pair{MENU_com_port, PANEL_2}, {MENU_info, PANEL_5},
                                      {MENU_cali, PANEL_3}}) {
            int dialog = Open(item, resource);
            ASSERT_GT(dialog, 0) << resource;
            ExpectNamedWithRoles(dialog);
            DiscardPanel(dialog);
        }
        // The window keeps the language it was built in when the language changes.
        SetRunTimeLanguage(!language);
        SetPanelAttribute(panel_handle, ATTR_TITLE, "x");  // the window is synced again
        EXPECT_EQ(name(panel_handle, PANEL_CHECKBOX_3).substr(0, 5), language ? "Chann" : "Kanal");
        frontEnd.reset();
        ResetUserInterface();
        frontEnd.emplace();
    }
}

// Tab from the first control goes through the window as it reads: the toggle, then
// row by row range, half bridge, auto-zero, until it comes back.
TEST_F(AccessibilityTest, TabFollowsReadingOrder)
{
    ASSERT_EQ(StartWindow(1, 4), 0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
    std::vector<QWidget *> expected = {Widget(PANEL_TOGGLEBUTTON)};
    for (int i = 0; i < 4; i++)
        for (int control : {panel_rings[i], panel_checkbox[i], panel_command_button[i]})
            expected.push_back(Widget(control));
    expected.push_back(expected.front());
    expected.front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget *> visited = {QApplication::focusWidget()};
    for (size_t k = 1; k < expected.size(); k++) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(QApplication::focusWidget());
    }
    for (size_t k = 0; k < expected.size(); k++)
        EXPECT_EQ(visited[k], expected[k]) << "stop " << k << ": " << visited[k]->accessibleName().toStdString();
}

TEST_F(AccessibilityTest, EscapeLeavesEveryDialogAndReturnIsItsDefaultButton)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    for (auto [item, resource] : {std::pair{MENU_com_port, PANEL_2}, {MENU_info, PANEL_5},
                                  {MENU_cali, PANEL_3}}) {
        int dialog = Open(item, resource);
        ASSERT_GT(dialog, 0);
        QTest::keyClick(qt::WindowOf(dialog), Qt::Key_Escape);
        EXPECT_EQ(FindPanel(dialog), nullptr) << resource << " ignores Escape";
    }
    int info = Open(MENU_info, PANEL_5);
    EXPECT_TRUE(static_cast<QPushButton *>(qt::WindowOf(info)->Body(PANEL_5_COMMANDBUTTON))->isDefault());
    QTest::keyClick(qt::WindowOf(info), Qt::Key_Return);
    EXPECT_EQ(FindPanel(info), nullptr) << "Return is OK";
}

// Non-text contrast against the panel: the keyboard focus outline of each kind of main
// window control and the border of an unchecked check box reach 3:1.
TEST_F(AccessibilityTest, FocusOutlineAndCheckBoxBorderStandOutFromThePanel)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
    QWidget *canvas = Main()->ClientArea()->widget();
    const QRgb panel = canvas->palette().color(QPalette::Window).rgb();
    Main()->setAttribute(Qt::WA_KeyboardFocusChange);  // as the Tab key sets it
    auto grab = [canvas](QWidget *w) { return canvas->grab(w->geometry().adjusted(-3, -3, 3, 3)).toImage(); };
    for (int control : {PANEL_TOGGLEBUTTON, panel_rings[1], panel_checkbox[1], panel_command_button[1]}) {
        QWidget *w = Widget(control);
        Main()->setFocus();
        QImage before = grab(w);
        w->setFocus(Qt::TabFocusReason);
        QImage after = grab(w);
        std::map<QRgb, int> changed;  // the outline is the colour most pixels change to
        for (int y = 0; y < after.height(); y++)
            for (int x = 0; x < after.width(); x++)
                if (after.pixel(x, y) != before.pixel(x, y)) changed[after.pixel(x, y)]++;
        ASSERT_FALSE(changed.empty()) << control << " shows no focus";
        auto outline = std::max_element(changed.begin(), changed.end(),
                                        [](auto &a, auto &b) { return a.second < b.second; });
        double ratio = Contrast(outline->first, panel);
        RecordProperty("focus_" + std::to_string(control), std::to_string(ratio));
        std::printf("focus outline of control %d: %06X, %.2f:1\n", control, outline->first & 0xFFFFFF, ratio);
        EXPECT_GE(ratio, 3.0) << control;
    }
    Main()->setFocus();
    QImage box = grab(Widget(panel_checkbox[2]));
    std::map<QRgb, int> colours;
    for (int y = 0; y < box.height(); y++)
        for (int x = 0; x < box.width(); x++) colours[box.pixel(x, y)]++;
    double border = 1.0;  // the darkest colour that draws a line, not a stray pixel
    for (auto [rgb, count] : colours)
        if (count >= 8 && Luminance(rgb) < Luminance(panel)) border = std::max(border, Contrast(rgb, panel));
    std::printf("unchecked check box border: %.2f:1\n", border);
    EXPECT_GE(border, 3.0);
}

}  // namespace
