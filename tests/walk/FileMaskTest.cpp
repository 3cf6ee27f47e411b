#include "search/FileMask.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using ferrolux::fitsFileMask;
using ferrolux::hasFileExtension;
using ferrolux::upperCaseMask;

TEST(FileMask, WildcardsAndCase) {
    struct Case {
        const char* name;
        const char* mask;
        bool fits;
    } cases[] = {
        {"report.txt", "*.TXT", true},   {"REPORT.TXT", "*.txt", true},
        {"report.txt", "*.doc", false},  {"a.txt", "?.txt", true},
        {"ab.txt", "?.txt", false},      {"report.txt", "rep*", true},
        {"report.txt", "*port*", true},  {"report.txt", "*", true},
        {"report.txt", "r*t.t?t", true}, {"aaa", "a*a*a*a", false},
        {"x.txt.bak", "*.TXT", false},   {".hidden", "*.*", true},
        {"Makefile", "*.*", true},       {"DATA1", "DATA*.*", true},
        {"OTHER", "DATA*.*", false},     {"anything", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(fitsFileMask(c.name, c.mask), c.fits) << c.name << " ~ " << c.mask;
}

TEST(FileMask, NonAsciiNamesFoldCaseAndCountCharacters) {
    EXPECT_TRUE(fitsFileMask("\xC3\xA9t\xC3\xA9.txt", "\xC3\x89T\xC3\x89.TXT")); // été ~ ÉTÉ
    EXPECT_TRUE(fitsFileMask("\xC3\xA9.txt", "?.txt"));   // one character, two bytes
    EXPECT_TRUE(fitsFileMask("caf\xE9.txt", "CAF?.TXT")); // not UTF-8: one byte, one character
    EXPECT_TRUE(fitsFileMask("caf\xE9.txt", "*.txt"));
}

TEST(FileMask, LettersFoldOneCharacterAtATime) {
    // Masks reach the walk upper-cased, as the search's working copy has them.
    const auto fits = [](const char* name, const char* typed) {
        return fitsFileMask(name, upperCaseMask(typed));
    };
    EXPECT_TRUE(fits("stra\u00DFe.txt", "stra\u00DFe.txt"));
    EXPECT_TRUE(fits("STRA\u00DFE.TXT", "stra\u00DFe.*"));
    EXPECT_FALSE(fits("strasse.txt", "stra\u00DFe.txt")) << "ß is one letter, not SS";
    EXPECT_TRUE(fits("\u00E9t\u00E9.txt", "\u00C9T\u00C9.TXT"));
    EXPECT_TRUE(fits("\u0131.txt", "\u0131.*"));
    EXPECT_FALSE(fits("i.txt", "\u0131.*")) << "the dotless i is not i";
    EXPECT_FALSE(fits("\u0131.txt", "I.*"));
    EXPECT_TRUE(fits("\U00010428.txt", "\U00010400.TXT")) << "case beyond U+FFFF";
    EXPECT_TRUE(fits("\U0001F600.txt", "?.txt")) << "one character beyond U+FFFF";

    EXPECT_EQ(upperCaseMask("stra\u00DFe*.txt"), "STRA\u00DFE*.TXT");
    EXPECT_EQ(upperCaseMask("notes.z\u0131p"), "NOTES.Z\u0131P");
    EXPECT_EQ(upperCaseMask("caf\xE9*.txt"), "CAF\xE9*.TXT") << "bytes that are not UTF-8 stay";
}

TEST(FileMask, AMaskEndingInADotFitsNamesWithoutExtension) {
    EXPECT_TRUE(fitsFileMask("Makefile", "*."));
    EXPECT_TRUE(fitsFileMask("README", "READ*."));
    EXPECT_TRUE(fitsFileMask("odd.", "*."));
    EXPECT_FALSE(fitsFileMask("notes.txt", "*."));
    EXPECT_FALSE(fitsFileMask(".profile", "*."));
    EXPECT_FALSE(fitsFileMask("OTHER", "DATA*."));
}

TEST(FileMask, ArchiveExtensionFoldsOnlyAsciiLetters) {
    EXPECT_TRUE(hasFileExtension("/d/NOTES.Zip", ".zip"));
    EXPECT_TRUE(hasFileExtension("/d/a.zip", ".zip"));
    EXPECT_FALSE(hasFileExtension("/d/notes.z\u0131p", ".zip"));
    EXPECT_FALSE(hasFileExtension("/d/notes.z\u0130p", ".zip"));
    EXPECT_FALSE(hasFileExtension("/d/zip", ".zip"));
    EXPECT_FALSE(hasFileExtension("/d/a.zipx", ".zip"));
}

TEST(FileMask, ListsOfMasks) {
    using ferrolux::maskList;
    using List = std::vector<std::string>;
    EXPECT_EQ(maskList(""), List{});
    EXPECT_EQ(maskList(" , ,\t"), List{});
    EXPECT_EQ(maskList(" .git , node_modules,,build*\t"), (List{".git", "node_modules", "build*"}));
    EXPECT_EQ(maskList("my folder"), List{"my folder"}); // blanks inside stay
}
