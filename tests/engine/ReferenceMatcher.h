#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace ferrolux::test {

// A plain backtracking matcher of the pattern language over bytes, written
// independently of the engine's translation to serve as its reference. It
// knows ASCII case folding only, so compare it on ASCII patterns; its sets
// take single bytes, so compare it on non-ASCII text only where no set can
// take a non-ASCII byte (\< and \> read whole characters, as the engine does).
class ReferenceMatcher {
public:
    ReferenceMatcher(std::string_view pattern, bool caseSensitive, bool lineInterface);

    bool valid() const { return valid_; }

    // In-memory: leftmost-first match starting at or after `from`; none
    // starts at the end of a text that is empty or ends in LF.
    std::optional<std::pair<size_t, size_t>> find(std::string_view text, size_t from) const;
    // Every match of the RGrep loop: from the end of the previous match, one
    // character on after an empty match.
    std::vector<std::pair<size_t, size_t>> allMatches(std::string_view text) const;
    // Line interface: whether a line (without its LF) matches.
    bool lineMatches(std::string_view line) const;

private:
    struct Item {
        enum Kind { Chars, LineStart, LineEnd, WordStart, WordEnd } kind = Chars;
        bool set[256] = {};
        char quantifier = '1'; // '1', '*', '+', '?'
    };
    using Sequence = std::vector<Item>;
    using Alternation = std::vector<Sequence>;

    bool parse(std::string_view pattern);
    bool matchHere(const Sequence& seq, size_t i, std::string_view text, size_t pos, size_t limit,
                   size_t& end) const;
    std::optional<std::pair<size_t, size_t>> findIn(const Alternation& alts, std::string_view text,
                                                    size_t from, size_t limit) const;

    bool caseSensitive_;
    bool lineInterface_;
    bool valid_ = false;
    std::vector<Alternation> conjuncts_;
};

} // namespace ferrolux::test
