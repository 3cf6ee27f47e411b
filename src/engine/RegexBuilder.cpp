#include "engine/RegexBuilder.h"

#include <vector>

namespace ferrolux::engine {

namespace {

std::string itemRegex(const PatternItem& item) {
    switch (item.kind) {
    case PatternItem::Kind::LineStart:
        return "^";
    case PatternItem::Kind::LineEnd:
        return "\\r?$"; // end of line, also before a CR LF
    case PatternItem::Kind::WordStart:
    case PatternItem::Kind::WordEnd:
        return "";
    case PatternItem::Kind::Chars:
        break;
    }
    std::string set = regexForSet(item.chars);
    switch (item.quantifier) {
    case Quantifier::One:
        return set;
    case Quantifier::ZeroOrMore:
        return "(?:" + set + ")*"; // a UTF-8 character is repeated whole
    case Quantifier::OneOrMore:
        return "(?:" + set + ")+";
    case Quantifier::ZeroOrOne:
        return "(?:" + set + ")?";
    }
    return set;
}

} // namespace

std::optional<std::string> regexForAlternatives(const Alternation& alternatives, size_t maxLength) {
    if (alternatives.empty()) return "[^\\x00-\\xff]"; // nothing can match
    std::vector<std::string> bodies;
    size_t length = 0;
    for (const ItemSequence& items : alternatives) {
        std::string body;
        for (const PatternItem& item : items) {
            body += itemRegex(item);
            if (length + body.size() > maxLength) return std::nullopt;
        }
        length += body.size() + 5; // and "|(?:)"
        bodies.push_back(std::move(body));
    }
    return "(?m)(?:" + joinAlternatives(bodies) + ")";
}

} // namespace ferrolux::engine
