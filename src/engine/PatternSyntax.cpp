#include "engine/PatternSyntax.h"

#include <QChar>
#include <algorithm>

namespace ferrolux::engine {

namespace {

// What the parsed pattern may take in memory; a larger one is refused.
constexpr size_t ParsedMemory = size_t(32) << 20;
// The last code point with another case form is U+1E943.
constexpr char32_t LastCasedCodePoint = 0x1FFFF;

// One character of the pattern: a code point, or a byte that is not part of
// valid UTF-8 (matched as that byte).
struct PatternChar {
    char32_t value = 0;
    bool rawByte = false;
};

// Adds to the set the case forms of cp that lie outside [lo, hi].
void addCaseVariants(CharSet& set, char32_t cp, char32_t lo, char32_t hi) {
    const auto add = [&](char32_t v) {
        if (v < lo || v > hi) set.addCodePoints(v, v);
    };
    const char32_t variants[] = {cp, QChar::toLower(cp), QChar::toUpper(cp), QChar::toTitleCase(cp),
                                 QChar::toCaseFolded(cp)};
    for (char32_t v : variants) {
        add(v);
        // One more step catches letters whose folded form has a second
        // capital (e.g. the Kelvin sign and K).
        add(QChar::toUpper(v));
        add(QChar::toLower(v));
    }
}

void addCaseVariants(CharSet& set, char32_t cp) {
    addCaseVariants(set, cp, 1, 0); // an empty range: every form is added
}

void addMember(CharSet& set, PatternChar c, bool caseSensitive) {
    if (c.rawByte) {
        set.addByte(static_cast<uint8_t>(c.value));
    } else if (caseSensitive) {
        set.addCodePoints(c.value, c.value);
    } else {
        addCaseVariants(set, c.value);
    }
}

// The code points that have another case form, in order.
const std::vector<char32_t>& casedCodePoints() {
    static const std::vector<char32_t> list = [] {
        std::vector<char32_t> cased;
        for (char32_t c = 0; c <= LastCasedCodePoint; ++c)
            if (QChar::toLower(c) != c || QChar::toUpper(c) != c || QChar::toTitleCase(c) != c ||
                QChar::toCaseFolded(c) != c)
                cased.push_back(c);
        return cased;
    }();
    return list;
}

void addRange(CharSet& set, PatternChar lo, PatternChar hi, bool caseSensitive) {
    if (lo.rawByte || hi.rawByte) {
        for (char32_t b = lo.value; b <= hi.value && b < 256; ++b)
            set.addByte(static_cast<uint8_t>(b));
        return;
    }
    set.addCodePoints(lo.value, hi.value);
    if (caseSensitive) return;
    const std::vector<char32_t>& cased = casedCodePoints();
    for (auto c = std::lower_bound(cased.begin(), cased.end(), lo.value);
         c != cased.end() && *c <= hi.value; ++c)
        addCaseVariants(set, *c, lo.value, hi.value);
}

size_t memoryOf(const PatternItem& item) {
    return sizeof(PatternItem) + item.chars.wide.capacity() * sizeof(CodeRange);
}

std::string describe(PatternChar c) {
    if (c.rawByte || c.value < 0x20) {
        static const char digits[] = "0123456789abcdef";
        return std::string("\\x") + digits[(c.value >> 4) & 0xF] + digits[c.value & 0xF];
    }
    return encodeUtf8(c.value);
}

class Parser {
public:
    Parser(std::string_view text, bool caseSensitive)
        : text_(text), caseSensitive_(caseSensitive) {}

    ParseOutcome run() {
        ParseOutcome outcome;
        Alternation conjunct;
        ItemSequence current;
        while (error_.empty() && pos_ < text_.size()) {
            const char c = text_[pos_];
            if (c == '|' || c == '&') {
                ++pos_;
                if (!closeAlternative(current, conjunct, c)) break;
                if (c == '&')
                    outcome.pattern.conjuncts.push_back(std::move(conjunct)), conjunct = {};
                continue;
            }
            const size_t before = current.size();
            parseElement(current);
            if (current.size() > before) memory_ += memoryOf(current.back());
            if (memory_ > ParsedMemory) error_ = "The pattern is too large";
        }
        if (error_.empty() && closeAlternative(current, conjunct, '\0'))
            outcome.pattern.conjuncts.push_back(std::move(conjunct));
        outcome.error = error_;
        if (!error_.empty()) outcome.pattern = {};
        return outcome;
    }

private:
    bool closeAlternative(ItemSequence& current, Alternation& conjunct, char separator) {
        if (current.empty()) {
            if (separator == '&' || (separator == '\0' && lastSeparator_ == '&'))
                error_ = "Nothing to match on one side of &";
            else
                error_ = "Nothing to match on one side of |";
            return false;
        }
        applyLineEndRule(current);
        moveWordEndsBeforeLineEnds(current);
        conjunct.push_back(std::move(current));
        current = {};
        if (separator != '\0') lastSeparator_ = separator;
        return true;
    }

