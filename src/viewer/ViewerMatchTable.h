#pragma once

#include <array>
#include <cstdint>
#include <optional>

namespace ferrolux {

// The matches the open viewer steps through. One table serves the whole
// process and each viewer overwrites it; entries past count are stale.
struct ViewerMatchTable {
    static constexpr int32_t Capacity = 5000;

    bool binaryMode = false;
    int32_t count = 0;
    // Text: the 0-based line of each matching line. Binary: the offset in
    // the shown text of each coloured match. Ascending. 64 bits wide, since
    // a file may be larger than 2 GB.
    std::array<int64_t, Capacity> positions{};

    // Index of the first entry whose position is greater than v.
    std::optional<int32_t> nextAfter(int64_t v) const;
    // Index of the last entry whose position is less than v.
    std::optional<int32_t> previousBefore(int64_t v) const;
};

ViewerMatchTable& viewerMatchTable();

// The number of matches a viewer may take: MaxMatches as stored, kept
// within the table so that an out-of-range stored value cannot overrun it.
int32_t viewerMatchLimit(int32_t maxMatches);

} // namespace ferrolux
