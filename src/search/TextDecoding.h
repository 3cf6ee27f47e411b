#pragma once

#include "engine/ByteSource.h"

#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

namespace ferrolux {

// The byte order a file's first bytes announce with a UTF-16 byte-order
// mark: FF FE little-endian, FE FF big-endian. FF FE 00 00 starts UTF-32,
// which is not taken for UTF-16.
enum class Utf16Order { None, LittleEndian, BigEndian };
Utf16Order utf16OrderOf(std::string_view firstBytes);

// The UTF-16 text of another source, byte-order mark dropped, as UTF-8, so
// that the line search, line numbers and listed lines work on it as on any
// text. Decodes a piece at a time in fixed buffers, whatever the file's
// size; a character split between two reads is joined, and an unpaired
// surrogate (or an odd last byte) becomes U+FFFD.
class Utf16Source : public engine::ByteSource {
public:
    // afterMark: the source starts past the byte-order mark, at a code unit
    // where an earlier decoder stood (see resumeOffset).
    Utf16Source(std::unique_ptr<engine::ByteSource> source, Utf16Order order,
                bool afterMark = false);
    size_t read(char* into, size_t size) override;

    // Where in the source a decoder started after the mark would go on
    // exactly as this one does from here; nothing before the mark is
    // passed or while a character is only partly read.
    std::optional<int64_t> resumeOffset() const;

private:
    bool fill();                // more UTF-16 bytes; false at the end of the source
    bool nextUnit(char16_t& u); // false when no whole code unit is left
    char32_t nextCharacter();   // 0xFFFFFFFF at the end
    size_t put(char32_t c, char* into, size_t room);

    std::unique_ptr<engine::ByteSource> source_;
    bool bigEndian_;
    bool markChecked_ = false;
    bool sourceEnded_ = false;
    int64_t sourceRead_ = 0;
    std::array<char, 64 * 1024> in_{};
    size_t inStart_ = 0;
    size_t inEnd_ = 0;
    bool pendingUnit_ = false; // a unit read ahead after an unpaired high surrogate
    char16_t unit_ = 0;
    std::array<char, 4> out_{}; // what did not fit of the last character
    size_t outStart_ = 0;
    size_t outEnd_ = 0;
};

// The text of an open file (the source owns the descriptor) as the line
// search reads it: decoded from UTF-16 when the file starts with a UTF-16
// byte-order mark, else its bytes as they are.
std::unique_ptr<engine::ByteSource> textSourceOf(int fd);

} // namespace ferrolux
