#pragma once

#include "engine/Searcher.h"
#include "platform/posix/FileSystems.h"
#include "search/GrepEngine.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>

namespace ferrolux {

// How one file is to be searched: the options as they were when the walk
// reported it, so that a box ticked during a search takes effect from the
// next file in walk order, whichever thread searches it.
struct FileSearchOptions {
    bool archive = false; // a Zip archive: queued when it starts with "PK", never searched
    bool textFiles = true;
    bool binaryFiles = true;
    bool caseSensitive = false;
};

// What became of one file.
struct FileOutcome {
    enum class Kind {
        Canceled,   // Stop came before the file was opened: ignored, not counted
        Unreadable, // could not be opened or read; `error` tells why
        StreamFile, // a kernel file whose reading takes what it delivers: not read
        Archive,    // an archive; `queueArchive` when it starts with "PK"
        Filtered,   // left out by the Text/Binary boxes: not counted
        Searched,   // counted; `cutShort` when Stop ended the count early
    };
    Kind kind = Kind::Canceled;
    int error = 0;
    bool queueArchive = false;
    bool binary = false;
    int64_t size = 0;
    int64_t modified = 0; // seconds since the epoch
    int64_t matches = 0;
    bool cutShort = false;
    bool fromDisk = false; // its first read had to wait for the disk
};

// Searches one file after another: opens it, tells text from binary by its
// first 100 bytes, applies the type filter and counts the matches. Each
// thread keeps one, as it holds the engine's buffers from file to file.
class FileSearch {
public:
    // pattern: the prepared search pattern; maxMatchLen: the longest match
    // counted in a binary file; canceled: Stop, checked between chunks.
    FileSearch(std::string pattern, int32_t maxMatchLen, const std::atomic<bool>* canceled);

    FileOutcome search(const std::string& path, const FileSearchOptions& options);
    // The same for the entry `name` of the open directory dirFd. With the
    // folder's device, a small file in memory on a stored file system is
    // settled by its first read, its status asked only when it has matches.
    FileOutcome searchAt(int dirFd, const char* name, const FileSearchOptions& options,
                         std::optional<dev_t> folderDevice = std::nullopt);

private:
    class OpenedFile;

    FileOutcome searchOpened(OpenedFile& file, const FileSearchOptions& options);
    FileOutcome searchOpenedOrTell(OpenedFile& file, std::string_view name,
                                   const FileSearchOptions& options);
    FileSystemKind fileSystemOf(dev_t device, int fd);
    bool isKernelStreamFile(const OpenedFile& file, std::string_view name);
    bool readsWhole(OpenedFile& file);
    static bool takeStatus(OpenedFile& file);
    ssize_t readHead(OpenedFile& file, size_t want, bool& fromDisk);
    std::optional<int64_t> countText(OpenedFile& file, bool caseSensitive);
    std::optional<int64_t> countBinary(OpenedFile& file, bool caseSensitive);
    const engine::PatternHandle& linePattern(bool caseSensitive);
    bool canceled() const { return canceled_ && canceled_->load(std::memory_order_relaxed); }

    std::string pattern_;
    int32_t maxMatchLen_;
    const std::atomic<bool>* canceled_;
    GrepEngine engine_;
    engine::PatternHandle linePatterns_[2]; // case-insensitive, case-sensitive
    bool compiled_[2] = {false, false};
    std::unique_ptr<char[]> head_; // the first bytes of the file, read once
    // The file system of the last device asked about: asked once per device.
    dev_t device_ = 0;
    FileSystemKind fileSystem_ = FileSystemKind::Stored;
    bool deviceKnown_ = false;
};

// The number of threads a search uses by default: one per core.
int defaultSearchThreads();

} // namespace ferrolux
