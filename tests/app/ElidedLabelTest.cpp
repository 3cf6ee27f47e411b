#include "platform/ui/ElidedLabel.h"

#include <QFontMetrics>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(ElidedLabel, ALongPathIsShortenedInItsMiddleWithTheWholeAsToolTip) {
    ElidedLabel label;
    label.resize(500, 20);
    label.show();
    const QString lead = QStringLiteral("Matches in: ");
    const QString tail = QStringLiteral("  (500 of 10,000 matching lines)");
    const QString path = QStringLiteral("/home/user/projects/") + QString(60, QLatin1Char('d')) +
                         QStringLiteral("/notes.txt");
    label.setParts(lead, path, tail);
    const QString shown = label.text();
    EXPECT_TRUE(shown.startsWith(lead + QStringLiteral("/home"))) << shown.toStdString();
    EXPECT_TRUE(shown.endsWith(QStringLiteral("notes.txt") + tail)) << shown.toStdString();
    EXPECT_TRUE(shown.contains(QChar(0x2026)));
    EXPECT_LE(QFontMetrics(label.font()).horizontalAdvance(shown), label.contentsRect().width());
    EXPECT_EQ(label.toolTip(), lead + path + tail);

    // Given room, the whole shows.
    label.resize(QFontMetrics(label.font()).horizontalAdvance(lead + path + tail) + 10, 20);
    EXPECT_EQ(label.text(), lead + path + tail);
    label.setParts(lead, QStringLiteral("/a.txt"));
    EXPECT_EQ(label.text(), lead + QStringLiteral("/a.txt"));
}

} // namespace
} // namespace ferrolux
