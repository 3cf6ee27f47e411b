#include "results/FileListSort.h"

#include "results/RowDisplay.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <numeric>

namespace ferrolux {
namespace {

FileResult row(std::string name, std::string dir, int64_t matches, int64_t size, int64_t modified,
               const char* type = "T") {
    FileResult r;
    r.FileName = std::move(name);
    r.Directory = std::move(dir);
    r.Matches = matches;
    r.Type = QString::fromLatin1(type);
    r.Size = size;
    r.ModifiedTime = modified;
    return r;
}

std::vector<std::string> namesInOrder(const std::vector<FileResult>& rows,
                                      const std::vector<std::size_t>& order) {
    std::vector<std::string> names;
    for (std::size_t i : order)
        names.push_back(rows[i].FileName);
    return names;
}

using Names = std::vector<std::string>;

// Counts past 2^31 (a file of that many matching lines) sort by their value.
TEST(FileListSort, CountsBeyondTwoToThe31SortByTheirValue) {
    const std::vector<FileResult> rows = {
        row("over.log", "/d/", (int64_t{1} << 31) + 5, 1, 1),
        row("few.txt", "/d/", 7, 1, 1),
        row("most.log", "/d/", (int64_t{1} << 32) + 1, 1, 1),
    };
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColMatches, 1)),
              (Names{"few.txt", "over.log", "most.log"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColMatches, -1)),
              (Names{"most.log", "over.log", "few.txt"}));
}

