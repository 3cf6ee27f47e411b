#include "viewer/ViewerDocument.h"

#include "TempDir.h"

#include <cerrno>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::TempDir;

TEST(TextModeDocument, SplitsLinesAtLineFeedsWithOrWithoutCarriageReturn) {
    for (const char* bytes : {"one\ntwo\nthree", "one\r\ntwo\r\nthree"}) {
        const TextModeDocument doc = textModeDocument(bytes);
        EXPECT_EQ(doc.text, QStringLiteral("one\ntwo\nthree")) << bytes;
        EXPECT_EQ(doc.lineStarts, (std::vector<int32_t>{0, 4, 8}));
        EXPECT_EQ(doc.lineLength(0), 3);
        EXPECT_EQ(doc.lineLength(2), 5);
    }
}

TEST(TextModeDocument, AFinalLineBreakLeavesAnEmptyLastLine) {
    const TextModeDocument doc = textModeDocument("a\r\nb\r\n");
    EXPECT_EQ(doc.lineStarts, (std::vector<int32_t>{0, 2, 4}));
    EXPECT_EQ(doc.lineLength(2), 0);
    EXPECT_EQ(textModeDocument("").lineStarts.size(), 1u);
}

TEST(TextModeDocument, CharactersTheControlWouldBreakAtStayOnTheirLine) {
    // A lone CR and U+2029 would start a new line in the text control but
    // not for the engine, which counts line feeds.
    const TextModeDocument doc = textModeDocument("a\rb\xE2\x80\xA9"
                                                  "c\nd");
    ASSERT_EQ(doc.lineStarts.size(), 2u);
    EXPECT_EQ(doc.text.indexOf(QLatin1Char('\r')), -1);
    EXPECT_EQ(doc.text.indexOf(QChar(0x2029)), -1);
    EXPECT_EQ(doc.lineLength(0), 5);
}

TEST(TextModeDocument, OffsetsCountCharactersNotBytes) {
    // UTF-8 "é" is one character; a line that is not UTF-8 reads as
    // Windows-1252, one character per byte.
    const TextModeDocument doc = textModeDocument("\xC3\xA9t\xC3\xA9\ncaf\xE9\nz");
    EXPECT_EQ(doc.lineStarts, (std::vector<int32_t>{0, 4, 9}));
    EXPECT_EQ(doc.text.mid(4, 4), QStringLiteral("caf\u00E9"));
}

TEST(TextModeDocument, AVeryLongLineTakesSeveralRowsButStaysOneLine) {
    const std::string longLine(2 * MaxRowCharacters + 5, 'x');
    const TextModeDocument doc = textModeDocument("a\n" + longLine + "\nb");
    ASSERT_EQ(doc.lineStarts, (std::vector<int32_t>{0, 2, 2 + int32_t(longLine.size()) + 3}));
    EXPECT_EQ(doc.text.count(QLatin1Char('\n')), 4);
    EXPECT_EQ(doc.text.at(2 + MaxRowCharacters), QLatin1Char('\n'));
    EXPECT_EQ(doc.lineLength(1), int32_t(longLine.size()) + 2);
    EXPECT_EQ(doc.lineOf(0), 0);
    EXPECT_EQ(doc.lineOf(2 + MaxRowCharacters + 1), 1);
    EXPECT_EQ(doc.lineOf(doc.lineStarts[2]), 2);
    EXPECT_EQ(doc.lineOf(int32_t(doc.text.size())), 2);
}

TEST(TextModeDocument, RowsNeverPartASurrogatePair) {
    // U+1F600 is two UTF-16 characters; put one across the row boundary.
    std::string line(size_t(MaxRowCharacters - 1), 'x');
    line += "\xF0\x9F\x98\x80tail";
    const TextModeDocument doc = textModeDocument(line);
    const qsizetype rowBreak = doc.text.indexOf(QLatin1Char('\n'));
    ASSERT_EQ(rowBreak, MaxRowCharacters - 1);
    EXPECT_TRUE(doc.text.at(rowBreak + 1).isHighSurrogate());
}

TEST(TextModeDocument, BuiltInPartsItIsTheSameDocument) {
    const std::string bytes = "one\r\ntwo\n\nfour\r\nfive";
    TextModeDocument parts;
    appendTextLines(parts, "one\r\n", false);
    appendTextLines(parts, "two\n\n", false);
    appendTextLines(parts, "four\r\nfive", true);
    const TextModeDocument whole = textModeDocument(bytes);
    EXPECT_EQ(parts.text, whole.text);
    EXPECT_EQ(parts.lineStarts, whole.lineStarts);
    TextModeDocument endsWithBreak;
    appendTextLines(endsWithBreak, "a\n", false);
    appendTextLines(endsWithBreak, "", true);
    EXPECT_EQ(endsWithBreak.lineStarts, textModeDocument("a\n").lineStarts);
}

TEST(ReadFileBytes, ReadsAllOrAtMostTheLimit) {
    TempDir dir;
    const std::string path = dir.write("f.bin", std::string("ab\0cd", 5));
    EXPECT_EQ(readFileBytes(path).bytes, std::string("ab\0cd", 5));
    EXPECT_EQ(readFileBytes(path, 3).bytes, std::string("ab\0", 3));
    const FileBytes shorter = readFileBytes(path, 100); // the file shrank since the search
    EXPECT_EQ(shorter.bytes.size(), 5u);
    EXPECT_EQ(shorter.error, 0);
    EXPECT_EQ(readFileBytes(path, 0).bytes, "");
}

TEST(ReadFileBytes, ReportsWhyAFileCannotBeRead) {
    TempDir dir;
    EXPECT_EQ(readFileBytes(dir.file("missing")).error, ENOENT);
    EXPECT_NE(readFileBytes(dir.mkdir("folder")).error, 0);
}

TEST(ReadFileBytes, ReadsFilesLargerThanOneChunk) {
    TempDir dir;
    std::string big(3 * 1024 * 1024 + 17, 'x');
    big.back() = 'y';
    const std::string path = dir.write("big.txt", big);
    EXPECT_EQ(readFileBytes(path).bytes, big);
}

} // namespace
} // namespace ferrolux
