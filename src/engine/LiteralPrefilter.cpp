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
    // Two probes each, but a third for a single literal when that makes them
    // the whole literal, which then needs no check.
    const size_t probesEach =
        literals.size() == 1 && literals.front().bytes.size() <= MaxProbes ? MaxProbes : 2;
    filter.wholeProbes_ = true;
    for (RequiredLiteral& literal : literals) {
        const auto rank = [&](size_t i) {
            return rankOf(static_cast<uint8_t>(literal.bytes[i]), literal.folded[i]);
        };
        std::vector<size_t> order(literal.bytes.size());
        for (size_t i = 0; i < order.size(); ++i)
            order[i] = i;
        std::stable_sort(order.begin(), order.end(),
                         [&](size_t a, size_t b) { return rank(a) < rank(b); });
        // Of equally rare bytes, one far from the rarest is less likely to
        // come with it by chance (as "d" two bytes before "p" does).
        const auto distance = [&](size_t i) { return i > order[0] ? i - order[0] : order[0] - i; };
        std::stable_sort(order.begin() + 1, order.end(), [&](size_t a, size_t b) {
            return rank(a) != rank(b) ? rank(a) < rank(b) : distance(a) > distance(b);
        });
        Entry entry;
        // A literal shorter than the probes repeats its last one.
        const size_t distinct = std::min(probesEach, order.size());
        for (size_t k = 0; k < probesEach; ++k) {
            const size_t i = order[std::min(k, distinct - 1)];
            const auto byte = static_cast<uint8_t>(literal.bytes[i]);
            const bool fold = literal.folded[i] && isLetter(byte);
            entry.probes[k] = {static_cast<uint8_t>(fold ? (byte | 0x20) : byte),
                               static_cast<uint8_t>(fold ? 0x20 : 0), i};
            filter.reach_ = std::max(filter.reach_, i);
            filter.foldedProbes_ = filter.foldedProbes_ || fold;
        }
        entry.folded =
            std::find(literal.folded.begin(), literal.folded.end(), true) != literal.folded.end();
        filter.wholeProbes_ = filter.wholeProbes_ && distinct == order.size();
        filter.worstRank_ = std::max(filter.worstRank_, rank(order.front()));
        filter.longest_ = std::max(filter.longest_, literal.bytes.size());
        filter.maxLead_ = std::max(filter.maxLead_, literal.maxLead);
        entry.literal = std::move(literal);
        filter.entries_.push_back(std::move(entry));
    }
    const Probe& only = filter.entries_.front().probes[0];
    const bool memchrOnly = filter.entries_.size() == 1 && only.orMask == 0 &&
                            (filter.worstRank_ <= RareRank || filter.longest_ == 1);
    filter.probeFinder_ = filter.foldedProbes_
                              ? probeFinder<true>(filter.entries_.size(), probesEach)
                              : probeFinder<false>(filter.entries_.size(), probesEach);
    filter.finder_ = memchrOnly ? &LiteralPrefilter::findWithMemchr : filter.probeFinder_;
    return filter;
}

bool LiteralPrefilter::literalAt(const char* p, const Entry& entry) {
    const RequiredLiteral& literal = entry.literal;
    if (!entry.folded) return std::memcmp(p, literal.bytes.data(), literal.bytes.size()) == 0;
    for (size_t i = 0; i < literal.bytes.size(); ++i) {
        const auto b = static_cast<uint8_t>(p[i]);
        const auto want = static_cast<uint8_t>(literal.bytes[i]);
        if (literal.folded[i] ? (b | 0x20) != want : b != want) return false;
    }
    return true;
}

bool LiteralPrefilter::literalAt(size_t i, const char* text, size_t start, size_t end) const {
    const Entry& entry = entries_[i];
    return start + entry.literal.bytes.size() <= end && literalAt(text + start, entry);
}

