// The main window as the Qt front end builds it from the model after start-up.
#include <gtest/gtest.h>

#include <QAction>
#include <QFontMetrics>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QAbstractButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTest>

#include <cstdio>
#include <filesystem>
#include <tuple>
#include <vector>

#include "channels/image.h"
#include "documents/file_menu.h"
#include "ui/texts.h"
#include "ui/uir.h"
#include "window/window_env.h"

using namespace platform;

namespace {

class MainWindowTest : public zektest::WindowTest,
                       public ::testing::WithParamInterface<std::tuple<int, int>> {};

TEST_P(MainWindowTest, SizesRowsRingsAndCheckMarksFollowTheSettings)
{
    auto [language, rows] = GetParam();
    const bool english = language != 0;
    ASSERT_EQ(StartWindow(language, rows), 0);
    qt::PanelWindow *w = Main();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());

    // Client area of the model's size, the menu bar above it.
    int height = rows == 4 ? 295 : rows == 8 ? 395 : 595;
    int width = rows == 16 ? 580 : 550;
    EXPECT_EQ(w->ClientArea()->size(), QSize(width, height));
    auto *bar = qobject_cast<QMenuBar *>(w->menuWidget());
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(w->ClientArea()->geometry().top(), bar->geometry().bottom() + 1);
    // The status line below it, from the start, with the port part.
    QStatusBar *status = w->statusBar();
    EXPECT_TRUE(status->isVisible());
    EXPECT_EQ(w->height(), height + bar->height() + status->height());
    auto *port = status->findChild<QLabel *>("zek-port-status");
    ASSERT_NE(port, nullptr);
    EXPECT_TRUE(port->isVisible());
    EXPECT_TRUE(port->text().startsWith("COM1: ")) << port->text().toStdString();
    EXPECT_EQ(w->ClientArea()->verticalScrollBar()->isVisible(), rows == 16);

    for (int i = 0; i < 16; i++) {
        SCOPED_TRACE("channel index " + std::to_string(i));
        EXPECT_EQ(Widget(panel_rings[i])->isVisible(), i < rows);
        EXPECT_EQ(Widget(panel_checkbox[i])->isVisible(), i < rows);
        EXPECT_EQ(Widget(panel_command_button[i])->isVisible(), i < rows);
        QString prefix = english ? "Channel " : "Kanal ";
        EXPECT_EQ(Main()->Caption(panel_rings[i])->text(), prefix + QString::number(i + 1));
        QComboBox *ring = Ring(i);
        ASSERT_EQ(ring->count(), 8);
        QFontMetrics metrics(ring->font());
        EXPECT_EQ(metrics.horizontalAdvance("iiii"), metrics.horizontalAdvance("MMMM"));
        for (int k = 0; k < 8; k++) {
            const TextPair &item = txt::range_items[k];
            EXPECT_EQ(ring->itemText(k), QString::fromUtf8(english ? item.en : item.de));
            // The 21-character labels line up: all equally wide.
            EXPECT_EQ(metrics.horizontalAdvance(ring->itemText(k)),
                      metrics.horizontalAdvance(ring->itemText(0)));
        }
    }
    auto *system = static_cast<QLabel *>(Widget(PANEL_TEXTMSG_1));
    EXPECT_EQ(system->text(),
              QString::number(rows) + (english ? " Channel Telemetry" : " Kanal Telemetrie"));

    QStringList menus;
    for (QAction *a : bar->actions()) menus << a->text();
    EXPECT_EQ(menus, english ? QStringList({"&File", "&Edit", "&Settings", "&Tools", "&Help"})
                             : QStringList({"&Datei", "&Bearbeiten", "&Einstellungen", "E&xtras", "&Hilfe"}));
    EXPECT_EQ(w->MenuAction(MENU_sprache_d)->isChecked(), !english);
    EXPECT_EQ(w->MenuAction(MENU_sprache_e)->isChecked(), english);
    EXPECT_EQ(w->MenuAction(MENU_4kanal)->isChecked(), rows == 4);
    EXPECT_EQ(w->MenuAction(MENU_8kanal)->isChecked(), rows == 8);
    EXPECT_EQ(w->MenuAction(MENU_16kanal)->isChecked(), rows == 16);
    EXPECT_EQ(w->MenuAction(MENU_save_as)->text(), english ? "Save &as" : "Speichern &unter");
}

INSTANTIATE_TEST_SUITE_P(LanguagesAndRows, MainWindowTest,
                         ::testing::Combine(::testing::Values(0, 1), ::testing::Values(4, 8, 16)));

using MainWindowKeys = zektest::WindowTest;

// Alt+D opens the File menu, B chooses Quit: the program writes its files and ends.
TEST_F(MainWindowKeys, AltDThenBQuits)
{
    bool opened = false;
    int status = StartWindow(0, 8, [&] {
        std::remove("config.ctc");
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
        QTest::keyClick(Main()->windowHandle(), Qt::Key_D, Qt::AltModifier);
        QMenu *file = Main()->MenuAction(MENU_datei)->menu();
        opened = file->isVisible();
        QTest::keyClick(file, Qt::Key_B);
        EXPECT_TRUE(QuitRequested());
        QuitUserInterface(7);  // noticed only if the quit item did not end the loop
    });
    EXPECT_TRUE(opened);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(zektest::ReadFile("config.ctc"), zektest::SettingsBytes({}));
}

