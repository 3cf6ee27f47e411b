#include "ArchiveFixtures.h"
#include "RunProgram.h"
#include "TempDir.h"
#include "ZipFixtures.h"

#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace ferrolux {
namespace {

using test::folderNames;
using test::plainEntry;
using test::ProgramResult;
using test::TempDir;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        out.push_back(line);
    return out;
}

// Runs ferrolux-search with its own temporary folder, so that what it leaves
// there can be checked.
ProgramResult search(const std::vector<std::string>& args, const std::string& tempFolder) {
    const char* previous = std::getenv("TMPDIR");
    const std::string saved = previous ? previous : "";
    ::setenv("TMPDIR", tempFolder.c_str(), 1);
    ProgramResult result = test::runProgram(FERROLUX_SEARCH_EXE, args);
    if (previous)
        ::setenv("TMPDIR", saved.c_str(), 1);
    else
        ::unsetenv("TMPDIR");
    return result;
}

class ZipCliTest : public ::testing::Test {
protected:
    ZipCliTest() {
        dir.write("notes.txt", "needle\n");
        test::writeZip(dir.file("DOCS.ZIP"), {plainEntry("inside/a.txt", "hay\nneedle here\n"),
                                              plainEntry("b.doc", "needle\n")});
        dir.write("BAD.ZIP", "PK\x03\x04 not really an archive, but a needle");
    }

    TempDir dir;
    TempDir temp;
};

TEST_F(ZipCliTest, SearchesInsideArchivesReportsBrokenOnesAndLeavesNothingBehind) {
    const ProgramResult r =
        search({"-z", "--files", "*.txt", "--lines", "needle", dir.path()}, temp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 4u) << r.out;
    EXPECT_TRUE(out[0].starts_with("notes.txt\t" + dir.path() + "\t1\tT\t"));
    EXPECT_EQ(out[1], "\t1\tneedle");
    EXPECT_TRUE(out[2].starts_with("a.txt\t" + dir.file("DOCS.ZIP") + "\t1\tT\t16\t")) << out[2];
    EXPECT_EQ(out[3], "\t2\tneedle here");

    const auto err = lines(r.err);
    ASSERT_EQ(err.size(), 5u) << r.err;
    EXPECT_EQ(err[0], "Error in Zip file: " + dir.file("BAD.ZIP"));
    EXPECT_EQ(err[1], "");
    EXPECT_EQ(err[2], "This file will not be searched, but processing");
    EXPECT_EQ(err[3], "will continue for other files.");
    EXPECT_TRUE(err[4].starts_with(" Found 2 matches in 2 files of 2 searched")) << err[4];

    EXPECT_TRUE(folderNames(temp.path()).empty()) << "the private folder is removed at exit";
}

TEST_F(ZipCliTest, VerboseSaysWhyAnArchiveWasNotSearched) {
    const ProgramResult r = search({"-z", "--verbose", "needle", dir.path()}, temp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.err.find("ferrolux-search: " + dir.file("BAD.ZIP") +
                         ": A damaged archive that could not be opened\n"),
              std::string::npos)
        << r.err;
}

