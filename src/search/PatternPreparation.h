#pragma once

#include "platform/UserMessage.h"
#include "search/SearchRequest.h"

#include <QString>
#include <optional>
#include <string>

namespace ferrolux {

class GrepEngine;

// A request the search refuses, with the message that says why.
using Refusal = UserMessage;

// Checks the typed request before anything changes: the blank-input rule, the
// seven patterns that match everything, and (outside literal mode) whether the
// engine accepts the pattern; then whether it accepts the pattern the search
// will use (prepared as below, with the request's case option). A rejected
// pattern is refused with the engine's reason under the caption "Regular
// Expression Error".
std::optional<Refusal> validateRequest(const SearchRequest& request, const GrepEngine& engine);

// The pattern handed to the engine: end-of-line rule, literal escaping and
// whole-word wrapping, applied to the text as typed.
std::string prepareSearchPattern(const std::string& typed, bool literal, bool wholeWords);

// The file specifications the walk uses: upper-cased, with ",*.ZIP" appended
// when archives are searched and nothing already covers them; with
// otherArchives also ",*.TAR", ",*.7Z", ... for each format read besides Zip.
std::string workingFileSpecs(const std::string& typed, bool searchZipFiles,
                             bool otherArchives = false);

} // namespace ferrolux
