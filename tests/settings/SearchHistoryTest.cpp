#include "settings/SearchHistory.h"

#include "StoreTesting.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

QStringList numbered(const QString& prefix, int from, int to) {
    QStringList entries;
    for (int i = from; i <= to; ++i)
        entries.append(prefix + QString::number(i));
    return entries;
}

TEST(SearchHistory, TheNewestEntryComesFirstOnceAndTwentyAreKept) {
    const struct {
        QStringList entries;
        QString entry;
        QStringList remembered;
    } cases[] = {
        {{}, "needle", {"needle"}},
        {{"a", "b"}, "c", {"c", "a", "b"}},
        {{"a", "b", "c"}, "b", {"b", "a", "c"}},
        {{"a", "b"}, "a", {"a", "b"}},
        // Letter case makes another pattern.
        {{"Key"}, "key", {"key", "Key"}},
        {{"a"}, "", {"a"}},
        {numbered("p", 1, 20), "new", QStringList{"new"} + numbered("p", 1, 19)},
        {numbered("p", 1, 20), "p20", QStringList{"p20"} + numbered("p", 1, 19)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rememberEntry(c.entries, c.entry), c.remembered) << c.entry.toStdString();
}

class SearchHistoryStore : public test::StoreTest {};

TEST_F(SearchHistoryStore, BothListsComeBackAsWrittenAndAbsentValuesAreEmpty) {
    EXPECT_EQ(readSearchHistory(store).searchTexts, QStringList());
    seed(test::storeText("\"MaxMatches\"=dword:00000003\r\n"));
    EXPECT_EQ(readSearchHistory(store).fileSpecs, QStringList());

    const SearchHistory written{{"say \"hi\"", "C:\\path\\x", "\\<word\\>"},
                                numbered("*.t", 1, 25)};
    ASSERT_TRUE(writeSearchHistory(store, written));
    const SearchHistory read = readSearchHistory(store);
    EXPECT_EQ(read.searchTexts, written.searchTexts);
    EXPECT_EQ(read.fileSpecs, numbered("*.t", 1, 20));
    EXPECT_NE(contents().find("\"MaxMatches\"=dword:00000003"), std::string::npos);
}

} // namespace
} // namespace ferrolux
