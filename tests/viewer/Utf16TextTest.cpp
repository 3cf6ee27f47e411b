#include "viewer/Utf16Text.h"

#include "TempDir.h"
#include "platform/posix/OpenPath.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <thread>

namespace ferrolux {
namespace {

using test::TempDir;

// A UTF-16 text built piece by piece with the UTF-8 the viewer must show for
// each piece, written out after a byte-order mark.
class Utf16Writer {
public:
    Utf16Writer& add(std::u16string_view units, std::string_view shown) {
        units_.append(units);
        shown_.append(shown);
        return *this;
    }

    std::string bytes(bool bigEndian) const {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t u : units_) {
            const char high = char(u >> 8), low = char(u & 0xFF);
            bytes += bigEndian ? std::string{high, low} : std::string{low, high};
        }
        return bytes;
    }
    const std::string& shown() const { return shown_; }

private:
    std::u16string units_;
    std::string shown_;
};

// Every kind of character and fault, over and over: one, two, three and four
// UTF-8 bytes, line breaks, surrogates without a partner (a high one
// followed by a whole pair keeps that pair whole).
Utf16Writer mixedText(size_t shownSize) {
    Utf16Writer text;
    for (int i = 0; text.shown().size() < shownSize; ++i) {
        text.add(u"line ", "line ").add(u"\u00E9t\u00E9 ", "\u00E9t\u00E9 ");
        text.add(u"\u4E2D\u6587", "\u4E2D\u6587").add(u"\xD83D\xDE00", "\U0001F600");
        if (i % 7 == 0) text.add(u"\xD800x", "\uFFFDx");
        if (i % 11 == 0) text.add(u"\xDC00", "\uFFFD");
        if (i % 13 == 0) text.add(u"\xD801\xD83D\xDE00", "\uFFFD\U0001F600");
        text.add(i % 3 == 0 ? u"\r\n" : u"\n", i % 3 == 0 ? "\r\n" : "\n");
    }
    return text;
}

std::string readAll(engine::ByteSource& source) {
    std::string text;
    char buffer[1000];
    while (const size_t n = source.read(buffer, sizeof buffer))
        text.append(buffer, n);
    return text;
}

std::string readAt(const ViewerText& text, int64_t offset, size_t size) {
    std::string out(size, '\0');
    out.resize(text.readAt(offset, out.data(), size));
    return out;
}

std::shared_ptr<const FileText> fileText(const std::string& path) {
    return std::make_shared<const FileText>(UniqueFd(openRegularFile(path)));
}

// Random reads compared with the whole decoding.
void expectRandomReads(const ViewerText& text, const std::string& shown, int reads, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int64_t> offsets(0, int64_t(shown.size()) + 5);
    std::uniform_int_distribution<size_t> sizes(1, 5000);
    for (int i = 0; i < reads; ++i) {
        const int64_t offset = offsets(random);
        const size_t size = sizes(random);
        const std::string expected =
            offset < int64_t(shown.size()) ? shown.substr(size_t(offset), size) : "";
        ASSERT_EQ(readAt(text, offset, size), expected) << offset << " " << size;
    }
}

TEST(Utf16Text, BothByteOrdersAreShownDecodedWithoutTheMark) {
    TempDir dir;
    Utf16Writer writer;
    writer.add(u"na\u00EFve caf\u00E9\r\n", "na\u00EFve caf\u00E9\r\n")
        .add(u"\u4E2D\u6587 \xD83D\xDE00 \xD834\xDD1E end\n",
             "\u4E2D\u6587 \U0001F600 \U0001D11E end\n")
        .add(u"\uFEFFlast", "\uFEFFlast"); // a second mark is a character
    for (const bool bigEndian : {false, true}) {
        const std::shared_ptr<const ViewerText> text =
            textFileText(UniqueFd(openRegularFile(dir.write("wide.txt", writer.bytes(bigEndian)))));
        EXPECT_EQ(readAll(*text->readFromStart(ViewerText::Pass::Index)), writer.shown());
        EXPECT_EQ(readAll(*text->readFromStart(ViewerText::Pass::Search)), writer.shown());
        const size_t smiley = writer.shown().find("\U0001F600");
        EXPECT_EQ(readAt(*text, int64_t(smiley), 4), "\U0001F600");
        EXPECT_EQ(readAt(*text, int64_t(smiley) + 4, 5), " \U0001D11E");
        // Offsets are bytes of the decoded text, inside a character too.
        EXPECT_EQ(readAt(*text, int64_t(smiley) + 1, 3), "\x9F\x98\x80");
        EXPECT_EQ(readAt(*text, int64_t(writer.shown().size()) - 4, 10), "last");
        EXPECT_EQ(readAt(*text, int64_t(writer.shown().size()), 10), "");
        EXPECT_EQ(readAt(*text, -1, 10), "");
    }
}

TEST(Utf16Text, FilesWithoutAUtf16MarkAtTheirStartAreTheirBytes) {
    TempDir dir;
    const std::string utf32("\xFF\xFE\0\0n\0\0\0", 8);
    const std::string markLater = "needle \xFF\xFE caf\xE9\n";
    const std::string unmarked("n\0e\0e\0d\0l\0e\0", 12);
    const std::string utf8Mark = "\xEF\xBB\xBF\xC3\xA9t\xC3\xA9";
    for (const std::string& bytes :
         {utf32, markLater, unmarked, utf8Mark, std::string("\xFF"), std::string()}) {
        const std::shared_ptr<const ViewerText> text =
            textFileText(UniqueFd(openRegularFile(dir.write("f.txt", bytes))));
        EXPECT_EQ(readAll(*text->readFromStart(ViewerText::Pass::Index)), bytes);
        EXPECT_EQ(readAt(*text, 1, 100), bytes.substr(std::min<size_t>(1, bytes.size())));
    }
}

TEST(Utf16Text, ALargeFileReadAtRandomOffsetsIsTheWholeDecoding) {
    TempDir dir;
    const Utf16Writer writer = mixedText(700000);
    for (const bool bigEndian : {false, true}) {
        Utf16Text text(fileText(dir.write("big.txt", writer.bytes(bigEndian))),
                       bigEndian ? Utf16Order::BigEndian : Utf16Order::LittleEndian);
        // Before the index pass every read decodes from the start.
        expectRandomReads(text, writer.shown(), 20, 1);
        EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Index)), writer.shown());
        // Ten stretches of 64 KiB: a checkpoint at the start of each.
        EXPECT_EQ(text.checkpointCount(), writer.shown().size() / (size_t(64) << 10) + 1);
        expectRandomReads(text, writer.shown(), 400, 2);
        EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Search)), writer.shown());
    }
}

