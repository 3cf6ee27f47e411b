#include "TempDir.h"
#include "platform/posix/OpenPath.h"
#include "viewer/RowIndex.h"
#include "viewer/RowReader.h"
#include "viewer/RowText.h"
#include "viewer/ViewerText.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace ferrolux {
namespace {

using test::TempDir;

std::vector<RowSpan> scanAll(std::string_view text) {
    std::vector<RowSpan> rows;
    scanRows(text, {}, true, [&](const RowSpan& row) {
        rows.push_back(row);
        return true;
    });
    return rows;
}

std::vector<std::string> textsOf(std::string_view text, const std::vector<RowSpan>& rows) {
    std::vector<std::string> texts;
    for (const RowSpan& row : rows)
        texts.emplace_back(text.substr(size_t(row.start), size_t(row.end - row.start)));
    return texts;
}

std::vector<int64_t> linesOf(const std::vector<RowSpan>& rows) {
    std::vector<int64_t> lines;
    for (const RowSpan& row : rows)
        lines.push_back(row.line);
    return lines;
}

// A text indexed from memory, fed in pieces of the given size.
struct IndexedText {
    std::shared_ptr<RowIndex> index = std::make_shared<RowIndex>();
    RowReader reader;

    IndexedText(const std::string& text, size_t piece)
        : reader(std::make_shared<MemoryText>(text), index) {
        RowIndexBuilder builder(*index);
        for (size_t at = 0; at < text.size(); at += piece)
            builder.feed(std::string_view(text).substr(at, piece));
        builder.finish();
    }
};

TEST(Rows, EndAtLineFeedsCrLfPairsAndLoneCarriageReturns) {
    const std::string text = "one\ntwo\r\nthree\rfour";
    const auto rows = scanAll(text);
    EXPECT_EQ(textsOf(text, rows), (std::vector<std::string>{"one", "two", "three", "four"}));
    // The engine counts lines at line feeds only: a lone CR starts a row, not a line.
    EXPECT_EQ(linesOf(rows), (std::vector<int64_t>{0, 1, 2, 2}));
    EXPECT_EQ(rows[1], (RowSpan{4, 7, 9, 1})); // the CR LF pair is one break
    EXPECT_TRUE(rows[2].endsLine());
}

TEST(Rows, AFinalLineBreakLeavesAnEmptyLastRow) {
    EXPECT_EQ(textsOf("a\r\nb\r\n", scanAll("a\r\nb\r\n")),
              (std::vector<std::string>{"a", "b", ""}));
    EXPECT_EQ(textsOf("x\r", scanAll("x\r")), (std::vector<std::string>{"x", ""}));
    EXPECT_EQ(scanAll(""), (std::vector<RowSpan>{{0, 0, 0, 0}}));
}

TEST(Rows, ALongRunIsCutIntoRowsOfTheSameLine) {
    const size_t full = MaxRowCharacters;
    const std::string text = "a\n" + std::string(2 * full + 5, 'x') + "\nb";
    const auto rows = scanAll(text);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1].end - rows[1].start, int64_t(full));
    EXPECT_EQ(rows[3].end - rows[3].start, 5);
    EXPECT_EQ(linesOf(rows), (std::vector<int64_t>{0, 1, 1, 1, 2}));
    EXPECT_FALSE(rows[1].endsLine());
    EXPECT_EQ(rows[1].next, rows[2].start);
    EXPECT_TRUE(rows[3].endsLine());
}

TEST(Rows, ABreakRightAfterAFullRowEndsThatRow) {
    const std::string text = std::string(MaxRowCharacters, 'x') + "\r\ny";
    EXPECT_EQ(textsOf(text, scanAll(text)),
              (std::vector<std::string>{std::string(MaxRowCharacters, 'x'), "y"}));
}

