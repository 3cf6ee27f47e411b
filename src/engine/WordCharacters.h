#pragma once

#include <cstdint>
#include <string_view>

namespace ferrolux::engine {

// Word characters, for \< \> and whole words: letters, digits and combining
// marks (Unicode categories L, N and M) and '_'.
//
// Text is read one character at a time: a valid UTF-8 sequence is one
// character, its code point; any other byte is one Windows-1252 character.
// So UTF-8 text, single-byte Western text and a mixture of the two are all
// read the way they are shown.
bool isWordCodePoint(char32_t cp);

// The Unicode character a byte stands for in Windows-1252 (the five bytes
// that code page leaves undefined stand for the C1 controls of their value).
char32_t windows1252(uint8_t byte);

namespace detail {
constexpr bool isAsciiWordByte(uint8_t b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z') || (b >= '0' && b <= '9') || b == '_';
}
bool wordCharacterAtNonAscii(std::string_view text, size_t pos);
bool wordCharacterBeforeNonAscii(std::string_view text, size_t pos);
} // namespace detail

// Whether the character that starts at pos is a word character; false at
// the end of the text.
inline bool wordCharacterAt(std::string_view text, size_t pos) {
    if (pos >= text.size()) return false;
    const auto b = static_cast<uint8_t>(text[pos]);
    return b < 0x80 ? detail::isAsciiWordByte(b) : detail::wordCharacterAtNonAscii(text, pos);
}

// Whether the character that ends just before pos is a word character;
// false at the start of the text.
inline bool wordCharacterBefore(std::string_view text, size_t pos) {
    if (pos == 0 || pos > text.size()) return false;
    const auto b = static_cast<uint8_t>(text[pos - 1]);
    return b < 0x80 ? detail::isAsciiWordByte(b) : detail::wordCharacterBeforeNonAscii(text, pos);
}

} // namespace ferrolux::engine
