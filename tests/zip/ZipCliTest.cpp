#include "RunProgram.h"
#include "TempDir.h"
#include "ZipFixtures.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sstream>
#include <string>
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

TEST_F(ZipCliTest, WithoutTheOptionArchivesAreNeitherSearchedNorOpened) {
    const ProgramResult r = search({"needle", dir.path()}, temp.path());
    EXPECT_EQ(r.exitCode, 0) << r.err;
    const auto out = lines(r.out);
    ASSERT_EQ(out.size(), 1u) << r.out;
    EXPECT_TRUE(out[0].starts_with("notes.txt\t"));
    EXPECT_EQ(lines(r.err).size(), 1u) << r.err;
    EXPECT_TRUE(folderNames(temp.path()).empty());
}

} // namespace
} // namespace ferrolux
