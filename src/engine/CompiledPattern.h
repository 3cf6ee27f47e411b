#pragma once

#include "engine/LiteralPrefilter.h"

#include <atomic>
#include <bitset>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace re2 {
class RE2;
}

namespace ferrolux {

namespace engine {

constexpr size_t npos = static_cast<size_t>(-1);

// A match or a line: offsets into the searched text.
struct Span {
    size_t start = 0;
    size_t end = 0;
};

// The number of LF bytes in text.
size_t countLineFeeds(std::string_view text);

// Stop, raised from another thread. The matchers look at it in their inner
// loops and between RE2 calls, each kept short, so that they end within a
// few milliseconds of it; what they report after it is not to be used.
using CancelFlag = std::atomic<bool>;

class WordBoundaryMatcher;

// Where the next lone byte of the pattern's letters lies in a region, kept
// by the caller from one line to the next so that the region is scanned
// once. `from` and `at` are valid until the region changes: reset it then.
struct LoneByteMark {
    size_t from = npos; // no lone byte in [from, at)
    size_t at = npos;   // the next one, or npos: none up to the region's end
};

// One '&'-conjunct: an alternation compiled for RE2, with a literal
// prefilter where every alternative holds a required literal. Where the
// alternatives hold \< or \>, RE2 finds candidates and a WordBoundaryMatcher
// settles them; alternatives that are literals between boundaries are
// settled without either.
class ConjunctMatcher {
public:
    // What RE2 may take: memory for each conjunct's program and DFA caches,
    // and the length of the expressions still left to the pattern.
    struct RegexBudget {
        int64_t memory;
        size_t length;
    };

    // lineText: the searched text is whole lines, each followed by an LF or
    // the end of the text.
    ConjunctMatcher(const Alternation& alternatives, bool lineText, RegexBudget& budget,
                    std::string& error);
    ~ConjunctMatcher();

    // The leftmost-first match starting in [from, limit] and ending by
    // limit; the text around it is context for ^, $ and word boundaries.
    std::optional<Span> find(std::string_view text, size_t from, size_t limit,
                             const CancelFlag* cancel) const;
    // Whether some match lies within [from, limit].
    bool matchesIn(std::string_view text, size_t from, size_t limit,
                   const CancelFlag* cancel) const;
    // A position at or before the start of the first match at or after
    // `from`, on that match's line, or npos when there is none. `exact` tells
    // that a match surely starts on the line of the returned position.
    size_t candidate(std::string_view text, size_t from, size_t limit, bool& exact,
                     const CancelFlag* cancel) const;

    const LiteralPrefilter* prefilter() const { return prefilter_ ? &*prefilter_ : nullptr; }

    // Text that is not UTF-8 read one character at a time, as it is shown:
    // a byte outside any valid UTF-8 sequence is the Windows-1252 character
    // it stands for. The bytes that only this reading lets the pattern
    // take (its non-ASCII letters written as single bytes).
    const std::bitset<256>& loneBytes() const { return loneBytes_; }
    // The leftmost match read so, starting in [from, lastStart] and ending
    // by limit (find()'s when there are no lone bytes).
    std::optional<Span> findByCharacter(std::string_view text, size_t from, size_t lastStart,
                                        size_t limit, const CancelFlag* cancel) const;

private:
    // An alternative that is a literal with word boundaries before or after it.
    struct BoundedLiteral {
        std::vector<PatternItem::Kind> before;
        std::vector<PatternItem::Kind> after;
    };

    void usePrefilter(const Alternation& alternatives);
    static std::vector<BoundedLiteral> boundedLiteralsOf(const Alternation& alternatives);
    // The leftmost-first match of the regex, found through the prefilter
    // where there is one: exact without word boundaries.
    std::optional<Span> regexFind(std::string_view text, size_t from, size_t limit,
                                  const CancelFlag* cancel) const;
    std::optional<Span> regexSearch(std::string_view text, size_t from, size_t limit) const;
    std::optional<Span> regexMatchAt(std::string_view text, size_t start, size_t limit) const;
    // The regex's first match in [from, limit], searched in slices of whole
    // lines; with lineOnly, a slice that is one line is only asked whether it
    // holds a match, which then is reported empty at the line's start.
    std::optional<Span> slicedSearch(std::string_view text, size_t from, size_t limit,
                                     bool lineOnly, const CancelFlag* cancel) const;
    // How a stretch is searched with RE2, which cannot be stopped: in one
    // call (a short stretch), stepwise when RE2 would be too slow, or it was
    // answered by calls over growing prefixes (match: the match found, or
    // its start only where only whether there is one was asked).
    enum class Pace { OneCall, Stepwise, Answered };
    struct Paced {
        Pace pace;
        std::optional<Span> match;
    };
    Paced pace(std::string_view text, size_t from, size_t limit, bool existence,
               const CancelFlag* cancel) const;
    // Whether the regex matches in [from, limit], and its first match there,
    // each within the time of one short call or else stepwise.
    bool regexMatches(std::string_view text, size_t from, size_t limit,
                      const CancelFlag* cancel) const;
    std::optional<Span> pacedSearch(std::string_view text, size_t from, size_t limit,
                                    const CancelFlag* cancel) const;
    // The thread matcher of the alternatives (built when first needed), or
    // nothing when they are too large for it.
    const WordBoundaryMatcher* stepwise() const;
    std::optional<Span> findBoundedLiteral(std::string_view text, size_t from, size_t limit,
                                           const CancelFlag* cancel) const;
    std::optional<Span> findWithBoundaries(std::string_view text, size_t from, size_t limit,
                                           const CancelFlag* cancel) const;