// Alt+D opens the File menu, 1 opens the first recent document; the unused numbers are
// not shown, the list's separator is.
TEST_F(MainWindowKeys, AltDThen1OpensTheRecentDocument)
{
    const std::string rig = dir + "/rig.cfg";
    zektest::WriteFile(rig, "a5" + std::string(798, '0'));
    zektest::WriteFile("zek-config.state", "recent_documents=" + rig + "\n");
    QStringList shown;
    int status = StartWindow(0, 8, [&] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
        QTest::keyClick(Main()->windowHandle(), Qt::Key_D, Qt::AltModifier);
        QMenu *file = Main()->MenuAction(MENU_datei)->menu();
        for (QAction *a : file->actions())
            if (a->isVisible()) shown << (a->isSeparator() ? "-" : a->text());
        QTest::keyClick(file, Qt::Key_1);
        QuitUserInterface(0);
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(shown, QStringList({"&Neu", "Ö&ffnen..", "&Speichern", "Speichern &unter", "-",
                                  "&1 " + QString::fromStdString(rig), "-", "&Beenden"}));
    EXPECT_EQ(aktuelle_daten[0], 0xa5);
    EXPECT_EQ(File_Name, rig);
}

// Changes made by the code show at once, without waiting for the event loop.
TEST_F(MainWindowKeys, ModelChangesShowAtOnce)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    SetCtrlAttribute(panel_handle, panel_rings[1], ATTR_DIMMED, 1);
    EXPECT_FALSE(Ring(1)->isEnabled());
    SetCtrlAttribute(panel_handle, panel_checkbox[2], ATTR_VISIBLE, 0);
    EXPECT_FALSE(Widget(panel_checkbox[2])->isVisible());
    SetCtrlAttribute(panel_handle, panel_rings[0], ATTR_LABEL_TEXT, "__Erster");
    EXPECT_EQ(Main()->Caption(panel_rings[0])->text(), "&Erster");
    InsertListItem(panel_handle, panel_rings[0], 0, "neu", 5);
    EXPECT_EQ(Ring(0)->count(), 9);
    EXPECT_EQ(Ring(0)->itemText(0), "neu");
    SetCtrlIndex(panel_handle, panel_rings[0], 4);
    EXPECT_EQ(Ring(0)->currentIndex(), 4);
    SetCtrlVal(panel_handle, PANEL_TEXTMSG_2, "Änderung");
    EXPECT_EQ(static_cast<QLabel *>(Widget(PANEL_TEXTMSG_2))->text(), "Änderung");
    SetCtrlAttribute(panel_handle, panel_command_button[0], ATTR_CMD_BUTTON_COLOR, 0xFF0000);
    EXPECT_EQ(Widget(panel_command_button[0])->palette().color(QPalette::Button), QColor(255, 0, 0));
    SetMenuBarAttribute(GetPanelMenuBar(panel_handle), MENU_cali, ATTR_DIMMED, 1);
    EXPECT_FALSE(Main()->MenuAction(MENU_cali)->isEnabled());
    SetMenuBarAttribute(GetPanelMenuBar(panel_handle), MENU_8kanal, ATTR_CHECKED, 0);
    EXPECT_FALSE(Main()->MenuAction(MENU_8kanal)->isChecked());
    SetPanelAttribute(panel_handle, ATTR_TITLE, "probe.cfg");
    EXPECT_EQ(Main()->windowTitle(), "probe.cfg");
}

// Shortcut keys choose their menu items, through the same path as the menu.
TEST_F(MainWindowKeys, ShortcutsChooseTheirItems)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    static std::vector<int> chosen;
    chosen.clear();
    const int items[] = {MENU_new, MENU_open, MENU_save, MENU_save_as, MENU_quit, MENU_info};
    for (int item : items)
        platform::FindMenuEntry(GetPanelMenuBar(panel_handle), item)->callback =
            [](int, int menuItem, void *, int) { chosen.push_back(menuItem); };
    Main()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Main()));
    QWindow *w = Main()->windowHandle();
    QTest::keyClick(w, Qt::Key_N, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_O, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    QTest::keyClick(w, Qt::Key_Q, Qt::ControlModifier);
    QTest::keyClick(w, Qt::Key_F1);
    EXPECT_EQ(chosen, std::vector<int>(std::begin(items), std::end(items)));
}

// Qt's own buttons speak the program's language, and follow the language item at once.
TEST_F(MainWindowKeys, QtTextsFollowTheLanguageItem)
{
    ASSERT_EQ(StartWindow(0, 8), 0);
    QStringList yes;
    platform::qt::SetDialogHook([&yes](QWidget *dialog) {
        auto *box = qobject_cast<QMessageBox *>(dialog);
        ASSERT_NE(box, nullptr);
        if (QAbstractButton *b = box->button(QMessageBox::Yes)) yes << b->text();
        box->buttons().first()->click();
    });
    ConfirmPopup("Warnung", "?");
    Main()->MenuAction(MENU_sprache_e)->trigger();  // shows the restart notice
    ConfirmPopup("Warning", "?");
    EXPECT_EQ(yes, QStringList({"&Ja", "&Yes"}));
}

}  // namespace

// The picture is the image file the resource names, read from beside the resource.
TEST_F(MainWindowKeys, PictureShowsTheImageFileBesideTheResource)
{
    std::filesystem::copy_file(std::string(ZEK_UIR_DIR) + "/zek-config.uir", dir + "/zek-config.uir");
    zektest::WriteFile("rotor.svg", "<svg xmlns='http://www.w3.org/2000/svg' width='20' height='12'>"
                           "<rect width='20' height='12' fill='#FF0000'/></svg>");
    SetResourceDir(dir.c_str());
    ASSERT_EQ(StartWindow(0, 8), 0);
    QWidget *picture = Widget(PANEL_PICTURE);
    QImage shot = picture->grab().toImage();
    EXPECT_EQ(QColor(shot.pixel(shot.width() / 2, shot.height() / 2)), QColor(255, 0, 0));
}