    // A final CR LF (optionally followed by an end of word) stands for the
    // end of a line, whatever line ends the file uses.
    static void applyLineEndRule(ItemSequence& items) {
        bool wordEnd = false;
        size_t n = items.size();
        if (n > 0 && items[n - 1].kind == PatternItem::Kind::WordEnd) wordEnd = true, --n;
        if (n < 2 || !isSingleByte(items[n - 2], '\r') || !isSingleByte(items[n - 1], '\n')) return;
        items.resize(n - 2);
        if (wordEnd) items.push_back({PatternItem::Kind::WordEnd, {}, Quantifier::One});
        items.push_back({PatternItem::Kind::LineEnd, {}, Quantifier::One});
    }

    // An end of word written after an end of line means the same before it
    // (the line end may take a CR, after which no word ends).
    static void moveWordEndsBeforeLineEnds(ItemSequence& items) {
        for (size_t i = 1; i < items.size(); ++i)
            if (items[i].kind == PatternItem::Kind::WordEnd &&
                items[i - 1].kind == PatternItem::Kind::LineEnd)
                std::swap(items[i], items[i - 1]), i = 0;
    }

    static bool isSingleByte(const PatternItem& item, char c) {
        return item.kind == PatternItem::Kind::Chars && item.quantifier == Quantifier::One &&
               item.chars.wide.empty() && item.chars.bytes.count() == 1 &&
               item.chars.bytes.test(static_cast<uint8_t>(c));
    }

    void parseElement(ItemSequence& items) {
        const char c = text_[pos_];
        switch (c) {
        case '^':
            ++pos_;
            items.push_back({PatternItem::Kind::LineStart, {}, Quantifier::One});
            return;
        case '$':
            ++pos_;
            items.push_back({PatternItem::Kind::LineEnd, {}, Quantifier::One});
            return;
        case '.':
            ++pos_;
            items.push_back({PatternItem::Kind::Chars, CharSet::anyCharacter(), Quantifier::One});
            return;
        case '[':
            ++pos_;
            parseClass(items);
            return;
        case '*':
        case '+':
        case '-':
            if (applyQuantifier(items, c)) {
                ++pos_;
                return;
            }
            break; // nothing to repeat: the character stands for itself
        case '\\':
            parseEscape(items);
            return;
        default:
            break;
        }
        CharSet set;
        addMember(set, nextChar(), caseSensitive_);
        set.normalize();
        items.push_back({PatternItem::Kind::Chars, std::move(set), Quantifier::One});
    }

    // A quantifier applies to the single character item before it; where
    // there is none (start of an alternative, after an assertion or after
    // another quantifier) it is an ordinary character.
    static bool applyQuantifier(ItemSequence& items, char q) {
        if (items.empty()) return false;
        PatternItem& last = items.back();
        if (last.kind != PatternItem::Kind::Chars || last.quantifier != Quantifier::One)
            return false;
        last.quantifier = q == '*'   ? Quantifier::ZeroOrMore
                          : q == '+' ? Quantifier::OneOrMore
                                     : Quantifier::ZeroOrOne;
        return true;
    }

    void parseEscape(ItemSequence& items) {
        ++pos_;
        if (pos_ >= text_.size()) {
            error_ = "The pattern ends with a \\ that quotes nothing";
            return;
        }
        const char c = text_[pos_];
        if (c == '<' || c == '>') {
            ++pos_;
            items.push_back({c == '<' ? PatternItem::Kind::WordStart : PatternItem::Kind::WordEnd,
                             {},
                             Quantifier::One});
            return;
        }
        CharSet set;
        addMember(set, escapedChar(), caseSensitive_);
        set.normalize();
        items.push_back({PatternItem::Kind::Chars, std::move(set), Quantifier::One});
    }

    // The character after a backslash: \r and \n are CR and LF, anything else
    // stands for itself.
    PatternChar escapedChar() {
        const char c = text_[pos_];
        if (c == 'r' || c == 'n') {
            ++pos_;
            return {c == 'r' ? char32_t('\r') : char32_t('\n'), false};
        }
        return nextChar();
    }

