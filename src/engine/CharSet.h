#pragma once

#include <bitset>
#include <cstdint>
#include <string>
#include <vector>

namespace ferrolux::engine {

// A range of Unicode code points, both ends included.
struct CodeRange {
    char32_t lo;
    char32_t hi;
};

// What one pattern item can match at one position: single bytes (ASCII
// characters, and bytes of files that are not UTF-8) and non-ASCII characters
// taken whole as their UTF-8 byte sequences.
class CharSet {
public:
    std::bitset<256> bytes;
    std::vector<CodeRange> wide; // non-ASCII code points, sorted and merged by normalize()

    bool empty() const { return bytes.none() && wide.empty(); }
    bool containsByte(uint8_t b) const { return bytes.test(b); }

    void addByte(uint8_t b) { bytes.set(b); }
    // Adds code points: ASCII ones as bytes, the rest as UTF-8 characters.
    void addCodePoints(char32_t lo, char32_t hi);
    // Sorts and merges `wide`, dropping surrogates and values past U+10FFFF,
    // and gives back the room the unmerged ranges took.
    void normalize();

    // Keeps only what also lies in `other` (bytes and wide ranges).
    void intersect(const CharSet& other);

    // The single character this set stands for as a fixed byte string, if it
    // is exactly one byte or one non-ASCII character; empty otherwise.
    std::string singleSequence() const;

    // `.`: any UTF-8 character, else any single byte except CR and LF.
    static CharSet anyCharacter();
};

// The RE2 (Latin-1 mode) expression for a set: multibyte alternatives first,
// so that a UTF-8 character is taken whole, then a byte class.
std::string regexForSet(const CharSet& set);
// Joins alternatives with '|'. Each one starts with an empty group: this RE2
// release mis-compiles a common leading byte >= 0x80 that it factors out of
// adjacent alternatives in Latin-1 mode, and the empty group prevents that.
std::string joinAlternatives(const std::vector<std::string>& parts);
// A byte class such as [\x41-\x5a\x61], or a single escaped byte.
std::string regexForBytes(const std::bitset<256>& bytes);

// Decodes one UTF-8 character at text[pos]. Returns its length (2-4) and sets
// cp for a valid multibyte sequence; returns 0 for ASCII or an invalid byte.
int decodeUtf8(const char* text, size_t size, size_t pos, char32_t& cp);
std::string encodeUtf8(char32_t cp);
// Length of the character at text[pos]: a valid UTF-8 sequence, else 1.
size_t characterLength(const char* text, size_t size, size_t pos);
// Length of the character that ends just before text[pos] (pos > 0): a
// valid UTF-8 sequence, else 1. A lead byte never lies inside another
// sequence, so reading back gives the characters that reading on would.
size_t characterLengthBefore(const char* text, size_t pos);

} // namespace ferrolux::engine
