#pragma once

#include "platform/grep/WordBoundaries.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux::grep {

// A byte string that every match of a branch must contain. Letters marked in
// `folded` are stored in lower case and compared without regard to case.
struct RequiredLiteral {
    std::string bytes;
    std::vector<bool> folded;
    bool wholeBranch = false; // the branch is exactly this literal
};

// The longest run of mandatory fixed bytes of a branch (ties: the rarer one);
// nothing when the branch has none.
std::optional<RequiredLiteral> requiredLiteral(const Branch& branch);

// Finds candidate positions by scanning for the rarest byte of each literal
// (memchr for one plain byte, else a small SIMD loop over up to four
// needles), then comparing the whole literal around each hit.
class LiteralPrefilter {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // Nothing when the literals are unsuitable (none, or too many needles).
    static std::optional<LiteralPrefilter> build(std::vector<RequiredLiteral> literals);

    // Start of an occurrence of one of the literals lying wholly within
    // [from, end), or npos. No occurrence starts earlier on the same line.
    size_t find(const char* text, size_t from, size_t end) const;

    size_t literalCount() const { return entries_.size(); }
    size_t literalLength(size_t i) const { return entries_[i].literal.bytes.size(); }
    // How common the rarest needle byte is (0 rare .. 255 common).
    int rank() const { return worstRank_; }

private:
    struct Needle {
        uint8_t value;  // compared after OR-ing the mask into the text byte
        uint8_t orMask; // 0x20 for a letter in either case, else 0
    };
    struct Entry {
        RequiredLiteral literal;
        size_t offset; // position of the needle byte in the literal
        Needle needle;
    };

    size_t scan(const char* text, size_t from, size_t end) const;
    static bool literalAt(const char* p, const RequiredLiteral& literal);

    std::vector<Entry> entries_;
    std::vector<Needle> needles_;
    int worstRank_ = 0;
};

// Frequency rank of a byte in typical text and source code (0 = rarest).
int byteRank(uint8_t b);

} // namespace ferrolux::grep
