#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "RunProgram.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/ReportPrinter.h"
#include "print/TfrmPrint.h"
#include "results/FileListSort.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>

namespace ferrolux {
namespace {

std::string expectedFile(const char* name) {
    return test::readFile(std::string(FERROLUX_PRINT_EXPECTED) + "/" + name);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = text.find(from); at != std::string::npos;
         at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

std::string pdfText(const std::string& pdf) {
    return test::runProgram("/usr/bin/pdftotext", {"-layout", pdf, "-"}).out;
}

int pdfPages(const std::string& pdf) {
    const std::string info = test::runProgram("/usr/bin/pdfinfo", {pdf}).out;
    const std::size_t at = info.find("Pages:");
    return at == std::string::npos ? -1 : std::stoi(info.substr(at + 6));
}

// The text of each page, as pdftotext separates them with form feeds.
std::vector<std::string> pdfPageTexts(const std::string& pdf) {
    std::vector<std::string> pages;
    const std::string text = pdfText(pdf);
    std::size_t start = 0;
    for (std::size_t feed = text.find('\f'); feed != std::string::npos;
         feed = text.find('\f', start)) {
        pages.push_back(text.substr(start, feed - start));
        start = feed + 1;
    }
    return pages;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

FileResult fileRow(const char* name, const char* directory, int64_t matches, const char* type,
                   int64_t size, const char* dateTime) {
    FileResult row;
    row.FileName = name;
    row.Directory = directory;
    row.Matches = matches;
    row.Type = QString::fromLatin1(type);
    row.Size = size;
    row.DateTime = QString::fromLatin1(dateTime);
    return row;
}

// Rows as a search would list them, with dates fixed for comparison.
std::vector<FileResult> fixedRows() {
    FileResult member = fileRow("readme.txt", "/data/pack.zip", 1, "T", 88, "01/02/2026  11:40am");
    member.ExtractedPath = "/tmp/ferrolux/pack.zip/readme.txt";
    return {fileRow("notes.txt", "/data/docs/", 3, "T", 1234, "03/07/2026  2:05pm"), member,
            fileRow("image.bin", "/data/media/", 12, "B", 40960, "12/31/2025  9:00am"),
            fileRow("a file name far too long for its column.txt",
                    "/data/a/deeply/nested/folder/of/the/archive/", 1234567, "T", 123456789012,
                    "11/30/2025  12:59pm")};
}

std::vector<FileResult> manyRows(int count) {
    std::vector<FileResult> rows;
    for (int i = 1; i <= count; ++i) {
        // No "fi": PDF text would read it back as a ligature.
        const std::string name = "row" + std::to_string(i) + ".txt";
        rows.push_back(fileRow(name.c_str(), "/data/", i, "T", 100 + i, "03/07/2026  2:05pm"));
    }
    return rows;
}

class Printing : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir folder;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;
    test::MainWindowControls ui;
    std::unique_ptr<TfrmPrint> dialog;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        ui = test::MainWindowControls(*window);
        window->show();
        dialog = std::make_unique<TfrmPrint>(
            [this] { return window->resultLists().selectedRow() >= 0; }, window.get());
        window->printing().setDialog(dialog.get());
        window->FormActivate(QLocale(QLocale::English, QLocale::UnitedStates));
        boxes.clear();
    }

    void TearDown() override {
        // The printer outlives the test; the next test chooses its own.
        currentPrinter().setOutputFormat(QPrinter::NativeFormat);
    }

    // A result list as the last search left it.
    void showResults(std::vector<FileResult> rows, const char* typed = "hello") {
        SearchRequest request;
        request.SearchText = typed;
        request.FileSpecs = "*.txt";
        ASSERT_FALSE(window->session().begin(request));
        ASSERT_TRUE(ui.Dir1->setDirectory("/"));
        ui.txtFilespec->setText(QStringLiteral("*.txt"));
        window->session().appendRows(std::move(rows));
        ui.lstFiles1->setEnabled(true);
        ui.lstFiles1->selectRow(0);
        ui.cmdPrint->setEnabled(true);
    }

    bool search(const QString& text) {
        EXPECT_TRUE(ui.Dir1->setDirectory(folder.path()));
        ui.cboSearch->setEditText(text);
        ui.txtFilespec->setText(QStringLiteral("*.*"));
        window->search().cmdSearchClick();
        if (window->search().searchRunning()) {
            QSignalSpy finished(window.get(), &TfrmMain::searchFinished);
            if (!finished.wait(30000)) return false;
        }
        return ui.lstFiles1->count() > 0;
    }

    // Presses the main window's Print button; act works the dialog while it
    // is shown. A dialog that act leaves open is cancelled, so nothing blocks.
    void pressPrint(const std::function<void(TfrmPrint&)>& act) {
        QTimer::singleShot(0, dialog.get(), [this, act] {
            act(*dialog);
            if (dialog->isVisible()) dialog->reject();
        });
        window->printing().cmdPrintClick();
    }

    // Print to File with the given option into path (the save dialog is
    // answered with path).
    void printToFile(int option, const std::string& path) {
        dialog->showSaveDialog = [path](QFileDialog&) {
            return std::optional<QString>(QString::fromStdString(path));
        };
        pressPrint([option](TfrmPrint& d) {
            d.setItemIndex(option);
            d.cmdFile->click();
        });
    }

    // Print Setup chooses a PDF file as the printer, then Print.
    void printToPdf(int option, const std::string& pdf) {
        dialog->showPrinterSetup = [pdf](QPrinter& printer) {
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(QString::fromStdString(pdf));
        };
        pressPrint([option](TfrmPrint& d) {
            d.cmdPrintSetup->click();
            d.setItemIndex(option);
            d.cmdPrint->click();
        });
    }

    std::string exported(int option) {
        const std::string path = folder.file("report-" + std::to_string(option) + ".txt");
        printToFile(option, path);
        return test::readFile(path);
    }
};

TEST_F(Printing, TheFileListExportMatchesTheExpectedTextByteForByte) {
    showResults(fixedRows());
    EXPECT_EQ(exported(0), expectedFile("file-list.txt"));
    EXPECT_TRUE(boxes.boxes().empty());
}

// A count past 2^31 (a file of that many matching lines) reaches the file
// list and the report whole.
TEST_F(Printing, CountsBeyondTwoToThe31AreListedAndExportedWhole) {
    showResults(
        {fileRow("huge.log", "/data/", (int64_t{1} << 32) + 7, "T", 9, "03/07/2026  2:05pm")});
    EXPECT_EQ(ui.lstFiles1->model()->index(0, ColMatches).data().toString(),
              QStringLiteral("4294967303"));
    EXPECT_TRUE(contains(exported(0), " 4294967303 ")) << exported(0);
}

TEST_F(Printing, TheSelectedFileExportHoldsExactlyTheListedLines) {
    showResults(fixedRows());
    // The lines now shown, though the file behind them no longer exists.
    ui.lstLines1->setLines({{"12", "say hello to the world", false},
                            {"40", "\thello after a tab: kept apart", false},
                            {"41", "hello \xE2\x80\x94 in UTF-8", false}});
    EXPECT_EQ(exported(1), expectedFile("selected-file.txt"));
}

TEST_F(Printing, TheCutsOfALongLineAreMarkedInPrintAsInTheList) {
    showResults(fixedRows());
    MatchLine cutBoth{"7", "near the hello in a long line", true, true};
    MatchLine cutAfter{"8", "hello at the start of a long line", false, true};
    ui.lstLines1->setLines({cutBoth, cutAfter, {"9", "a whole hello line", false}});
    const std::string text = exported(1);
    EXPECT_TRUE(contains(text, "\xE2\x80\xA6 near the hello in a long line \xE2\x80\xA6")) << text;
    EXPECT_TRUE(contains(text, " hello at the start of a long line \xE2\x80\xA6")) << text;
    EXPECT_FALSE(contains(text, "\xE2\x80\xA6 hello at the start")) << text;
    EXPECT_FALSE(contains(text, "a whole hello line \xE2\x80\xA6")) << text;
}

TEST_F(Printing, TheAllFilesExportSearchesEveryFileAgain) {
    folder.write("a.txt", "hello one\nnothing\nhello two\n");
    folder.write("b.txt", "just one hello\n");
    folder.write("c.dat", std::string("\x01\x02 binary hello here\0\0 and more", 32));
    ASSERT_TRUE(search(QStringLiteral("hello")));
    ASSERT_TRUE(ui.Dir1->setDirectory("/")); // a header independent of the folder
    EXPECT_EQ(exported(2), replaceAll(expectedFile("all-files.txt"), "@DIR@", folder.path()));
}

TEST_F(Printing, AllFilesPrintsTheLinesFoundNowUnderThePresentLimits) {
    folder.write("a.txt", "hello 1\nhello 2\n");
    ASSERT_TRUE(search(QStringLiteral("hello")));
    folder.write("a.txt", "hello 1\nhello 2\nhello 3\nhello 4\n");
    window->settings().MaxMatches = 3;
    const std::string text = exported(2);
    EXPECT_TRUE(contains(text, "a.txt - 2 matches\n")) << text; // the count of the search
    EXPECT_TRUE(contains(text, "hello 3"));
    EXPECT_FALSE(contains(text, "hello 4"));
    size_t printedLines = 0; // of a.txt, the one file
    for (size_t at = text.find("hello "); at != std::string::npos; at = text.find("hello ", at + 1))
        ++printedLines;
    EXPECT_EQ(printedLines, 3u);
}

TEST_F(Printing, TheHeaderFollowsTheDirectoryAndFileSpecButNotTheSearchBox) {
    showResults(fixedRows());
    ui.cboSearch->setEditText(QStringLiteral("typed after the search"));
    ui.txtFilespec->setText(QStringLiteral("*.log , *.txt"));
    ASSERT_TRUE(ui.Dir1->setDirectory(folder.path()));
    const std::string text = exported(0);
    EXPECT_EQ(text.substr(0, text.find("  ")),
              " Search for: \"hello\" in " + folder.path() + "*.log , *.txt");
}

TEST_F(Printing, FilesPrintInTheListsSortOrder) {
    showResults(fixedRows());
    window->resultLists().lstFiles1ColumnClick(2); // Matches, ascending
    const std::string text = exported(0);
    const std::size_t readme = text.find("readme.txt");
    const std::size_t notes = text.find("notes.txt");
    const std::size_t image = text.find("image.bin");
    ASSERT_NE(image, std::string::npos);
    EXPECT_LT(readme, notes);
    EXPECT_LT(notes, image);
}

TEST_F(Printing, NoSelectedFileIsRefusedAndTheDialogStaysForAnotherChoice) {
    showResults(fixedRows());
    ui.lstFiles1->clearSelection();
    const std::string path = folder.file("list.txt");
    bool stayedOpen = false;
    pressPrint([&](TfrmPrint& d) {
        d.setItemIndex(1);
        d.cmdPrint->click();
        stayedOpen = d.isVisible();
        EXPECT_EQ(d.PrintOption(), -1);
        d.showSaveDialog = [&](QFileDialog&) {
            return std::optional<QString>(QString::fromStdString(path));
        };
        d.cmdFile->click(); // the same check on Print to File
        d.setItemIndex(0);
        d.cmdFile->click();
    });
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("No file is currently selected"));
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(contains(test::readFile(path), "notes.txt"));
    EXPECT_EQ(dialog->ItemIndex(), 0); // kept for the next print
}

TEST_F(Printing, CancelAndACancelledSaveDialogPrintNothing) {
    showResults(fixedRows());
    const std::string pdf = folder.file("never.pdf");
    currentPrinter().setOutputFormat(QPrinter::PdfFormat);
    currentPrinter().setOutputFileName(QString::fromStdString(pdf));
    pressPrint([](TfrmPrint& d) { d.cmdCancel->click(); });
    EXPECT_EQ(dialog->PrintOption(), -1);
    dialog->showSaveDialog = [](QFileDialog&) { return std::optional<QString>(); };
    pressPrint([](TfrmPrint& d) { d.cmdFile->click(); });
    EXPECT_EQ(dialog->PrintOption(), -1);
    EXPECT_FALSE(dialog->isVisible());
    pressPrint([](TfrmPrint& d) { d.close(); });
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(std::filesystem::is_empty(folder.path()));
}

TEST_F(Printing, PrintToFileAddsTheExtensionAndAsksBeforeReplacingAFile) {
    showResults(fixedRows());
    folder.write("old.txt", "keep me");
    std::vector<QString> answers{folder.file("old").c_str(), folder.file("new").c_str()};
    dialog->showSaveDialog = [&answers](QFileDialog&) {
        const QString next = answers.front();
        answers.erase(answers.begin());
        return std::optional<QString>(next);
    };
    boxes.answerNext(IDNO);
    pressPrint([](TfrmPrint& d) { d.cmdFile->click(); });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("old.txt already exists.\nDo you want to replace it?"));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_YESNO, unsigned(MB_YESNO));
    EXPECT_EQ(test::readFile(folder.file("old.txt")), "keep me");
    EXPECT_EQ(dialog->PrintFileName(), folder.file("new.txt"));
    EXPECT_TRUE(contains(test::readFile(folder.file("new.txt")), "notes.txt"));

    boxes.clear();
    boxes.answerNext(IDYES);
    answers = {folder.file("old.txt").c_str()};
    pressPrint([](TfrmPrint& d) { d.cmdFile->click(); });
    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(contains(test::readFile(folder.file("old.txt")), "notes.txt"));
}

