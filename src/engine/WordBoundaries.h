#pragma once

#include "engine/PatternSyntax.h"

#include <string>
#include <vector>

namespace ferrolux::engine {

// What the character just outside a match must be.
enum class EdgeCondition {
    Any,
    Word,    // a word character
    NonWord, // not a word character, or no character (start or end of text)
};

// An alternative without word-boundary items: their conditions are pushed
// into the neighbouring sets, or onto the edges of the match.
struct Branch {
    ItemSequence items;
    EdgeCondition before = EdgeCondition::Any;
    EdgeCondition after = EdgeCondition::Any;
};

// Rewrites "\<" (previous character not a word character, next one a word
// character) and "\>" (the reverse) into conditions on the characters around
// them. Optional neighbours are expanded into one branch with and one
// without them, in the order a backtracking matcher would try them.
// Returns false when the expansion grows past a sane number of branches.
bool expandWordBoundaries(const ItemSequence& items, std::vector<Branch>& out);

} // namespace ferrolux::engine
