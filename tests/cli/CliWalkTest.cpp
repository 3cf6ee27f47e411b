// The walk of the command line under hostile trees: a low limit on open
// files, great depth.
#include "RunProgram.h"
#include "TempDir.h"

#include <cstdlib>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

using namespace ferrolux::test;

namespace {

// Environment for one child: set on construction, put back afterwards.
class ScopedEnvironment {
public:
    void set(const char* name, const std::string& value) {
        const char* before = std::getenv(name);
        saved_.push_back({name, before ? std::optional<std::string>(before) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            it->second ? ::setenv(it->first, it->second->c_str(), 1) : ::unsetenv(it->first);
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// 600 folders of one file each, and a branch 40 levels deep where every
// level holds a file and a leaf folder walked after the deeper one: the walk
// keeps each level for its leaf while it is below.
constexpr int kFiles = 600 + 2 * 40;

void makeTree(const TempDir& dir) {
    for (int i = 0; i < 600; ++i)
        dir.write("wide/d" + std::to_string(i) + "/f.txt", "needle\n");
    std::string level = "branch/";
    for (int depth = 0; depth < 40; ++depth) {
        dir.write(level + "f.txt", "needle\n");
        dir.write(level + "leaf/f.txt", "needle\n");
        level += "deeper/";
    }
}

size_t countLines(const std::string& text) {
    size_t count = 0;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        ++count;
    return count;
}

} // namespace

TEST(CliWalk, EveryFileIsSearchedUnderALowLimit) {
    TempDir dir;
    makeTree(dir);
    ScopedEnvironment environment;
    // Slow reads keep the searching threads behind the walk, so that many
    // files wait, each in its own folder.
    environment.set("LD_PRELOAD", BLOCKING_READ_SHIM);
    environment.set("FERROLUX_TEST_SLOW_READ_US", "300");
    const char* asan = std::getenv("ASAN_OPTIONS");
    environment.set("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");

    const struct {
        OpenFileLimit limit;
        const char* threads;
    } cases[] = {
        {{64, 64}, "1"},
        {{64, 64}, "8"},
        {{128, 128}, "1"},
        {{128, 128}, "8"},
#ifndef __SANITIZE_ADDRESS__ // the sanitizers' own checks need descriptors to spare
        // Fewer than the threads need at once: they wait for each other.
        {{12, 12}, "8"},
#endif
        {{64, 0}, "8"}, // a soft limit of 64 under the hard one: raised at start
    };
    for (const auto& c : cases) {
        OpenFileLimit limit = c.limit;
        if (limit.hard == 0) limit.hard = 4096;
        const ProgramResult r =
            runProgram(FERROLUX_SEARCH_EXE,
                       {"-r", "--verbose", "-j", c.threads, "needle", dir.path()}, {}, limit);
        const std::string label = "limit " + std::to_string(c.limit.soft) + "/" +
                                  std::to_string(limit.hard) + " -j " + c.threads;
        EXPECT_EQ(r.exitCode, 0) << label << "\n" << r.err;
        EXPECT_EQ(countLines(r.out), size_t(kFiles)) << label << "\n" << r.err;
        const std::string summary = " Found " + std::to_string(kFiles) + " matches in " +
                                    std::to_string(kFiles) + " files of " + std::to_string(kFiles) +
                                    " searched";
        EXPECT_EQ(r.err.rfind(summary, 0), 0u) << label << "\n" << r.err;
    }
}

// Each level of a deep tree costs the same: no path is rebuilt per level, so
// 10,000 levels take little more memory than one.
TEST(CliWalk, ATreeTenThousandLevelsDeepIsWalkedInLittleMemory) {
    TempDir dir;
    dir.write("shallow/bottom.txt", "needle\n");
    ASSERT_EQ(::mkdir(dir.file("deep").c_str(), 0700), 0);
    int fd = ::open(dir.file("deep").c_str(), O_RDONLY | O_DIRECTORY);
    ASSERT_GE(fd, 0);
    for (int level = 0; level < 10000; ++level) {
        ASSERT_EQ(::mkdirat(fd, "d", 0700), 0) << level;
        const int next = ::openat(fd, "d", O_RDONLY | O_DIRECTORY);
        ::close(fd);
        ASSERT_GE(next, 0);
        fd = next;
    }
    const int file = ::openat(fd, "bottom.txt", O_WRONLY | O_CREAT, 0600);
    ASSERT_GE(file, 0);
    ASSERT_EQ(::write(file, "needle\n", 7), 7);
    ::close(file);
    ::close(fd);

    const ProgramResult shallow =
        runProgram(FERROLUX_SEARCH_EXE, {"-r", "needle", dir.file("shallow")});
    ASSERT_EQ(shallow.exitCode, 0) << shallow.err;
    const ProgramResult deep = runProgram(FERROLUX_SEARCH_EXE, {"-r", "needle", dir.file("deep")});
    ASSERT_EQ(deep.exitCode, 0) << deep.err;
    ASSERT_EQ(countLines(deep.out), 1u);
    const std::string row = deep.out.substr(0, deep.out.find('\t'));
    EXPECT_EQ(row, "bottom.txt");
    EXPECT_GT(deep.out.size(), 20000u) << "the row's directory holds the whole path";
    EXPECT_LT(deep.peakKiB - shallow.peakKiB, 32 * 1024)
        << "peak " << deep.peakKiB << " KiB against " << shallow.peakKiB << " KiB";
}

// In a folder that acts as proc (through the shim), the kernel log and a
// file that cannot seek are never read, and --verbose says so; the other
// files of the folder are searched.
TEST(CliWalk, KernelStreamFilesAreNeverRead) {
    TempDir dir;
    dir.write("proc/status", "needle\n");
    dir.write("proc/kmsg", "needle\n");
    dir.write("proc/pipe", "needle\n");
    ScopedEnvironment environment;
    environment.set("LD_PRELOAD", BLOCKING_READ_SHIM);
    environment.set("FERROLUX_TEST_PROC_FOLDER", dir.file("proc"));
    environment.set("FERROLUX_TEST_NO_SEEK_NAME", "pipe");
    const char* asan = std::getenv("ASAN_OPTIONS");
    environment.set("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");
    for (const char* threads : {"1", "2"}) {
        const ProgramResult r = runProgram(
            FERROLUX_SEARCH_EXE, {"--verbose", "-j", threads, "needle", dir.file("proc")});
        ASSERT_EQ(r.exitCode, 0) << "96: a kernel stream was read\n" << r.err;
        ASSERT_EQ(countLines(r.out), 1u) << r.out;
        EXPECT_EQ(r.out.substr(0, r.out.find('\t')), "status");
        for (const char* name : {"kmsg", "pipe"})
            EXPECT_NE(
                r.err.find(dir.file("proc/") + name + ": A kernel file that reading would empty\n"),
                std::string::npos)
                << name << "\n"
                << r.err;
        EXPECT_NE(r.err.find(" Found 1 match in 1 file of 1 searched"), std::string::npos) << r.err;
    }
}

// A search does not walk into the kernel's virtual file systems mounted in
// its tree (proc, sysfs, devtmpfs), unless it starts inside one; a tmpfs
// holds stored files and is searched. Mounting needs root and a mount
// namespace of the test's own, so that nothing is seen outside it.
TEST(CliWalk, KernelFileSystemsAreNotEntered) {
    const char* unshare = "/usr/bin/unshare";
    if (::geteuid() != 0 || ::access(unshare, X_OK) != 0)
        GTEST_SKIP() << "mounting needs root and unshare";
    TempDir dir;
    dir.write("plain/a.txt", "needle\n");
    for (const char* mountPoint : {"proc", "sys", "dev", "shm"})
        dir.mkdir(mountPoint);
    const auto inNamespace = [&](const std::vector<std::string>& search) {
        std::vector<std::string> arguments = {
            "--mount",
            "--propagation",
            "private",
            "--",
            "/bin/sh",
            "-c",
            "mount -t proc proc \"$1/proc\" && mount -t sysfs sysfs \"$1/sys\" && "
            "mount -t devtmpfs devtmpfs \"$1/dev\" && mount -t tmpfs tmpfs \"$1/shm\" || exit 77; "
            "echo needle > \"$1/shm/b.txt\"; shift; exec \"$@\"",
            "sh",
            dir.path(),
            FERROLUX_SEARCH_EXE};
        arguments.insert(arguments.end(), search.begin(), search.end());
        return runProgram(unshare, arguments);
    };
    const ProgramResult walked = inNamespace({"-r", "needle", dir.path()});
    if (walked.exitCode == 77) GTEST_SKIP() << "no mount namespace here: " << walked.err;
    ASSERT_EQ(walked.exitCode, 0) << walked.err;
    std::vector<std::string> names;
    std::istringstream rows(walked.out);
    for (std::string row; std::getline(rows, row);)
        names.push_back(row.substr(0, row.find('\t')));
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "b.txt"})) << walked.out;
    EXPECT_NE(walked.err.find(" of 2 searched"), std::string::npos) << walked.err;

    const ProgramResult inside =
        inNamespace({"-r", "--files", "status", "Name:", dir.file("proc/self")});
    EXPECT_EQ(inside.exitCode, 0) << inside.err;
    EXPECT_NE(inside.out.find("status\t" + dir.file("proc/self/")), std::string::npos)
        << inside.out;
}

// --skip-dir leaves folders out at any depth, without a word even with
// --verbose; the summary counts what was searched.
TEST(CliWalk, SkippedFoldersAreLeftOutSilently) {
    TempDir dir;
    for (const char* file : {"a.txt", ".git/b.txt", "src/c.txt", "src/.git/d.txt",
                             "src/build1/e.txt", "src/build2/f.txt"})
        dir.write(file, "needle\n");
    const ProgramResult r =
        runProgram(FERROLUX_SEARCH_EXE, {"-r", "--verbose", "--skip-dir", ".git", "--skip-dir",
                                         "BUILD?", "needle", dir.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(countLines(r.out), 2u) << r.out;
    EXPECT_EQ(r.err.rfind(" Found 2 matches in 2 files of 2 searched", 0), 0u) << r.err;
}