TEST_F(Printing, PrintingAgainToTheSamePdfAsksBeforeReplacingIt) {
    showResults(fixedRows());
    const std::string pdf = folder.file("files.pdf");
    printToPdf(0, pdf);
    ASSERT_EQ(pdfPages(pdf), 1);
    EXPECT_TRUE(boxes.boxes().empty()) << "a new file needs no question";
    folder.write("files.pdf", "the earlier report");

    boxes.answerNext(IDNO);
    bool stayedOpen = false;
    pressPrint([&stayedOpen](TfrmPrint& d) {
        d.cmdPrint->click();
        stayedOpen = d.isVisible();
    });
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("files.pdf already exists.\nDo you want to replace it?"));
    EXPECT_EQ(boxes.boxes()[0].flags & MB_YESNO, unsigned(MB_YESNO));
    EXPECT_TRUE(stayedOpen) << "open for Print Setup to choose another file";
    EXPECT_EQ(test::readFile(pdf), "the earlier report");

    boxes.answerNext(IDYES);
    pressPrint([](TfrmPrint& d) { d.cmdPrint->click(); });
    EXPECT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(pdfPages(pdf), 1);
}

TEST_F(Printing, PrintSetupConfirmsItsChoiceWithOkAndPrintsNothing) {
    QString confirmCaption;
    QTimer::singleShot(0, [&confirmCaption] {
        auto* setup = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(setup, nullptr);
        const auto* buttons = setup->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        confirmCaption = buttons->button(QDialogButtonBox::Ok)->text();
        setup->reject();
    });
    dialog->cmdPrintSetup->click();
    EXPECT_EQ(confirmCaption, QStringLiteral("&OK"));
}