TEST_F(ZipCliTest, WithoutTheOptionArchivesAreNeitherSearchedNorOpened) {
    const ProgramResult r = search({"needle", dir.path()}, temp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_TRUE(out[0].starts_with("notes.txt\t"));
    EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
    EXPECT_TRUE(folderNames(temp.path()).empty());
}

TEST_F(ZipCliTest, WithArchivesTarSevenZipAndRarArchivesAreSearchedToo) {
    dir.write("DOCS.tar.gz", test::archiveBytes(test::ArchiveFormat::TarGz,
                                                {test::file("deep/t.txt", "needle\n")}));
    dir.write("BAD.7z", "7z but nothing of an archive, with a needle");
    ::unlink(dir.file("BAD.ZIP").c_str());
    const ProgramResult r =
        search({"-z", "--archives", "--files", "*.txt", "needle", dir.path()}, temp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 3u) << r.out;
    // Archives in the order the walk met them: one walk per file mask.
    EXPECT_TRUE(out[1].starts_with("a.txt\t" + dir.file("DOCS.ZIP") + "\t1\tT\t")) << out[1];
    EXPECT_TRUE(out[2].starts_with("t.txt\t" + dir.file("DOCS.tar.gz") + "\t1\tT\t")) << out[2];
    const auto err = lines(r.err);
    ASSERT_EQ(err.size(), 5u) << r.err;
    EXPECT_EQ(err[0], "Error in archive: " + dir.file("BAD.7z"));
    EXPECT_TRUE(folderNames(temp.path()).empty());
}

// Sets environment variables for the programs a test starts, and puts the
// old values back afterwards.
class ScopedEnvironment {
public:
    void set(const char* name, const std::string& value) {
        const char* old = std::getenv(name);
        saved_.push_back({name, old ? std::optional<std::string>(old) : std::nullopt});
        ::setenv(name, value.c_str(), 1);
    }
    ~ScopedEnvironment() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first, it->second->c_str(), 1);
            else
                ::unsetenv(it->first);
        }
    }

private:
    std::vector<std::pair<const char*, std::optional<std::string>>> saved_;
};

// ferrolux-search in the middle of a Zip search: the archive is extracted
// into its private folder, and the read of the extracted file waits.
class InterruptedZipSearch : public ::testing::Test {
protected:
    InterruptedZipSearch() {
        test::writeZip(dir.file("HANG.ZIP"), {plainEntry("hang-here.txt", "needle\n"),
                                              plainEntry("other.txt", "needle\n")});
        env.set("TMPDIR", temp.path());
        env.set("LD_PRELOAD", BLOCKING_READ_SHIM);
        env.set("FERROLUX_TEST_HANG_NAME", "hang-here.txt");
        const char* asan = std::getenv("ASAN_OPTIONS");
        env.set("ASAN_OPTIONS", std::string(asan ? asan : "") + ":verify_asan_link_order=0");
    }

    std::unique_ptr<test::RunningProgram> startHanging() {
        auto program = std::make_unique<test::RunningProgram>(
            FERROLUX_SEARCH_EXE, std::vector<std::string>{"-z", "needle", dir.path()});
        EXPECT_TRUE(program->waitForErr("hanging\n")) << program->err();
        return program;
    }

    TempDir dir;
    TempDir temp;
    ScopedEnvironment env;
};

TEST_F(InterruptedZipSearch, TerminationSignalsRemoveThePrivateFolder) {
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        const auto program = startHanging();
        ASSERT_EQ(folderNames(temp.path()).size(), 1u) << "the private folder, in use";
        program->signal(signal);
        const int status = program->wait();
        EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
            << "ended by the signal " << signal << ", status " << status;
        EXPECT_EQ(folderNames(temp.path()), std::vector<std::string>{}) << signal;
    }
}

TEST_F(InterruptedZipSearch, StartUpReclaimsTheFoldersOfProcessesThatAreGoneOnly) {
    const auto killed = startHanging();
    killed->signal(SIGKILL);
    killed->wait();
    const std::vector<std::string> abandoned = folderNames(temp.path());
    ASSERT_EQ(abandoned.size(), 1u) << "SIGKILL leaves the folder behind";
    const auto running = startHanging();
    std::vector<std::string> inUse;
    for (const std::string& name : folderNames(temp.path()))
        if (name != abandoned[0]) inUse.push_back(name);
    ASSERT_EQ(inUse.size(), 1u);

    env.set("FERROLUX_TEST_HANG_NAME", "nothing-hangs-now");
    const ProgramResult r = test::runProgram(FERROLUX_SEARCH_EXE, {"needle", dir.path()});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_EQ(folderNames(temp.path()), inUse) << "the running search's folder stays";

    running->signal(SIGTERM);
    running->wait();
    EXPECT_EQ(folderNames(temp.path()), std::vector<std::string>{});
}

} // namespace
} // namespace ferrolux
