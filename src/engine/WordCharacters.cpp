#include "engine/WordCharacters.h"

#include "engine/CharSet.h"

#include <QChar>
#include <array>

namespace ferrolux::engine {

namespace {

constexpr char16_t Windows1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Whether each byte, read on its own, is a word character.
const std::array<bool, 256>& wordBytes() {
    static const std::array<bool, 256> table = [] {
        std::array<bool, 256> t{};
        for (unsigned b = 0; b < 256; ++b)
            t[b] = isWordCodePoint(windows1252(static_cast<uint8_t>(b)));
        return t;
    }();
    return table;
}

} // namespace

bool isWordCodePoint(char32_t cp) {
    if (cp < 0x80) return detail::isAsciiWordByte(static_cast<uint8_t>(cp));
    return QChar::isLetterOrNumber(cp) || QChar::isMark(cp);
}

char32_t windows1252(uint8_t byte) {
    return byte >= 0x80 && byte < 0xA0 ? Windows1252High[byte - 0x80] : byte;
}

namespace detail {

bool wordCharacterAtNonAscii(std::string_view text, size_t pos) {
    char32_t cp;
    if (decodeUtf8(text.data(), text.size(), pos, cp) > 0) return isWordCodePoint(cp);
    return wordBytes()[static_cast<uint8_t>(text[pos])];
}

bool wordCharacterBeforeNonAscii(std::string_view text, size_t pos) {
    const auto b = static_cast<uint8_t>(text[pos - 1]);
    const size_t length = characterLengthBefore(text.data(), pos);
    char32_t cp;
    if (length > 1 && decodeUtf8(text.data(), pos, pos - length, cp) > 0)
        return isWordCodePoint(cp);
    return wordBytes()[b];
}

} // namespace detail

} // namespace ferrolux::engine
