#pragma once

#include "engine/PatternSyntax.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux::engine {

// A byte string that every match of a branch must contain. Letters marked in
// `folded` are stored in lower case and compared without regard to case.
struct RequiredLiteral {
    std::string bytes;
    std::vector<bool> folded;
    bool whole = false; // the alternative is exactly this literal
    static constexpr size_t Unbounded = static_cast<size_t>(-1);
    size_t maxLead = Unbounded; // most bytes a match can hold before the literal
};

// Whether an item is one character with fixed bytes (letters of either case
// count as fixed), matched exactly once.
bool isFixedCharacter(const PatternItem& item);

// The longest run of mandatory fixed bytes of an alternative (ties: the
// rarer one); nothing when it has none. \< and \> take no room, so a run
// goes on across them.
std::optional<RequiredLiteral> requiredLiteral(const ItemSequence& items);

// Finds the literals fast: a single literal whose rarest byte is rare is
// found with memchr on that byte; otherwise a SIMD loop compares, for every
// start position, the two rarest bytes of each literal at their offsets
// ("packed pair") and checks the whole literal only where both agree.
class LiteralPrefilter {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // Nothing when the literals are unsuitable (none, or too many).
    static std::optional<LiteralPrefilter> build(std::vector<RequiredLiteral> literals);

    // Start of the leftmost occurrence of one of the literals lying wholly
    // within [from, end), or npos.
    size_t find(const char* text, size_t from, size_t end) const;

    size_t literalLength(size_t i) const { return entries_[i].literal.bytes.size(); }
    // Whether literal i lies at start, wholly before end.
    bool literalAt(size_t i, const char* text, size_t start, size_t end) const {
        const RequiredLiteral& literal = entries_[i].literal;
        return start + literal.bytes.size() <= end && literalAt(text + start, literal);
    }
    // The most bytes a match can start before its literal (Unbounded when
    // a repetition comes first).
    size_t maxLead() const { return maxLead_; }
    // How common the rarest byte of the least selective literal is.
    int rank() const { return worstRank_; }

private:
    struct Probe {
        uint8_t value;  // compared after OR-ing the mask into the text byte
        uint8_t orMask; // 0x20 for a letter in either case, else 0
        size_t offset;  // position in the literal
    };
    struct Entry {
        RequiredLiteral literal;
        Probe rarest;
        Probe second; // the next rarest byte at another offset (= rarest for one byte)
    };

    size_t findWithMemchr(const char* text, size_t from, size_t end) const;
    size_t findPackedPairs(const char* text, size_t from, size_t end) const;
    size_t findPackedPairsWide(const char* text, size_t from, size_t end) const;
    size_t firstLiteralAt(const char* text, size_t start, size_t end) const;
    static bool literalAt(const char* p, const RequiredLiteral& literal);

    std::vector<Entry> entries_;
    size_t longest_ = 0;
    size_t maxLead_ = 0;
    size_t reach_ = 0; // largest probe offset
    bool memchrOnly_ = false;
    int worstRank_ = 0;
};

} // namespace ferrolux::engine
