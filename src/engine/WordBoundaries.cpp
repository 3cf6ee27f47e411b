#include "engine/WordBoundaries.h"

#include <optional>

namespace ferrolux::engine {

namespace {

constexpr size_t MaxBranches = 512;

using Kind = PatternItem::Kind;

const CharSet& setFor(EdgeCondition c) {
    return c == EdgeCondition::Word ? CharSet::wordCharacters() : CharSet::nonWordCharacters();
}

// Combines two conditions on the same character; nothing when they conflict.
std::optional<EdgeCondition> combine(EdgeCondition a, EdgeCondition b) {
    if (a == EdgeCondition::Any) return b;
    if (b == EdgeCondition::Any || a == b) return a;
    return std::nullopt;
}

PatternItem restricted(const PatternItem& item, EdgeCondition c) {
    PatternItem one{Kind::Chars, item.chars, Quantifier::One};
    one.chars.intersect(setFor(c));
    return one;
}

PatternItem repeated(const PatternItem& item) {
    return {Kind::Chars, item.chars, Quantifier::ZeroOrMore};
}

bool optionalItem(const PatternItem& item) {
    return item.quantifier == Quantifier::ZeroOrMore || item.quantifier == Quantifier::ZeroOrOne;
}

// The character at position `index` (the next one consumed) must satisfy c.
void constrainForward(Branch b, size_t index, EdgeCondition c, std::vector<Branch>& out) {
    if (index == b.items.size()) {
        if (auto after = combine(b.after, c)) b.after = *after, out.push_back(std::move(b));
        return;
    }
    const PatternItem item = b.items[index];
    switch (item.kind) {
    case Kind::LineStart:
    case Kind::WordStart:
    case Kind::WordEnd:
        constrainForward(std::move(b), index + 1, c, out);
        return;
    case Kind::LineEnd: // the next character is a line end: never a word character
        if (c == EdgeCondition::NonWord) out.push_back(std::move(b));
        return;
    case Kind::Chars:
        break;
    }
    const PatternItem first = restricted(item, c);
    if (!first.chars.empty()) {
        Branch with = b;
        with.items[index] = first;
        if (item.quantifier == Quantifier::ZeroOrMore || item.quantifier == Quantifier::OneOrMore)
            with.items.insert(with.items.begin() + index + 1, repeated(item));
        out.push_back(std::move(with));
    }
    if (optionalItem(item)) {
        b.items.erase(b.items.begin() + index);
        constrainForward(std::move(b), index, c, out);
    }
}

// The character just before position `index` (the last one consumed) must
// satisfy c.
void constrainBackward(Branch b, size_t index, EdgeCondition c, std::vector<Branch>& out) {
    if (index == 0) {
        if (auto before = combine(b.before, c)) b.before = *before, out.push_back(std::move(b));
        return;
    }
    const PatternItem item = b.items[index - 1];
    switch (item.kind) {
    case Kind::LineStart: // the previous character is a line end or nothing
        if (c == EdgeCondition::NonWord) out.push_back(std::move(b));
        return;
    case Kind::LineEnd:
    case Kind::WordStart:
    case Kind::WordEnd:
        constrainBackward(std::move(b), index - 1, c, out);
        return;
    case Kind::Chars:
        break;
    }
    const PatternItem last = restricted(item, c);
    if (!last.chars.empty()) {
        Branch with = b;
        with.items[index - 1] = last;
        if (item.quantifier == Quantifier::ZeroOrMore || item.quantifier == Quantifier::OneOrMore)
            with.items.insert(with.items.begin() + index - 1, repeated(item));
        out.push_back(std::move(with));
    }
    if (optionalItem(item)) {
        b.items.erase(b.items.begin() + index - 1);
        constrainBackward(std::move(b), index - 1, c, out);
    }
}

std::optional<size_t> firstBoundary(const ItemSequence& items) {
    for (size_t i = 0; i < items.size(); ++i)
        if (items[i].kind == Kind::WordStart || items[i].kind == Kind::WordEnd) return i;
    return std::nullopt;
}

// An end of word written after an end of line means the same before it.
ItemSequence withWordEndsBeforeLineEnds(ItemSequence items) {
    for (size_t i = 1; i < items.size(); ++i)
        if (items[i].kind == Kind::WordEnd && items[i - 1].kind == Kind::LineEnd)
            std::swap(items[i], items[i - 1]), i = 0;
    return items;
}

} // namespace

bool expandWordBoundaries(const ItemSequence& items, std::vector<Branch>& out) {
    std::vector<Branch> pending{Branch{withWordEndsBeforeLineEnds(items)}};
    while (!pending.empty()) {
        std::vector<Branch> next;
        for (Branch& b : pending) {
            const auto index = firstBoundary(b.items);
            if (!index) {
                out.push_back(std::move(b));
                continue;
            }
            const bool start = b.items[*index].kind == Kind::WordStart;
            b.items.erase(b.items.begin() + *index);
            std::vector<Branch> forward;
            constrainForward(std::move(b), *index,
                             start ? EdgeCondition::Word : EdgeCondition::NonWord, forward);
            // The backward choices concern earlier items, so they vary
            // slowest: that is the order a backtracking matcher tries them.
            std::vector<std::vector<Branch>> combined(forward.size());
            for (size_t f = 0; f < forward.size(); ++f)
                constrainBackward(std::move(forward[f]), *index,
                                  start ? EdgeCondition::NonWord : EdgeCondition::Word,
                                  combined[f]);
            const size_t choices = combined.empty() ? 0 : combined.front().size();
            for (size_t c = 0; c < choices; ++c)
                for (auto& list : combined)
                    next.push_back(std::move(list[c]));
        }
        if (next.size() + out.size() > MaxBranches) return false;
        pending = std::move(next);
    }
    return true;
}

} // namespace ferrolux::engine
