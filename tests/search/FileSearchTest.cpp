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

namespace {

// A folder opened as the walk holds it, with its device.
struct ListedFolder {
    explicit ListedFolder(const std::string& path)
        : fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        struct stat info {};
        EXPECT_EQ(::fstat(fd.get(), &info), 0) << path;
        device = info.st_dev;
    }
    ferrolux::UniqueFd fd;
    dev_t device = 0;
};

} // namespace

// A listed file may be settled by its first read and asked for its status
// only when it has matches: whatever its size against the page and the
// head, it is counted, classified and dated as when opened by its path.
TEST(OneFileSearch, AListedFileCountsAsWhenOpenedByItsPath) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    const size_t page = size_t(::sysconf(_SC_PAGESIZE)), head = size_t(64) << 10;
    struct Case {
        size_t size;
        bool binary;
    } cases[] = {{0, false},        {1, false},        {7, false},        {page - 1, false},
                 {page, false},     {page + 1, false}, {2 * page, false}, {3 * page + 5, true},
                 {head - 1, false}, {head, false},     {head + 1, true},  {5 * head + 3, false}};
    for (const Case& c : cases) {
        // A needle first and last: a file read short of its end misses one.
        const std::string first = c.binary ? std::string("\0needle\n", 8) : "needle\n";
        std::string bytes = first.substr(0, c.size);
        if (c.size >= 16) bytes += std::string(c.size - first.size() - 7, 'x') + "\nneedle";
        const std::string name = std::string("f").append(std::to_string(c.size));
        const std::string path = dir.write(name, bytes);
        const ListedFolder folder(dir.path());
        const FileOutcome listed =
            search.searchAt(folder.fd.get(), name.c_str(), kBothTypes, folder.device);
        const FileOutcome byPath = search.search(path, kBothTypes);
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        EXPECT_EQ(listed.kind, Kind::Searched) << c.size;
        EXPECT_EQ(listed.matches, byPath.matches) << c.size;
        EXPECT_EQ(listed.matches, c.size == 0   ? 0
                                  : c.size < 16 ? int64_t(c.size >= 7)
                                                : 2)
            << c.size;
        EXPECT_EQ(listed.binary, byPath.binary) << c.size;
        EXPECT_FALSE(listed.fromDisk) << c.size;
        if (listed.matches == 0) continue; // no row: its size and time are not asked for
        EXPECT_EQ(listed.size, int64_t(info.st_size)) << c.size;
        EXPECT_EQ(listed.modified, int64_t(info.st_mtim.tv_sec)) << c.size;
    }
}

// A small listed file with only its first page in memory: that first read
// ends at the page, not at the file's end, and the rest is read.
TEST(OneFileSearch, AListedFilePartlyInMemoryIsReadToItsEnd) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    const std::string text = "needle\n" + std::string(2 * page, 'a') + "\nneedle\n";
    for (const int keep : {0, int(page)}) {
        const std::string name = std::string("kept-").append(std::to_string(keep));
        const std::string path = dir.write(name, text);
        if (!dropFromMemory(path, size_t(keep)))
            GTEST_SKIP() << "this file system keeps its files in memory";
        const ListedFolder folder(dir.path());
        const FileOutcome outcome =
            search.searchAt(folder.fd.get(), name.c_str(), kBothTypes, folder.device);
        EXPECT_EQ(outcome.kind, Kind::Searched) << keep;
        EXPECT_EQ(outcome.matches, 2) << keep;
        EXPECT_EQ(outcome.size, int64_t(text.size())) << keep;
        EXPECT_TRUE(outcome.fromDisk) << keep;
    }
}

// What took a listed file's place is told as when opened by path: a link is
// followed to a regular file only, and a FIFO is turned away with nothing
// taken from it (another program's data).
TEST(OneFileSearch, AListedEntryThatIsNoPlainFileIsHandledAsByPath) {
    TempDir dir;
    FileSearch search("needle", 300, nullptr);
    dir.write("a.txt", "needle\nneedle\n");
    ASSERT_EQ(::symlink("a.txt", dir.file("link.txt").c_str()), 0);
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("pipe", dir.file("link-to-pipe").c_str()), 0);
    const ferrolux::UniqueFd writer(::open(dir.file("pipe").c_str(), O_RDWR | O_NONBLOCK));
    ASSERT_TRUE(writer);
    ASSERT_EQ(::write(writer.get(), "needle\n", 7), 7);
    const ListedFolder folder(dir.path());
    struct Case {
        const char* name;
        Kind kind;
        int error;
        int64_t matches;
    } cases[] = {{"link.txt", Kind::Searched, 0, 2},
                 {"pipe", Kind::Unreadable, EINVAL, 0},
                 {"link-to-pipe", Kind::Unreadable, EINVAL, 0},
                 {"missing", Kind::Unreadable, ENOENT, 0}};
    for (const Case& c : cases) {
        const FileOutcome outcome =
            search.searchAt(folder.fd.get(), c.name, kBothTypes, folder.device);
        EXPECT_EQ(outcome.kind, c.kind) << c.name;
        EXPECT_EQ(outcome.error, c.error) << c.name;
        EXPECT_EQ(outcome.matches, c.matches) << c.name;
    }
    char left[16] = {};
    EXPECT_EQ(::read(writer.get(), left, sizeof left), 7) << "the FIFO's bytes were taken";
}
