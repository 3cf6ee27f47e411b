#pragma once

#include "engine/PatternSyntax.h"

#include <optional>
#include <string>

namespace ferrolux::engine {

// The RE2 expression (Latin-1 mode, multi-line) of one conjunct's
// alternatives, or nothing when it would be longer than maxLength. \< and \>
// are left out: RE2 cannot tell word characters that take several bytes, so
// where they occur the expression finds every match and possibly more, and
// WordBoundaryMatcher settles each candidate.
std::optional<std::string> regexForAlternatives(const Alternation& alternatives, size_t maxLength);

} // namespace ferrolux::engine