TEST_F(Printing, TheSaveDialogOffersTextAndAllFiles) {
    QFileDialog* save = dialog->findChild<QFileDialog*>(QStringLiteral("dlgSave"));
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->windowTitle(), QStringLiteral("Print to File"));
    EXPECT_EQ(save->nameFilters(),
              QStringList({QStringLiteral("Text files (*.txt)"), QStringLiteral("All files (*)")}));
    EXPECT_EQ(save->defaultSuffix(), QStringLiteral("txt"));
    EXPECT_EQ(save->acceptMode(), QFileDialog::AcceptSave);
    // All files are all files, those without a dot in their names too.
    save->selectNameFilter(save->nameFilters().constLast());
    const auto* listed = save->findChild<QFileSystemModel*>();
    ASSERT_NE(listed, nullptr);
    for (const char* name : {"README", "notes.txt", "Makefile"})
        EXPECT_TRUE(QDir::match(listed->nameFilters(), QLatin1String(name))) << name;
}

TEST_F(Printing, AFailedWriteIsShownAndKeepsTheOlderFile) {
    showResults(manyRows(400));
    folder.write("report.txt", "older report");
    // Writes past 2 KiB fail, as on a full disk.
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 2048;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    boxes.answerNext(IDYES); // replace the older report
    printToFile(0, folder.file("report.txt"));
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);

    ASSERT_EQ(boxes.boxes().size(), 2u);
    const test::MessageBoxRecorder::Box& failure = boxes.boxes()[1];
    EXPECT_EQ(failure.caption, QStringLiteral("Error"));
    EXPECT_EQ(failure.text, QStringLiteral("The report could not be written to ") +
                                QString::fromStdString(folder.file("report.txt")) +
                                QStringLiteral(".\nFile too large"));
    EXPECT_EQ(test::readFile(folder.file("report.txt")), "older report");
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.path()))
        ++entries;
    EXPECT_EQ(entries, 1); // no temporary file left behind
}

