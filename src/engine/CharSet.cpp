#include "engine/CharSet.h"

#include <algorithm>
#include <cstdio>

namespace ferrolux::engine {

namespace {

constexpr char32_t MaxCodePoint = 0x10FFFF;
constexpr char32_t SurrogateLo = 0xD800;
constexpr char32_t SurrogateHi = 0xDFFF;

std::string hexByte(unsigned b) {
    char text[8];
    std::snprintf(text, sizeof text, "\\x%02x", b & 0xFFu);
    return text;
}

std::string byteRange(unsigned lo, unsigned hi) {
    if (lo == hi) return hexByte(lo);
    std::string out = "[";
    out += hexByte(lo);
    out += '-';
    out += hexByte(hi);
    out += ']';
    return out;
}

size_t encodedLength(char32_t cp) {
    if (cp < 0x80) return 1;
    if (cp < 0x800) return 2;
    if (cp < 0x10000) return 3;
    return 4;
}

// Splits [lo, hi] into pieces whose UTF-8 forms differ only in simple byte
// ranges position by position, and writes one alternative per piece.
void appendUtf8Range(char32_t lo, char32_t hi, std::vector<std::string>& out) {
    if (lo > hi) return;
    for (char32_t limit : {char32_t(0x7F), char32_t(0x7FF), char32_t(0xFFFF)}) {
        if (lo <= limit && limit < hi) {
            appendUtf8Range(lo, limit, out);
            appendUtf8Range(limit + 1, hi, out);
            return;
        }
    }
    const size_t length = encodedLength(lo);
    for (size_t i = 1; i < length; ++i) {
        const char32_t mask = (char32_t(1) << (6 * i)) - 1;
        if ((lo & ~mask) == (hi & ~mask)) continue;
        if ((lo & mask) != 0) {
            appendUtf8Range(lo, lo | mask, out);
            appendUtf8Range((lo | mask) + 1, hi, out);
            return;
        }
        if ((hi & mask) != mask) {
            appendUtf8Range(lo, (hi & ~mask) - 1, out);
            appendUtf8Range(hi & ~mask, hi, out);
            return;
        }
    }
    const std::string a = encodeUtf8(lo);
    const std::string b = encodeUtf8(hi);
    std::string piece;
    for (size_t i = 0; i < a.size(); ++i)
        piece += byteRange(static_cast<uint8_t>(a[i]), static_cast<uint8_t>(b[i]));
    out.push_back(piece);
}

} // namespace

void CharSet::addCodePoints(char32_t lo, char32_t hi) {
    for (char32_t c = lo; c <= hi && c < 0x80; ++c)
        bytes.set(c);
    if (hi >= 0x80) wide.push_back({std::max<char32_t>(lo, 0x80), hi});
}

void CharSet::normalize() {
    std::vector<CodeRange> pieces;
    for (CodeRange r : wide) {
        r.hi = std::min(r.hi, MaxCodePoint);
        if (r.lo > r.hi) continue;
        if (r.lo < SurrogateLo && r.hi > SurrogateHi) {
            pieces.push_back({r.lo, SurrogateLo - 1});
            pieces.push_back({SurrogateHi + 1, r.hi});
        } else if (r.hi < SurrogateLo || r.lo > SurrogateHi) {
            pieces.push_back(r);
        } else if (r.lo < SurrogateLo) {
            pieces.push_back({r.lo, SurrogateLo - 1});
        } else if (r.hi > SurrogateHi) {
            pieces.push_back({SurrogateHi + 1, r.hi});
        }
    }
    std::sort(pieces.begin(), pieces.end(),
              [](const CodeRange& a, const CodeRange& b) { return a.lo < b.lo; });
    std::vector<CodeRange> merged;
    for (const CodeRange& r : pieces) {
        if (!merged.empty() && r.lo <= merged.back().hi + 1)
            merged.back().hi = std::max(merged.back().hi, r.hi);
        else
            merged.push_back(r);
    }
    wide = std::vector<CodeRange>(merged.begin(), merged.end()); // exactly as large as needed
}

void CharSet::intersect(const CharSet& other) {
    bytes &= other.bytes;
    std::vector<CodeRange> common;
    for (const CodeRange& a : wide)
        for (const CodeRange& b : other.wide) {
            const char32_t lo = std::max(a.lo, b.lo);
            const char32_t hi = std::min(a.hi, b.hi);
            if (lo <= hi) common.push_back({lo, hi});
        }
    wide = std::move(common);
    normalize();
}

std::string CharSet::singleSequence() const {
    if (wide.empty() && bytes.count() == 1) {
        for (unsigned b = 0; b < 256; ++b)
            if (bytes.test(b)) return std::string(1, static_cast<char>(b));
    }
    if (bytes.none() && wide.size() == 1 && wide[0].lo == wide[0].hi) return encodeUtf8(wide[0].lo);
    return {};
}

CharSet CharSet::anyCharacter() {
    CharSet set;
    set.bytes.set();
    set.bytes.reset('\r');
    set.bytes.reset('\n');
    set.wide.push_back({0x80, MaxCodePoint});
    set.normalize();
    return set;
}

std::string regexForBytes(const std::bitset<256>& bytes) {
    if (bytes.none()) return "[^\\x00-\\xff]";
    if (bytes.count() == 1) {
        for (unsigned b = 0; b < 256; ++b)
            if (bytes.test(b)) return hexByte(b);
    }
    std::string out = "[";
    for (unsigned b = 0; b < 256;) {
        if (!bytes.test(b)) {
            ++b;
            continue;
        }
        unsigned e = b;
        while (e + 1 < 256 && bytes.test(e + 1))
            ++e;
        out += hexByte(b);
        if (e > b) {
            out += '-';
            out += hexByte(e);
        }
        b = e + 1;
    }
    return out + "]";
}

std::string regexForSet(const CharSet& set) {
    std::vector<std::string> alternatives;
    for (const CodeRange& r : set.wide)
        appendUtf8Range(r.lo, r.hi, alternatives);
    if (set.bytes.any() || alternatives.empty()) alternatives.push_back(regexForBytes(set.bytes));
    if (alternatives.size() == 1) return alternatives.front();
    return "(?:" + joinAlternatives(alternatives) + ")";
}

std::string joinAlternatives(const std::vector<std::string>& parts) {
    if (parts.size() == 1) return parts.front();
    std::string out;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (i > 0) out += '|';
        out += "(?:)";
        out += parts[i];
    }
    return out;
}

