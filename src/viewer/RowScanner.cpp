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

// Bytes a row of MaxRowCharacters characters can take.
constexpr size_t MaxRowBytes = 4 * MaxRowCharacters;

// Where a run is cut that holds more than MaxRowCharacters characters: before
// the lead byte of the character after them. The run's size when it holds
// no more.
size_t cutPoint(std::string_view run) {
    if (run.size() <= MaxRowCharacters) return run.size();
    size_t characters = 0;
    for (size_t i = 0; i < run.size(); ++i)
        if (!isContinuation(static_cast<unsigned char>(run[i])) && characters++ == MaxRowCharacters)
            return i;
    return run.size();
}

} // namespace

size_t rowEndIn(std::string_view bytes, bool atEnd, size_t& breakLength, bool& complete) {
    breakLength = 0;
    complete = true;
    // A break right after a full row still ends that row.
    const size_t searched = std::min(bytes.size(), MaxRowBytes + 1);
    const size_t i = findLineBreak(bytes.data(), searched);
    const size_t cut = cutPoint(bytes.substr(0, i));
    if (cut < i) return cut;
    // So many bytes without a break are a row however few characters they
    // count (bytes that are not UTF-8).
    if (i > MaxRowBytes) return MaxRowBytes;
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
    complete = atEnd;
    return bytes.size();
}

} // namespace ferrolux
