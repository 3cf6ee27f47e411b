#include "platform/ui/TextReportWriter.h"

#include "TempDir.h"
#include "platform/ui/FieldText.h"
#include "print/Reports.h"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

namespace fs = std::filesystem;

// A file list report over rows of (name, directory, matches, size).
struct FileRows {
    struct Row {
        const char* name;
        const char* directory;
        int matches;
        long long size;
    };
    std::vector<Row> rows;
    int cursor = -1;

    void connect(FilesReport& report) {
        report.QRBand1.NeedData = [this, &report](bool& more) {
            more = ++cursor < int(rows.size());
            if (!more) return;
            const Row& row = rows[std::size_t(cursor)];
            report.lblFileNameF.text = QString::fromUtf8(row.name);
            report.lblDirectoryF.text = QString::fromUtf8(row.directory);
            report.lblMatchesF.text = QString::number(row.matches);
            report.lblTypeF.text = QStringLiteral("T");
            report.lblSizeF.text = QString::number(row.size);
            report.lblDateF.text = QStringLiteral("03/07/2026  2:05pm");
        };
    }
};

struct Pages : ReportPageSink {
    std::vector<std::vector<QString>> lines;
    bool addPage(const ReportPage& page) override {
        lines.push_back(pageLines(page));
        return true;
    }
};

std::vector<FileRows::Row> numberedRows(int count) {
    static std::vector<std::string> names;
    names.clear();
    for (int i = 1; i <= count; ++i)
        names.push_back("file" + std::to_string(i) + ".txt");
    std::vector<FileRows::Row> rows;
    for (const std::string& name : names)
        rows.push_back({name.c_str(), "/data/", 1, 10});
    return rows;
}

int countFiles(const std::string& folder) {
    int count = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder))
        ++count;
    return count;
}

TEST(TextReport, ColumnsFollowTheFieldPositionsAndRightEdgesLineUp) {
    FilesReport report;
    FileRows data{{{"notes.txt", "/data/docs/", 3, 1234}, {"b.txt", "/", 1234567, 7}}};
    data.connect(report);
    report.lblPageHeaderF.text = QStringLiteral("Search for: \"x\" in /*.*");
    Pages pages;
    ASSERT_TRUE(report.run(pages));
    ASSERT_EQ(pages.lines.size(), 1u);
    const std::vector<QString>& lines = pages.lines[0];
    ASSERT_EQ(lines.size(), 6u); // 4 header lines, 2 rows
    EXPECT_EQ(lines[0].indexOf(QStringLiteral("Page 1")), 103);
    EXPECT_TRUE(lines[1].isEmpty());
    const QString& captions = lines[2];
    const QString& first = lines[4];
    const QString& second = lines[5];
    EXPECT_EQ(captions.indexOf(QStringLiteral("File Name")), 1);
    EXPECT_EQ(first.indexOf(QStringLiteral("notes.txt")), 1);
    EXPECT_EQ(captions.indexOf(QStringLiteral("Directory")), 33);
    EXPECT_EQ(first.indexOf(QStringLiteral("/data/docs/")), 33);
    // Right-aligned numbers end under the end of their caption.
    const auto endOf = [](const QString& line, const QString& text) {
        return line.indexOf(text) + text.size();
    };
    EXPECT_EQ(endOf(captions, QStringLiteral("Matches")), 83);
    EXPECT_EQ(endOf(first, QStringLiteral(" 3 ")) - 1, 83);
    EXPECT_EQ(endOf(second, QStringLiteral("1234567")), 83);
    EXPECT_EQ(endOf(captions, QStringLiteral("Size")), 101);
    EXPECT_EQ(endOf(first, QStringLiteral("1234")), 101);
    EXPECT_EQ(captions.indexOf(QStringLiteral("Date/Time")), 103);
    EXPECT_EQ(first.indexOf(QStringLiteral("03/07/2026")), 103);
}

