#include "platform/grep/LiteralPrefilter.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ferrolux::grep {

namespace {

// Measured over C headers, licences, documentation and Python sources.
constexpr uint8_t ByteRanks[256] = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   187, 245, 9,   64,  10,  11,  12,  13,  14,  15,
    16,  17,  18,  19,  20,  21,  22,  23,  24,  25,  26,  27,  28,  255, 163, 202, 217, 156, 164,
    169, 216, 236, 237, 229, 167, 235, 196, 212, 207, 218, 214, 195, 191, 184, 204, 183, 181, 186,
    198, 199, 200, 182, 193, 185, 162, 166, 221, 197, 227, 210, 239, 206, 205, 189, 226, 171, 194,
    228, 211, 232, 234, 222, 168, 224, 243, 231, 203, 192, 174, 209, 190, 165, 179, 188, 178, 155,
    253, 170, 246, 215, 244, 242, 254, 238, 219, 230, 249, 172, 225, 241, 223, 250, 247, 240, 175,
    248, 251, 252, 233, 208, 201, 213, 220, 180, 177, 173, 176, 161, 29,  146, 145, 138, 134, 121,
    100, 114, 144, 142, 119, 84,  79,  115, 95,  89,  149, 127, 139, 122, 123, 141, 130, 151, 97,
    120, 140, 128, 94,  129, 103, 91,  158, 131, 106, 90,  107, 132, 99,  104, 133, 110, 135, 82,
    80,  81,  87,  109, 85,  105, 125, 108, 117, 113, 101, 102, 111, 154, 143, 86,  124, 137, 118,
    116, 93,  30,  31,  126, 148, 76,  78,  58,  57,  60,  67,  65,  53,  63,  52,  152, 136, 160,
    150, 61,  59,  55,  62,  112, 147, 98,  96,  56,  54,  32,  33,  34,  35,  153, 92,  159, 88,
    68,  77,  75,  74,  73,  72,  71,  70,  69,  66,  36,  83,  157, 37,  38,  39,  40,  41,  42,
    43,  44,  45,  46,  47,  48,  49,  50,  51,
};

constexpr size_t MaxNeedles = 4;

bool isLetter(uint8_t b) {
    return (b >= 'a' && b <= 'z') || (b >= 'A' && b <= 'Z');
}

int rankOf(uint8_t b, bool folded) {
    if (!folded) return ByteRanks[b];
    return std::max(ByteRanks[b], ByteRanks[b & 0xDF]);
}

// The case-insensitive letter pair a set stands for, if it is exactly that.
std::optional<uint8_t> foldedLetter(const CharSet& set) {
    if (!set.wide.empty() || set.bytes.count() != 2) return std::nullopt;
    for (unsigned b = 'a'; b <= 'z'; ++b)
        if (set.bytes.test(b) && set.bytes.test(b & 0xDF)) return static_cast<uint8_t>(b);
    return std::nullopt;
}

struct Run {
    RequiredLiteral literal;
    int rarest = 256;

    void append(const std::string& bytes, bool folded) {
        for (char c : bytes) {
            literal.bytes += c;
            literal.folded.push_back(folded);
            rarest = std::min(rarest, rankOf(static_cast<uint8_t>(c), folded));
        }
    }
    bool betterThan(const Run& other) const {
        if (literal.bytes.size() != other.literal.bytes.size())
            return literal.bytes.size() > other.literal.bytes.size();
        return rarest < other.rarest;
    }
};

// The fixed bytes one set item contributes, if it stands for one character.
bool fixedBytes(const PatternItem& item, std::string& bytes, bool& folded) {
    if (item.kind != PatternItem::Kind::Chars) return false;
    if (auto letter = foldedLetter(item.chars)) {
        bytes.assign(1, static_cast<char>(*letter));
        folded = true;
        return true;
    }
    bytes = item.chars.singleSequence();
    folded = false;
    return !bytes.empty();
}

} // namespace

int byteRank(uint8_t b) {
    return ByteRanks[b];
}

std::optional<RequiredLiteral> requiredLiteral(const Branch& branch) {
    Run best;
    Run current;
    bool whole = branch.before == EdgeCondition::Any && branch.after == EdgeCondition::Any;
    const auto finish = [&] {
        if (!current.literal.bytes.empty() && current.betterThan(best)) best = current;
        current = Run{};
    };
    for (const PatternItem& item : branch.items) {
        std::string bytes;
        bool folded = false;
        const bool fixed = fixedBytes(item, bytes, folded);
        if (!fixed || item.quantifier != Quantifier::One) whole = false;
        if (!fixed || item.quantifier == Quantifier::ZeroOrMore ||
            item.quantifier == Quantifier::ZeroOrOne) {
            finish();
            continue;
        }
        current.append(bytes, folded);
        if (item.quantifier == Quantifier::OneOrMore) {
            // The last repetition is followed by what comes next.
            finish();
            current.append(bytes, folded);
        }
    }
    finish();
    if (best.literal.bytes.empty()) return std::nullopt;
    // Without breaks there was a single run: the whole branch.
    best.literal.wholeBranch = whole;
    return best.literal;
}

