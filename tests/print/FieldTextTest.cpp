#include "platform/ui/FieldText.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

std::vector<QString> fit(const QString& text, double width, int maxLines) {
    return fitLines(text, width, maxLines, columnsOf);
}

using Lines = std::vector<QString>;

TEST(FieldText, TextThatFitsIsShownWhole) {
    EXPECT_EQ(fit(QStringLiteral("short"), 5, 1), Lines{QStringLiteral("short")});
    EXPECT_TRUE(fit(QString(), 5, 1).empty());
}

TEST(FieldText, TextCutAtTheFieldEdgeEndsInAnEllipsis) {
    EXPECT_EQ(fit(QStringLiteral("/data/docs/notes.txt"), 8, 1), Lines{QStringLiteral("/data/d…")});
    // No blank before the ellipsis.
    EXPECT_EQ(fit(QStringLiteral("ab   cdef"), 5, 1), Lines{QStringLiteral("ab…")});
    // Narrower than the ellipsis itself: the ellipsis alone.
    EXPECT_EQ(fit(QStringLiteral("abc"), 0, 1), Lines{QStringLiteral("…")});
}

TEST(FieldText, LinesWrapAtBlanksAndBreakWordsWiderThanTheField) {
    EXPECT_EQ(fit(QStringLiteral("one two three four"), 9, 2),
              (Lines{QStringLiteral("one two"), QStringLiteral("three fo…")}));
    EXPECT_EQ(fit(QStringLiteral("one two  three"), 9, 3),
              (Lines{QStringLiteral("one two"), QStringLiteral("three")}));
    EXPECT_EQ(fit(QStringLiteral("abcdefghijkl"), 5, 3),
              (Lines{QStringLiteral("abcde"), QStringLiteral("fghij"), QStringLiteral("kl")}));
}

TEST(FieldText, CharactersOutsideTheBasicPlaneStayWhole) {
    const QString faces = QStringLiteral("\U0001F600\U0001F600\U0001F600");
    EXPECT_EQ(columnsOf(faces), 3.0);
    EXPECT_EQ(fit(faces, 2, 1), Lines{QStringLiteral("\U0001F600…")});
    EXPECT_EQ(fit(faces, 2, 2),
              (Lines{QStringLiteral("\U0001F600\U0001F600"), QStringLiteral("\U0001F600")}));
}

TEST(FieldText, TabsAndControlCharactersNeverBreakTheLayout) {
    EXPECT_EQ(printableText(QStringLiteral("a\tb")), QStringLiteral("a       b"));
    EXPECT_EQ(printableText(QStringLiteral("12345678\tx")), QStringLiteral("12345678        x"));
    EXPECT_EQ(printableText(QStringLiteral("\U0001F600\tx")), QStringLiteral("\U0001F600       x"));
    EXPECT_EQ(printableText(QStringLiteral("name\nwith\rbreaks\f\x7f")),
              QStringLiteral("name with breaks  "));
}

} // namespace
} // namespace ferrolux
