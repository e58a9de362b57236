// The popups of the run-time layer as Qt dialogs, answered the way an operator would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTreeView>

#include <sys/stat.h>

#include <cstring>

#include "platform/files.h"
#include "platform/log_window.h"
#include "window/window_env.h"

namespace {

using PopupsTest = zektest::WindowTest;

// Runs `answer` on the next popup and records its type.
template <typename Dialog>
void Answer(std::function<void(Dialog *)> answer)
{
    platform::qt::SetDialogHook([answer](QWidget *w) {
        auto *dialog = qobject_cast<Dialog *>(w);
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isModal());
        answer(dialog);
    });
}

std::string Prompt(int maxLength = 20, int entry = VAL_MASKED_ENTRY)
{
    char reply[64];
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(PromptPopup("Telemetrie Kalibration", "Bitte Passwort eingeben", reply, maxLength,
                          entry),
              0);
    return reply;
}

TEST_F(PopupsTest, MessageShowsTitleAndLines)
{
    Answer<QMessageBox>([](QMessageBox *box) {
        EXPECT_EQ(box->windowTitle(), "Warnung");
        EXPECT_EQ(box->text(), "Zeile eins\nZeile zwei");
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(MessagePopup("Warnung", "Zeile eins\r\nZeile zwei"), 0);
}

TEST_F(PopupsTest, ConfirmGivesOneForYesAndZeroForNoOrEscape)
{
    Answer<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::Yes)->click(); });
    EXPECT_EQ(ConfirmPopup("Warnung", "Sicher?"), 1);
    Answer<QMessageBox>([](QMessageBox *box) { box->button(QMessageBox::No)->click(); });
    EXPECT_EQ(ConfirmPopup("Warnung", "Sicher?"), 0);
    Answer<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Escape); });
    EXPECT_EQ(ConfirmPopup("Warnung", "Sicher?"), 0);
}

TEST_F(PopupsTest, PromptIsMaskedAndTakesAtMostTwentyBytes)
{
    Answer<QDialog>([](QDialog *dialog) {
        auto *entry = dialog->findChild<QLineEdit *>();
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
        QTest::keyClicks(entry, "abcdefghijklmnopqrstuvwxyz");
        QTest::keyClick(entry, Qt::Key_Return);
    });
    EXPECT_EQ(Prompt(), "abcdefghijklmnopqrst");

    // Umlauts take two bytes each: ten fit, none is cut in half.
    Answer<QDialog>([](QDialog *dialog) {
        auto *entry = dialog->findChild<QLineEdit *>();
        for (int i = 0; i < 15; i++)
            QTest::sendKeyEvent(QTest::Click, entry, Qt::Key_Adiaeresis, QString(QChar(0xE4)), Qt::NoModifier);
        QTest::keyClick(entry, Qt::Key_Return);
    });
    std::string umlauts = Prompt();
    EXPECT_EQ(umlauts.size(), 20u);
    EXPECT_EQ(QString::fromUtf8(umlauts.c_str()), QString(10, QChar(0xE4)));

    Answer<QDialog>([](QDialog *dialog) {
        QTest::keyClicks(dialog->findChild<QLineEdit *>(), "vqd");
        dialog->reject();
    });
    EXPECT_EQ(Prompt(), "");

    // Masking is the caller's choice: a plain prompt shows what is typed.
    Answer<QDialog>([](QDialog *dialog) {
        auto *entry = dialog->findChild<QLineEdit *>();
        EXPECT_EQ(entry->echoMode(), QLineEdit::Normal);
        QTest::keyClicks(entry, "7");
        QTest::keyClick(entry, Qt::Key_Return);
    });
    EXPECT_EQ(Prompt(20, VAL_PLAIN_ENTRY), "7");
}