TEST(TextReport, TextTooLongForItsFieldIsCutWithAnEllipsis) {
    FilesReport report;
    FileRows data{{{"a-file-name-that-is-far-too-long-for-the-column.txt",
                    "/a/very/deep/folder/that/goes/on/and/on/and/on/", 1, 1}}};
    data.connect(report);
    report.lblPageHeaderF.text = QStringLiteral("Search for: \"x\" in ") + QString(200, 'd');
    Pages pages;
    ASSERT_TRUE(report.run(pages));
    const std::vector<QString>& lines = pages.lines.at(0);
    EXPECT_EQ(lines[4].mid(1, 32), QStringLiteral("a-file-name-that-is-far-too-lo… "));
    EXPECT_EQ(lines[4].mid(33, 40), QStringLiteral("/a/very/deep/folder/that/goes/on/and/o… "));
    // The page header stops short of the page number.
    EXPECT_EQ(lines[0].indexOf(fieldEllipsis), 101);
    EXPECT_EQ(lines[0].mid(101), QStringLiteral("… Page 1"));
}

TEST(TextReport, PagesAreSeparatedByAFormFeedLine) {
    test::TempDir folder;
    FilesReport report;
    FileRows data{numberedRows(51)};
    data.connect(report);
    const std::string path = folder.file("list.txt");
    std::string error;
    ASSERT_TRUE(exportReportText(report, path, error)) << error;
    const std::string text = test::readFile(path);
    const std::size_t feed = text.find("\n\f\n");
    ASSERT_NE(feed, std::string::npos);
    EXPECT_EQ(text.find('\f', feed + 2), std::string::npos); // two pages
    const std::string second = text.substr(feed + 3);
    EXPECT_EQ(second.find("Page 2"), 103u);
    EXPECT_NE(second.find("File Name"), std::string::npos);
    EXPECT_NE(second.find(" file51.txt"), std::string::npos);
    EXPECT_EQ(text.find("file51.txt"), feed + 3 + second.find("file51.txt"));
    EXPECT_EQ(text.back(), '\n');
}

TEST(TextReport, AReportWithoutRecordsWritesAnEmptyFile) {
    test::TempDir folder;
    const std::string path = folder.write("list.txt", "older");
    FilesReport report;
    FileRows none;
    none.connect(report);
    std::string error;
    ASSERT_TRUE(exportReportText(report, path, error));
    EXPECT_EQ(test::readFile(path), "");
}

TEST(TextReport, AFailedWriteKeepsTheOlderFileAndLeavesNoTemporaryFile) {
    test::TempDir folder;
    const std::string path = folder.write("list.txt", "older");
    FilesReport report;
    FileRows data{numberedRows(300)};
    data.connect(report);
    rlimit before{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &before), 0);
    rlimit small = before;
    small.rlim_cur = 4096;
    const auto previous = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    const bool written = exportReportText(report, path, error);
    ::setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(test::readFile(path), "older");
    EXPECT_EQ(countFiles(folder.path()), 1);
    // The run stopped at the failure instead of asking for every row.
    EXPECT_LT(data.cursor, 300);
}

TEST(TextReport, AFolderThatDoesNotExistIsReported) {
    test::TempDir folder;
    FilesReport report;
    FileRows data{numberedRows(1)};
    data.connect(report);
    std::string error;
    EXPECT_FALSE(exportReportText(report, folder.file("missing/list.txt"), error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_EQ(data.cursor, -1); // nothing was run
    EXPECT_FALSE(exportReportText(report, folder.mkdir("a-folder"), error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_EQ(countFiles(folder.path()), 1);
}

TEST(TextReport, AReplacedFileKeepsItsPermissionsAndALinkToItStaysALink) {
    test::TempDir folder;
    const std::string target = folder.write("real.txt", "older");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string link = folder.file("link.txt");
    fs::create_symlink(target, link);
    FilesReport report;
    FileRows data{numberedRows(1)};
    data.connect(report);
    std::string error;
    ASSERT_TRUE(exportReportText(report, link, error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_NE(test::readFile(target).find("file1.txt"), std::string::npos);
    struct stat info;
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
}

} // namespace
} // namespace ferrolux
