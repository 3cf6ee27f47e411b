#pragma once

#include <QString>
#include <cstdint>
#include <string_view>
#include <vector>

namespace ferrolux {

// Text for display, character by character: a valid UTF-8 sequence is its
// character, any other byte the character of the single-byte Western code
// page (Windows-1252), so one stray byte leaves the rest of a line as it is.
// Paths and file contents are bytes; this is how every window shows them.
QString displayText(std::string_view bytes);
// The same, always taken a byte at a time; byteOf, when given, receives the
// byte each UTF-16 unit starts at (both units of a pair the same one) and
// then the bytes' length.
QString decodeEachCharacter(std::string_view bytes, std::vector<int32_t>* byteOf = nullptr);

} // namespace ferrolux
