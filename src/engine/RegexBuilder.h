#pragma once

#include "engine/WordBoundaries.h"

#include <string>
#include <vector>

namespace ferrolux::engine {

// The RE2 expressions (Latin-1 mode) of one conjunct.
//
// Conditions on the characters just outside a match (word boundaries at the
// edges) are written as one consumed byte before and after the real match,
// which then sits in a capture group. All branches consume that byte before
// the match (or match at the very start of the text), so the leftmost
// consumed start is always one byte before the leftmost real start and
// leftmost-first order is kept.
struct ConjunctRegex {
    std::string full; // for a search that starts at the beginning of the text
    std::string mid;  // for a search that starts one byte before `from`; only with edges
    bool edges = false;
    int groups = 0; // capture groups; the first one that took part is the real match
};

ConjunctRegex buildConjunctRegex(const std::vector<Branch>& branches);

} // namespace ferrolux::engine
