#pragma once

#include "platform/grep/CharSet.h"

#include <string>
#include <string_view>
#include <vector>

namespace ferrolux::grep {

enum class Quantifier { One, ZeroOrMore, OneOrMore, ZeroOrOne };

// One element of an alternative: a character set (possibly repeated) or one
// of the zero-width assertions.
struct PatternItem {
    enum class Kind { Chars, LineStart, LineEnd, WordStart, WordEnd };
    Kind kind = Kind::Chars;
    CharSet chars;
    Quantifier quantifier = Quantifier::One;
};

using ItemSequence = std::vector<PatternItem>;
using Alternation = std::vector<ItemSequence>;

// A pattern split at its top-level '&' into conjuncts; each conjunct is an
// alternation split at '|'.
struct ParsedPattern {
    std::vector<Alternation> conjuncts;
};

struct ParseOutcome {
    ParsedPattern pattern;
    std::string error; // empty when the pattern was accepted
};

// Parses the pattern language (UTF-8). Case-insensitive parsing folds ASCII
// letters and the non-ASCII letters of the pattern into their sets.
ParseOutcome parsePattern(std::string_view pattern, bool caseSensitive);

// For the line interface: LF never occurs inside a line, so it is taken out
// of every set; alternatives that then cannot match are dropped.
void removeLineFeeds(ParsedPattern& pattern);

} // namespace ferrolux::grep
