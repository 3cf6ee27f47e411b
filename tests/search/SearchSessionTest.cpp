#include "search/SearchSession.h"

#include "TempDir.h"
#include "platform/MessageBoxA.h"
#include "search/SearchHost.h"
#include "search/SearchTexts.h"

#include <gtest/gtest.h>

using namespace ferrolux;

namespace {

// Rows as the window's controller hands them over: into the session.
struct KeepingHost : SearchHost {
    SearchSession& session;
    explicit KeepingHost(SearchSession& s) : session(s) {}
    void appendFileRow(const FileResult& row) override { session.appendRows({row}); }
    void tell(const UserMessage& message) override { MessageBoxA(nullptr, message); }
};

// Writes down what a view of the rows would be told.
struct RowsLog : SessionRowsObserver {
    std::vector<std::string> log;
    void rowsChanging(Change change, std::size_t first, std::size_t count) override {
        std::string line = "before ";
        line.append(name(change)).append(" ").append(std::to_string(first));
        line.append("+").append(std::to_string(count));
        log.push_back(line);
    }
    void rowsChanged(Change change, const std::vector<std::size_t>& order) override {
        std::string line = "after ";
        line.append(name(change));
        for (std::size_t from : order)
            line.append(" ").append(std::to_string(from));
        log.push_back(line);
    }
    static const char* name(Change change) {
        const char* names[] = {"reset", "append", "remove", "reorder"};
        return names[int(change)];
    }
};

SearchRequest requestFor(const std::string& dir, std::string text, bool listedOnly = false) {
    SearchRequest request;
    request.StartDirectory = dir;
    request.SearchText = std::move(text);
    request.FileSpecs = "*.txt";
    request.ListedFilesOnly = listedOnly;
    return request;
}

std::vector<std::string> names(const SearchSession& session) {
    std::vector<std::string> result;
    for (const FileResult& row : session.rows())
        result.push_back(row.FileName);
    return result;
}

using Names = std::vector<std::string>;

class Session : public ::testing::Test {
protected:
    test::TempDir dir;
    SearchSession session;
    KeepingHost host{session};

    void search(const SearchRequest& request) {
        ASSERT_FALSE(session.begin(request));
        session.run(host, MatchLimits().MaxMatchLen, QStringLiteral("yyyy/mm/dd  h:mm"), 2);
    }
};

TEST_F(Session, ARefusedRequestKeepsTheResultsAndTakesOnlyTheTypedText) {
    dir.write("a.txt", "needle\n");
    search(requestFor(dir.path(), "needle"));
    ASSERT_EQ(names(session), Names{"a.txt"});

    const std::optional<Refusal> refusal = session.begin(requestFor(dir.path(), "*"));
    ASSERT_TRUE(refusal);
    EXPECT_EQ(refusal->caption, QStringLiteral("Regular Expression Error"));
    EXPECT_EQ(names(session), Names{"a.txt"});
    EXPECT_EQ(session.state().FilesSearched, 1);
    EXPECT_EQ(session.state().TotalMatches, 1);
    // The old rows' lines now use the text as typed, unprepared.
    EXPECT_EQ(session.state().SearchPattern, "*");
    EXPECT_EQ(session.state().TypedSearchText, "*");
    EXPECT_EQ(session.request().SearchText, "needle");
}

TEST_F(Session, EachOutcomeHasItsMessage) {
    dir.write("a.txt", "needle\n");
    const struct {
        const char* text;
        const char* specs;
        SearchOutcome outcome;
        const char* message;
    } cases[] = {
        {"needle", "*.txt", SearchOutcome::MatchesFound, ""},
        {"haystack", "*.txt", SearchOutcome::NoMatchesFound, "No matches found"},
        {"needle", "*.doc", SearchOutcome::NoFilesFound, "No files found"},
    };
    for (const auto& c : cases) {
        SearchRequest request = requestFor(dir.path(), c.text);
        request.FileSpecs = c.specs;
        search(request);
        EXPECT_EQ(session.outcome(), c.outcome) << c.text << " " << c.specs;
        const std::optional<UserMessage> message = outcomeMessage(session.outcome());
        EXPECT_EQ(message ? message->text : QString(), QString::fromLatin1(c.message));
        if (message) {
            EXPECT_EQ(message->caption, QStringLiteral("Message"));
        }
    }
}

TEST_F(Session, AListedFilesSearchWalksTheRowsAsTheListLeftThem) {
    for (const char* name : {"a.txt", "b.txt", "c.txt"})
        dir.write(name, "needle\n");
    search(requestFor(dir.path(), "needle"));
    ASSERT_EQ(names(session), (Names{"a.txt", "b.txt", "c.txt"}));
    session.reorderRows({2, 0, 1});
    session.removeRow(1);
    ASSERT_EQ(names(session), (Names{"c.txt", "b.txt"}));

    search(requestFor(dir.path(), "needle", true));
    EXPECT_EQ(names(session), (Names{"c.txt", "b.txt"}));
    EXPECT_EQ(session.state().FilesSearched, 2);
}

TEST_F(Session, AViewIsToldOfEveryChangeOfTheRowsAroundIt) {
    dir.write("a.txt", "needle\n");
    RowsLog view;
    session.setRowsObserver(&view);
    session.appendRows({FileResult{}, FileResult{}});
    session.reorderRows({1, 0});
    session.removeRow(0);
    session.removeRow(5); // no such row: nothing to tell
    ASSERT_FALSE(session.begin(requestFor(dir.path(), "needle")));
    session.setRowsObserver(nullptr);
    session.appendRows({FileResult{}});
    EXPECT_EQ(view.log,
              (std::vector<std::string>{"before append 0+2", "after append", "before reorder 0+2",
                                        "after reorder 1 0", "before remove 0+1", "after remove",
                                        "before reset 0+0", "after reset"}));
}

TEST_F(Session, TheLinesOfARowComeFromItsFileWithTheCaseOptionOfNow) {
    dir.write("a.txt", "Needle one\nneedle two\n");
    search(requestFor(dir.path(), "needle"));
    ASSERT_EQ(session.rows().size(), 1u);
    const FileResult row = session.rows()[0];
    EXPECT_EQ(session.lines(row, false, {}).size(), 2u);
    const std::vector<MatchLine> exact = session.lines(row, true, {});
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0].LineNumber, "2");
    EXPECT_EQ(session.lines(row, false, {1, 300}).size(), 1u) << "MaxMatches";
}

} // namespace