// The loops are compiled for each number of literals, so that the compiler
// lays out every comparison of a block without loops; the one for this
// processor and these literals is chosen once.
template <bool Fold>
LiteralPrefilter::Finder LiteralPrefilter::probeFinder(size_t literals, size_t probes) {
#if defined(FERROLUX_HAVE_AVX2_PATH)
    if (__builtin_cpu_supports("avx2")) {
        switch (literals) {
        case 1:
            return probes == MaxProbes ? &LiteralPrefilter::findWithProbesWide<Fold, 1, MaxProbes>
                                       : &LiteralPrefilter::findWithProbesWide<Fold, 1, 2>;
        case 2:
            return &LiteralPrefilter::findWithProbesWide<Fold, 2, 2>;
        case 3:
            return &LiteralPrefilter::findWithProbesWide<Fold, 3, 2>;
        default:
            return &LiteralPrefilter::findWithProbesWide<Fold, 4, 2>;
        }
    }
#endif
    switch (literals) {
    case 1:
        return probes == MaxProbes ? &LiteralPrefilter::findWithProbes<Fold, 1, MaxProbes>
                                   : &LiteralPrefilter::findWithProbes<Fold, 1, 2>;
    case 2:
        return &LiteralPrefilter::findWithProbes<Fold, 2, 2>;
    case 3:
        return &LiteralPrefilter::findWithProbes<Fold, 3, 2>;
    default:
        return &LiteralPrefilter::findWithProbes<Fold, 4, 2>;
    }
}

size_t LiteralPrefilter::find(const char* text, size_t from, size_t end) const {
    if (from >= end) return npos;
    return (this->*finder_)(text, from, end);
}

// memchr outruns the probe loop while the byte is rare, as in text; where it
// is not (binary data), every false hit costs a call, so after a run of
// close ones the probe loop takes over.
size_t LiteralPrefilter::findWithMemchr(const char* text, size_t from, size_t end) const {
    constexpr size_t CloseHit = 1024; // bytes from the last false hit
    constexpr int CloseHitsBeforeProbes = 16;
    const Entry& e = entries_.front();
    const Probe& rarest = e.probes[0];
    const size_t length = e.literal.bytes.size();
    size_t pos = from + rarest.offset;
    int closeHits = 0;
    while (pos < end) {
        const void* hit = std::memchr(text + pos, rarest.value, end - pos);
        if (!hit) return npos;
        const auto at = static_cast<size_t>(static_cast<const char*>(hit) - text);
        const size_t start = at - rarest.offset;
        if (start + length > end) return npos;
        if (literalAt(text + start, e)) return start;
        closeHits = at - pos < CloseHit ? closeHits + 1 : 0;
        if (closeHits == CloseHitsBeforeProbes) return (this->*probeFinder_)(text, start + 1, end);
        pos = at + 1;
    }
    return npos;
}

size_t LiteralPrefilter::literalStartingAt(const char* text, size_t start, size_t end) const {
    for (const Entry& e : entries_)
        if (start + e.literal.bytes.size() <= end && literalAt(text + start, e)) return start;
    return npos;
}

#if defined(FERROLUX_HAVE_AVX2_PATH)
// The same loop as findWithProbes, 32 positions at a time.
template <bool Fold, size_t Literals, size_t Probes>
__attribute__((target("avx2"))) size_t
LiteralPrefilter::findWithProbesWide(const char* text, size_t from, size_t end) const {
    size_t pos = from;
    for (;;) {
        uint32_t hits = 0;
        pos = scanWide<Fold, Literals, Probes>(text, pos, end, hits);
        if (hits == 0) break;
        for (; hits != 0; hits &= hits - 1) {
            const size_t start = pos + static_cast<size_t>(__builtin_ctz(hits));
            if (probeHit(text, start, end) != npos) return start;
        }
        pos += 32;
    }
    return findWithProbes<Fold, Literals, Probes>(text, pos, end);
}

