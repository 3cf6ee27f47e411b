#include "MessageBoxRecorder.h"
#include "MixedTree.h"
#include "TempDir.h"
#include "platform/MessageBoxA.h"
#include "search/SearchHost.h"
#include "search/SearchSession.h"

#include <cstring>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace ferrolux;

namespace {

// Writes down everything the search tells its host, in order.
struct LoggingHost : SearchHost {
    std::vector<std::string> log;
    std::function<void()> onMessages;

    void processPendingMessages() override {
        if (onMessages) onMessages();
    }
    void setStatus(const QString& text) override { log.push_back("status " + text.toStdString()); }
    void appendFileRow(const FileResult& row) override {
        log.push_back("row " + row.FileName + " | " + row.Directory + " | " +
                      std::to_string(row.Matches) + " " + row.Type.toStdString() + " " +
                      std::to_string(row.Size) + " | " + row.DateTime.toStdString() + " | " +
                      row.ExtractedPath);
    }
    void notSearched(const NotSearched& record) override {
        log.push_back("skipped " + record.path + ": " + std::strerror(record.error));
    }
    void tell(const UserMessage& message) override {
        log.push_back("box " + message.caption.toStdString() + ": " + message.text.toStdString());
    }
};

struct Told {
    std::vector<std::string> log;
    size_t tempFolders = 0;
};

Told search(test::MixedTree& tree, int threads, bool zip) {
    SearchRequest request;
    request.StartDirectory = tree.path();
    request.SearchText = "needle";
    request.FileSpecs = "*.*";
    request.live->IncludeSubdirectories = true;
    request.live->SearchZipFiles = zip;
    Told outcome;
    LoggingHost host;
    host.onMessages = tree.vanisher();
    SearchSession session;
    EXPECT_FALSE(session.begin(request));
    session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"), threads);
    outcome.log = std::move(host.log);
    const SearchState& s = session.state();
    outcome.log.push_back("counts " + std::to_string(s.FilesSearched) + " " +
                          std::to_string(s.FilesWithMatches) + " " +
                          std::to_string(s.TotalMatches));
    for (const std::string& archive : s.PendingZips)
        outcome.log.push_back("queued " + archive);
    outcome.tempFolders = s.TempFolders.size();
    session.deleteExtractionFolders();
    tree.restore();
    return outcome;
}

size_t countStarting(const std::vector<std::string>& log, const std::string& prefix) {
    return size_t(std::count_if(log.begin(), log.end(),
                                [&](const std::string& line) { return line.starts_with(prefix); }));
}

} // namespace

TEST(ParallelSearch, AnyNumberOfThreadsTellsTheHostExactlyWhatOneThreadDoes) {
    test::MixedTree tree;
    test::MessageBoxRecorder boxes;
    for (const bool zip : {false, true}) {
        const Told single = search(tree, 1, zip);
        // The tree holds what it should: rows, skipped files, the vanished ones.
        EXPECT_GT(countStarting(single.log, "row "), 100u);
        EXPECT_GE(countStarting(single.log, "skipped "), 3u);
        EXPECT_EQ(countStarting(single.log, "skipped " + tree.path() + "vanish-"), 2u);
        EXPECT_EQ(countStarting(single.log, "row Case.txt"), 1u);
        EXPECT_EQ(countStarting(single.log, "row case.txt"), 1u);
        EXPECT_EQ(countStarting(single.log, "box Zip File Error"), zip ? 1u : 0u);
        EXPECT_EQ(countStarting(single.log, "row in-"), zip ? 3u : 0u);
        for (const int threads : {2, 3, 8}) {
            const Told parallel = search(tree, threads, zip);
            EXPECT_EQ(parallel.log, single.log) << threads << " threads, zip " << zip;
            EXPECT_EQ(parallel.tempFolders, single.tempFolders);
        }
    }
    EXPECT_TRUE(boxes.boxes().empty()) << "every box went through the host";
}

TEST(ParallelSearch, StopEndsTheFilesInWorkAndAFileCutShortGetsNoRow) {
    test::TempDir dir;
    // Searched as binary (NUL bytes) to the end, unless Stop cuts it short:
    // a match at its start, 4 GiB of nothing (no disk), a match at its end.
    const std::string big = dir.write("a-big.dat", std::string("needle\0", 7));
    const int fd = ::open(big.c_str(), O_WRONLY);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::pwrite(fd, "needle", 6, (int64_t(4) << 30)), 6);
    ::close(fd);
    for (int i = 0; i < 50; ++i)
        dir.write(std::string("b").append(std::to_string(100 + i)).append(".txt"), "needle\n");

    SearchRequest request;
    request.StartDirectory = dir.path();
    request.SearchText = "needle";
    request.FileSpecs = "*.*";
    SearchSession session;
    ASSERT_FALSE(session.begin(request));
    LoggingHost host;
    int calls = 0;
    // Stop while the big file is searched: the walk is at the files after it.
    host.onMessages = [&] {
        if (++calls == 4) session.cancel();
    };
    session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"), 2);
    const SearchState& state = session.state();

    EXPECT_TRUE(state.Canceled);
    EXPECT_EQ(countStarting(host.log, "row a-big.dat"), 0u) << "cut short: no row";
    const size_t rows = countStarting(host.log, "row ");
    EXPECT_EQ(size_t(state.FilesWithMatches), rows);
    EXPECT_EQ(state.TotalMatches, state.FilesWithMatches);
    EXPECT_LT(state.FilesSearched, 51);
    EXPECT_EQ(session.summary(QLocale::c()).endsWith(" - search canceled"), true);
}
