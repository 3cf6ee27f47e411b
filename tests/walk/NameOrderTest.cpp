#include "search/NameOrder.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

using ferrolux::NameOrder;
using Names = std::vector<std::string>;

namespace {

Names sorted(Names names, const QLocale& locale) {
    NameOrder(locale).sort(names);
    return names;
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

} // namespace

TEST(NameOrder, LettersSortAsTheLocaleHasThemIgnoringCase) {
    // é with the e's, not after "~y" or "z" as its bytes would put it.
    EXPECT_EQ(
        sorted({"z.txt", "~y.txt", "\u00E9t\u00E9.txt", "f.txt", "Ete.txt", "d.txt"}, english),
        (Names{"~y.txt", "d.txt", "Ete.txt", "\u00E9t\u00E9.txt", "f.txt", "z.txt"}));
    EXPECT_EQ(sorted({"\u00C9clair", "eclair", "ECLAIRS", "\u00E9clair"}, english),
              (Names{"eclair", "\u00C9clair", "\u00E9clair", "ECLAIRS"}))
        << "an accent tells names apart, letter case only through the bytes";
    EXPECT_EQ(sorted({"C.txt", "b.txt", "a.txt", "A.txt", "B.TXT"}, english),
              (Names{"A.txt", "a.txt", "B.TXT", "b.txt", "C.txt"}));
}

TEST(NameOrder, NamesEqualButForCaseKeepByteOrder) {
    for (const QLocale& locale : {english, QLocale::c(), QLocale(QLocale::German)})
        EXPECT_EQ(sorted({"readme", "README", "ReadMe"}, locale),
                  (Names{"README", "ReadMe", "readme"}))
            << locale.name().toStdString();
    EXPECT_EQ(sorted({"b.txt", "\u00E4.txt", "\u00C4.txt", "a.txt"}, QLocale(QLocale::German)),
              (Names{"a.txt", "\u00C4.txt", "\u00E4.txt", "b.txt"}));
}

TEST(NameOrder, NamesThatAreNotUtf8HaveOneFixedPlace) {
    // "caf\xE9" reads as Windows-1252 "café"; the UTF-8 "café" ties with it
    // and the bytes decide.
    const Names names = {"cafe", "caf\xE9", "caf\u00E9", "cafz", "caf\xFF", "caf\xE9"};
    const Names once = sorted(names, english);
    EXPECT_EQ(once, (Names{"cafe", "caf\u00E9", "caf\xE9", "caf\xE9", "caf\xFF", "cafz"}));
    Names reversed(names.rbegin(), names.rend());
    EXPECT_EQ(sorted(reversed, english), once) << "the same order from any start";
}

TEST(NameOrder, AFolderOfManyNames) {
    Names names;
    for (int i = 0; i < 20000; ++i)
        names.push_back("File" + std::to_string((i * 7919) % 20000));
    NameOrder(english).sort(names);
    ASSERT_EQ(names.size(), 20000u);
    EXPECT_EQ(names[0], "File0");
    EXPECT_EQ(names[1], "File1");
    EXPECT_EQ(names[2], "File10");
    EXPECT_EQ(names[3], "File100");
    EXPECT_EQ(names.back(), "File9999");
}

// Plain ASCII names take a shortcut; it must give the collation's order in
// every locale, also where letter pairs sort as one ("ch" in Czech, "aa" in
// Danish, "ly" in Hungarian, "ll" in Welsh).
TEST(NameOrder, AsciiNamesAgreeWithTheCollationInEveryLocale) {
    const std::string alphabet = "aAbcChHdilLyYz_-. 19~";
    uint32_t seed = 12345;
    const auto next = [&] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    Names names;
    for (int i = 0; i < 1500; ++i) {
        std::string name;
        for (uint32_t length = 1 + next() % 5; length > 0; --length)
            name += alphabet[next() % alphabet.size()];
        names.push_back(name);
    }
    for (const char* locale : {"C", "en_US", "cs_CZ", "da_DK", "hu_HU", "lt_LT", "cy_GB", "es_ES",
                               "sv_SE", "tr_TR", "ja_JP", "th_TH", "fr_FR", "de_DE"}) {
        QCollator collator{QLocale(QString::fromLatin1(locale))};
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        Names expected = names;
        std::stable_sort(expected.begin(), expected.end(), [&](const auto& a, const auto& b) {
            const int byKey = collator.compare(QString::fromLatin1(a).toCaseFolded(),
                                               QString::fromLatin1(b).toCaseFolded());
            return byKey != 0 ? byKey < 0 : a < b;
        });
        EXPECT_EQ(sorted(names, QLocale(QString::fromLatin1(locale))), expected) << locale;
    }
}
