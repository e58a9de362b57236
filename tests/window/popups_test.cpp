// The popups of the run-time layer as Qt dialogs, answered the way an operator would.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QComboBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTreeView>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <regex>
#include <sstream>

#include "app/shell.h"
#include "channels/config_text.h"
#include "channels/image.h"
#include "documents/file_menu.h"
#include "link/port.h"
#include "platform/report.h"
#include "transfer/transfer.h"
#include "ui/texts.h"

#include "platform/files.h"
#include "platform/ui/log_window.h"
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

std::string Prompt(int maxLength = 20, int entry = VAL_MASKED_ENTRY, int result = 0)
{
    char reply[64];
    std::memset(reply, 'x', sizeof reply);
    EXPECT_EQ(PromptPopup("Telemetrie Kalibration", "Bitte Passwort eingeben", reply, maxLength,
                          entry),
              result);
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
    // Return gives the default answer: Yes, unless the caller offers No.
    Answer<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(ConfirmPopup("Warnung", "Sicher?"), 1);
    Answer<QMessageBox>([](QMessageBox *box) { QTest::keyClick(box, Qt::Key_Return); });
    EXPECT_EQ(ConfirmPopup("Warnung", "Schaden?", VAL_DEFAULT_NO), 0);
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
    EXPECT_EQ(Prompt(20, VAL_MASKED_ENTRY, PROMPT_CANCELLED), "");

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

// The record's table: read-only, and the channel choice shows only that channel's rows.
TEST_F(PopupsTest, ReportTableIsReadOnlyAndFiltersByItsColumn)
{
    ReportContent report;
    report.title = "Kalibrierprotokoll";
    report.header = {"Zeit", "Kanal", "Ergebnis"};
    report.rows = {
        {"t3", "10", "bestätigt"}, {"t2", "2", "abgelehnt"}, {"t1", "10", "keine Antwort"}};
    bool seen = false;
    Answer<QDialog>([&seen](QDialog *dialog) {
        auto *table = dialog->findChild<QTableWidget *>();
        auto *filter = dialog->findChild<QComboBox *>();
        ASSERT_NE(table, nullptr);
        ASSERT_NE(filter, nullptr);
        EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        EXPECT_EQ(table->item(0, 0)->text(), "t3");
        ASSERT_EQ(filter->count(), 3);
        EXPECT_EQ(filter->itemText(0), "alle");
        EXPECT_EQ(filter->itemText(1), "2");  // channels by number, not by text
        filter->setCurrentIndex(2);
        EXPECT_FALSE(table->isRowHidden(0));
        EXPECT_TRUE(table->isRowHidden(1));
        EXPECT_FALSE(table->isRowHidden(2));
        filter->setCurrentIndex(0);
        EXPECT_FALSE(table->isRowHidden(1));
        seen = true;
        dialog->reject();
    });
    EXPECT_EQ(ShowReportTable(report, 1, "alle"), 0);
    EXPECT_TRUE(seen);
}

// The text pdftotext reads back from a PDF, line by line, blanks between words as one.
std::vector<std::string> PdfLines(const std::string &pdf)
{
    if (std::system(("pdftotext -layout " + pdf + " text.txt").c_str()) != 0) return {};
    std::istringstream text(zektest::ReadFile("text.txt"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(text, line);) {
        line = std::regex_replace(line, std::regex("\\s+"), " ");
        line = std::regex_replace(line, std::regex("^ | $"), "");
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

// The words pdftotext finds outside the page's 15 mm margins, as "word xMin xMax yMax".
std::vector<std::string> WordsOffThePage(const std::string &pdf)
{
    if (std::system(("pdftotext -bbox " + pdf + " boxes.html").c_str()) != 0) return {"unread"};
    const std::string boxes = zektest::ReadFile("boxes.html");
    const std::regex word("xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" xMax=\"([-0-9.]+)\" "
                          "yMax=\"([-0-9.]+)\">([^<]*)<");
    std::vector<std::string> off;
    for (std::sregex_iterator m(boxes.begin(), boxes.end(), word), end; m != end; ++m) {
        const double x0 = std::stod((*m)[1]), y0 = std::stod((*m)[2]);
        const double x1 = std::stod((*m)[3]), y1 = std::stod((*m)[4]);
        if (x0 < 41 || x1 > 842 - 41 || y0 < 41 || y1 > 595 - 41)
            off.push_back((*m)[5].str() + " " + (*m)[1].str() + " " + (*m)[3].str() + " " +
                          (*m)[4].str());
    }
    return off;
}

bool QpdfAccepts(const std::string &pdf)
{
    return std::system(("qpdf --check " + pdf + " >/dev/null").c_str()) == 0;
}

// The sheet of a 16-channel image as the shared writer puts it on the page: pdftotext
// reads back every row with its range, bridge and words in their columns. In German with
// a long document name and a long comparison it keeps its umlauts, wraps the name whole
// within the margins, pages the comparison, and qpdf finds the file sound.
TEST_F(PopupsTest, ConfigurationSheetPdfHoldsEveryChannelInTheCurrentLanguage)
{
    if (std::system("pdftotext -v >/dev/null 2>&1") != 0) GTEST_SKIP() << "pdftotext is missing";
    const bool qpdf = std::system("qpdf --version >/dev/null 2>&1") == 0;
    sprache = 1;
    const int modes[4] = {MODE_BYTE_FULL_BRIDGE, MODE_BYTE_HALF_BRIDGE, MODE_BYTE_TE_1,
                          MODE_BYTE_TE_2};
    const char *ranges[4] = {"Strain gage 4mV/V full bridge", "Strain gage 2mV/V half bridge",
                             "TC Type 1 -", "TC Type 2 -"};
    const int gains[4] = {0x200, 0x100, 0x700, 0x701};
    auto put = [](int a, int w) {
        aktuelle_daten[a] = w & 0xFF;
        aktuelle_daten[a + 1] = w >> 8;
    };
    std::vector<std::string> expected;
    for (int ch = 0; ch < 16; ch++) {
        aktuelle_daten[mode_address(ch)] = modes[ch % 4];
        put(block_address(0, ch) + OFF_RANGE_OFFSET, 1000 + ch);
        put(block_address(0, ch) + OFF_RANGE_GAIN, gains[ch % 4]);
        std::ostringstream row;
        row << ch + 1 << ' ' << ranges[ch % 4] << ' ' << 1000 + ch << ' ' << gains[ch % 4];
        for (int bank = 0; bank < 3; bank++) {
            put(block_address(bank, ch) + OFF_CAL_OFFSET, 20000 + 1000 * bank + ch);
            put(block_address(bank, ch) + OFF_CAL_GAIN, 3900 + 100 * bank + ch);
            row << ' ' << 20000 + 1000 * bank + ch << ' ' << 3900 + 100 * bank + ch;
        }
        expected.push_back(row.str());
    }
    int device[512];
    std::copy(aktuelle_daten, aktuelle_daten + 512, device);
    device[block_address(1, 2) + OFF_CAL_GAIN] ^= 1;  // the last comparison found one difference
    note_comparison(aktuelle_daten, device);
    ASSERT_EQ(WriteReportPdf("sheet.pdf", configuration_sheet()), 0);
    EXPECT_EQ(zektest::ReadFile("sheet.pdf").substr(0, 5), "%PDF-");
    if (qpdf) {
        EXPECT_TRUE(QpdfAccepts("sheet.pdf"));
    }
    std::vector<std::string> lines = PdfLines("sheet.pdf");
    for (const char *wanted :
         {"Configuration Sheet", "Document: unnamed.cfg", "16 Channel Telemetry", "Port: COM1"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), wanted), lines.end()) << wanted;
    for (const std::string &row : expected)
        EXPECT_NE(std::find(lines.begin(), lines.end(), row), lines.end()) << row;
    const std::regex check(
        "Last check of this session: Comparison With the Rotor, [-0-9]+ [:0-9]+");
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [&check](const std::string &l) { return std::regex_match(l, check); }),
              1);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "Channel 3, TC type 1 bank, calibration gain: 4002 (window), 4003 (rotor)"),
              lines.end());

    sprache = 0;
    const std::string folder = "/" + std::string(300, 'o') + "/Prüfstand Welle 3";
    std::snprintf(File_Name, sizeof File_Name, "%s/Messung.cfg", folder.c_str());
    for (int a = 0; a < 512; a++) device[a] = aktuelle_daten[a] ^ 1;
    note_comparison(aktuelle_daten, device);
    ASSERT_EQ(WriteReportPdf("lang.pdf", configuration_sheet()), 0);
    if (qpdf) {
        EXPECT_TRUE(QpdfAccepts("lang.pdf"));
    }
    EXPECT_EQ(WordsOffThePage("lang.pdf"), std::vector<std::string>());
    lines = PdfLines("lang.pdf");
    std::string joined;  // wrapped lines joined, blanks left out
    for (const std::string &l : lines) joined += l;
    joined.erase(std::remove(joined.begin(), joined.end(), ' '), joined.end());
    std::string name = std::string("Dokument:") + File_Name;
    name.erase(std::remove(name.begin(), name.end(), ' '), name.end());
    EXPECT_NE(joined.find(name), std::string::npos) << "the document's name whole";
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Schnittstelle: COM1"), lines.end());
    EXPECT_NE(joined.find("Brücke"), std::string::npos);
    EXPECT_NE(joined.find("LetztePrüfungdieserSitzung:"), std::string::npos);
    const std::string pages = zektest::ReadFile("text.txt");
    EXPECT_GE(std::count(pages.begin(), pages.end(), '\f'), 2) << "the comparison pages on";
}

