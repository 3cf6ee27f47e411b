#include "TempDir.h"
#include "search/GrepEngine.h"
#include "search/TextDecoding.h"

#include <QString>
#include <gtest/gtest.h>
#include <string>

using namespace ferrolux;

namespace {

// Hands out its bytes at most `step` at a time, so that code units and
// surrogate pairs fall across the ends of reads.
class TrickleSource : public engine::ByteSource {
public:
    TrickleSource(std::string bytes, size_t step) : bytes_(std::move(bytes)), step_(step) {}
    size_t read(char* into, size_t size) override {
        const size_t n = std::min({size, step_, bytes_.size() - pos_});
        bytes_.copy(into, n, pos_);
        pos_ += n;
        return n;
    }

private:
    std::string bytes_;
    size_t step_;
    size_t pos_ = 0;
};

std::string unitBytes(const std::u16string& units, bool bigEndian) {
    std::string bytes;
    for (char16_t u : units) {
        const char high = char(u >> 8), low = char(u & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// Everything the source gives, read `readSize` bytes at a time.
std::string decodeAll(const std::string& bytes, Utf16Order order, size_t step, size_t readSize) {
    Utf16Source source(std::make_unique<TrickleSource>(bytes, step), order);
    std::string out, piece(readSize, '\0');
    while (const size_t n = source.read(piece.data(), readSize))
        out.append(piece, 0, n);
    return out;
}

const std::string kText = "plain line\r\n\u00E9t\u00E9 \u4E2D\u6587 \U0001F600 end\n"
                          "second \U0001D11E line\n";

} // namespace

TEST(Utf16Source, DecodesBothByteOrdersAcrossTheEndsOfReads) {
    const std::u16string units = u"\uFEFF" + QString::fromUtf8(kText).toStdU16String();
    for (const bool bigEndian : {false, true}) {
        const std::string bytes = unitBytes(units, bigEndian);
        const Utf16Order order = bigEndian ? Utf16Order::BigEndian : Utf16Order::LittleEndian;
        ASSERT_EQ(utf16OrderOf(bytes), order);
        for (size_t step : {1, 3, 7, 100000})
            for (size_t readSize : {1, 2, 3, 5, 4096})
                EXPECT_EQ(decodeAll(bytes, order, step, readSize), kText)
                    << bigEndian << " step " << step << " read " << readSize;
    }
}

TEST(Utf16Source, UnpairedSurrogatesAndAnOddLastByteBecomeReplacementCharacters) {
    const std::string replacement = "\uFFFD";
    const struct {
        std::u16string units;
        std::string extra;
        std::string expected;
    } cases[] = {
        {u"\uFEFFa\xD800", "", "a" + replacement}, // high at the end
        {u"\uFEFFa\xD800"
         u"b",
         "", "a" + replacement + "b"},                                 // high, then no low
        {u"\uFEFF\xD800\xD800\xDC00", "", replacement + "\U00010000"}, // two highs, one pair
        {u"\uFEFF\xDC00x", "", replacement + "x"},                     // low on its own
        {u"\uFEFFab", "c", "ab" + replacement},                        // odd last byte
        {u"\uFEFF", "", ""},                                           // only the mark
        {u"\uFEFF\uFEFFz", "", "\uFEFFz"},                             // one mark is dropped
    };
    for (const auto& c : cases)
        for (size_t step : {1, 5})
            EXPECT_EQ(
                decodeAll(unitBytes(c.units, false) + c.extra, Utf16Order::LittleEndian, step, 3),
                c.expected);
}

TEST(Utf16Source, ByteOrderMarks) {
    using namespace std::string_view_literals;
    EXPECT_EQ(utf16OrderOf("\xFF\xFE"
                           "a\0"sv),
              Utf16Order::LittleEndian);
    EXPECT_EQ(utf16OrderOf("\xFF\xFE"sv), Utf16Order::LittleEndian);
    EXPECT_EQ(utf16OrderOf("\xFE\xFF\0a"sv), Utf16Order::BigEndian);
    EXPECT_EQ(utf16OrderOf("\xFF\xFE\0\0"sv), Utf16Order::None) << "UTF-32";
    EXPECT_EQ(utf16OrderOf("\xEF\xBB\xBF"
                           "abc"sv),
              Utf16Order::None)
        << "UTF-8";
    EXPECT_EQ(utf16OrderOf("\xFF"sv), Utf16Order::None);
    EXPECT_EQ(utf16OrderOf(""sv), Utf16Order::None);
}

TEST(Utf16Source, TheEnginesFileSearchReadsUtf16AsText) {
    ferrolux::test::TempDir dir;
    const std::u16string units = u"\uFEFFno\r\nkey \u00E9\r\n";
    const std::string path = dir.write("wide.txt", unitBytes(units, true));
    GrepEngine engine;
    engine.SCompileRGrep("key", GrepFalse);
    engine.SFileOpen(path);
    engine.SFileSetFlags(GrepFalse, GrepFalse, GrepTrue, GrepFalse, GrepFalse, GrepTrue);
    const auto line = engine.SFileRGrep();
    ASSERT_TRUE(line.has_value());
    EXPECT_EQ(*line, "2:key \u00E9\r\n");
    EXPECT_FALSE(engine.SFileRGrep().has_value());
    EXPECT_EQ(engine.SFileClose(), 1);
}