TEST_F(Printing, TheFileListPrintsToPdfWithTheHeaderOnEveryPage) {
    showResults(manyRows(60));
    const std::string pdf = folder.file("files.pdf");
    printToPdf(0, pdf);
    ASSERT_EQ(pdfPages(pdf), 2);
    const std::vector<std::string> pages = pdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 2u);
    for (int i = 0; i < 2; ++i) {
        const std::string& page = pages[std::size_t(i)];
        EXPECT_TRUE(contains(page, "Search for: \"hello\" in /*.txt")) << page;
        EXPECT_TRUE(contains(page, "Page " + std::to_string(i + 1)));
        EXPECT_TRUE(contains(page, "File Name"));
        EXPECT_TRUE(contains(page, "Date/Time"));
    }
    // 50 rows fit a Letter page under the header; the rest go on page 2.
    EXPECT_TRUE(contains(pages[0], "row50.txt"));
    EXPECT_FALSE(contains(pages[0], "row51.txt"));
    EXPECT_TRUE(contains(pages[1], "row51.txt"));
    EXPECT_TRUE(contains(pages[1], "row60.txt"));
    EXPECT_TRUE(contains(pages[1], "2:05pm")); // set condensed rather than cut
    EXPECT_TRUE(boxes.boxes().empty());
}

