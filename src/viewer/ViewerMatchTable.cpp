#include "viewer/ViewerMatchTable.h"

#include <algorithm>

namespace ferrolux {

std::optional<int32_t> ViewerMatchTable::nextAfter(int64_t v) const {
    for (int32_t i = 0; i < count; ++i)
        if (positions[i] > v) return i;
    return std::nullopt;
}

std::optional<int32_t> ViewerMatchTable::previousBefore(int64_t v) const {
    for (int32_t i = count - 1; i >= 0; --i)
        if (positions[i] < v) return i;
    return std::nullopt;
}

ViewerMatchTable& viewerMatchTable() {
    static ViewerMatchTable table;
    return table;
}

int32_t viewerMatchLimit(int32_t maxMatches) {
    return std::clamp(maxMatches, int32_t(0), ViewerMatchTable::Capacity);
}

} // namespace ferrolux
