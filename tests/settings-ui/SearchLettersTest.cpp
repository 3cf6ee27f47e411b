#include "settings/SavedSearches.h"
#include "settings/SettingsTexts.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

SearchOptionBoxes boxesFromBits(unsigned bits) {
    const auto bit = [bits](unsigned index) { return (bits >> index & 1U) != 0; };
    return {bit(0), bit(1), bit(2), bit(3), bit(4), bit(5), bit(6)};
}

bool sameBoxes(const SearchOptionBoxes& a, const SearchOptionBoxes& b) {
    return a.textFiles == b.textFiles && a.binaryFiles == b.binaryFiles &&
           a.includeSubdirectories == b.includeSubdirectories && a.searchZip == b.searchZip &&
           a.caseSensitive == b.caseSensitive && a.wholeWords == b.wholeWords &&
           a.literal == b.literal;
}

TEST(OptionLetters, EveryCombinationOfBoxesComesBackFromItsLetters) {
    for (unsigned bits = 0; bits < 128; ++bits) {
        const SearchOptionBoxes boxes = boxesFromBits(bits);
        EXPECT_TRUE(sameBoxes(optionBoxesFor(optionLettersFor(boxes)), boxes)) << bits;
    }
}

TEST(OptionLetters, HandEditedLettersTickOnlyTheBoxesTheyName) {
    const SearchOptionBoxes boxes = optionBoxesFor(QStringLiteral("L?xq X"));
    EXPECT_TRUE(sameBoxes(boxes, {.textFiles = true, .literal = true}));
    EXPECT_TRUE(sameBoxes(optionBoxesFor(QString()), {}));
}

TEST(DirectoryForSaving, TakesUtf8PathsAndRefusesOthers) {
    EXPECT_EQ(directoryForSaving("/home/\xc3\xa9l\xc3\xa8ve/"),
              QStringLiteral("/home/\u00e9l\u00e8ve/"));
    EXPECT_EQ(directoryForSaving("/data/caf\xe9/"), std::nullopt) << "Latin-1 byte";
    EXPECT_EQ(directoryForSaving("/data/\xc3/"), std::nullopt) << "cut sequence";
    // What the window then shows.
    EXPECT_EQ(directoryNotUtf8Refusal().caption, QStringLiteral("Error"));
    EXPECT_EQ(directoryNotUtf8Refusal().kind, UserMessage::Kind::Warning);
    EXPECT_TRUE(directoryNotUtf8Refusal().text.endsWith(QStringLiteral("- cannot save")));
}

} // namespace
} // namespace ferrolux