std::optional<LiteralPrefilter> LiteralPrefilter::build(std::vector<RequiredLiteral> literals) {
    if (literals.empty()) return std::nullopt;
    LiteralPrefilter filter;
    for (RequiredLiteral& literal : literals) {
        size_t offset = 0;
        int rank = 256;
        for (size_t i = 0; i < literal.bytes.size(); ++i) {
            const int r = rankOf(static_cast<uint8_t>(literal.bytes[i]), literal.folded[i]);
            if (r < rank) rank = r, offset = i;
        }
        const auto byte = static_cast<uint8_t>(literal.bytes[offset]);
        const bool fold = literal.folded[offset] && isLetter(byte);
        const Needle needle{static_cast<uint8_t>(fold ? (byte | 0x20) : byte),
                            static_cast<uint8_t>(fold ? 0x20 : 0)};
        filter.worstRank_ = std::max(filter.worstRank_, rank);
        const bool known =
            std::any_of(filter.needles_.begin(), filter.needles_.end(), [&](Needle n) {
                return n.value == needle.value && n.orMask == needle.orMask;
            });
        if (!known) filter.needles_.push_back(needle);
        filter.entries_.push_back({std::move(literal), offset, needle});
    }
    if (filter.needles_.size() > MaxNeedles) return std::nullopt;
    return filter;
}

bool LiteralPrefilter::literalAt(const char* p, const RequiredLiteral& literal) {
    for (size_t i = 0; i < literal.bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(p[i]);
        const auto want = static_cast<uint8_t>(literal.bytes[i]);
        if (literal.folded[i] ? (b | 0x20) != want : b != want) return false;
    }
    return true;
}

size_t LiteralPrefilter::find(const char* text, size_t from, size_t end) const {
    size_t pos = from;
    while (pos < end) {
        const size_t hit = scan(text, pos, end);
        if (hit == npos) return npos;
        size_t best = npos;
        const auto b = static_cast<uint8_t>(text[hit]);
        for (const Entry& e : entries_) {
            if ((b | e.needle.orMask) != e.needle.value || hit < from + e.offset) continue;
            const size_t start = hit - e.offset;
            if (start + e.literal.bytes.size() <= end && start < best &&
                literalAt(text + start, e.literal))
                best = start;
        }
        if (best != npos) return best;
        pos = hit + 1;
    }
    return npos;
}

size_t LiteralPrefilter::scan(const char* text, size_t from, size_t end) const {
    if (needles_.size() == 1 && needles_[0].orMask == 0) {
        const void* hit = std::memchr(text + from, needles_[0].value, end - from);
        return hit ? static_cast<size_t>(static_cast<const char*>(hit) - text) : npos;
    }
    size_t pos = from;
#if defined(__SSE2__)
    __m128i values[MaxNeedles];
    __m128i masks[MaxNeedles];
    const size_t n = needles_.size();
    for (size_t i = 0; i < n; ++i) {
        values[i] = _mm_set1_epi8(static_cast<char>(needles_[i].value));
        masks[i] = _mm_set1_epi8(static_cast<char>(needles_[i].orMask));
    }
    const auto hits = [&](__m128i v) {
        __m128i any = _mm_setzero_si128();
        for (size_t i = 0; i < n; ++i)
            any = _mm_or_si128(any, _mm_cmpeq_epi8(_mm_or_si128(v, masks[i]), values[i]));
        return any;
    };
    while (pos + 32 <= end) {
        const __m128i a = hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos)));
        const __m128i b = hits(_mm_loadu_si128(reinterpret_cast<const __m128i*>(text + pos + 16)));
        const int mask = _mm_movemask_epi8(_mm_or_si128(a, b));
        if (mask != 0) {
            const int ma = _mm_movemask_epi8(a);
            if (ma != 0) return pos + __builtin_ctz(static_cast<unsigned>(ma));
            return pos + 16 + __builtin_ctz(static_cast<unsigned>(_mm_movemask_epi8(b)));
        }
        pos += 32;
    }
#endif
    for (; pos < end; ++pos) {
        const auto b = static_cast<uint8_t>(text[pos]);
        for (const Needle& needle : needles_)
            if ((b | needle.orMask) == needle.value) return pos;
    }
    return npos;
}

} // namespace ferrolux::grep