// Finds the next block of 32 starts from pos where all the probes of some
// literal agree: its position, with one bit per start in hits. Where fewer
// than a block is left it stops, hits 0. It calls nothing, so the vectors
// stay in registers.
template <bool Fold, size_t Literals, size_t Probes>
__attribute__((target("avx2"))) size_t
LiteralPrefilter::scanWide(const char* text, size_t pos, size_t end, uint32_t& hits) const {
    __m256i value[Literals][Probes], mask[Literals][Probes];
    const char* at[Literals][Probes];
    for (size_t i = 0; i < Literals; ++i) {
        for (size_t k = 0; k < Probes; ++k) {
            const Probe& probe = entries_[i].probes[k];
            value[i][k] = _mm256_set1_epi8(static_cast<char>(probe.value));
            mask[i][k] = _mm256_set1_epi8(static_cast<char>(probe.orMask));
            at[i][k] = text + probe.offset;
        }
    }
    for (; pos + reach_ + 32 <= end; pos += 32) {
        // The literals' agreements are merged as vectors: one mask per block.
        __m256i any = _mm256_setzero_si256();
        for (size_t i = 0; i < Literals; ++i) {
            __m256i all = _mm256_set1_epi8(-1);
            for (size_t k = 0; k < Probes; ++k) {
                __m256i bytes =
                    _mm256_loadu_si256(reinterpret_cast<const __m256i*>(at[i][k] + pos));
                if (Fold) bytes = _mm256_or_si256(bytes, mask[i][k]);
                all = _mm256_and_si256(all, _mm256_cmpeq_epi8(bytes, value[i][k]));
            }
            any = _mm256_or_si256(any, all);
        }
        const auto found = static_cast<uint32_t>(_mm256_movemask_epi8(any));
        if (found != 0) {
            hits = found;
            return pos;
        }
    }
    return pos;
}
#endif

template <bool Fold, size_t Literals, size_t Probes>
size_t LiteralPrefilter::findWithProbes(const char* text, size_t from, size_t end) const {
    size_t pos = from;
#if defined(__SSE2__)
    for (;;) {
        unsigned hits = 0;
        pos = scan<Fold, Literals, Probes>(text, pos, end, hits);
        if (hits == 0) break;
        for (; hits != 0; hits &= hits - 1) {
            const size_t start = pos + static_cast<size_t>(__builtin_ctz(hits));
            if (probeHit(text, start, end) != npos) return start;
        }
        pos += 16;
    }
#endif
    for (; pos < end; ++pos)
        if (literalStartingAt(text, pos, end) != npos) return pos;
    return npos;
}

#if defined(__SSE2__)
// findWithProbesWide's scan, 16 positions at a time.
template <bool Fold, size_t Literals, size_t Probes>
size_t LiteralPrefilter::scan(const char* text, size_t pos, size_t end, unsigned& hits) const {
    __m128i value[Literals][Probes], mask[Literals][Probes];
    const char* at[Literals][Probes];
    for (size_t i = 0; i < Literals; ++i) {
        for (size_t k = 0; k < Probes; ++k) {
            const Probe& probe = entries_[i].probes[k];
            value[i][k] = _mm_set1_epi8(static_cast<char>(probe.value));
            mask[i][k] = _mm_set1_epi8(static_cast<char>(probe.orMask));
            at[i][k] = text + probe.offset;
        }
    }
    for (; pos + reach_ + 16 <= end; pos += 16) {
        unsigned found = 0;
        for (size_t i = 0; i < Literals; ++i) {
            __m128i all = _mm_set1_epi8(-1);
            for (size_t k = 0; k < Probes; ++k) {
                __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at[i][k] + pos));
                if (Fold) bytes = _mm_or_si128(bytes, mask[i][k]);
                all = _mm_and_si128(all, _mm_cmpeq_epi8(bytes, value[i][k]));
            }
            found |= static_cast<unsigned>(_mm_movemask_epi8(all));
        }
        if (found != 0) {
            hits = found;
            return pos;
        }
    }
    return pos;
}
#endif

} // namespace ferrolux::engine
