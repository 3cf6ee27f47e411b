#include "engine/RegexBuilder.h"

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
        return "\\b"; // never reached: boundaries were expanded away
    case PatternItem::Kind::Chars:
        break;
    }
    std::string set = regexForSet(item.chars);
    if (item.quantifier == Quantifier::One) return set;
    set = "(?:" + set + ")"; // a UTF-8 character is repeated whole
    switch (item.quantifier) {
    case Quantifier::One:
        return set;
    case Quantifier::ZeroOrMore:
        return set + "*";
    case Quantifier::OneOrMore:
        return set + "+";
    case Quantifier::ZeroOrOne:
        return set + "?";
    }
    return set;
}

std::string body(const Branch& b) {
    std::string out;
    for (const PatternItem& item : b.items)
        out += itemRegex(item);
    return out;
}

std::string before(EdgeCondition c) {
    switch (c) {
    case EdgeCondition::Word:
        return regexForBytes(CharSet::wordBytes());
    case EdgeCondition::NonWord:
        return regexForBytes(~CharSet::wordBytes());
    case EdgeCondition::Any:
        break;
    }
    return "[\\x00-\\xff]";
}

std::string after(EdgeCondition c) {
    switch (c) {
    case EdgeCondition::Word:
        return regexForBytes(CharSet::wordBytes());
    case EdgeCondition::NonWord:
        return "(?:$|" + regexForBytes(~CharSet::wordBytes()) + ")";
    case EdgeCondition::Any:
        break;
    }
    return "";
}

} // namespace

ConjunctRegex buildConjunctRegex(const std::vector<Branch>& branches) {
    ConjunctRegex regex;
    for (const Branch& b : branches)
        if (b.before != EdgeCondition::Any || b.after != EdgeCondition::Any) regex.edges = true;
    if (branches.empty()) {
        regex.full = "[^\\x00-\\xff]"; // nothing can match
        return regex;
    }
    if (!regex.edges) {
        std::vector<std::string> parts;
        for (const Branch& b : branches)
            parts.push_back(body(b));
        regex.full = "(?m)(?:" + joinAlternatives(parts) + ")";
        return regex;
    }
    std::vector<std::string> atStart;
    std::vector<std::string> consumed;
    for (const Branch& b : branches) {
        std::string group = "(";
        group += body(b);
        group += ')';
        group += after(b.after);
        if (b.before != EdgeCondition::Word) atStart.push_back(group);
        consumed.push_back(before(b.before) + group);
    }
    regex.mid = "(?m)" + joinAlternatives(consumed);
    regex.full = "(?m)";
    if (!atStart.empty()) regex.full += "\\A(?:" + joinAlternatives(atStart) + ")|";
    regex.full += joinAlternatives(consumed);
    regex.groups = static_cast<int>(atStart.size() + consumed.size());
    return regex;
}

} // namespace ferrolux::engine
