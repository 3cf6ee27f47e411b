#pragma once

#include "platform/posix/UniqueFd.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace ferrolux {

// Keeps the disk busy ahead of the search when the files come from the disk
// rather than from memory. In walk order, the files the walk reports are
// handed to the kernel to read (posix_fadvise WILLNEED), a bounded number
// of bytes ahead of the file being searched, and the folders it is about to
// enter are listed, so that the walk finds them in memory. A few threads do
// it, which mostly wait for the disk: the kernel reads the files without
// making them wait, but opening a file or listing a folder does. On a tree in memory it does
// nothing: it starts when a search finds a file that is not in memory, and rests again once the
// files it meets are in memory already.
class ReadAhead {
public:
    // threads: how many may wait for the disk at once; bytesAhead: how far
    // ahead of the search the reads of files may run.
    explicit ReadAhead(int threads = 1, int64_t bytesAhead = int64_t(64) << 20);
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // The walk reports file number `sequence` (counted in walk order), in
    // its open folder (null: by its path). Costs nothing while resting.
    void offer(uint64_t sequence, const std::shared_ptr<const UniqueFd>& folder,
               const std::string& path);
    // The walk listed a folder, open as `folder`, whose subdirectories it
    // will enter in this order.
    void offerFolders(const std::shared_ptr<const UniqueFd>& folder,
                      const std::vector<std::string>& subdirectories);
    // A worker starts on file `sequence`: reading it ahead is too late now.
    void reached(uint64_t sequence);
    // A file's first read had to wait for the disk.
    void fromDisk();

    // The files looked at (in memory or not) and those handed to the kernel
    // so far, and whether the bound on bytes holds the reading of files back
    // now (for tests and benchmarks).
    uint64_t filesLookedAt() const { return filesLookedAt_.load(); }
    uint64_t filesReadAhead() const { return filesReadAhead_.load(); }
    uint64_t foldersReadAhead() const { return foldersReadAhead_.load(); }
    bool waitingForRoom() const { return waitingForRoom_.load(); }

private:
    struct Entry {
        uint64_t sequence = 0; // a file's, in walk order
        std::shared_ptr<const UniqueFd> folder;
        std::string path; // a file's path, or the name of a subdirectory of folder
        bool isFolder = false;
    };
    struct Issued {
        uint64_t sequence;
        int64_t bytes;
    };
    class Reader;

    bool active() const;
    bool startThreads();
    void run();
    bool roomForFiles();

    const int threadCount_;
    const int64_t bytesAhead_;
    std::atomic<uint64_t> activeUntil_{0}; // files offered before this are read ahead
    std::atomic<uint64_t> lastOffered_{0};
    std::atomic<uint64_t> reached_{0}; // the files before this one are being searched
    std::atomic<uint64_t> filesLookedAt_{0};
    std::atomic<uint64_t> filesReadAhead_{0};
    std::atomic<uint64_t> foldersReadAhead_{0};
    std::atomic<bool> waitingForRoom_{false};

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> entries_;
    std::deque<Issued> issued_;
    int64_t bytesIssued_ = 0; // of issued_
    bool stopping_ = false;
    bool threadsRefused_ = false;
    std::vector<std::thread> threads_;
};

} // namespace ferrolux