TEST_F(PopupsTest, FileSelectionOpensAndSavesInTheWorkingDirectory)
{
    zektest::WriteFile("vorhanden.cfg", "x");
    char path[MAX_PATHNAME_LEN];
    Answer<QFileDialog>([this](QFileDialog *files) {
        EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(files->directory().canonicalPath(), QDir(QString::fromStdString(dir)).canonicalPath());
        EXPECT_TRUE(files->nameFilters().contains("*.cfg"));
        files->selectFile("vorhanden.cfg");
        static_cast<QDialog *>(files)->accept();
    });
    EXPECT_EQ(FileSelectPopup("", "*.cfg", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 1, path), 1);
    EXPECT_EQ(QFileInfo(path).canonicalFilePath(), QFileInfo("vorhanden.cfg").canonicalFilePath());

    // Saving offers the given name; cancelling gives 0.
    Answer<QFileDialog>([](QFileDialog *files) {
        EXPECT_EQ(files->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_EQ(files->windowTitle(), "Speichern unter");
        EXPECT_EQ(files->findChild<QLineEdit *>()->text(), "neu.cfg");
        static_cast<QDialog *>(files)->accept();
    });
    EXPECT_EQ(FileSelectPopup("", "neu.cfg", "", "Speichern unter", VAL_SAVE_BUTTON, 0, 0, 1, 1, path), 1);
    EXPECT_EQ(QFileInfo(path).fileName(), "neu.cfg");
    Answer<QFileDialog>([](QFileDialog *files) { files->reject(); });
    EXPECT_EQ(FileSelectPopup("", "*.cfg", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 1, path), 0);
}

// A name typed without extension gets the offered one, so that Open's pattern shows it
// again; the next dialog, also after a restart, starts in the folder last chosen; every
// column heading fits.
TEST_F(PopupsTest, SaveAddsTheExtensionAndTheFolderIsRemembered)
{
    ASSERT_EQ(mkdir("sub", 0755), 0);
    char path[MAX_PATHNAME_LEN];
    Answer<QFileDialog>([](QFileDialog *files) {
        auto *header = files->findChild<QTreeView *>()->header();
        for (int i = 0; i < header->count(); ++i)
            EXPECT_GE(header->sectionSize(i), header->sectionSizeHint(i)) << i;
        files->setDirectory(QDir(QStringLiteral("sub")).absolutePath());
        files->findChild<QLineEdit *>()->setText(QStringLiteral("pruef1"));
        static_cast<QDialog *>(files)->accept();
    });
    ASSERT_EQ(FileSelectPopup("", "unnamed.cfg", "", "", VAL_SAVE_BUTTON, 0, 0, 1, 1, path), 1);
    EXPECT_EQ(QFileInfo(path).fileName(), "pruef1.cfg");

    frontEnd.reset();  // a restart of the front end keeps the folder
    frontEnd.emplace();
    QString started;
    Answer<QFileDialog>([&started](QFileDialog *files) {
        started = files->directory().absolutePath();
        files->reject();
    });
    EXPECT_EQ(FileSelectPopup("", "*.cfg", "", "", VAL_LOAD_BUTTON, 0, 0, 1, 1, path), 0);
    EXPECT_EQ(QDir(started).canonicalPath(), QDir("sub").canonicalPath());
}

// The log window is not modal, shows the file's lines and follows it as it grows; asked
// again it is the same window.
TEST_F(PopupsTest, LogWindowFollowsItsFile)
{
    zektest::WriteFile("traffic.log", "line one\nline two\n");
    ASSERT_EQ(ShowLogWindow("Link Log", "traffic.log"), 0);
    QPlainTextEdit *view = nullptr;
    for (QWidget *w : QApplication::topLevelWidgets())
        if (w->objectName() == "zek-log-window" && w->isVisible()) {
            EXPECT_FALSE(w->isModal());
            EXPECT_EQ(w->windowTitle(), "Link Log");
            view = w->findChild<QPlainTextEdit *>();
        }
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(view->isReadOnly());
    EXPECT_EQ(view->toPlainText(), "line one\nline two\n");
    zektest::WriteFile("traffic.log", "line one\nline two\nline three\n");
    EXPECT_TRUE(QTest::qWaitFor([view] { return view->toPlainText().endsWith("line three\n"); }))
        << view->toPlainText().toStdString();
    ASSERT_EQ(ShowLogWindow("Link Log", "traffic.log"), 0);
    int shown = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        shown += w->objectName() == "zek-log-window" && w->isVisible();
    EXPECT_EQ(shown, 1);
}

}  // namespace
