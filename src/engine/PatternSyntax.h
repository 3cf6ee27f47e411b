#pragma once

#include "engine/CharSet.h"

#include <string>
#include <string_view>
#include <vector>

namespace ferrolux::engine {

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

// The pattern language, as the engine understands it:
//   ^  $      start and end of a line ($ also before a CR LF).
//   .         any character except CR and LF (a UTF-8 character whole,
//             otherwise one byte).
//   * + -     zero or more, one or more, zero or one of the single item
//             before them (a character, an escaped character, . or a class).
//             With no such item before them (at the start of an alternative,
//             after ^ $ \< \> or another of them) they stand for themselves.
//   [..] [^..] classes with ranges; ] first in a class and - first or last
//             are members; \ quotes inside a class. A negated class never
//             matches CR or LF; when it lists non-ASCII characters, a lone
//             byte matches only if it is neither the first byte of a listed
//             character nor a UTF-8 continuation byte (0x80-0xBF).
//   \c        c itself; \r and \n are CR and LF.
//   \< \>     start and end of a word: the character before is not a word
//             character and the next one is, or the reverse. Word characters
//             are letters, digits, combining marks and '_', a valid UTF-8
//             sequence read as one character and any other byte as a
//             Windows-1252 character (engine/WordCharacters.h).
//   |         alternatives (whole alternatives, no grouping).
//   &         a line holds a match of each side; binds weaker than |.
//   \r\n at the end of an alternative (optionally followed by \>) means $;
//             \> written after $ means the same as before it.
// Case-insensitive parsing folds ASCII letters and the non-ASCII letters of
// the pattern (to all their case variants, as whole UTF-8 characters).
// Where a byte lies outside any valid UTF-8 sequence, a non-ASCII character
// of a set matches it too as its Windows-1252 character (CompiledPattern).
// Rejected: an unclosed [, a \ at the end, a reversed range, an empty
// alternative or & condition, a pattern too large to hold.
ParseOutcome parsePattern(std::string_view pattern, bool caseSensitive);

// For the line interface: LF never occurs inside a line, so it is taken out
// of every set; alternatives that then cannot match are dropped.
void removeLineFeeds(ParsedPattern& pattern);

} // namespace ferrolux::engine
