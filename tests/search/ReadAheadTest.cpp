#include "search/ReadAhead.h"

#include "TempDir.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <thread>
#include <unistd.h>

using namespace ferrolux;
using ferrolux::test::TempDir;

namespace {

constexpr size_t kFileBytes = 64 << 10;

std::string numbered(const char* prefix, int number) {
    return std::string(prefix).append(std::to_string(number));
}

// Whether the file's first page is in memory, asked without reading it (a
// read that does not wait still starts reading).
bool inMemory(const std::string& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    void* mapped = ::mmap(nullptr, kFileBytes, PROT_READ, MAP_SHARED, fd.get(), 0);
    if (mapped == MAP_FAILED) return false;
    unsigned char resident = 0;
    const bool known = ::mincore(mapped, 1, &resident) == 0;
    ::munmap(mapped, kFileBytes);
    return known && (resident & 1);
}

// Files written to the disk and dropped from memory, as on the first search
// of the day; empty when this file system keeps them in memory (tmpfs).
std::vector<std::string> filesOnDisk(const TempDir& dir, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::string path = dir.write(numbered("f", i), std::string(kFileBytes, 'x'));
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        ::fdatasync(fd.get());
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
        if (inMemory(path)) return {};
        paths.push_back(path);
    }
    return paths;
}

// Waits for what the reading thread does, a bounded time.
template <typename Condition>
bool eventually(Condition condition) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

std::shared_ptr<const UniqueFd> folderOf(const TempDir& dir) {
    return std::make_shared<const UniqueFd>(
        ::open(dir.path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
}

} // namespace

// Until a file comes from the disk nothing is looked at; then files found in
// memory are looked at and left alone.
TEST(ReadAhead, RestsUntilAFileComesFromTheDiskAndSkipsFilesInMemory) {
    TempDir dir;
    const std::vector<std::string> onDisk = filesOnDisk(dir, 20);
    if (onDisk.empty()) GTEST_SKIP() << "this file system keeps its files in memory";
    const auto folder = folderOf(dir);
    ReadAhead ahead;
    for (size_t i = 0; i < onDisk.size(); ++i)
        ahead.offer(i, folder, onDisk[i]);
    ahead.fromDisk();
    for (int i = 20; i < 40; ++i)
        ahead.offer(uint64_t(i), folder, dir.write(numbered("m", i), "in memory\n"));
    // In walk order: had the first twenty been taken, they would come first.
    ASSERT_TRUE(eventually([&] { return ahead.filesLookedAt() >= 20; }));
    EXPECT_EQ(ahead.filesLookedAt(), 20u);
    EXPECT_EQ(ahead.filesReadAhead(), 0u);
    for (const std::string& path : onDisk)
        EXPECT_FALSE(inMemory(path)) << path;
}

// Once a file came from the disk, the next ones are read ahead in walk
// order, no further than the bound ahead of the file being searched.
TEST(ReadAhead, ReadsAheadWithinItsBoundOnceFilesComeFromTheDisk) {
    TempDir dir;
    const std::vector<std::string> paths = filesOnDisk(dir, 40);
    if (paths.empty()) GTEST_SKIP() << "this file system keeps its files in memory";
    const auto folder = folderOf(dir);
    ReadAhead ahead(1, int64_t(8) * kFileBytes);
    ahead.fromDisk();
    for (size_t i = 0; i < paths.size(); ++i)
        ahead.offer(i, i % 2 ? folder : nullptr, paths[i]); // by name in the folder, or by path
    ASSERT_TRUE(eventually([&] { return ahead.waitingForRoom(); })) << ahead.filesReadAhead();
    EXPECT_EQ(ahead.filesReadAhead(), 8u);
    ASSERT_TRUE(eventually([&] { return inMemory(paths[7]); })) << "the kernel reads them";
    EXPECT_FALSE(inMemory(paths[20]));

    ahead.reached(7); // the search moved on: the next eight may follow
    ASSERT_TRUE(
        eventually([&] { return ahead.filesReadAhead() == 16u && ahead.waitingForRoom(); }));
    // Far on: files the search is about to reach are not worth reading ahead.
    ahead.reached(39);
    ASSERT_TRUE(eventually([&] { return ahead.filesLookedAt() >= 32; }));
    EXPECT_EQ(ahead.filesReadAhead(), 32u);
    ASSERT_TRUE(eventually([&] { return inMemory(paths[39]); }));
    EXPECT_FALSE(inMemory(paths[20]));
}

namespace {

struct RowsHost : SearchHost {
    std::vector<std::string> rows;
    void appendFileRow(const FileResult& row) override {
        rows.push_back(row.Directory + row.FileName + " " + std::to_string(row.Matches));
    }
    // Plain files of a sound tree leave nothing to tell.
    void tell(const UserMessage& message) override { ADD_FAILURE() << message.text.toStdString(); }
};

// Drops every file of the tree from memory again; false when this file
// system keeps its files in memory.
bool dropFromMemory(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        ::posix_fadvise(fd.get(), 0, 0, POSIX_FADV_DONTNEED);
        if (inMemory(path)) return false;
    }
    return true;
}

} // namespace

// A search of files that come from the disk reads ahead of its threads, and
// lists the same rows in the same order with any number of them.
TEST(ReadAhead, FilesFromTheDiskGiveTheSameRowsWithAnyThreads) {
    TempDir dir;
    std::vector<std::string> paths;
    for (int folder = 0; folder < 12; ++folder)
        for (int file = 0; file < 25; ++file)
            paths.push_back(
                dir.write(numbered("d", folder) + numbered("/s/f", file),
                          std::string(kFileBytes - 7, 'x') + (file % 3 ? "needle\n" : "other\n")));
    for (const std::string& path : paths) {
        const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
        ::fdatasync(fd.get());
    }
    std::vector<std::string> first;
    for (int threads : {1, 2, 7}) {
        if (!dropFromMemory(paths)) GTEST_SKIP() << "this file system keeps its files in memory";
        SearchRequest request;
        request.StartDirectory = dir.path();
        request.SearchText = "needle";
        request.FileSpecs = "*.*";
        request.live->IncludeSubdirectories = true;
        SearchSession session;
        RowsHost host;
        ASSERT_FALSE(session.begin(request));
        session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"), threads);
        EXPECT_EQ(session.state().FilesSearched, 300) << threads;
        ASSERT_EQ(host.rows.size(), 12u * 16) << threads;
        if (first.empty()) first = host.rows;
        EXPECT_EQ(host.rows, first) << threads;
    }
}

// The folders the walk enters next are listed ahead only once files come from
// the disk; a name that is gone or is no folder is passed over.
TEST(ReadAhead, ListsTheFoldersTheWalkEntersNextOnceFilesComeFromTheDisk) {
    TempDir dir;
    for (const char* name : {"a", "b", "c", "d", "e"})
        dir.mkdir(name);
    const std::string last = dir.write("file.txt", "in memory\n");
    const auto folder = folderOf(dir);
    ReadAhead ahead;
    ahead.offerFolders(folder, {"a", "b", "c"});
    ahead.fromDisk();
    ahead.offerFolders(folder, {"d", "gone", "file.txt", "e"});
    ahead.offer(0, folder, last); // taken after the folders: walk order
    ASSERT_TRUE(eventually([&] { return ahead.filesLookedAt() == 1; }));
    EXPECT_EQ(ahead.foldersReadAhead(), 2u);
}
