#include "viewer/RowScanner.h"

#include <algorithm>
#include <bit>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace ferrolux {
namespace {

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

// The first LF or CR in [p, p + n), or n. Rows are short and many, so this
// looks at 16 bytes at a time rather than calling memchr twice per row.
size_t findLineBreak(const char* p, size_t n) {
    size_t i = 0;
#if defined(__SSE2__)
    const __m128i lf = _mm_set1_epi8('\n');
    const __m128i cr = _mm_set1_epi8('\r');
    for (; i + 16 <= n; i += 16) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
        const unsigned mask =
            unsigned(_mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v, lf), _mm_cmpeq_epi8(v, cr))));
        if (mask != 0) return i + size_t(std::countr_zero(mask));
    }
#endif
    for (; i < n; ++i)
        if (p[i] == '\n' || p[i] == '\r') return i;
    return n;
}

// Where a run longer than a row is cut: after MaxRowBytes bytes, or before
// the lead byte of a UTF-8 sequence that would straddle that point.
size_t cutPoint(std::string_view bytes) {
    const size_t p = MaxRowBytes;
    if (!isContinuation(static_cast<unsigned char>(bytes[p]))) return p;
    for (size_t q = p - 1; q + 3 >= p; --q) {
        const auto c = static_cast<unsigned char>(bytes[q]);
        if (isContinuation(c)) continue;
        const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
        return q + length > p ? q : p;
    }
    return p;
}

} // namespace

size_t rowEndIn(std::string_view bytes, bool atEnd, size_t& breakLength, bool& complete) {
    breakLength = 0;
    complete = true;
    // A break right after a full row still ends that row.
    const size_t searched = std::min(bytes.size(), MaxRowBytes + 1);
    const size_t i = findLineBreak(bytes.data(), searched);
    if (i < searched) {
        if (bytes[i] == '\n') {
            breakLength = 1;
        } else if (i + 1 < bytes.size()) {
            breakLength = bytes[i + 1] == '\n' ? 2 : 1;
        } else {
            // A CR at the end of what is there: a CR LF pair may follow.
            breakLength = 1;
            complete = atEnd;
        }
        return i;
    }
    if (bytes.size() > MaxRowBytes) return cutPoint(bytes);
    complete = atEnd;
    return bytes.size();
}

} // namespace ferrolux
