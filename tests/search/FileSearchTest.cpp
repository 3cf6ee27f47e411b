// One file: opening, classification, the type filter and the count.
#include "search/FileSearch.h"

#include "EngineProbes.h"
#include "TempDir.h"
#include "platform/posix/UniqueFd.h"
#include "search/GrepEngine.h"

#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace ferrolux;
using test::TempDir;
using Kind = FileOutcome::Kind;

namespace {

const FileSearchOptions kBothTypes{};

// The count of the engine's own file search, which reads the file itself.
int32_t engineCount(const std::string& path, const std::string& pattern) {
    GrepEngine engine;
    return test::countLines(engine, path, pattern, GrepFalse);
}

} // namespace

TEST(OneFileSearch, TellsTextFromBinaryByTheFirstHundredBytes) {
    TempDir dir;
    FileSearch search("key", 300, nullptr);
    const auto kindOf = [&](const std::string& name, const std::string& bytes) {
        const FileOutcome outcome = search.search(dir.write(name, bytes), kBothTypes);
        EXPECT_EQ(outcome.kind, Kind::Searched) << name;
        return outcome.binary ? 'B' : 'T';
    };
    EXPECT_EQ(kindOf("plain", "a key\tand\r\nmore\n"), 'T');
    EXPECT_EQ(kindOf("formfeed", "key\f"), 'B');
    EXPECT_EQ(kindOf("nul", std::string("key\0", 4)), 'B');
    EXPECT_EQ(kindOf("high", "\x80\xff\x7f key"), 'T');
    EXPECT_EQ(kindOf("empty", ""), 'T');
    EXPECT_EQ(kindOf("at-99", std::string(99, 'k') + '\1'), 'B');
    EXPECT_EQ(kindOf("at-100", std::string(100, 'k') + '\1'), 'T');
}

TEST(OneFileSearch, CountsWhatTheEngineCountsAcrossEveryReadBoundary) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    const size_t head = size_t(64) << 10, chunk = size_t(1) << 20;
    for (const size_t at : {size_t(0), size_t(95), head - 7, head - 6, head - 3, head, head + 1,
                            chunk - 6, chunk - 2, chunk + 5, 3 * chunk}) {
        // Lines of 50 bytes, a needle straddling the boundary, lines after.
        std::string text;
        while (text.size() + 50 < at)
            text += std::string(49, 'a') + "\n";
        text += std::string(at - text.size(), 'b') + "needle\n" + std::string(200, 'c') +
                "\nneedle again";
        const std::string path =
            dir.write(std::string("f").append(std::to_string(at)).append(".txt"), text);
        const FileOutcome outcome = search.search(path, kBothTypes);
        ASSERT_EQ(outcome.kind, Kind::Searched);
        EXPECT_FALSE(outcome.binary);
        EXPECT_EQ(outcome.matches, 2) << "needle at " << at;
        EXPECT_EQ(outcome.matches, engineCount(path, "needle")) << at;
        EXPECT_EQ(outcome.size, int64_t(text.size()));
    }
}

TEST(OneFileSearch, CaseSensitivityIsTheOneTheWalkSaw) {
    TempDir dir;
    const std::string path = dir.write("a.txt", "Needle\nneedle\nNEEDLE\n");
    FileSearch search("needle", 300, nullptr);
    FileSearchOptions options;
    EXPECT_EQ(search.search(path, options).matches, 3);
    options.caseSensitive = true;
    EXPECT_EQ(search.search(path, options).matches, 1);
    options.caseSensitive = false;
    EXPECT_EQ(search.search(path, options).matches, 3);
}

TEST(OneFileSearch, ArchivesAreOnlyRecognisedAndFilteredFilesOnlyClassified) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    FileSearchOptions archive;
    archive.archive = true;
    FileOutcome outcome = search.search(dir.write("a.zip", "PK needle"), archive);
    EXPECT_EQ(outcome.kind, Kind::Archive);
    EXPECT_TRUE(outcome.queueArchive);
    EXPECT_EQ(outcome.matches, 0);
    outcome = search.search(dir.write("b.zip", "needle"), archive);
    EXPECT_EQ(outcome.kind, Kind::Archive);
    EXPECT_FALSE(outcome.queueArchive);
    EXPECT_FALSE(search.search(dir.write("c.zip", "P"), archive).queueArchive);

    FileSearchOptions textOnly;
    textOnly.binaryFiles = false;
    outcome = search.search(dir.write("bin", std::string("needle\0", 7)), textOnly);
    EXPECT_EQ(outcome.kind, Kind::Filtered);
    EXPECT_EQ(outcome.matches, 0);
    EXPECT_EQ(search.search(dir.file("bin"), kBothTypes).matches, 1);
}

TEST(OneFileSearch, FilesThatCannotBeReadAreToldWithTheReasonAndNeverBlock) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    FileOutcome outcome = search.search(dir.file("missing.txt"), kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Unreadable);
    EXPECT_EQ(outcome.error, ENOENT);

    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    outcome = search.search(dir.file("pipe"), kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Unreadable);
    EXPECT_EQ(outcome.error, EINVAL);

    // A regular file whose reads fail.
    ASSERT_EQ(::symlink("/proc/self/mem", dir.file("mem").c_str()), 0);
    outcome = search.search(dir.file("mem"), kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Unreadable);
    EXPECT_EQ(outcome.error, EIO);
}

