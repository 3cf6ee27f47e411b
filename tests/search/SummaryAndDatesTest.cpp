#include "search/DateDisplay.h"
#include "search/SearchRun.h"
#include "search/SearchState.h"
#include "search/SearchTexts.h"
#include "platform/DisplayText.h"

#include <QDateTime>
#include <QLocale>
#include <ctime>
#include <gtest/gtest.h>

using namespace ferrolux;

namespace {

QString summary(int64_t matches, int64_t files, int64_t searched, int64_t ms, bool canceled,
                const QLocale& locale = QLocale::c()) {
    SearchState state;
    state.TotalMatches = matches;
    state.FilesWithMatches = files;
    state.FilesSearched = searched;
    state.Canceled = canceled;
    return searchSummary(state, ms, locale);
}

} // namespace

TEST(Summary, WordingAndNumbers) {
    EXPECT_EQ(summary(12, 3, 40, 1500, false),
              " Found 12 matches in 3 files of 40 searched - elapsed time 1.5 seconds");
    EXPECT_EQ(summary(1, 1, 7, 0, false),
              " Found 1 match in 1 file of 7 searched - elapsed time 0.0 seconds");
    EXPECT_EQ(summary(0, 0, 0, 49, false),
              " Found 0 matches in 0 files of 0 searched - elapsed time 0.0 seconds");
    EXPECT_EQ(summary(5, 2, 9, 1234, true),
              " Found 5 matches in 2 files of 9 searched - search canceled");
    EXPECT_EQ(summary((int64_t{1} << 32) + 1, 1, 1, 0, false),
              " Found 4294967297 matches in 1 file of 1 searched - elapsed time 0.0 seconds");
    EXPECT_EQ(summary(2, 1, 1, 2345678, false, QLocale(QLocale::German)),
              " Found 2 matches in 1 file of 1 searched - elapsed time 2345,7 seconds");
}

TEST(DateDisplay, FormatFollowsTheLocale) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale germany(QLocale::German, QLocale::Germany);
    const QLocale japan(QLocale::Japanese, QLocale::Japan);
    const QLocale australia(QLocale::English, QLocale::Australia);
    EXPECT_EQ(chooseDateDisplayFormat(us), "mm/dd/yyyy  h:mmam/pm");
    EXPECT_EQ(chooseDateDisplayFormat(germany), "dd/mm/yyyy  h:mm");
    EXPECT_EQ(chooseDateDisplayFormat(japan), "yyyy/mm/dd  h:mm");
    EXPECT_EQ(chooseDateDisplayFormat(australia), "dd/mm/yyyy  h:mmam/pm");
}

TEST(DateDisplay, FormatsWithTheLocaleSeparators) {
    const QLocale us(QLocale::English, QLocale::UnitedStates);
    const QLocale germany(QLocale::German, QLocale::Germany);
    const QLocale japan(QLocale::Japanese, QLocale::Japan);
    const int64_t afternoon = QDateTime(QDate(2026, 3, 7), QTime(14, 5)).toSecsSinceEpoch();
    const int64_t midnight = QDateTime(QDate(2026, 12, 31), QTime(0, 9)).toSecsSinceEpoch();
    EXPECT_EQ(formatDateTime(afternoon, chooseDateDisplayFormat(us), us), "03/07/2026  2:05pm");
    EXPECT_EQ(formatDateTime(midnight, chooseDateDisplayFormat(us), us), "12/31/2026  12:09am");
    EXPECT_EQ(formatDateTime(afternoon, chooseDateDisplayFormat(germany), germany),
              "07.03.2026  14:05");
    EXPECT_EQ(formatDateTime(afternoon, chooseDateDisplayFormat(japan), japan),
              "2026/03/07  14:05");
}