TEST(Utf16Text, DecodingResumesExactlyFromACheckpointAtAnyCharacter) {
    TempDir dir;
    Utf16Writer writer = mixedText(300);
    writer.add(u"\xD83D", "\uFFFD"); // a high surrogate at the very end
    for (const bool bigEndian : {false, true}) {
        // And an odd last byte.
        const std::string bytes = writer.bytes(bigEndian) + "\x41";
        const std::string shown = writer.shown() + "\uFFFD";
        Utf16Text text(fileText(dir.write("w.txt", bytes)),
                       bigEndian ? Utf16Order::BigEndian : Utf16Order::LittleEndian, {1, 100000});
        EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Index)), shown);
        // One at the start and one after every character.
        const auto characters =
            std::count_if(shown.begin(), shown.end(), [](char c) { return (c & 0xC0) != 0x80; });
        EXPECT_EQ(text.checkpointCount(), size_t(characters) + 1);
        for (size_t offset = 0; offset <= shown.size(); ++offset)
            ASSERT_EQ(readAt(text, int64_t(offset), shown.size()), shown.substr(offset)) << offset;
    }
}

TEST(Utf16Text, CheckpointsStayFewHoweverLongTheText) {
    TempDir dir;
    const Utf16Writer writer = mixedText(200000);
    Utf16Text text(fileText(dir.write("w.txt", writer.bytes(false))), Utf16Order::LittleEndian,
                   {100, 16});
    EXPECT_EQ(readAll(*text.readFromStart(ViewerText::Pass::Index)), writer.shown());
    EXPECT_LE(text.checkpointCount(), 16u);
    EXPECT_GE(text.checkpointCount(), 8u);
    // Far apart, they still serve every read.
    expectRandomReads(text, writer.shown(), 300, 3);
}

TEST(Utf16Text, ReadsWhileTheIndexPassAddsAndThinsCheckpoints) {
    TempDir dir;
    const Utf16Writer writer = mixedText(400000);
    Utf16Text text(fileText(dir.write("w.txt", writer.bytes(true))), Utf16Order::BigEndian,
                   {64, 32});
    std::string indexed;
    std::thread indexPass([&] { indexed = readAll(*text.readFromStart(ViewerText::Pass::Index)); });
    expectRandomReads(text, writer.shown(), 200, 4);
    indexPass.join();
    EXPECT_EQ(indexed, writer.shown());
    EXPECT_LE(text.checkpointCount(), 32u);
}

} // namespace
} // namespace ferrolux
