#include "viewer/ViewerHighlights.h"

#include <algorithm>

namespace ferrolux {

void ViewerHighlights::setWholeLines(bool wholeLines) {
    wholeLines_ = wholeLines;
    emit changed();
}

void ViewerHighlights::add(const std::vector<FoundMatch>& matches) {
    for (const FoundMatch& match : matches) {
        if (wholeLines_)
            lines_.push_back(match.position);
        else
            ranges_.push_back(match);
    }
    if (!matches.empty()) emit changed();
}

void ViewerHighlights::clear() {
    lines_.clear();
    ranges_.clear();
    emit changed();
}

void ViewerHighlights::setColor(const QColor& color) {
    color_ = color;
    emit changed();
}

std::vector<std::pair<qsizetype, qsizetype>> ViewerHighlights::runsIn(const RowSpan& span,
                                                                      const RowText& text) const {
    std::vector<std::pair<qsizetype, qsizetype>> runs;
    if (wholeLines_) {
        if (!text.text.isEmpty() && std::binary_search(lines_.begin(), lines_.end(), span.line))
            runs.emplace_back(0, text.text.size());
        return runs;
    }
    // Ranges ascend and do not overlap, so their ends ascend too.
    auto range = std::lower_bound(
        ranges_.begin(), ranges_.end(), span.start,
        [](const FoundMatch& m, int64_t start) { return m.position + m.length <= start; });
    for (; range != ranges_.end() && range->position < span.end; ++range) {
        const qsizetype from =
            text.characterAt(int32_t(std::max(range->position, span.start) - span.start));
        const qsizetype to = text.characterAt(
            int32_t(std::min(range->position + range->length, span.end) - span.start));
        if (to > from) runs.emplace_back(from, to - from);
    }
    return runs;
}

} // namespace ferrolux