// The window's sheet and zek-cli's of the same configuration file are the same bytes but
// for the date and time they were made.
TEST_F(PopupsTest, WindowAndCliSheetsOfOneFileDifferOnlyInTheirDate)
{
    int image[512] = {};
    const int modes[4] = {MODE_BYTE_FULL_BRIDGE, MODE_BYTE_HALF_BRIDGE, MODE_BYTE_TE_1,
                          MODE_BYTE_TE_2};
    for (int a = 0; a < 512; a++) image[a] = (a * 37) & 0xFF;
    for (int ch = 0; ch < 16; ch++) image[mode_address(ch)] = modes[ch % 4];
    zektest::WriteFile("rig.cfg", zektest::ConfigTextOf(image));
    zektest::WriteSettings({.language = 1, .channels = 16, .shown = 16, .port = 3});
    sprache = 1;
    Kanalzahl = Kanalzahl_GUI = 16;
    com_port = 3;
    ASSERT_EQ(datei_lesen("rig.cfg", VAL_READ_ONLY), 0);
    einlesen_ini();
    std::snprintf(File_Name, sizeof File_Name, "rig.cfg");
    ASSERT_EQ(WriteReportPdf("window.pdf", configuration_sheet()), 0);
    ASSERT_EQ(std::system(ZEK_CLI_PATH " sheet cli.pdf --from rig.cfg 2>cli.err"), 0)
        << zektest::ReadFile("cli.err");
    const std::regex date("[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}");
    const std::string window = zektest::ReadFile("window.pdf"), cli = zektest::ReadFile("cli.pdf");
    EXPECT_EQ(std::regex_replace(window, date, "DATE"), std::regex_replace(cli, date, "DATE"));
    EXPECT_NE(window.find("(Port: COM3)"), std::string::npos);
}

}  // namespace