TEST(OneFileSearch, AfterStopNoFileIsOpened) {
    TempDir dir;
    std::atomic<bool> canceled{true};
    FileSearch search("needle", 300, &canceled);
    const FileOutcome outcome = search.search(dir.write("a.txt", "needle\n"), kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Canceled);
    EXPECT_EQ(outcome.matches, 0);
}

// Stop may come from the window at any instant: a count that reached the end
// of the file keeps its matches (and so its row), however late Stop came.
TEST(OneFileSearch, OnlyACountStoppedBeforeTheEndIsCutShort) {
    TempDir dir;
    const std::string text = dir.write("a.txt", "needle\n");
    const std::string binary = dir.write("b.dat", std::string("needle\0", 7));
    std::atomic<bool> canceled{false};
    std::atomic<bool> done{false};
    std::thread stopper([&] {
        while (!done)
            canceled = !canceled;
    });
    FileSearch search("needle", 300, &canceled);
    int cutShort = 0;
    int started = 0;
    // Until Stop has landed during counts a few times, on a busy machine too.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((started < 20000 || cutShort < 10) && std::chrono::steady_clock::now() < end) {
        const FileOutcome outcome = search.search(started % 2 ? binary : text, kBothTypes);
        if (outcome.kind == Kind::Canceled) continue; // Stop came before the file
        ++started;
        if (!outcome.cutShort) continue;
        ++cutShort;
        ASSERT_EQ(outcome.matches, 0) << "a complete count was taken for one cut short";
    }
    done = true;
    stopper.join();
    EXPECT_GT(cutShort, 0) << "Stop never landed during a count";
}

// The walk hands over the open folder and the name: the file is opened there,
// whatever became of the folder's path meanwhile; errors are told as by path.
TEST(OneFileSearch, AFileIsSearchedByNameInItsOpenFolder) {
    TempDir dir;
    dir.write("sub/a.txt", "needle\nneedle\n");
    const ferrolux::UniqueFd folder(::open(dir.file("sub").c_str(), O_RDONLY | O_DIRECTORY));
    ASSERT_TRUE(folder);
    ASSERT_EQ(::rename(dir.file("sub").c_str(), dir.file("moved").c_str()), 0);
    FileSearch search("needle", 300, nullptr);
    FileOutcome outcome = search.searchAt(folder.get(), "a.txt", kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Searched);
    EXPECT_EQ(outcome.matches, 2);
    EXPECT_EQ(outcome.size, 14);
    EXPECT_EQ(search.search(dir.file("sub/a.txt"), kBothTypes).kind, Kind::Unreadable);
    outcome = search.searchAt(folder.get(), "gone.txt", kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Unreadable);
    EXPECT_EQ(outcome.error, ENOENT);
    ASSERT_EQ(::mkfifo(dir.file("moved/pipe.txt").c_str(), 0600), 0);
    outcome = search.searchAt(folder.get(), "pipe.txt", kBothTypes);
    EXPECT_EQ(outcome.kind, Kind::Unreadable) << "a FIFO is never read";
    EXPECT_EQ(outcome.error, EINVAL);
}

namespace {

// Drops the file from memory but for its first `keep` bytes (a multiple of
// the page size), read back alone; false when this file system keeps its
// files in memory (tmpfs).
bool dropFromMemory(const std::string& path, size_t keep) {
    const ferrolux::UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    ::fdatasync(fd.get());
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
    ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_RANDOM); // no read-ahead past `keep`
    std::vector<char> kept(keep);
    if (::pread(fd.get(), kept.data(), keep, 0) != ssize_t(keep)) return false;
    void* mapped = ::mmap(nullptr, keep + 1, PROT_READ, MAP_SHARED, fd.get(), 0);
    if (mapped == MAP_FAILED) return false;
    std::vector<unsigned char> resident(keep / 4096 + 1);
    const bool known = ::mincore(mapped, keep + 1, resident.data()) == 0;
    ::munmap(mapped, keep + 1);
    return known && !(resident.back() & 1);
}

} // namespace

// The first read tells whether the file came from the disk; a file only
// partly in memory is read whole all the same, with the match across the
// part boundary counted.
TEST(OneFileSearch, TellsAFileFromTheDiskAndCountsItWhole) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    const size_t boundary = 4096;
    std::string text(boundary - 3, 'a');
    text += "needle\n" + std::string(200 << 10, 'b') + "\nneedle\n";
    struct Case {
        const char* name;
        int keep; // bytes left in memory; -1: all
        bool fromDisk;
    } cases[] = {{"in-memory", -1, false}, {"on-disk", 0, true}, {"partly", int(boundary), true}};
    for (const Case& c : cases) {
        const std::string path = dir.write(c.name, text);
        if (c.keep >= 0 && !dropFromMemory(path, size_t(c.keep)))
            GTEST_SKIP() << "this file system keeps its files in memory (" << c.name << ")";
        const FileOutcome outcome = search.search(path, kBothTypes);
        EXPECT_EQ(outcome.kind, Kind::Searched) << c.name;
        EXPECT_EQ(outcome.matches, 2) << c.name;
        EXPECT_EQ(outcome.fromDisk, c.fromDisk) << c.name;
    }
}
