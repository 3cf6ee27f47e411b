#pragma once

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ferrolux {

// A row as the viewer draws it: its bytes decoded character by character
// (a valid UTF-8 sequence as UTF-8, any other byte as Windows-1252), and
// which byte each character starts at.
struct RowText {
    QString text;
    // Byte of each character, plus the row's length; empty when every
    // character is one byte.
    std::vector<int32_t> byteOf;

    int32_t byteAt(qsizetype character) const;
    // The character that holds a byte (a byte past the end: the end).
    qsizetype characterAt(int32_t byte) const;
};

RowText decodeRow(std::string_view bytes);

} // namespace ferrolux
