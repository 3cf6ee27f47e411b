#pragma once

#include <cstdint>

namespace ferrolux {

// A match the viewer colours. Text mode: the 0-based line, coloured whole
// (length unused). Binary mode: the offset and length in the shown text.
struct FoundMatch {
    int64_t position = 0;
    int64_t length = 0;

    bool operator==(const FoundMatch&) const = default;
};

} // namespace ferrolux