// A row holds MaxRowCharacters characters however many bytes they take, and
// is cut before the lead byte of the next one.
TEST(Rows, ARowIsCutAfterItsCharactersNeverInsideOne) {
    const size_t full = MaxRowCharacters;
    struct Case {
        std::string character; // the row's last character
        std::string next;
    };
    for (const Case& c : {Case{"\xC3\xA9", "tail"}, Case{"\xF0\x9F\x98\x80", "tail"},
                          Case{"\xE9", "\xE9\xE9z"}, Case{"\xE6\x97\xA5", "\xE6\x97\xA5"}}) {
        const std::string text = std::string(full - 1, 'x') + c.character + c.next;
        const auto texts = textsOf(text, scanAll(text));
        ASSERT_EQ(texts.size(), 2u);
        EXPECT_EQ(texts[0], std::string(full - 1, 'x') + c.character);
        EXPECT_EQ(texts[1], c.next);
    }
    // A line of three-byte characters: rows three times as long in bytes.
    std::string wide;
    for (size_t i = 0; i < full + 2; ++i)
        wide += "\xE6\x97\xA5";
    EXPECT_EQ(scanAll(wide)[0].end, int64_t(3 * full));
    // Bytes that count as no character still make a row of bounded size.
    const std::string odd(4 * full + 10, '\x80');
    EXPECT_EQ(scanAll(odd)[0].end, int64_t(4 * full));
}

TEST(Rows, WithoutTheTextsEndARowEndsOnlyWhereItsBreakIsSeen) {
    std::vector<RowSpan> rows;
    const auto collect = [&](const RowSpan& row) {
        rows.push_back(row);
        return true;
    };
    // The CR may be the first half of a CR LF pair, "b" may go on.
    const RowCursor stopped = scanRows("a\nb\r", {}, false, collect);
    EXPECT_EQ(rows.size(), 1u);
    EXPECT_EQ(stopped.offset, 2);
    EXPECT_EQ(stopped.line, 1);
}

TEST(RowIndex, BuiltFromPiecesOfAnySizeItFindsTheSameRows) {
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += std::string(size_t(i % 37), 'a' + char(i % 26)) + (i % 5 == 0   ? "\r\n"
                                                                   : i % 7 == 0 ? "\r"
                                                                                : "\n");
    text += std::string(3 * MaxRowCharacters, 'z') + "\r";
    const auto expected = scanAll(text);
    for (size_t piece : {size_t(1), size_t(7), size_t(4096), text.size()}) {
        IndexedText indexed(text, piece);
        EXPECT_EQ(indexed.reader.state().rows, int64_t(expected.size())) << piece;
        EXPECT_EQ(indexed.reader.rows(0, int64_t(expected.size()) + 5), expected) << piece;
    }
}

TEST(RowIndex, StaysSparseAndStillFindsEveryRowOffsetAndLine) {
    // More rows than index points: the index thins itself out.
    std::string text;
    for (int i = 0; i < 400000; ++i)
        text += i % 3 == 0 ? "ab\rc\n" : "d\n";
    IndexedText indexed(text, 1 << 16);
    const auto all = scanAll(text);
    ASSERT_EQ(indexed.reader.state().rows, int64_t(all.size()));
    for (size_t n : {size_t(0), size_t(1), size_t(131071), size_t(262145), all.size() - 1}) {
        EXPECT_EQ(indexed.reader.row(int64_t(n)), all[n]) << n;
        const NumberedRow holder = indexed.reader.rowAt(all[n].start + 1);
        EXPECT_EQ(holder.number, int64_t(n)) << n;
        const auto first = indexed.reader.firstRowOfLine(all[n].line);
        ASSERT_TRUE(first);
        EXPECT_EQ(first->span.line, all[n].line);
        EXPECT_TRUE(first->number == 0 || all[size_t(first->number) - 1].line < all[n].line);
    }
    EXPECT_EQ(indexed.reader.row(int64_t(all.size())), std::nullopt);
    EXPECT_EQ(indexed.reader.firstRowOfLine(all.back().line + 1), std::nullopt);
    // An offset past the text is in its last row.
    EXPECT_EQ(indexed.reader.rowAt(int64_t(text.size()) + 10).number, int64_t(all.size()) - 1);
}