    std::unique_ptr<re2::RE2> regex_;
    std::unique_ptr<WordBoundaryMatcher> boundaries_;  // when the alternatives hold \< or \>
    std::unique_ptr<WordBoundaryMatcher> byCharacter_; // when loneBytes_ holds any
    Alternation alternatives_; // for the stepwise matcher, when boundaries_ is not one
    mutable std::once_flag stepwiseBuilt_;
    mutable std::unique_ptr<WordBoundaryMatcher> stepwise_;
    std::bitset<256> loneBytes_;
    std::vector<BoundedLiteral> boundedLiterals_; // when every alternative is one
    std::optional<LiteralPrefilter> prefilter_;
    bool pure_ = false;          // every alternative is a plain literal
    bool singleLiteral_ = false; // ...and there is just one
    bool spansLines_ = false;    // a match can hold a CR or LF
    bool lineText_ = false;
    size_t pacedSpan_ = 0; // longer stretches are searched in paced calls
};

// Where a compiled pattern is used: the in-memory interface sees any bytes;
// the line interface searches text whose lines hold no LF.
enum class PatternUse { InMemory, Lines };

// A pattern translated and compiled: its conjuncts, all of which must match
// on one line.
class CompiledPattern {
public:
    // Nothing (and a reason in `error`) when the pattern is rejected.
    static std::shared_ptr<const CompiledPattern>
    compile(std::string_view pattern, bool caseSensitive, PatternUse use, std::string& error);

    // In-memory search: the first conjunct's leftmost match starting in
    // [from, limit] whose line (the text between CR/LF) also holds a match of
    // every other conjunct. The end of a text that is empty or ends in LF
    // starts no line, so no match starts there.
    // `checkedLine` remembers a line that satisfied the other conjuncts.
    std::optional<Span> find(std::string_view text, size_t from, size_t limit,
                             Span* checkedLine = nullptr, const CancelFlag* cancel = nullptr) const;

    // Line search: `region` holds whole lines separated by LF (the region's
    // end is a line end); pos is the start of a line in it. Returns the next
    // matching line (without its LF) at or after pos.
    std::optional<Span> nextMatchingLine(std::string_view region, size_t pos,
                                         const CancelFlag* cancel = nullptr,
                                         LoneByteMark* mark = nullptr) const;
    // The number of matching lines of the region at or after pos.
    size_t countMatchingLines(std::string_view region, size_t pos,
                              const CancelFlag* cancel = nullptr) const;

    // Bit i set when conjunct i has a match within [from, limit] of text.
    uint64_t conjunctsMatchedIn(std::string_view text, size_t from, size_t limit,
                                const CancelFlag* cancel = nullptr) const;
    uint64_t allConjuncts() const;

    // The first byte in [from, limit) of text that is one of the conjuncts'
    // lone bytes and lies outside any valid UTF-8 sequence (npos: none).
    // Such a byte is where text that is not UTF-8 needs the reading one
    // character at a time; a pattern without non-ASCII letters has none.
    size_t nextLoneByte(std::string_view text, size_t from, size_t limit) const;

    // What the pattern was compiled from, so a caller can reuse it.
    bool sameAs(std::string_view pattern, bool caseSensitive, PatternUse use) const {
        return pattern == source_ && caseSensitive == caseSensitive_ && use == use_;
    }

    // Whether the bytes 0 and 1 can make a difference to a match: only when
    // the pattern itself holds control bytes other than tab, CR and LF.
    bool distinguishesControlBytes() const { return controlBytes_; }

private:
    // The end of the next matching line at or after pos (npos when none),
    // and its start when lineStart is given.
    size_t findLine(std::string_view region, size_t pos, size_t* lineStart,
                    const CancelFlag* cancel, LoneByteMark& mark) const;
    // findLine() over lines that hold no lone byte.
    size_t findUtf8Line(std::string_view region, size_t pos, size_t* lineStart,
                        const CancelFlag* cancel) const;
    // The matches of text as find() gives them, in bytes and UTF-8 only.
    std::optional<Span> findUtf8(std::string_view text, size_t from, size_t limit,
                                 Span* checkedLine, const CancelFlag* cancel) const;
    // The same, read one character at a time (see ConjunctMatcher).
    std::optional<Span> findByCharacter(std::string_view text, size_t from, size_t lastStart,
                                        size_t limit, const CancelFlag* cancel) const;
    // Whether conjunct i has a match within [from, limit], read either way.
    bool conjunctMatchesIn(size_t i, std::string_view text, size_t from, size_t limit,
                           const CancelFlag* cancel) const;

    std::vector<std::unique_ptr<ConjunctMatcher>> conjuncts_;
    size_t driver_ = 0;          // the conjunct that finds candidate lines
    std::bitset<256> loneBytes_; // all conjuncts' lone bytes
    bool controlBytes_ = false;
    // Every line matches (each & condition can match the empty text at a
    // line's start or at its end, as `z*` and `x-$` can): lines are then
    // counted by their line breaks alone.
    bool everyLine_ = false;
    std::string source_;
    bool caseSensitive_ = false;
    PatternUse use_ = PatternUse::InMemory;
};

} // namespace engine

} // namespace ferrolux
