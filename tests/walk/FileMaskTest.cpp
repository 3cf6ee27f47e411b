#include "search/FileMask.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using ferrolux::caseInsensitiveLess;
using ferrolux::fitsFileMask;

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

TEST(FileMask, DirectoryOrderIgnoresCaseThenBytes) {
    std::vector<std::string> names = {"C.txt", "b.txt", "a.txt", "A.txt", "B.TXT", "_x", "10"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return caseInsensitiveLess(a, b); });
    const std::vector<std::string> expected = {"10",    "_x",    "A.txt", "a.txt",
                                               "B.TXT", "b.txt", "C.txt"};
    EXPECT_EQ(names, expected);
    EXPECT_TRUE(caseInsensitiveLess("abc", "ABCD"));
    EXPECT_FALSE(caseInsensitiveLess("same", "same"));
}
