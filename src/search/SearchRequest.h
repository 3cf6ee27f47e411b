#pragma once

#include <atomic>
#include <memory>
#include <string>

namespace ferrolux {

// Options that a running search reads at every directory or file, so that a
// box ticked during a search takes effect from the next directory or file.
// The window updates them when a box changes; the search may run elsewhere.
struct LiveOptions {
    std::atomic<bool> IncludeSubdirectories{false};
    std::atomic<bool> CaseSensitive{false};
    std::atomic<bool> SearchZipFiles{false};
    std::atomic<bool> TextFiles{true};
    std::atomic<bool> BinaryFiles{true};
};

// What one press of Search asks for.
struct SearchRequest {
    std::string SearchText;     // UTF-8, as typed
    std::string FileSpecs;      // comma-separated masks, as typed
    std::string StartDirectory; // bytes
    std::string FoldersToSkip;  // comma-separated folder masks the walk leaves out
    bool WholeWords = false;
    bool Literal = false;
    bool ListedFilesOnly = false;
    // Also tar, 7z and RAR archives, while Zip files are searched.
    bool SearchArchives = false;
    std::shared_ptr<LiveOptions> live = std::make_shared<LiveOptions>();
};

} // namespace ferrolux
