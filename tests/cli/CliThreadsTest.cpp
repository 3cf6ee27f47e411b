// The command line prints the same bytes with any number of threads.
#include "CliSearch.h"
#include "MixedTree.h"
#include "RunProgram.h"
#include "TempDir.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>

using namespace ferrolux;

namespace {

struct Printed {
    std::string out;
    std::string err;
    int exitCode = -1;
};

std::string contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[4096];
    while (const size_t n = std::fread(buffer, 1, sizeof buffer, file))
        text.append(buffer, n);
    std::fclose(file);
    return text;
}

// The elapsed time is the one thing allowed to differ.
std::string withoutElapsedTime(std::string err) {
    const std::string label = "elapsed time ";
    for (size_t at = err.find(label); at != std::string::npos; at = err.find(label, at + 1)) {
        const size_t end = err.find(" seconds", at);
        if (end != std::string::npos) err.erase(at + label.size(), end - at - label.size());
    }
    return err;
}

Printed runInProcess(test::MixedTree& tree, std::vector<std::string> args, int threads) {
    args.push_back("-j" + std::to_string(threads));
    args.push_back("needle");
    args.push_back(tree.path());
    const CliParse parsed = parseCommandLine(args);
    EXPECT_EQ(parsed.error, "");
    CliStreams streams;
    streams.out = std::tmpfile();
    streams.err = std::tmpfile();
    streams.beforeEachEntry = tree.vanisher();
    Printed printed;
    printed.exitCode = runCliSearch(parsed.options, streams);
    printed.out = contents(streams.out);
    printed.err = withoutElapsedTime(contents(streams.err));
    tree.restore();
    return printed;
}

} // namespace

TEST(CliThreads, RowsLinesMessagesAndSummaryAreTheSameWithAnyNumberOfThreads) {
    test::MixedTree tree;
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"-r", "--lines", "--verbose"}, {"-rz", "--verbose"}, {"-rz", "--lines"}}) {
        const Printed single = runInProcess(tree, args, 1);
        EXPECT_EQ(single.exitCode, 0);
        const bool lines = std::find(args.begin(), args.end(), "--lines") != args.end();
        EXPECT_EQ(single.out.find("\ta needle in ") != std::string::npos, lines);
        EXPECT_NE(single.err.find(" Found "), std::string::npos);
        for (const int threads : {2, 5}) {
            const Printed parallel = runInProcess(tree, args, threads);
            EXPECT_EQ(parallel.out, single.out) << args[0] << " with " << threads << " threads";
            EXPECT_EQ(parallel.err, single.err) << args[0] << " with " << threads << " threads";
            EXPECT_EQ(parallel.exitCode, single.exitCode);
        }
    }
}

TEST(CliThreads, TheDriverTakesTheThreadCount) {
    test::TempDir dir;
    for (int i = 0; i < 40; ++i)
        dir.write(std::string("f").append(std::to_string(i)).append(".txt"),
                  std::string(size_t(i) * 1000, 'x') + "\nneedle\n");
    const auto run = [&](const char* threads) {
        return test::runProgram(FERROLUX_SEARCH_EXE, {"-j", threads, "needle", dir.path()});
    };
    const test::ProgramResult one = run("1"), four = run("4");
    EXPECT_EQ(one.exitCode, 0);
    EXPECT_EQ(four.out, one.out);
    EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 40);
    EXPECT_EQ(run("0").exitCode, 2) << run("0").err;
}
