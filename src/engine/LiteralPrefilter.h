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
// start position, the rarest bytes of each literal at their offsets (three
// of a single literal, two of each of several) and checks the whole literal
// only where all of them agree, and not even then when they are all of it.
class LiteralPrefilter {
public:
    static constexpr size_t npos = static_cast<size_t>(-1);

    // Nothing when the literals are unsuitable (none, or too many).
    static std::optional<LiteralPrefilter> build(std::vector<RequiredLiteral> literals);

    // Start of the leftmost occurrence of one of the literals lying wholly
    // within [from, end), or npos.
    size_t find(const char* text, size_t from, size_t end) const;

    size_t literalCount() const { return entries_.size(); }
    size_t literalLength(size_t i) const { return entries_[i].literal.bytes.size(); }
    // Whether literal i lies at start, wholly before end.
    bool literalAt(size_t i, const char* text, size_t start, size_t end) const;
    // The most bytes a match can start before its literal (Unbounded when
    // a repetition comes first).
    size_t maxLead() const { return maxLead_; }
    // How common the rarest byte of the least selective literal is.
    int rank() const { return worstRank_; }

private:
    static constexpr size_t MaxProbes = 3;
    struct Probe {
        uint8_t value;  // compared after OR-ing the mask into the text byte
        uint8_t orMask; // 0x20 for a letter in either case, else 0
        size_t offset;  // position in the literal
    };
    struct Entry {
        RequiredLiteral literal;
        // The rarest bytes at distinct offsets, the last repeated when the
        // literal is shorter: MaxProbes of a single short literal, else 2.
        Probe probes[MaxProbes];
        bool folded = false; // some letter is compared without regard to case
    };

    using Finder = size_t (LiteralPrefilter::*)(const char* text, size_t from, size_t end) const;
    template <bool Fold>
    static Finder probeFinder(size_t literals, size_t probes);
    size_t findWithMemchr(const char* text, size_t from, size_t end) const;
    template <bool Fold, size_t Literals, size_t Probes>
    size_t findWithProbes(const char* text, size_t from, size_t end) const;
    template <bool Fold, size_t Literals, size_t Probes>
    size_t scan(const char* text, size_t pos, size_t end, unsigned& hits) const;
#if defined(__x86_64__)
    template <bool Fold, size_t Literals, size_t Probes>
    __attribute__((target("avx2"))) size_t findWithProbesWide(const char* text, size_t from,
                                                              size_t end) const;
    template <bool Fold, size_t Literals, size_t Probes>
    __attribute__((target("avx2"))) size_t scanWide(const char* text, size_t pos, size_t end,
                                                    uint32_t& hits) const;
#endif
    // start when one of the literals lies there, wholly before end; else npos.
    size_t literalStartingAt(const char* text, size_t start, size_t end) const;
    // The same where the probes of some literal all agree at start.
    size_t probeHit(const char* text, size_t start, size_t end) const {
        return wholeProbes_ ? start : literalStartingAt(text, start, end);
    }
    static bool literalAt(const char* p, const Entry& entry);

    std::vector<Entry> entries_;
    size_t longest_ = 0;
    size_t maxLead_ = 0;
    size_t reach_ = 0; // largest probe offset
    Finder finder_ = nullptr;
    Finder probeFinder_ = nullptr; // the probe loop, also when memchr comes first
    bool foldedProbes_ = false;    // some probe compares a letter in either case
    bool wholeProbes_ = false;     // the probes of each literal are all of it
    int worstRank_ = 0;
};

} // namespace ferrolux::engine