// Records the status line's text each time it is painted.
class StatusPaints : public QObject {
public:
    explicit StatusPaints(QLabel* status) : status_(status) { status->installEventFilter(this); }
    std::vector<QString> seen;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == status_ && event->type() == QEvent::Paint) seen.push_back(status_->text());
        return false;
    }

private:
    QLabel* status_;
};

TEST_F(Printing, ALongPrintCountsItsPagesInTheStatusLineAndThenShowsTheSummaryAgain) {
    showResults(manyRows(120));
    const QString summary = ui.pnlStatus->text();
    StatusPaints paints(ui.pnlStatus);
    const std::string path = folder.file("many.txt");
    printToFile(0, path);
    ASSERT_FALSE(test::readFile(path).empty());
    // 50 rows a page: three pages, each shown as it is put out.
    std::vector<QString> pages;
    for (const QString& text : paints.seen)
        if (text.startsWith(QStringLiteral(" Printing page ")) &&
            (pages.empty() || pages.back() != text))
            pages.push_back(text);
    EXPECT_EQ(pages, (std::vector<QString>{QStringLiteral(" Printing page 1"),
                                           QStringLiteral(" Printing page 2"),
                                           QStringLiteral(" Printing page 3")}));
    EXPECT_EQ(ui.pnlStatus->text(), summary);
}

TEST_F(Printing, TheSelectedFilePrintsToPdf) {
    showResults(fixedRows());
    ui.lstLines1->setLines(
        {{"12", "say hello to the world", false}, {"40", "another hello", false}});
    const std::string pdf = folder.file("selected.pdf");
    printToPdf(1, pdf);
    ASSERT_EQ(pdfPages(pdf), 1);
    const std::string text = pdfText(pdf);
    EXPECT_TRUE(contains(text, "/data/docs/notes.txt - 3 matches")) << text;
    EXPECT_TRUE(contains(text, "say hello to the world"));
    EXPECT_TRUE(contains(text, "Page 1"));
    EXPECT_FALSE(contains(text, "readme.txt"));
}

