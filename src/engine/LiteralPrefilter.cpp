#include "engine/LiteralPrefilter.h"

#include <algorithm>
#include <cstring>

#if defined(__x86_64__)
#include <immintrin.h>
#define FERROLUX_HAVE_AVX2_PATH 1
#endif
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ferrolux::engine {

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

constexpr size_t MaxLiterals = 4;
constexpr size_t Unbounded = RequiredLiteral::Unbounded;
// A byte at most this common is rare enough to find with memchr alone.
constexpr int RareRank = 200;

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

bool isFixedCharacter(const PatternItem& item) {
    std::string bytes;
    bool folded;
    return item.quantifier == Quantifier::One && fixedBytes(item, bytes, folded);
}

// The most bytes one item can match; Unbounded for a repetition.
size_t longestMatch(const PatternItem& item) {
    if (item.kind == PatternItem::Kind::LineEnd) return 1; // the CR of a CR LF
    if (item.kind != PatternItem::Kind::Chars) return 0;
    if (item.quantifier == Quantifier::ZeroOrMore || item.quantifier == Quantifier::OneOrMore)
        return Unbounded;
    return item.chars.wide.empty() ? 1 : 4;
}

std::optional<RequiredLiteral> requiredLiteral(const ItemSequence& items) {
    Run best;
    Run current;
    bool whole = true;
    size_t consumed = 0; // the most bytes the items so far can match
    const auto finish = [&] {
        if (!current.literal.bytes.empty() && current.betterThan(best)) best = current;
        current = Run{};
    };
    for (const PatternItem& item : items) {
        if (item.kind == PatternItem::Kind::WordStart || item.kind == PatternItem::Kind::WordEnd) {
            whole = false;
            continue;
        }
        std::string bytes;
        bool folded = false;
        const bool fixed = fixedBytes(item, bytes, folded);
        const size_t before = consumed;
        const size_t longest = longestMatch(item);
        consumed = (consumed == Unbounded || longest == Unbounded) ? Unbounded : consumed + longest;
        if (!fixed || item.quantifier != Quantifier::One) whole = false;
        if (!fixed || item.quantifier == Quantifier::ZeroOrMore ||
            item.quantifier == Quantifier::ZeroOrOne) {
            finish();
            continue;
        }
        if (current.literal.bytes.empty()) current.literal.maxLead = before;
        current.append(bytes, folded);
        if (item.quantifier == Quantifier::OneOrMore) {
            // The last repetition is followed by what comes next.
            finish();
            current.literal.maxLead = Unbounded;
            current.append(bytes, folded);
        }
    }
    finish();
    if (best.literal.bytes.empty()) return std::nullopt;
    // Without breaks there was a single run: the whole alternative.
    best.literal.whole = whole;
    return best.literal;
}

std::optional<LiteralPrefilter> LiteralPrefilter::build(std::vector<RequiredLiteral> literals) {
    if (literals.empty() || literals.size() > MaxLiterals) return std::nullopt;
    LiteralPrefilter filter;
    for (RequiredLiteral& literal : literals) {
        const auto probeAt = [&](size_t i) {
            const auto byte = static_cast<uint8_t>(literal.bytes[i]);
            const bool fold = literal.folded[i] && isLetter(byte);
            return Probe{static_cast<uint8_t>(fold ? (byte | 0x20) : byte),
                         static_cast<uint8_t>(fold ? 0x20 : 0), i};
        };
        const auto rank = [&](size_t i) {
            return rankOf(static_cast<uint8_t>(literal.bytes[i]), literal.folded[i]);
        };
        size_t first = 0;
        for (size_t i = 1; i < literal.bytes.size(); ++i)
            if (rank(i) < rank(first)) first = i;
        size_t second = first;
        for (size_t i = 0; i < literal.bytes.size(); ++i)
            if (i != first && (second == first || rank(i) < rank(second))) second = i;
        filter.worstRank_ = std::max(filter.worstRank_, rank(first));
        filter.longest_ = std::max(filter.longest_, literal.bytes.size());
        filter.maxLead_ = std::max(filter.maxLead_, literal.maxLead);
        filter.reach_ = std::max({filter.reach_, first, second});
        const Probe rarest = probeAt(first);
        const Probe next = probeAt(second);
        Entry entry{std::move(literal), rarest, next};
        filter.entries_.push_back(std::move(entry));
    }
    const Probe& only = filter.entries_.front().rarest;
    filter.memchrOnly_ = filter.entries_.size() == 1 && only.orMask == 0 &&
                         (filter.worstRank_ <= RareRank || filter.longest_ == 1);
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
    if (from >= end) return npos;
    if (memchrOnly_) return findWithMemchr(text, from, end);
#if defined(FERROLUX_HAVE_AVX2_PATH)
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) return findPackedPairsWide(text, from, end);
#endif
    return findPackedPairs(text, from, end);
}