TEST(RowIndex, WhileItGrowsReadersSeeOnlyCompleteRows) {
    auto index = std::make_shared<RowIndex>();
    const std::string text = "first\nsecond\nthird";
    RowReader reader(std::make_shared<MemoryText>(text), index);
    RowIndexBuilder builder(*index);
    builder.feed("first\nsec");
    EXPECT_EQ(reader.state().rows, 1);
    EXPECT_FALSE(reader.state().complete);
    EXPECT_EQ(reader.rows(0, 10).size(), 1u);
    EXPECT_EQ(reader.firstRowOfLine(1), std::nullopt);
    builder.feed("ond\nthird");
    builder.finish();
    EXPECT_TRUE(reader.state().complete);
    EXPECT_EQ(reader.state().knownEnd.offset, int64_t(text.size()));
    EXPECT_EQ(textsOf(text, reader.rows(0, 10)),
              (std::vector<std::string>{"first", "second", "third"}));
}

TEST(FileText, ReadsAnywhereWithinItsLimitAndShortOnceTheFileShrank) {
    TempDir dir;
    const std::string path = dir.write("f.txt", "0123456789");
    FileText whole(UniqueFd(openRegularFile(path)));
    FileText limited(UniqueFd(openRegularFile(path)), 4);
    char bytes[16] = {};
    EXPECT_EQ(whole.readAt(7, bytes, sizeof bytes), 3u);
    EXPECT_EQ(std::string(bytes, 3), "789");
    EXPECT_EQ(limited.readAt(2, bytes, sizeof bytes), 2u);
    EXPECT_EQ(std::string(bytes, 2), "23");
    EXPECT_EQ(limited.readAt(5, bytes, sizeof bytes), 0u);
    ASSERT_EQ(::truncate(path.c_str(), 3), 0);
    EXPECT_EQ(whole.readAt(0, bytes, sizeof bytes), 3u);
    EXPECT_EQ(whole.readAt(7, bytes, sizeof bytes), 0u);
}

TEST(RowText, DecodesUtf8OrWindows1252AndKnowsEachCharactersByte) {
    const RowText utf8 = decodeRow("a\xC3\xA9z");
    EXPECT_EQ(utf8.text, QStringLiteral("a\u00E9z"));
    EXPECT_EQ(utf8.byteAt(2), 3);
    EXPECT_EQ(utf8.characterAt(2), 1); // the second byte of "é"
    EXPECT_EQ(utf8.characterAt(4), 3);
    const RowText cp1252 = decodeRow("caf\xE9 \x80");
    EXPECT_EQ(cp1252.text, QStringLiteral("caf\u00E9 \u20AC"));
    EXPECT_EQ(cp1252.byteAt(4), 4);
    // Both halves of a surrogate pair come from one four-byte sequence.
    const RowText emoji = decodeRow("x\xF0\x9F\x98\x80y");
    EXPECT_EQ(emoji.text.size(), 4);
    EXPECT_EQ(emoji.characterAt(2), 1);
    EXPECT_EQ(emoji.byteAt(3), 5);
    // A byte order mark stays, so that characters and bytes keep in step.
    EXPECT_EQ(decodeRow("\xEF\xBB\xBFok").byteAt(1), 3);
}

TEST(RowText, CharactersThatWouldBreakTheRowAreShownAsReplacements) {
    const RowText row = decodeRow("a\xE2\x80\xA8"
                                  "b\xE2\x80\xA9"
                                  "c");
    EXPECT_EQ(row.text, QStringLiteral("a\uFFFDb\uFFFDc"));
}

} // namespace
} // namespace ferrolux
