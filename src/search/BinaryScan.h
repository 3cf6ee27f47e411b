#pragma once

#include "search/FileResult.h"

#include <atomic>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

class GrepEngine;
namespace engine {
class ByteSource;
}

// Buffer sizes of the binary scan; tests shrink them to reach window
// boundaries with small files.
struct BinaryScanLimits {
    size_t windowSize = size_t(1) << 20; // a larger file is searched in windows
};

// The match count of a binary file: every leftmost match, each search going
// on from the end of the previous one, that is no longer than maxMatchLen.
// A WordPerfect document (FF "WPC") has its bytes 0x80 and 0xCF read as
// blanks. Files larger than the window are searched in windows that overlap
// by more than maxMatchLen (up to a quarter of a window, whatever
// maxMatchLen is, so that memory stays bounded), so each counted match is
// found exactly once; a match longer than the overlap can end a search step
// elsewhere than in one pass over the whole file, which may change the
// matches after it.
// The fd version reads from offset 0 and leaves the descriptor open; the
// source version reads the file's bytes from the source, from their start,
// and gives nothing when cancel stopped it before the end (the others 0).
std::optional<int32_t> countBinaryMatches(GrepEngine& engine, engine::ByteSource& file,
                                          const std::string& pattern, int caseFlag,
                                          int32_t maxMatchLen, const std::atomic<bool>* cancel,
                                          const BinaryScanLimits& limits = {});
int32_t countBinaryMatches(GrepEngine& engine, int fd, const std::string& pattern, int caseFlag,
                           int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits = {});
int32_t countBinaryMatches(GrepEngine& engine, const std::string& path, const std::string& pattern,
                           int caseFlag, int32_t maxMatchLen, const std::atomic<bool>* cancel,
                           const BinaryScanLimits& limits = {});

// The match rows of a binary file: of its first `size` bytes, with the
// WordPerfect rule applied and the control characters 0-8, 11 and 14-31
// deleted, each match no longer than maxMatchLen gives a row with an empty
// line number and the text from 30 characters before the match to 30 after
// it (clipped to the text; a valid UTF-8 sequence is one character, any
// other byte is one); at most maxMatches rows, and no more once the rows
// hold 64 MiB.
std::vector<MatchLine> listBinaryMatches(GrepEngine& engine, const std::string& path, int64_t size,
                                         const std::string& pattern, int caseFlag,
                                         int32_t maxMatches, int32_t maxMatchLen,
                                         const BinaryScanLimits& limits = {});

} // namespace ferrolux
