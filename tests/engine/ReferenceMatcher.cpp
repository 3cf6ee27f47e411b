#include "ReferenceMatcher.h"

#include "platform/DisplayText.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <cctype>
#include <utility>

namespace ferrolux::test {

namespace {

bool isWordCodePoint(char32_t cp) {
    if (cp == '_') return true;
    switch (QChar::category(cp)) {
    case QChar::Letter_Uppercase:
    case QChar::Letter_Lowercase:
    case QChar::Letter_Titlecase:
    case QChar::Letter_Modifier:
    case QChar::Letter_Other:
    case QChar::Number_DecimalDigit:
    case QChar::Number_Letter:
    case QChar::Number_Other:
    case QChar::Mark_NonSpacing:
    case QChar::Mark_SpacingCombining:
    case QChar::Mark_Enclosing:
        return true;
    default:
        return false;
    }
}

// The code point of the bytes if they are exactly one valid UTF-8 sequence.
std::optional<char32_t> utf8Character(std::string_view bytes) {
    const QByteArray raw(bytes.data(), qsizetype(bytes.size()));
    const QString decoded = QString::fromUtf8(raw);
    const QList<uint> points = decoded.toUcs4();
    if (points.size() != 1 || decoded.toUtf8() != raw) return std::nullopt;
    return char32_t(points[0]);
}

// Reads the text from its start, one character at a time: a valid UTF-8
// sequence of two to four bytes, else one byte in the display's code page.
struct Character {
    size_t start;
    size_t length;
    bool word;
};

std::vector<Character> characters(std::string_view text) {
    std::vector<Character> out;
    for (size_t i = 0; i < text.size();) {
        Character c{i, 1, false};
        for (size_t length = 2; length <= 4 && i + length <= text.size(); ++length) {
            if (const auto cp = utf8Character(text.substr(i, length))) {
                c = {i, length, isWordCodePoint(*cp)};
                break;
            }
        }
        if (c.length == 1) {
            const QString shown = displayText(text.substr(i, 1));
            c.word = isWordCodePoint(shown.isEmpty() ? 0 : shown.at(0).unicode());
        }
        out.push_back(c);
        i += c.length;
    }
    return out;
}

// The length of the character that starts at pos (1 inside a character).
size_t characterLength(std::string_view text, size_t pos) {
    for (const Character& c : characters(text))
        if (c.start == pos) return c.length;
    return 1;
}

// The character that starts at pos, or the single byte there when pos lies
// inside a character.
bool wordAt(std::string_view text, size_t pos) {
    for (const Character& c : characters(text)) {
        if (c.start == pos) return c.word;
        if (c.start > pos) break;
    }
    return pos < text.size() && characters(text.substr(pos, 1)).front().word;
}

// The character that ends at pos, or the single byte before pos.
bool wordBefore(std::string_view text, size_t pos) {
    if (pos == 0) return false;
    for (const Character& c : characters(text))
        if (c.start + c.length == pos) return c.word;
    return characters(text.substr(pos - 1, 1)).front().word;
}

} // namespace

ReferenceMatcher::ReferenceMatcher(std::string_view pattern, bool caseSensitive, bool lineInterface)
    : caseSensitive_(caseSensitive), lineInterface_(lineInterface) {
    valid_ = parse(pattern);
}

bool ReferenceMatcher::parse(std::string_view p) {
    Alternation alts;
    Sequence seq;
    const auto addChar = [&](Item& item, unsigned char c) {
        item.set[c] = true;
        if (!caseSensitive_ && std::isalpha(c)) {
            item.set[std::tolower(c)] = true;
            item.set[std::toupper(c)] = true;
        }
    };
    const auto closeSequence = [&]() {
        if (seq.empty()) return false;
        // A final CR LF, maybe followed by an end of word, is the end of a line.
        size_t n = seq.size();
        const bool wordEnd = seq.back().kind == Item::WordEnd;
        if (wordEnd) --n;
        const auto only = [&](const Item& it, int c) {
            if (it.kind != Item::Chars || it.quantifier != '1') return false;
            for (int b = 0; b < 256; ++b)
                if (it.set[b] != (b == c)) return false;
            return true;
        };
        if (n >= 2 && only(seq[n - 2], '\r') && only(seq[n - 1], '\n')) {
            seq.resize(n - 2);
            if (wordEnd) seq.push_back(Item{Item::WordEnd});
            seq.push_back(Item{Item::LineEnd});
        }
        // An end of word written after an end of line means the same before it.
        for (size_t i = 1; i < seq.size(); ++i)
            if (seq[i].kind == Item::WordEnd && seq[i - 1].kind == Item::LineEnd)
                std::swap(seq[i], seq[i - 1]), i = 0;
        alts.push_back(seq);
        seq.clear();
        return true;
    };
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (c == '|' || c == '&') {
            if (!closeSequence()) return false;
            if (c == '&') conjuncts_.push_back(alts), alts.clear();
            continue;
        }
        if ((c == '*' || c == '+' || c == '-') && !seq.empty() && seq.back().kind == Item::Chars &&
            seq.back().quantifier == '1') {
            seq.back().quantifier = c == '-' ? '?' : c;
            continue;
        }
        Item item;
        if (c == '^') {
            item.kind = Item::LineStart;
        } else if (c == '$') {
            item.kind = Item::LineEnd;
        } else if (c == '.') {
            for (int b = 0; b < 256; ++b)
                item.set[b] = b != '\r' && b != '\n';
        } else if (c == '\\') {
            if (++i == p.size()) return false;
            if (p[i] == '<')
                item.kind = Item::WordStart;
            else if (p[i] == '>')
                item.kind = Item::WordEnd;
            else
                addChar(item, p[i] == 'r' ? '\r' : p[i] == 'n' ? '\n' : p[i]);
        } else if (c == '[') {
            bool listed[256] = {};
            bool negated = i + 1 < p.size() && p[i + 1] == '^';
            if (negated) ++i;
            bool first = true;
            for (;;) {
                if (++i >= p.size()) return false;
                if (p[i] == ']' && !first) break;
                first = false;
                const auto member = [&](size_t& j, unsigned char& out) {
                    if (p[j] != '\\') return out = p[j], true;
                    if (++j >= p.size()) return false;
                    out = p[j] == 'r' ? '\r' : p[j] == 'n' ? '\n' : p[j];
                    return true;
                };
                unsigned char lo, hi;
                if (!member(i, lo)) return false;
                hi = lo;
                if (i + 2 < p.size() && p[i + 1] == '-' && p[i + 2] != ']') {
                    i += 2;
                    if (!member(i, hi) || hi < lo) return false;
                }
                Item tmp;
                for (int b = lo; b <= hi; ++b)
                    addChar(tmp, static_cast<unsigned char>(b));
                for (int b = 0; b < 256; ++b)
                    listed[b] = listed[b] || tmp.set[b];
            }
            for (int b = 0; b < 256; ++b)
                item.set[b] = negated ? !listed[b] && b != '\r' && b != '\n' : listed[b];
        } else {
            addChar(item, static_cast<unsigned char>(c));
        }
        seq.push_back(item);
    }
    if (!closeSequence()) return false;
    conjuncts_.push_back(alts);
    if (lineInterface_)
        for (auto& conjunct : conjuncts_)
            for (auto& s : conjunct)
                for (auto& it : s)
                    it.set['\n'] = false;
    return true;
}

