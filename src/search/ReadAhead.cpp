#include "search/ReadAhead.h"

#include "platform/posix/DirectoryEntries.h"
#include "platform/posix/FileSystems.h"
#include "platform/posix/OpenPath.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <system_error>

namespace ferrolux {
namespace {

// After a file that was not in memory, the next this many files the walk
// reports are read ahead too.
constexpr uint64_t kActiveFiles = 1024;
// Of a large file only the start: the kernel's own read-ahead follows the
// search through the rest.
constexpr int64_t kMostPerFile = int64_t(4) << 20;
// An entry this far behind the files being searched is not worth reading.
constexpr uint64_t kTooLate = 16;
// Folders waiting to be listed ahead, at most; past it the walk lists them.
constexpr size_t kMostWaiting = 4096;

// Whether the first byte of the file is in memory; if not, the kernel
// starts reading it.
bool inMemory(int fd) {
    char byte = 0;
    iovec part{&byte, 1};
    return ::preadv2(fd, &part, 1, 0, RWF_NOWAIT) >= 0;
}

void raiseTo(std::atomic<uint64_t>& value, uint64_t atLeast) {
    uint64_t current = value.load();
    while (current < atLeast && !value.compare_exchange_weak(current, atLeast)) {
    }
}

} // namespace

// One thread's reading: files by their first bytes, folders by their entries.
class ReadAhead::Reader {
public:
    // The bytes asked for; 0 when the file is in memory already, or is not
    // one someone stored (a kernel file is never touched).
    int64_t readFile(const Entry& entry) {
        struct stat info {};
        const char* name = entry.path.c_str() + entry.path.rfind('/') + 1;
        const UniqueFd file(entry.folder ? openRegularFileAt(entry.folder->get(), name, info)
                                         : openRegularFile(entry.path, info));
        if (!file) return 0;
        if (!deviceKnown_ || info.st_dev != device_) {
            device_ = info.st_dev;
            stored_ = fileSystemKind(file.get()) == FileSystemKind::Stored;
            deviceKnown_ = true;
        }
        const int64_t bytes = std::min<int64_t>(info.st_size, kMostPerFile);
        if (!stored_ || bytes <= 0 || inMemory(file.get())) return 0;
        ::posix_fadvise(file.get(), 0, bytes, POSIX_FADV_WILLNEED);
        return bytes;
    }

    bool readFolder(const Entry& entry) {
        const UniqueFd folder(::openat(entry.folder->get(), entry.path.c_str(),
                                       O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
        return folder && entries_.read(folder.get(), [](const DirectoryEntries::Entry&) {});
    }

private:
    DirectoryEntries entries_;
    dev_t device_ = 0; // the last file's device, and whether someone stores files there
    bool stored_ = false;
    bool deviceKnown_ = false;
};

ReadAhead::ReadAhead(int threads, int64_t bytesAhead)
    : threadCount_(std::max(threads, 1)), bytesAhead_(bytesAhead) {}

ReadAhead::~ReadAhead() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_)
        thread.join();
}

bool ReadAhead::active() const {
    return lastOffered_.load(std::memory_order_relaxed) <
           activeUntil_.load(std::memory_order_relaxed);
}

void ReadAhead::offer(uint64_t sequence, const std::shared_ptr<const UniqueFd>& folder,
                      const std::string& path) {
    lastOffered_.store(sequence, std::memory_order_relaxed);
    if (!active()) return;
    const std::lock_guard lock(mutex_);
    if (!startThreads()) return;
    entries_.push_back({sequence, folder, path, false});
    wake_.notify_one();
}

void ReadAhead::offerFolders(const std::shared_ptr<const UniqueFd>& folder,
                             const std::vector<std::string>& subdirectories) {
    if (!folder || !active()) return;
    const std::lock_guard lock(mutex_);
    if (!startThreads()) return;
    for (const std::string& name : subdirectories) {
        if (entries_.size() >= kMostWaiting) break;
        entries_.push_back({0, folder, name, true});
    }
    wake_.notify_all();
}

// A thread the system refuses is not needed: fewer read ahead, or none.
bool ReadAhead::startThreads() {
    try {
        while (!threadsRefused_ && int(threads_.size()) < threadCount_)
            threads_.emplace_back([this] { run(); });
    } catch (const std::system_error&) {
        threadsRefused_ = true; // not asked again in this search
    }
    return !threads_.empty();
}

void ReadAhead::reached(uint64_t sequence) {
    raiseTo(reached_, sequence + 1);
    if (waitingForRoom_.load()) {
        const std::lock_guard lock(mutex_);
        wake_.notify_all();
    }
}

void ReadAhead::fromDisk() {
    raiseTo(activeUntil_, lastOffered_.load() + kActiveFiles);
}

void ReadAhead::run() {
    Reader reader;
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [&] { return stopping_ || !entries_.empty(); });
        if (stopping_) return;
        if (!entries_.front().isFolder && !roomForFiles()) {
            waitingForRoom_ = true;
            wake_.wait_for(lock, std::chrono::milliseconds(5));
            waitingForRoom_ = false;
            continue;
        }
        Entry entry = std::move(entries_.front());
        entries_.pop_front();
        if (!entry.isFolder && entry.sequence + kTooLate < reached_.load()) continue;
        lock.unlock();
        int64_t bytes = 0;
        if (entry.isFolder) {
            if (reader.readFolder(entry)) foldersReadAhead_.fetch_add(1);
        } else {
            bytes = reader.readFile(entry);
            if (bytes > 0) {
                filesReadAhead_.fetch_add(1);
                fromDisk(); // the disk is still behind: go on reading ahead
            }
            filesLookedAt_.fetch_add(1);
        }
        const uint64_t sequence = entry.sequence;
        entry = {}; // its folder is not held while this thread waits
        lock.lock();
        if (bytes > 0) {
            issued_.push_back({sequence, bytes});
            bytesIssued_ += bytes;
        }
    }
}

// Whether what was read ahead and not yet reached leaves room for more.
bool ReadAhead::roomForFiles() {
    while (!issued_.empty() && issued_.front().sequence < reached_.load()) {
        bytesIssued_ -= issued_.front().bytes;
        issued_.pop_front();
    }
    return bytesIssued_ < bytesAhead_;
}

} // namespace ferrolux
