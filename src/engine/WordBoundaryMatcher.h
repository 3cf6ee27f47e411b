#pragma once

#include "engine/PatternSyntax.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux::engine {

struct Span;

// Matches alternatives that hold \< or \> exactly: RE2 cannot tell word
// characters that take several bytes, so the conjunct's regex leaves the
// boundaries out and finds candidates, and this matcher settles them.
//
// It runs every thread of the alternatives in step over the text, in the
// order a backtracking matcher would try them (leftmost match first, then
// the earlier alternative, a repetition taking as much as it can), so the
// time is linear in the text: at most a few states per item per byte. It
// reads characters as the word rule does: a valid UTF-8 sequence is taken
// whole or not at all, so a class never takes part of a character.
//
// Unlike RE2 it looks at Stop as it goes, so it also takes over any
// alternatives where one RE2 call over a long line would run too long.
class WordBoundaryMatcher {
public:
    // Past this size the per-byte cost of running every thread grows too
    // large for a matcher that settles every candidate (a few thousand
    // alternatives between \< and \>).
    static constexpr size_t MaxInstructions = 8192;

    // Nothing, with a reason in error, when the alternatives compile to more
    // than maxInstructions.
    static std::unique_ptr<WordBoundaryMatcher> build(const Alternation& alternatives,
                                                      std::string& error,
                                                      size_t maxInstructions = MaxInstructions);
    ~WordBoundaryMatcher();

    // The leftmost match that starts in [from, lastStart] and ends by limit;
    // the whole text is context for ^, $, \< and \>. Nothing once cancel is
    // raised: it is looked at every few thousand bytes.
    std::optional<Span> find(std::string_view text, size_t from, size_t lastStart, size_t limit,
                             const std::atomic<bool>* cancel = nullptr) const;

    // Whether an assertion (^, $ seen from the line's end, \< or \>) holds at pos.
    static bool holds(PatternItem::Kind assertion, std::string_view text, size_t pos);

private:
    enum class Op : uint8_t { Chars, Split, Jump, Assert, Match };
    struct Instruction {
        Op op;
        PatternItem::Kind assertion; // for Assert
        uint32_t x;                  // Chars: the set; Split, Jump: the (first) target
        uint32_t y;                  // Split: the second target
    };
    struct Set {
        std::array<bool, 256> bytes;
        std::vector<CodeRange> wide;
        bool containsWide(char32_t cp) const;
    };
    struct Thread;
    class ThreadList;
    // The character at a position, read once for all the threads there.
    struct Character {
        uint8_t byte;
        int length;  // of a valid UTF-8 sequence; 0 for a byte on its own; -1: none to take
        char32_t cp; // when length > 0
    };

    WordBoundaryMatcher() = default;
    uint32_t emit(Instruction instruction);
    uint32_t addSet(const CharSet& set);
    void compileItem(const PatternItem& item);
    void compileAlternatives(const Alternation& alternatives);
    void computeClosures();
    bool takes(uint32_t pc, const Character& c) const;
    void follow(ThreadList& list, uint32_t pc, uint8_t skip, size_t start, size_t pos,
                const Character& c, std::string_view text) const;
    void followClosures(ThreadList& list, uint32_t pc, size_t start, size_t pos, const Character& c,
                        std::string_view text) const;
    static Character characterAt(std::string_view text, size_t pos, size_t limit);
    void step(const Thread& thread, ThreadList& next, size_t pos, const Character& here,
              const Character& after, std::string_view text) const;

    std::vector<Instruction> program_;
    // The assertion every alternative starts with, if they share one: no
    // attempt starts where it fails.
    std::optional<PatternItem::Kind> firstAssertion_;
    std::vector<Set> sets_;
    // Per instruction, the first entry and number of entries of its closure
    // in closureEntries_; empty when the lists grew too large.
    std::vector<std::pair<uint32_t, uint32_t>> closures_;
    std::vector<uint32_t> closureEntries_;
    size_t cancelStride_ = 1;
};

} // namespace ferrolux::engine