TEST(FileListSort, EveryColumnSortsAscendingAndDescending) {
    const std::vector<FileResult> rows = {
        row("beta.txt", "/b/", 5, 300, 2000, "T"),
        row("Alpha.txt", "/c/", 1, 100, 3000, "B"),
        row("gamma.txt", "/A/", 9, 200, 1000, "T"),
    };
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColFileName, 1)),
              (Names{"Alpha.txt", "beta.txt", "gamma.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColFileName, -1)),
              (Names{"gamma.txt", "beta.txt", "Alpha.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColDirectory, 1)),
              (Names{"gamma.txt", "beta.txt", "Alpha.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColDirectory, -1)),
              (Names{"Alpha.txt", "beta.txt", "gamma.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColMatches, 1)),
              (Names{"Alpha.txt", "beta.txt", "gamma.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColMatches, -1)),
              (Names{"gamma.txt", "beta.txt", "Alpha.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColType, 1)).front(), "Alpha.txt");
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColType, -1)).back(), "Alpha.txt");
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColSize, 1)),
              (Names{"Alpha.txt", "gamma.txt", "beta.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColSize, -1)),
              (Names{"beta.txt", "gamma.txt", "Alpha.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColDateTime, 1)),
              (Names{"gamma.txt", "beta.txt", "Alpha.txt"}));
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColDateTime, -1)),
              (Names{"Alpha.txt", "beta.txt", "gamma.txt"}));
}

TEST(FileListSort, TextColumnsIgnoreCaseAndAnswerZeroForEqualValues) {
    const std::vector<FileResult> rows = {row("a.txt", "/One/", 1, 1, 1),
                                          row("A.TXT", "/one/", 2, 2, 2)};
    for (int direction : {1, -1}) {
        EXPECT_EQ(FileRowComparer(rows, ColFileName, direction).compare(0, 1), 0);
        EXPECT_EQ(FileRowComparer(rows, ColDirectory, direction).compare(0, 1), 0);
    }
    // Equal names keep their order in either direction.
    EXPECT_EQ(sortedOrder(rows, ColFileName, -1), (std::vector<std::size_t>{0, 1}));
}

TEST(FileListSort, NumbersAndDatesNeverAnswerZero) {
    const std::vector<FileResult> rows = {row("x", "/", 3, 10, 50), row("y", "/", 3, 10, 50)};
    for (int column : {ColMatches, ColSize, ColDateTime}) {
        EXPECT_EQ(FileRowComparer(rows, column, 1).compare(0, 1), -1) << column;
        EXPECT_EQ(FileRowComparer(rows, column, 1).compare(1, 0), -1) << column;
        EXPECT_EQ(FileRowComparer(rows, column, -1).compare(0, 1), 1) << column;
        EXPECT_EQ(FileRowComparer(rows, column, -1).compare(0, 0), 1) << column;
    }
}

TEST(FileListSort, EqualCountsLoseAndDuplicateNoRow) {
    // The tie answers are no strict ordering; a library sort may run off the
    // ends of the range with such a comparison.
    std::vector<FileResult> rows;
    for (int i = 0; i < 1000; ++i)
        rows.push_back(row(std::to_string(i), "/", 3, 7, 9));
    for (int column : {ColMatches, ColSize, ColDateTime}) {
        for (int direction : {1, -1}) {
            std::vector<std::size_t> order = sortedOrder(rows, column, direction);
            std::sort(order.begin(), order.end());
            std::vector<std::size_t> all(rows.size());
            std::iota(all.begin(), all.end(), std::size_t{0});
            EXPECT_EQ(order, all);
        }
    }
}

TEST(FileListSort, SizesBeyondTwoGibibytesSortAsNumbers) {
    const std::vector<FileResult> rows = {row("big", "/", 1, 5'000'000'000LL, 1),
                                          row("small", "/", 1, 2'000'000'000LL, 1)};
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColSize, 1)), (Names{"small", "big"}));
}

TEST(FileListSort, SameDayMorningBeforeAfternoon) {
    // 7 March 2026 at 2:05pm and at 11:40am (UTC seconds; only the order matters).
    const std::vector<FileResult> rows = {row("afternoon", "/", 1, 1, 1772892300),
                                          row("morning", "/", 1, 1, 1772883600)};
    EXPECT_EQ(namesInOrder(rows, sortedOrder(rows, ColDateTime, 1)),
              (Names{"morning", "afternoon"}));
}

TEST(FileListSort, NamesThatAreNotUtf8StillSort) {
    const std::vector<FileResult> rows = {row("\xe9t\xe9.txt", "/", 1, 1, 1),
                                          row("abc.txt", "/", 1, 1, 1),
                                          row("zed.txt", "/", 1, 1, 1)};
    const Names sorted = namesInOrder(rows, sortedOrder(rows, ColFileName, 1));
    EXPECT_EQ(sorted.front(), "abc.txt");
    EXPECT_EQ(sorted.size(), 3u);
}

TEST(RowDisplay, NamesAFileOnDiskByPathAndAnArchiveMemberByArchive) {
    FileResult onDisk = row("a.txt", "/data/", 1, 1, 1);
    EXPECT_EQ(displayName(onDisk), "/data/a.txt");
    FileResult member = row("a.txt", "/data/docs.zip", 1, 1, 1);
    member.ExtractedPath = "/tmp/ferrolux-x/docs.zip/a.txt";
    EXPECT_EQ(displayName(member), "a.txt (in /data/docs.zip)");
}

TEST(RowDisplay, SaysHowManyOfAFilesMatchesAreListedWhenTheListIsCut) {
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    const struct {
        std::size_t listed;
        int64_t total;
        bool binary;
        const char* said;
    } cases[] = {
        {500, 10000, false, "500 of 10,000 matching lines"},
        {500, 10000, true, "500 of 10,000 matches"},
        {3, 4, false, "3 of 4 matching lines"},
        {3, 3, false, ""}, // every one listed
        {0, 0, false, ""}, // nothing to list
        {2, 1, true, ""},  // more listed than counted is no cut
        {500, 3000000000, false, "500 of 3,000,000,000 matching lines"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(listedOfTotal(c.listed, c.total, c.binary, english), QString::fromLatin1(c.said))
            << c.listed << " of " << c.total;
}

} // namespace
} // namespace ferrolux
