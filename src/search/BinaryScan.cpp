#include "search/BinaryScan.h"

#include "engine/ByteSource.h"
#include "engine/CharSet.h"
#include "engine/CompiledPattern.h"
#include "engine/MemoryMatches.h"
#include "platform/posix/OpenPath.h"
#include "search/GrepEngine.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace ferrolux {

namespace {

constexpr size_t SnippetReach = 30; // characters either side of a listed match
// Kept before the resume point: context for ^ and \<, and 30 characters of
// four bytes at most for a snippet.
constexpr size_t WindowContext = 128;
// Kept after a taken match: context for $ and \>, and the snippet.
constexpr size_t OverlapMargin = 128;

bool isWordPerfect(const char* p, size_t n) {
    return n >= 4 && static_cast<uint8_t>(p[0]) == 0xFF && p[1] == 'W' && p[2] == 'P' &&
           p[3] == 'C';
}

const std::bitset<256>& controlStripSet() {
    static const std::bitset<256> set = [] {
        std::bitset<256> s;
        for (unsigned c = 0; c < 32; ++c)
            s[c] = c != 9 && c != 10 && c != 12 && c != 13;
        return s;
    }();
    return set;
}

// The file's bytes as the binary search sees them.
class BinaryText : public engine::ByteSource {
public:
    struct Options {
        bool nulToOne = false;
        bool stripControls = false;
        int64_t maxBytes = -1; // read at most this many bytes of the file; -1: all
    };

    BinaryText(engine::ByteSource& file, Options options) : file_(file), options_(options) {}

    size_t read(char* into, size_t size) override {
        for (;;) {
            size_t want = size;
            if (options_.maxBytes >= 0)
                want = std::min<size_t>(want, static_cast<size_t>(options_.maxBytes - consumed_));
            if (want == 0) return 0;
            const size_t n = file_.read(into, want);
            if (n == 0) return 0;
            if (consumed_ == 0) wordPerfect_ = isWordPerfect(into, n);
            consumed_ += static_cast<int64_t>(n);
            const size_t kept = transform(into, n);
            if (kept > 0) return kept;
        }
    }

private:
    size_t transform(char* p, size_t n) const {
        if (!wordPerfect_ && !options_.stripControls) {
            if (options_.nulToOne) std::replace(p, p + n, '\0', '\1');
            return n;
        }
        size_t out = 0;
        for (size_t i = 0; i < n; ++i) {
            auto b = static_cast<uint8_t>(p[i]);
            if (wordPerfect_ && (b == 0x80 || b == 0xCF)) b = ' ';
            if (options_.stripControls && controlStripSet().test(b)) continue;
            if (options_.nulToOne && b == 0) b = 1;
            p[out++] = static_cast<char>(b);
        }
        return out;
    }

    engine::ByteSource& file_;
    Options options_;
    bool wordPerfect_ = false;
    int64_t consumed_ = 0;
};

// The start of the `count` characters before pos, or of the text.
size_t charactersBack(const char* text, size_t pos, size_t count) {
    for (; count > 0 && pos > 0; --count)
        pos -= engine::characterLengthBefore(text, pos);
    return pos;
}

// The end of the `count` characters from pos, or of the text.
size_t charactersOn(const char* text, size_t size, size_t pos, size_t count) {
    for (; count > 0 && pos < size; --count)
        pos += engine::characterLength(text, size, pos);
    return pos;
}

} // namespace

