#include "TempDir.h"
#include "search/GrepEngine.h"
#include "viewer/BinaryText.h"
#include "viewer/ViewerMatching.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::TempDir;

std::string joinLines(const std::vector<std::string>& lines, const std::string& lineBreak) {
    std::string text;
    for (const std::string& line : lines)
        text += line + lineBreak;
    return text;
}

// The engine's line numbers must fall on the lines the viewer shows.
TEST(EngineMatching, TextLinesAgreeWithTheEngineForLfAndCrLfFiles) {
    const std::vector<std::string> lines = {"alpha",      "", "needle one", "\tbeta",
                                            "x needle y", "", "gamma",      "needle"};
    for (const std::string lineBreak : {"\n", "\r\n"}) {
        TempDir dir;
        const std::string bytes = joinLines(lines, lineBreak);
        const std::string path = dir.write("lines.txt", bytes);
        const TextModeDocument doc = textModeDocument(bytes);
        GrepEngine engine;
        ViewerMatchTable table;
        const auto ranges = findTextMatches(engine, path, "needle", GrepFalse, doc, 500, table);
        ASSERT_EQ(table.count, 3) << "line break " << lineBreak.size();
        EXPECT_EQ(table.positions[0], 2);
        EXPECT_EQ(table.positions[1], 4);
        EXPECT_EQ(table.positions[2], 7);
        for (const ColourRange& range : ranges) {
            const QString coloured = doc.text.mid(range.start, range.length);
            EXPECT_TRUE(coloured.contains(QLatin1String("needle"))) << coloured.toStdString();
            EXPECT_FALSE(coloured.contains(QLatin1Char('\n')));
        }
    }
}

TEST(EngineMatching, TheCaseFlagDecidesWhichLinesAreColoured) {
    TempDir dir;
    const std::string bytes = "Needle\nneedle\n";
    const std::string path = dir.write("case.txt", bytes);
    const TextModeDocument doc = textModeDocument(bytes);
    GrepEngine engine;
    ViewerMatchTable table;
    findTextMatches(engine, path, "needle", GrepFalse, doc, 500, table);
    EXPECT_EQ(table.count, 2);
    findTextMatches(engine, path, "needle", GrepTrue, doc, 500, table);
    ASSERT_EQ(table.count, 1);
    EXPECT_EQ(table.positions[0], 1);
}

TEST(EngineMatching, AFileTheEngineCannotOpenColoursNothing) {
    TempDir dir;
    GrepEngine engine;
    ViewerMatchTable table;
    table.count = 7;
    findTextMatches(engine, dir.file("gone.txt"), "x", GrepFalse, textModeDocument("x"), 500,
                    table);
    EXPECT_EQ(table.count, 0);
}

TEST(EngineMatching, BinaryMatchesAreFoundInTheShownText) {
    const std::string shown = binaryShownText(std::string("\x01key\x02\r\nxx\xFFKEY\0key", 17));
    ASSERT_EQ(shown, "key\r\nxxKEYkey");
    GrepEngine engine;
    ViewerMatchTable table;
    auto ranges = findBinaryMatches(engine, shown, "key", GrepFalse, 500, 300, table);
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{0, 3}, {6, 3}, {9, 3}}));
    ranges = findBinaryMatches(engine, shown, "key", GrepTrue, 500, 300, table);
    EXPECT_EQ(ranges, (std::vector<ColourRange>{{0, 3}, {9, 3}}));
}

} // namespace
} // namespace ferrolux