int decodeUtf8(const char* text, size_t size, size_t pos, char32_t& cp) {
    const auto at = [&](size_t i) { return static_cast<uint8_t>(text[pos + i]); };
    const uint8_t lead = at(0);
    int length;
    char32_t value;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        value = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        value = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        value = lead & 0x07;
    } else {
        return 0;
    }
    if (pos + length > size) return 0;
    for (int i = 1; i < length; ++i) {
        if ((at(i) & 0xC0) != 0x80) return 0;
        value = (value << 6) | (at(i) & 0x3F);
    }
    if (encodedLength(value) != static_cast<size_t>(length)) return 0; // overlong
    if (value > MaxCodePoint || (value >= SurrogateLo && value <= SurrogateHi)) return 0;
    cp = value;
    return length;
}

std::string encodeUtf8(char32_t cp) {
    std::string out;
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
    return out;
}

size_t characterLength(const char* text, size_t size, size_t pos) {
    char32_t cp;
    const int length = decodeUtf8(text, size, pos, cp);
    return length > 0 ? static_cast<size_t>(length) : 1;
}

size_t characterLengthBefore(const char* text, size_t pos) {
    const auto isContinuation = [&](size_t i) {
        return (static_cast<uint8_t>(text[i]) & 0xC0) == 0x80;
    };
    if (!isContinuation(pos - 1)) return 1;
    for (size_t length = 2; length <= 4 && length <= pos; ++length) {
        char32_t cp;
        if (decodeUtf8(text, pos, pos - length, cp) == static_cast<int>(length)) return length;
        if (!isContinuation(pos - length)) break;
    }
    return 1;
}

} // namespace ferrolux::engine