bool scanBinaryText(const engine::CompiledPattern& pattern, engine::ByteSource& source,
                    int32_t maxMatchLen, engine::ReadBuffer& buffer, const BinaryScanLimits& limits,
                    const std::atomic<bool>* cancel, const BinaryMatchSink& sink) {
    // However large MaxMatchLen is, the overlap (and so the memory) is not:
    // matches up to a quarter of a window are found exactly.
    const size_t longest = static_cast<size_t>(std::max(maxMatchLen, 0));
    const size_t exact = std::min(longest, limits.windowSize / 4);
    const size_t overlap = exact + OverlapMargin;
    const size_t window = std::max(limits.windowSize, 4 * (overlap + WindowContext));
    if (buffer.size() != window) buffer.resize(window, 0);
    engine::MemoryMatches matches(pattern, cancel);
    int64_t windowOffset = 0; // where the buffer's first byte lies in the text
    size_t filled = 0;
    size_t resume = 0; // where the next search starts
    for (;;) {
        bool final = false;
        while (filled < window && !final) {
            // Stripped text can come back shorter than asked: only 0 ends it.
            const size_t n = source.read(buffer.data() + filled, window - filled);
            final = n == 0;
            filled += n;
        }
        const std::string_view text(buffer.data(), filled);
        const size_t acceptLimit = final ? filled : filled - overlap;
        const size_t searchLimit = final ? filled : filled - 1; // the last byte is context
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed)) return false;
            const std::optional<engine::Span> match = matches.next(text, resume, searchLimit);
            if (!match) {
                resume = std::max(resume, acceptLimit);
                break;
            }
            if (!final && match->start >= acceptLimit) {
                // The next window finds this match again, with more text
                // after it; resuming anywhere else could land inside a
                // character that the search had stepped over.
                resume = match->start;
                matches.findAgain();
                break;
            }
            if (match->end - match->start <= longest &&
                !sink({text, match->start, match->end, windowOffset}))
                return false;
            resume = match->end;
        }
        if (final) return true;
        const size_t keepFrom = resume > WindowContext ? resume - WindowContext : 0;
        std::memmove(buffer.data(), buffer.data() + keepFrom, filled - keepFrom);
        filled -= keepFrom;
        resume -= keepFrom;
        windowOffset += int64_t(keepFrom);
        matches.dropFront(keepFrom);
    }
}

std::optional<int64_t> countBinaryMatches(GrepEngine& engine, engine::ByteSource& file,
                                          const std::string& pattern, int caseFlag,
                                          int32_t maxMatchLen, const std::atomic<bool>* cancel,
                                          const BinaryScanLimits& limits) {
    RGrepState state;
    if (engine.CompileRGrep(pattern, caseFlag, state) != 0) return 0;
    // NUL becomes byte 1 only where the pattern could tell the two apart.
    BinaryText text(file, {state.pattern->distinguishesControlBytes(), false, -1});
    int64_t count = 0;
    const bool complete = scanBinaryText(*state.pattern, text, maxMatchLen, engine.scanBuffer(),
                                         limits, cancel, [&](const BinaryMatch&) {
                                             ++count;
                                             return true;
                                         });
    if (!complete) return std::nullopt;
    return count;
}

int64_t countBinaryMatches(GrepEngine& engine, int fd, const std::string& pattern, int caseFlag,
                           int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits) {
    if (fd < 0) return 0;
    engine::FileSource file(fd, false);
    return countBinaryMatches(engine, file, pattern, caseFlag, maxMatchLen, cancel, limits)
        .value_or(0);
}

int64_t countBinaryMatches(GrepEngine& engine, const std::string& path, const std::string& pattern,
                           int caseFlag, int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits) {
    const int fd = openRegularFile(path);
    if (fd < 0) return 0;
    engine::FileSource file(fd, true);
    return countBinaryMatches(engine, file, pattern, caseFlag, maxMatchLen, cancel, limits)
        .value_or(0);
}

size_t listedBytes(const MatchLine& row) {
    return sizeof(MatchLine) + row.LineNumber.size() + row.Text.size() +
           sizeof(MatchSpan) * row.Spans.size();
}

std::vector<MatchLine> listBinaryMatches(GrepEngine& engine, const std::string& path, int64_t size,
                                         const std::string& pattern, int caseFlag,
                                         int32_t maxMatches, int32_t maxMatchLen,
                                         const BinaryScanLimits& limits,
                                         const std::atomic<bool>* cancel) {
    std::vector<MatchLine> rows;
    RGrepState state;
    if (maxMatches <= 0 || engine.CompileRGrep(pattern, caseFlag, state) != 0) return rows;
    const int fd = openRegularFile(path);
    if (fd < 0) return rows; // a vanished file: an empty text, so no rows
    engine::FileSource file(fd, true);
    BinaryText text(file, {false, true, std::max<int64_t>(size, 0)});
    size_t held = 0;
    scanBinaryText(
        *state.pattern, text, maxMatchLen, engine.scanBuffer(), limits, cancel,
        [&](const BinaryMatch& match) {
            const char* data = match.window.data();
            const size_t from = charactersBack(data, match.start, SnippetReach);
            const size_t to = charactersOn(data, match.window.size(), match.end, SnippetReach);
            MatchLine row{std::string(), std::string(data + from, to - from)};
            if (match.end > match.start)
                row.Spans.push_back({uint32_t(match.start - from), uint32_t(match.end - from)});
            held += listedBytes(row);
            rows.push_back(std::move(row));
            return rows.size() < static_cast<size_t>(maxMatches) && held < MaxListedBytes;
        });
    return rows;
}

} // namespace ferrolux