size_t LiteralPrefilter::findWithMemchr(const char* text, size_t from, size_t end) const {
    const Entry& e = entries_.front();
    const size_t length = e.literal.bytes.size();
    size_t pos = from + e.rarest.offset;
    while (pos < end) {
        const void* hit = std::memchr(text + pos, e.rarest.value, end - pos);
        if (!hit) return npos;
        const auto at = static_cast<size_t>(static_cast<const char*>(hit) - text);
        const size_t start = at - e.rarest.offset;
        if (start + length > end) return npos;
        if (literalAt(text + start, e.literal)) return start;
        pos = at + 1;
    }
    return npos;
}

size_t LiteralPrefilter::firstLiteralAt(const char* text, size_t start, size_t end) const {
    for (const Entry& e : entries_)
        if (start + e.literal.bytes.size() <= end && literalAt(text + start, e.literal))
            return start;
    return npos;
}

#if defined(FERROLUX_HAVE_AVX2_PATH)
// The same loop as findPackedPairs, 32 positions at a time.
__attribute__((target("avx2"))) size_t
LiteralPrefilter::findPackedPairsWide(const char* text, size_t from, size_t end) const {
    struct Vectors {
        __m256i value1, mask1, value2, mask2;
        size_t offset1, offset2;
    };
    Vectors probes[MaxLiterals];
    const size_t n = entries_.size();
    for (size_t i = 0; i < n; ++i) {
        const Entry& e = entries_[i];
        probes[i] = {_mm256_set1_epi8(static_cast<char>(e.rarest.value)),
                     _mm256_set1_epi8(static_cast<char>(e.rarest.orMask)),
                     _mm256_set1_epi8(static_cast<char>(e.second.value)),
                     _mm256_set1_epi8(static_cast<char>(e.second.orMask)),
                     e.rarest.offset,
                     e.second.offset};
    }
    const auto load = [text](size_t at) __attribute__((target("avx2"))) {
        return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + at));
    };
    size_t pos = from;
    while (pos + reach_ + 32 <= end) {
        uint32_t mask = 0;
        for (size_t i = 0; i < n; ++i) {
            const Vectors& v = probes[i];
            const __m256i a =
                _mm256_cmpeq_epi8(_mm256_or_si256(load(pos + v.offset1), v.mask1), v.value1);
            const __m256i b =
                _mm256_cmpeq_epi8(_mm256_or_si256(load(pos + v.offset2), v.mask2), v.value2);
            mask |= static_cast<uint32_t>(_mm256_movemask_epi8(_mm256_and_si256(a, b)));
        }
        for (; mask != 0; mask &= mask - 1) {
            const size_t start = pos + static_cast<size_t>(__builtin_ctz(mask));
            if (firstLiteralAt(text, start, end) != npos) return start;
        }
        pos += 32;
    }
    return findPackedPairs(text, pos, end);
}
#else
size_t LiteralPrefilter::findPackedPairsWide(const char* text, size_t from, size_t end) const {
    return findPackedPairs(text, from, end);
}
#endif

size_t LiteralPrefilter::findPackedPairs(const char* text, size_t from, size_t end) const {
    size_t pos = from;
#if defined(__SSE2__)
    struct Vectors {
        __m128i value1, mask1, value2, mask2;
        size_t offset1, offset2;
    };
    Vectors probes[MaxLiterals];
    const size_t n = entries_.size();
    for (size_t i = 0; i < n; ++i) {
        const Entry& e = entries_[i];
        probes[i] = {_mm_set1_epi8(static_cast<char>(e.rarest.value)),
                     _mm_set1_epi8(static_cast<char>(e.rarest.orMask)),
                     _mm_set1_epi8(static_cast<char>(e.second.value)),
                     _mm_set1_epi8(static_cast<char>(e.second.orMask)),
                     e.rarest.offset,
                     e.second.offset};
    }
    const auto load = [&](size_t at) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
    };
    while (pos + reach_ + 16 <= end) {
        unsigned mask = 0;
        for (size_t i = 0; i < n; ++i) {
            const Vectors& v = probes[i];
            const __m128i a =
                _mm_cmpeq_epi8(_mm_or_si128(load(pos + v.offset1), v.mask1), v.value1);
            const __m128i b =
                _mm_cmpeq_epi8(_mm_or_si128(load(pos + v.offset2), v.mask2), v.value2);
            mask |= static_cast<unsigned>(_mm_movemask_epi8(_mm_and_si128(a, b)));
        }
        for (; mask != 0; mask &= mask - 1) {
            const size_t start = pos + static_cast<size_t>(__builtin_ctz(mask));
            if (firstLiteralAt(text, start, end) != npos) return start;
        }
        pos += 16;
    }
#endif
    for (; pos < end; ++pos)
        if (firstLiteralAt(text, pos, end) != npos) return pos;
    return npos;
}

} // namespace ferrolux::engine
