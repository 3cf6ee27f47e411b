#include "search/BinaryScan.h"

#include "engine/ByteSource.h"
#include "engine/CompiledPattern.h"
#include "platform/posix/OpenPath.h"
#include "search/GrepEngine.h"

#include <algorithm>
#include <bitset>
#include <cstring>
#include <functional>
#include <unistd.h>

namespace ferrolux {

namespace {

constexpr size_t SnippetReach = 30;
constexpr size_t WindowContext = 64; // kept before the resume point: ^, \< and snippets
constexpr size_t OverlapMargin = 128;
constexpr size_t KeptBuffer = size_t(8) << 20; // a larger window buffer is not kept

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

// Called with the searched text and the bounds of each match no longer than
// maxMatchLen; returns false to stop.
using MatchSink = std::function<bool(const char* text, size_t size, size_t start, size_t end)>;

// Runs the leftmost-match loop over the text in windows. A match is taken
// from a window only when it starts before the window's last `overlap` bytes
// (or the window reaches the end of the text); the next window starts a
// little before the resume point, so context and snippets stay available.
void scanWindows(GrepEngine& engine, RGrepState& state, engine::ByteSource& source,
                 int64_t expectedSize, int32_t maxMatchLen, const BinaryScanLimits& limits,
                 const std::atomic<bool>* cancel, const MatchSink& sink) {
    const size_t overlap = static_cast<size_t>(std::max(maxMatchLen, 0)) + OverlapMargin;
    engine::ReadBuffer& buffer = engine.scanBuffer();
    // Sized to the file when it fits in one window; a file that grows
    // meanwhile is still read whole, in windows. The engine's buffer is
    // reused from file to file.
    size_t window = limits.windowSize;
    if (expectedSize >= 0 && static_cast<uint64_t>(expectedSize) < window)
        window = static_cast<size_t>(expectedSize) + 1;
    window = std::max(window, 4 * (overlap + WindowContext));
    if (buffer.size() < window || buffer.size() > std::max(window, KeptBuffer))
        buffer.resize(window, 0);
    size_t filled = 0;
    size_t resume = 0;      // where the next search starts
    bool lastEmpty = false; // the last match taken was empty and ended at `resume`
    for (;;) {
        bool final = false;
        while (filled < window && !final) {
            // Stripped text can come back shorter than asked: only 0 ends it.
            const size_t n = source.read(buffer.data() + filled, window - filled);
            final = n == 0;
            filled += n;
        }
        const char* text = buffer.data();
        const std::string_view view(text, filled);
        const size_t acceptLimit = final ? filled : filled - overlap;
        const size_t searchLimit = final ? filled : filled - 1; // the last byte is context
        // The buffer holds new text: only the resume point carries over.
        state.matchStart = state.matchEnd = lastEmpty ? text + resume : nullptr;
        state.checkedLineStart = state.checkedLineEnd = nullptr;
        for (;;) {
            if (cancel && cancel->load(std::memory_order_relaxed)) return;
            if (!engine.RGrep(view, text + resume, text + searchLimit, state)) {
                resume = std::max(resume, acceptLimit);
                lastEmpty = false;
                break;
            }
            const auto start = static_cast<size_t>(state.matchStart - text);
            const auto end = static_cast<size_t>(state.matchEnd - text);
            if (!final && start >= acceptLimit) {
                // The next window finds this match again, with more text
                // after it; resuming anywhere else could land inside a
                // character that the search had stepped over.
                resume = start;
                lastEmpty = false;
                break;
            }
            if (end - start <= static_cast<size_t>(std::max(maxMatchLen, 0)) &&
                !sink(text, filled, start, end))
                return;
            resume = end;
            lastEmpty = start == end;
        }
        if (final) return;
        const size_t keepFrom = resume > WindowContext ? resume - WindowContext : 0;
        std::memmove(buffer.data(), buffer.data() + keepFrom, filled - keepFrom);
        filled -= keepFrom;
        resume -= keepFrom;
    }
}

int32_t countMatches(GrepEngine& engine, engine::ByteSource& file, int64_t expectedSize,
                     const std::string& pattern, int caseFlag, int32_t maxMatchLen,
                     const std::atomic<bool>* cancel, const BinaryScanLimits& limits) {
    RGrepState state;
    if (engine.CompileRGrep(pattern, caseFlag, state) != 0) return 0;
    // NUL becomes byte 1 only where the pattern could tell the two apart.
    BinaryText text(file, {state.pattern->distinguishesControlBytes(), false, -1});
    int32_t count = 0;
    scanWindows(engine, state, text, expectedSize, maxMatchLen, limits, cancel,
                [&](const char*, size_t, size_t, size_t) {
                    ++count;
                    return true;
                });
    return count;
}

} // namespace

int32_t countBinaryMatches(GrepEngine& engine, int fd, const std::string& pattern, int caseFlag,
                           int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits) {
    if (fd < 0) return 0;
    engine::FileSource file(fd, false);
    return countMatches(engine, file, engine::fileSize(fd), pattern, caseFlag, maxMatchLen, cancel,
                        limits);
}

int32_t countBinaryMatches(GrepEngine& engine, const std::string& path, const std::string& pattern,
                           int caseFlag, int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits) {
    const int fd = openRegularFile(path);
    if (fd < 0) return 0;
    engine::FileSource file(fd, true);
    return countMatches(engine, file, engine::fileSize(fd), pattern, caseFlag, maxMatchLen, cancel,
                        limits);
}

std::vector<MatchLine> listBinaryMatches(GrepEngine& engine, const std::string& path, int64_t size,
                                         const std::string& pattern, int caseFlag,
                                         int32_t maxMatches, int32_t maxMatchLen,
                                         const BinaryScanLimits& limits) {
    std::vector<MatchLine> rows;
    RGrepState state;
    if (maxMatches <= 0 || engine.CompileRGrep(pattern, caseFlag, state) != 0) return rows;
    const int fd = openRegularFile(path);
    if (fd < 0) return rows; // a vanished file: an empty text, so no rows
    engine::FileSource file(fd, true);
    BinaryText text(file, {false, true, std::max<int64_t>(size, 0)});
    const int64_t fileBytes = engine::fileSize(fd);
    scanWindows(engine, state, text, fileBytes < 0 ? size : std::min(size, fileBytes), maxMatchLen,
                limits, nullptr, [&](const char* data, size_t filled, size_t start, size_t end) {
                    const size_t from = start > SnippetReach ? start - SnippetReach : 0;
                    const size_t to = std::min(filled, end + SnippetReach);
                    rows.push_back(MatchLine{std::string(), std::string(data + from, to - from)});
                    return rows.size() < static_cast<size_t>(maxMatches);
                });
    return rows;
}

} // namespace ferrolux
