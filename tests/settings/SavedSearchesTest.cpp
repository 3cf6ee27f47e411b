#include "settings/SavedSearches.h"

#include "MessageBoxRecorder.h"
#include "StoreTesting.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::storeText;

const QChar fieldEnd(0x7F);
const QChar entryEnd(0x80);

// Spells an entry the way the stored format describes it: fields joined by
// the field separator, a "|" standing for the entry end.
QString stored(const QString& spelled) {
    QString value = spelled;
    value.replace(u'~', fieldEnd).replace(u'|', entryEnd);
    return value;
}

TEST(SavedSearchFormat, EncodesFieldsAndOptionLettersInTheirOrder) {
    EXPECT_EQ(optionLettersFor({true, true, true, true, true, true, true}),
              QStringLiteral("XBIZCWL"));
    EXPECT_EQ(optionLettersFor({.textFiles = true, .binaryFiles = true}), QStringLiteral("XB"));
    EXPECT_EQ(optionLettersFor({.searchZip = true, .literal = true}), QStringLiteral("ZL"));
    EXPECT_EQ(optionLettersFor({}), QString());

    EXPECT_EQ(encodeSavedSearch({"C:\\DOCS", "invoice", "*.txt", "XBI"}),
              stored("C:\\DOCS~invoice~*.txt~XBI~|"));
    EXPECT_EQ(encodeSavedSearch({"/src", "main", "*.c", ""}), stored("/src~main~*.c~~|"));
}

TEST(SavedSearchFormat, ParsesEntriesAsTheListSplitsThem) {
    EXPECT_TRUE(parseSavedSearches(QString()).empty());
    const std::vector<SavedSearch> two =
        parseSavedSearches(stored("C:\\DOCS~invoice~*.txt~XBI~|D:\\SRC~main~*.c,*.h~XBIC~|"));
    EXPECT_EQ(two, (std::vector<SavedSearch>{{"C:\\DOCS", "invoice", "*.txt", "XBI"},
                                             {"D:\\SRC", "main", "*.c,*.h", "XBIC"}}));

    // Hand-edited values: missing fields are empty, extra ones ignored, an
    // unterminated last entry still counts, and an empty piece is an entry.
    const std::vector<SavedSearch> edited =
        parseSavedSearches(stored("/a~text|/b~t~f~L~extra~|||/c~x~y~Z"));
    EXPECT_EQ(edited, (std::vector<SavedSearch>{{"/a", "text", "", ""},
                                                {"/b", "t", "f", "L"},
                                                {"", "", "", ""},
                                                {"", "", "", ""},
                                                {"/c", "x", "y", "Z"}}));
}

class SavedSearchStore : public test::StoreTest {
protected:
    test::MessageBoxRecorder boxes;

    // Saves and shows the outcome, as File / Save Search does.
    bool save(const SavedSearch& search) {
        const StoreOutcome saved = saveSearch(store, search);
        if (saved.message) MessageBoxA(nullptr, *saved.message);
        return bool(saved);
    }

    std::vector<QString> texts() const {
        std::vector<QString> shown;
        for (const auto& box : boxes.boxes())
            shown.push_back(box.caption + u':' + box.text);
        return shown;
    }
};

TEST_F(SavedSearchStore, EachSaveGoesInFrontAndDuplicatesStay) {
    const SavedSearch first{"/docs", "invoice", "*.txt", "XB"};
    const SavedSearch second{"/src", "main", "   ", ""}; // blanks are text
    EXPECT_TRUE(save(first));
    EXPECT_TRUE(save(second));
    EXPECT_TRUE(save(first));
    EXPECT_EQ(readSavedSearches(store), (std::vector<SavedSearch>{first, second, first}));
    EXPECT_EQ(texts(), std::vector<QString>(3, QStringLiteral("Message:Search saved")));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
}

TEST_F(SavedSearchStore, RefusesWhatTheFormatCannotHold) {
    const QString blank =
        QStringLiteral("Error:Search text and/ or file specification is blank - cannot save");
    const QString reserved =
        QStringLiteral("Error:The directory, search text or files to search contain a "
                       "reserved control character (U+007F or U+0080) - cannot save");
    const std::vector<std::pair<SavedSearch, QString>> refused = {
        {{"/d", "", "*.txt", "X"}, blank},
        {{"/d", "text", "", "X"}, blank},
        {{"/d", QStringLiteral("a") + fieldEnd, "*.txt", "X"}, reserved},
        {{"/d", "text", QStringLiteral("*.t") + entryEnd, "X"}, reserved},
        {{QStringLiteral("/d") + entryEnd, "text", "*.txt", "X"}, reserved},
    };
    for (const auto& [search, message] : refused) {
        boxes.clear();
        EXPECT_FALSE(save(search));
        EXPECT_EQ(texts(), std::vector<QString>{message});
        EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
    }
    EXPECT_EQ(folderEntries(), std::vector<std::string>{}) << "nothing written";
}

// U+00C0 and U+0100 are encoded with the byte 0x80 in UTF-8: splitting the
// bytes instead of the characters would break these entries.
TEST_F(SavedSearchStore, NonAsciiTextRoundTripsExactly) {
    const SavedSearch search{QStringLiteral("/home/\u00e9l\u00e8ve/\u6f22\u5b57"),
                             QStringLiteral("caf\u00e9 \U0001F600 \u00c0\u0100"),
                             QStringLiteral("*.\u00c0, *.txt"), QStringLiteral("XBIZCWL")};
    ASSERT_TRUE(save(search));
    EXPECT_EQ(readSavedSearches(store), std::vector<SavedSearch>{search});
    EXPECT_NE(contents().find("caf\u00e9 \U0001F600 \u00c0\u0100"), std::string::npos)
        << "stored as readable text";
}

TEST_F(SavedSearchStore, FailedWriteKeepsTheOldList) {
    const SavedSearch kept{"/docs", "invoice", "*.txt", "XB"};
    ASSERT_TRUE(save(kept));
    const std::string before = contents();
    boxes.clear();

    dir.write("registry.reg.tmp/blocker", "x");
    EXPECT_FALSE(save({"/src", "main", "*.c", ""}));
    EXPECT_EQ(texts(),
              std::vector<QString>{QStringLiteral("Error:Failed to set data for 'Searches'")});
    EXPECT_EQ(contents(), before);
    EXPECT_EQ(readSavedSearches(store), std::vector<SavedSearch>{kept});
}

TEST_F(SavedSearchStore, ValueOfAnotherTypeIsNeitherListedNorOverwritten) {
    seed(storeText("\"Searches\"=hex:01,02\n"));
    EXPECT_TRUE(readSavedSearches(store).empty());
    EXPECT_FALSE(save({"/src", "main", "*.c", ""}));
    EXPECT_EQ(texts(),
              std::vector<QString>{QStringLiteral("Error:Failed to set data for 'Searches'")});
    EXPECT_EQ(contents(), storeText("\"Searches\"=hex:01,02\n"));
}

TEST_F(SavedSearchStore, ReadingFindsNothingWithoutAStore) {
    EXPECT_TRUE(readSavedSearches(store).empty());
    seed(storeText("\"Searches\"=\"\"\n"));
    EXPECT_TRUE(readSavedSearches(store).empty());
}

} // namespace
} // namespace ferrolux
