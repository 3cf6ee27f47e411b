#include "viewer/BinaryText.h"

#include "TempDir.h"
#include "platform/posix/OpenPath.h"

#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::TempDir;

std::string allBytes() {
    std::string bytes;
    for (int c = 0; c < 256; ++c)
        bytes += char(c);
    return bytes;
}

// The shown text of a whole file, converted in one go.
std::string shown(const std::string& bytes) {
    std::string out;
    ShownTextConverter(ShownTextConverter::formatOf(bytes)).convert(bytes, out);
    return out;
}

std::string readAll(engine::ByteSource& source) {
    std::string text;
    char buffer[777];
    while (const size_t n = source.read(buffer, sizeof buffer))
        text.append(buffer, n);
    return text;
}

TEST(ViewerStripSet, HoldsTheControlCodesThen127To255InOrder) {
    std::string expected;
    for (int c = 0; c < 32; ++c)
        if (c != 9 && c != 10 && c != 12 && c != 13) expected += char(c);
    for (int c = 127; c < 256; ++c)
        expected += char(c);
    EXPECT_EQ(ViewerStripSet().size(), 157u);
    EXPECT_EQ(ViewerStripSet(), expected);
}

TEST(ShownText, KeepsOnlyTabLineBreaksFormFeedAndPrintableAscii) {
    std::string expected = "\t\n\f\r";
    for (int c = 32; c < 127; ++c)
        expected += char(c);
    EXPECT_EQ(shown(allBytes()), expected);
}

TEST(ShownText, WordPerfectHeaderGivesBlanksAndLineBreaks) {
    const std::string bytes = std::string("\xFFWPC") + "a\x80"
                                                       "b\xCF"
                                                       "c\xCC\xCC"
                                                       "d\xCC\xCC\xCC"
                                                       "e\xE9";
    // 80 and CF become blanks, each CC CC pair a line break, a lone CC and
    // the other high bytes disappear.
    EXPECT_EQ(shown(bytes), "WPCa b c\r\nd\r\ne");
}

TEST(ShownText, WordPerfectPairsAreTakenFromTheStart) {
    EXPECT_EQ(shown("\xFFWPC\xCC\xCC\xCC\xCC\xCC"), "WPC\r\n\r\n");
}

TEST(ShownText, D0CFHeaderGivesEveryCarriageReturnALineFeed) {
    EXPECT_EQ(shown(std::string("\xD0\xCF") + "a\rb\r\nc"), "a\r\nb\r\n\nc");
}

TEST(ShownText, WithoutAHeaderNothingIsConverted) {
    EXPECT_EQ(shown("x\x80y\xCC\xCCz\r"), "xyz\r");
    EXPECT_EQ(shown("\xFFWP\xCC\xCC"), "WP");
    EXPECT_EQ(shown(""), "");
}

TEST(ShownText, ConvertedPieceByPieceItIsTheSame) {
    const std::string bytes = "\xFFWPCx\xCC\xCC\xCCy\xCC\xCC\x80z\xCC";
    for (size_t piece = 1; piece <= 5; ++piece) {
        ShownTextConverter converter(ShownTextConverter::Format::WordPerfect);
        std::string out;
        for (size_t at = 0; at < bytes.size(); at += piece)
            converter.convert(std::string_view(bytes).substr(at, piece), out);
        EXPECT_EQ(out, shown(bytes)) << piece;
    }
}

// A WordPerfect file of several stretches, with pairs across their edges.
std::string wordPerfectFile(size_t size) {
    std::string bytes = "\xFFWPC";
    for (size_t i = 0; bytes.size() < size; ++i)
        bytes += i % 97 == 0 ? std::string(3, '\xCC') : i % 5 == 0 ? "\x01word\xCF" : "abc ";
    return bytes;
}

TEST(BinaryShownText, ReadAnywhereItIsTheConvertedFile) {
    TempDir dir;
    const std::string bytes = wordPerfectFile(300000);
    const std::string path = dir.write("doc.wpd", bytes);
    const std::string expected = shown(bytes);
    BinaryShownText text(std::make_shared<FileText>(UniqueFd(openRegularFile(path))));
    const auto readAt = [&](int64_t offset, size_t size) {
        std::string out(size, '\0');
        out.resize(text.readAt(offset, out.data(), size));
        return out;
    };
    // Before the index pass every read starts from the top of the file.
    EXPECT_EQ(readAt(200000, 100), expected.substr(200000, 100));
    EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Index)), expected);
    for (int64_t offset : {int64_t(0), int64_t(65535), int64_t(65536), int64_t(131000),
                           int64_t(expected.size()) - 3})
        EXPECT_EQ(readAt(offset, 4000), expected.substr(size_t(offset), 4000)) << offset;
    EXPECT_EQ(readAt(int64_t(expected.size()), 10), "");
    EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Search)), expected);
}

TEST(BinaryShownText, IsMadeOfTheFirstLimitBytesOnly) {
    TempDir dir;
    const std::string path = dir.write("b.bin", std::string("\x01head tail", 10));
    BinaryShownText text(std::make_shared<FileText>(UniqueFd(openRegularFile(path)), 5));
    EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Index)), "head");
}

} // namespace
} // namespace ferrolux