bool ReferenceMatcher::matchHere(const Sequence& seq, size_t i, std::string_view text, size_t pos,
                                 size_t limit, size_t& end) const {
    if (i == seq.size()) return end = pos, true;
    const Item& it = seq[i];
    const auto at = [&](size_t p) { return static_cast<unsigned char>(text[p]); };
    switch (it.kind) {
    case Item::LineStart:
        return (pos == 0 || text[pos - 1] == '\n') && matchHere(seq, i + 1, text, pos, limit, end);
    case Item::LineEnd: {
        const auto atEnd = [&](size_t p) { return p == text.size() || text[p] == '\n'; };
        if (pos < limit && text[pos] == '\r' && atEnd(pos + 1) &&
            matchHere(seq, i + 1, text, pos + 1, limit, end))
            return true;
        return atEnd(pos) && matchHere(seq, i + 1, text, pos, limit, end);
    }
    case Item::WordStart:
        return !wordBefore(text, pos) && wordAt(text, pos) &&
               matchHere(seq, i + 1, text, pos, limit, end);
    case Item::WordEnd:
        return wordBefore(text, pos) && !wordAt(text, pos) &&
               matchHere(seq, i + 1, text, pos, limit, end);
    case Item::Chars:
        break;
    }
    const size_t minCount = (it.quantifier == '1' || it.quantifier == '+') ? 1 : 0;
    const size_t maxCount = (it.quantifier == '1' || it.quantifier == '?') ? 1 : limit;
    size_t count = 0;
    while (count < maxCount && pos + count < limit && it.set[at(pos + count)])
        ++count;
    for (size_t n = count + 1; n-- > minCount;)
        if (matchHere(seq, i + 1, text, pos + n, limit, end)) return true;
    return false;
}

std::optional<std::pair<size_t, size_t>> ReferenceMatcher::findIn(const Alternation& alts,
                                                                  std::string_view text,
                                                                  size_t from, size_t limit) const {
    for (size_t s = from; s <= limit; ++s)
        for (const Sequence& seq : alts) {
            size_t end = 0;
            if (matchHere(seq, 0, text, s, limit, end)) return std::make_pair(s, end);
        }
    return std::nullopt;
}

std::optional<std::pair<size_t, size_t>> ReferenceMatcher::find(std::string_view text,
                                                                size_t from) const {
    while (from <= text.size()) {
        const auto m = findIn(conjuncts_[0], text, from, text.size());
        if (!m) return std::nullopt;
        // The end of a text that is empty or ends in LF is no line.
        if (m->first == text.size() && (text.empty() || text.back() == '\n')) return std::nullopt;
        size_t ls = m->first, le = m->first;
        while (ls > 0 && text[ls - 1] != '\r' && text[ls - 1] != '\n')
            --ls;
        while (le < text.size() && text[le] != '\r' && text[le] != '\n')
            ++le;
        bool all = true;
        for (size_t c = 1; c < conjuncts_.size() && all; ++c)
            all = findIn(conjuncts_[c], text, ls, le).has_value();
        if (all) return m;
        from = std::max(le, m->first + 1);
    }
    return std::nullopt;
}

std::vector<std::pair<size_t, size_t>> ReferenceMatcher::allMatches(std::string_view text) const {
    std::vector<std::pair<size_t, size_t>> out;
    size_t from = 0;
    for (;;) {
        if (!out.empty() && out.back().first == out.back().second && from == out.back().second)
            from += characterLength(text, from);
        if (from > text.size()) break;
        const auto m = find(text, from);
        if (!m) break;
        out.push_back(*m);
        from = m->second;
    }
    return out;
}

bool ReferenceMatcher::lineMatches(std::string_view line) const {
    for (const Alternation& alts : conjuncts_)
        if (!findIn(alts, line, 0, line.size())) return false;
    return true;
}

} // namespace ferrolux::test