    void parseClass(ItemSequence& items) {
        bool negated = false;
        if (pos_ < text_.size() && text_[pos_] == '^') negated = true, ++pos_;
        CharSet listed;
        bool first = true;
        for (;;) {
            if (pos_ >= text_.size()) {
                error_ = "Missing ] at the end of a character class";
                return;
            }
            if (text_[pos_] == ']' && !first) {
                ++pos_;
                break;
            }
            first = false;
            PatternChar lo;
            if (!classChar(lo)) return;
            if (pos_ + 1 < text_.size() && text_[pos_] == '-' && text_[pos_ + 1] != ']') {
                ++pos_;
                PatternChar hi;
                if (!classChar(hi)) return;
                if (hi.value < lo.value) {
                    error_ = "Invalid range " + describe(lo) + "-" + describe(hi) +
                             " in a character class";
                    return;
                }
                addRange(listed, lo, hi, caseSensitive_);
            } else {
                addMember(listed, lo, caseSensitive_);
            }
        }
        listed.normalize();
        CharSet set = negated ? complement(listed) : std::move(listed);
        items.push_back({PatternItem::Kind::Chars, std::move(set), Quantifier::One});
    }

    bool classChar(PatternChar& out) {
        if (text_[pos_] != '\\') {
            out = nextChar();
            return true;
        }
        ++pos_;
        if (pos_ >= text_.size()) {
            error_ = "Missing ] at the end of a character class";
            return false;
        }
        out = escapedChar();
        return true;
    }

    // A negated class never matches CR or LF. When it lists non-ASCII
    // characters, a lone byte must not match the first byte of a listed
    // character or a UTF-8 continuation byte, or it could match inside an
    // excluded character.
    static CharSet complement(const CharSet& listed) {
        CharSet set;
        set.bytes = ~listed.bytes;
        set.bytes.reset('\r');
        set.bytes.reset('\n');
        if (!listed.wide.empty()) {
            for (unsigned b = 0x80; b <= 0xBF; ++b)
                set.bytes.reset(b);
            for (const CodeRange& r : listed.wide) {
                const uint8_t lo = static_cast<uint8_t>(encodeUtf8(r.lo)[0]);
                const uint8_t hi = static_cast<uint8_t>(encodeUtf8(r.hi)[0]);
                for (unsigned b = lo; b <= hi; ++b)
                    set.bytes.reset(b);
            }
        }
        char32_t next = 0x80;
        for (const CodeRange& r : listed.wide) {
            if (r.lo > next) set.wide.push_back({next, r.lo - 1});
            next = r.hi + 1;
        }
        if (next <= 0x10FFFF) set.wide.push_back({next, 0x10FFFF});
        set.normalize();
        return set;
    }

    PatternChar nextChar() {
        char32_t cp;
        const int length = decodeUtf8(text_.data(), text_.size(), pos_, cp);
        if (length > 0) {
            pos_ += length;
            return {cp, false};
        }
        const auto byte = static_cast<uint8_t>(text_[pos_++]);
        return {byte, byte >= 0x80};
    }

    std::string_view text_;
    bool caseSensitive_;
    size_t pos_ = 0;
    char lastSeparator_ = '\0';
    size_t memory_ = 0; // taken by the items parsed so far
    std::string error_;
};

} // namespace

ParseOutcome parsePattern(std::string_view pattern, bool caseSensitive) {
    if (pattern.empty()) return {{}, "The pattern is empty"};
    return Parser(pattern, caseSensitive).run();
}

void removeLineFeeds(ParsedPattern& pattern) {
    for (Alternation& conjunct : pattern.conjuncts) {
        Alternation kept;
        for (ItemSequence& items : conjunct) {
            ItemSequence out;
            bool possible = true;
            for (PatternItem& item : items) {
                if (item.kind == PatternItem::Kind::Chars) item.chars.bytes.reset('\n');
                const bool optional = item.quantifier == Quantifier::ZeroOrMore ||
                                      item.quantifier == Quantifier::ZeroOrOne;
                if (item.kind == PatternItem::Kind::Chars && item.chars.empty()) {
                    if (optional) continue;
                    possible = false;
                    break;
                }
                out.push_back(std::move(item));
            }
            if (possible) kept.push_back(std::move(out));
        }
        conjunct = std::move(kept);
    }
}

} // namespace ferrolux::engine
