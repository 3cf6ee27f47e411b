#pragma once

#include "search/FileResult.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ferrolux {

class GrepEngine;
namespace engine {
class ByteSource;
class CompiledPattern;
class ReadBuffer;
} // namespace engine

// Buffer sizes of the binary scan; tests shrink them to reach window
// boundaries with small files.
struct BinaryScanLimits {
    size_t windowSize = size_t(1) << 20; // a larger file is searched in windows
};

// One match of the binary scan: where it lies in the window of text held
// when it was found, and where that window starts in the whole text.
struct BinaryMatch {
    std::string_view window;
    size_t start = 0;
    size_t end = 0;
    int64_t windowOffset = 0;
};
// Takes a match; false stops the scan.
using BinaryMatchSink = std::function<bool(const BinaryMatch& match)>;

// The leftmost-match loop over a text of any size, each search going on
// from the end of the previous match: every match no longer than
// maxMatchLen goes to the sink, in order. The text is read from the source
// into the buffer (the caller's, so that one serves many files) in windows
// that overlap by more than maxMatchLen (up to a quarter of a window,
// whatever maxMatchLen is, so that memory stays bounded), so each such
// match is found exactly once, with context for ^, $, word boundaries and
// '&' around it; a match longer than the overlap can end a search step
// elsewhere than in one pass over the whole text, which may change the
// matches after it. False when cancel or the sink stopped it.
bool scanBinaryText(const engine::CompiledPattern& pattern, engine::ByteSource& text,
                    int32_t maxMatchLen, engine::ReadBuffer& buffer, const BinaryScanLimits& limits,
                    const std::atomic<bool>* cancel, const BinaryMatchSink& sink);

// The match count of a binary file: every leftmost match, each search going
// on from the end of the previous one, that is no longer than maxMatchLen.
// A WordPerfect document (FF "WPC") has its bytes 0x80 and 0xCF read as
// blanks. Files larger than the window are searched by scanBinaryText.
// The fd version reads from offset 0 and leaves the descriptor open; the
// source version reads the file's bytes from the source, from their start,
// and gives nothing when cancel stopped it before the end (the others 0).
std::optional<int64_t> countBinaryMatches(GrepEngine& engine, engine::ByteSource& file,
                                          const std::string& pattern, int caseFlag,
                                          int32_t maxMatchLen, const std::atomic<bool>* cancel,
                                          const BinaryScanLimits& limits = {});
int64_t countBinaryMatches(GrepEngine& engine, int fd, const std::string& pattern, int caseFlag,
                           int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits = {});
int64_t countBinaryMatches(GrepEngine& engine, const std::string& path, const std::string& pattern,
                           int caseFlag, int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits = {});

// The rows of one listing hold at most about this many bytes, however many
// matches MaxMatches allows: a listing ends with the row that reaches it.
// The match list then says how many of the file's matches it holds.
constexpr size_t MaxListedBytes = size_t(64) << 20;
// The bytes a listed row holds, as counted against MaxListedBytes.
size_t listedBytes(const MatchLine& row);

// The match rows of a binary file: of its first `size` bytes, with the
// WordPerfect rule applied and the control characters 0-8, 11 and 14-31
// deleted, each match no longer than maxMatchLen gives a row with an empty
// line number and the text from 30 characters before the match to 30 after
// it (clipped to the text; a valid UTF-8 sequence is one character, any
// other byte is one); at most maxMatches rows, and no more once the rows
// hold MaxListedBytes.
std::vector<MatchLine> listBinaryMatches(GrepEngine& engine, const std::string& path, int64_t size,
                                         const std::string& pattern, int caseFlag,
                                         int32_t maxMatches, int32_t maxMatchLen,
                                         const BinaryScanLimits& limits = {},
                                         const std::atomic<bool>* cancel = nullptr);

} // namespace ferrolux