// Character by character: a valid UTF-8 sequence is its character, any
// other byte the Windows-1252 one, so one stray byte garbles nothing else.
TEST(TextDecoding, EachCharacterIsUtf8ElseWindows1252) {
    struct Case {
        const char* bytes;
        QString shown;
    };
    const Case cases[] = {
        {"\xC3\xA9t\xC3\xA9", QStringLiteral("\u00E9t\u00E9")},
        {"caf\xE9", QStringLiteral("caf\u00E9")},
        {"\x80 \x93quoted\x94", QStringLiteral("\u20AC \u201Cquoted\u201D")},
        {"", QString()},
        {"caf\xC3\xA9 \xFF \xE6\x97\xA5\xE6\x9C\xAC",
         QStringLiteral("caf\u00E9 \u00FF \u65E5\u672C")},
        {"\xF0\x9F\x98\x80\x81", QStringLiteral("\U0001F600\u0081")},
        {"\xC0\xAF", QStringLiteral("\u00C0\u00AF")},           // overlong
        {"\xED\xA0\x80", QStringLiteral("\u00ED\u00A0\u20AC")}, // a surrogate
        {"x\xE6\x97", QStringLiteral("x\u00E6\u2014")},         // cut short
    };
    for (const Case& c : cases)
        EXPECT_EQ(displayText(c.bytes), c.shown) << c.bytes;
    std::vector<int32_t> byteOf;
    EXPECT_EQ(decodeEachCharacter("a\xFF\xF0\x9F\x98\x80"
                                  "b",
                                  &byteOf),
              QStringLiteral("a\u00FF\U0001F600b"));
    EXPECT_EQ(byteOf, (std::vector<int32_t>{0, 1, 2, 2, 6, 7}));
}

TEST(DateDisplay, SeparatorsSkipBlanksAndQuotedText) {
    const int64_t when = QDateTime(QDate(2026, 12, 8), QTime(13, 15)).toSecsSinceEpoch();
    const auto shown = [&](const QLocale& locale) {
        return formatDateTime(when, chooseDateDisplayFormat(locale), locale).toStdString();
    };
    // "d MMM yyyy" and "HH:mm:ss": the date has no separator but blanks.
    EXPECT_EQ(shown(QLocale::c()), "08/12/2026  13:15");
    // "yyyy-MM-dd" and "HH 'h' mm": a quoted letter and blanks in the time.
    EXPECT_EQ(shown(QLocale(QLocale::French, QLocale::Canada)), "2026-12-08  13:15");
    // "yyyy. MM. dd." and "d.MM.yy 'г'." with "H:mm 'ч'.".
    EXPECT_EQ(shown(QLocale(QLocale::Hungarian, QLocale::Hungary)), "2026.12.08  13:15");
    EXPECT_EQ(shown(QLocale(QLocale::Bulgarian, QLocale::Bulgaria)), "08.12.2026  13:15");
    // "H.mm": the time separator is the dot.
    EXPECT_EQ(shown(QLocale(QLocale::Finnish, QLocale::Finland)), "08.12.2026  13.15");
}

// Local time as the rest of the desktop shows it: across the changes to and
// from summer time, and for times no calendar of the C library reaches.
TEST(DateDisplay, LocalTimeIsTheDesktopsOnEitherSideOfSummerTime) {
    const QByteArray zone = qgetenv("TZ");
    qputenv("TZ", "Europe/Berlin");
    ::tzset();
    const QString format = QStringLiteral("yyyy/mm/dd  h:mm");
    const auto expected = [&](int64_t when) {
        return QDateTime::fromSecsSinceEpoch(when).toString(QStringLiteral("yyyy/MM/dd  H:mm"));
    };
    const int64_t spring = QDateTime(QDate(2026, 3, 29), QTime(1, 30)).toSecsSinceEpoch();
    const int64_t autumn = QDateTime(QDate(2026, 10, 25), QTime(1, 30)).toSecsSinceEpoch();
    for (const int64_t start : {spring, autumn})
        for (int64_t when = start; when < start + 3 * 3600; when += 599)
            EXPECT_EQ(formatDateTime(when, format, QLocale::c()), expected(when)) << when;
    EXPECT_EQ(formatDateTime(spring, format, QLocale::c()), "2026/03/29  1:30");
    EXPECT_EQ(formatDateTime(spring + 3600, format, QLocale::c()), "2026/03/29  3:30");
    // Past every calendar the cell stays empty rather than showing
    // "0000/00/00  -1:-1".
    const int64_t farFuture = int64_t(6'000'000'000) * 1'000'000'000;
    EXPECT_EQ(formatDateTime(farFuture, format, QLocale::c()), QString());
    if (zone.isNull())
        qunsetenv("TZ");
    else
        qputenv("TZ", zone);
    ::tzset();
}