TEST_F(Printing, AllFilesPrintToPdfAcrossPagesWithTheHeaderRepeated) {
    std::string many;
    for (int i = 1; i <= 70; ++i)
        many += "hello line " + std::to_string(i) + "\n";
    folder.write("long.txt", many);
    folder.write("short.txt", "one hello\n");
    ASSERT_TRUE(search(QStringLiteral("hello")));
    const std::string pdf = folder.file("all.pdf");
    printToPdf(2, pdf);
    ASSERT_EQ(pdfPages(pdf), 2);
    const std::vector<std::string> pages = pdfPageTexts(pdf);
    ASSERT_EQ(pages.size(), 2u);
    EXPECT_TRUE(contains(pages[0], "long.txt - 70 matches")) << pages[0];
    EXPECT_TRUE(contains(pages[1], "Search for: \"hello\" in " + folder.path() + "*.*"))
        << pages[1];
    EXPECT_TRUE(contains(pages[1], "Page 2"));
    EXPECT_TRUE(contains(pages[1], "hello line 70"));
    EXPECT_TRUE(contains(pages[1], "short.txt - 1 match"));
}

TEST_F(Printing, APrinterThatCannotBeUsedIsReported) {
    showResults(fixedRows());
    printToPdf(0, folder.file("missing/list.pdf"));
    currentPrinter().setOutputFileName(QString()); // no printer at all
    pressPrint([](TfrmPrint& d) { d.cmdPrint->click(); });
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("The report could not be written to ") +
                                         QString::fromStdString(folder.file("missing/list.pdf")) +
                                         QStringLiteral("."));
    EXPECT_EQ(boxes.boxes()[1].text, QStringLiteral("There is no printer to print on. Choose a "
                                                    "printer or a PDF file with Print Setup."));
    EXPECT_EQ(boxes.boxes()[1].caption, QStringLiteral("Error"));
    // A failed start must not leave the printer unusable for the next print.
    const std::string pdf = folder.file("list.pdf");
    printToPdf(0, pdf);
    EXPECT_EQ(pdfPages(pdf), 1);
    EXPECT_EQ(boxes.boxes().size(), 2u);
}

TEST_F(Printing, AListWithoutRowsPrintsNothing) {
    showResults({});
    const std::string pdf = folder.file("empty.pdf");
    printToPdf(0, pdf);
    EXPECT_FALSE(std::filesystem::exists(pdf));
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(Printing, EveryPressOfPrintTakesThePrintFontOfThePreferences) {
    showResults(fixedRows());
    const auto fontsOf = [](const std::string& pdf) {
        return test::runProgram("/usr/bin/pdffonts", {pdf}).out;
    };
    window->settings().PrintFontName = QStringLiteral("DejaVu Sans Mono");
    printToPdf(0, folder.file("mono.pdf"));
    window->settings().PrintFontName = QStringLiteral("DejaVu Serif");
    window->settings().PrintFontSize = 12;
    printToPdf(0, folder.file("serif.pdf"));
    const std::string mono = fontsOf(folder.file("mono.pdf"));
    const std::string serif = fontsOf(folder.file("serif.pdf"));
    EXPECT_TRUE(contains(mono, "DejaVuSansMono-Bold")) << mono; // headings
    EXPECT_TRUE(contains(mono, "DejaVuSansMono ")) << mono;     // rows
    EXPECT_FALSE(contains(mono, "Serif"));
    EXPECT_TRUE(contains(serif, "DejaVuSerif-Bold")) << serif;
    EXPECT_FALSE(contains(serif, "Mono"));
    const ResultsPrint& reports = window->printing().reports();
    for (const BandReport* report : {static_cast<const BandReport*>(&reports.filesReport()),
                                     static_cast<const BandReport*>(&reports.matchesReport())})
        for (const ReportField* field : report->fields()) {
            EXPECT_EQ(field->fontName, QStringLiteral("DejaVu Serif"));
            EXPECT_EQ(field->fontSize, 12);
        }
}

} // namespace
} // namespace ferrolux
