#include "search/FileSearch.h"

#include "engine/ByteSource.h"
#include "platform/posix/Descriptors.h"
#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/BinaryScan.h"
#include "search/TextDecoding.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {
namespace {

constexpr size_t kClassifyBytes = 100;
// The first read of a file: enough for most files whole, so that the
// classification read is also the search's first read.
constexpr size_t kHeadBytes = size_t(64) << 10;

// Codes below 32 other than tab, LF and CR mark a binary file.
bool looksBinary(const char* bytes, size_t count) {
    for (size_t i = 0; i < std::min(count, kClassifyBytes); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 32 && b != 9 && b != 10 && b != 13) return true;
    }
    return false;
}

size_t pageSize() {
    static const size_t size = size_t(::sysconf(_SC_PAGESIZE));
    return size;
}

// read(2) until `size` bytes, the end of the file or an error (-1).
ssize_t readFully(int fd, char* into, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd, into + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return total > 0 ? ssize_t(total) : -1;
        if (n == 0) break;
        total += size_t(n);
    }
    return ssize_t(total);
}

} // namespace

// A file opened for the search, with its first bytes read already.
class FileSearch::OpenedFile {
public:
    ~OpenedFile() { close(); }

    void close() {
        if (!fd) return;
        const int error = errno;
        fd.reset();
        descriptorReturned(); // a walk may wait for one
        errno = error;
    }

    UniqueFd fd;
    struct stat info {};
    const char* head = nullptr;
    size_t headSize = 0;
    Utf16Order utf16 = Utf16Order::None;
    size_t preRead = 0;       // bytes of its start in the head buffer already
    bool probed = false;      // a read that would not wait was tried (see readsWhole)
    bool notInMemory = false; // and found none of it in memory
    bool statusLater = false; // read whole before its status was asked (see readsWhole)

    // Whether the head holds the whole file as its size said when opened;
    // a file that grows meanwhile is searched as it was then.
    bool headIsAll() const {
        return info.st_size > 0 ? int64_t(headSize) >= info.st_size : headSize < kHeadBytes;
    }
};

namespace {

// The bytes of an opened file: its head first, then the rest as read(2)
// delivers it, up to the size it had when it was opened.
class HeadThenRest : public engine::ByteSource {
public:
    HeadThenRest(int fd, const char* head, size_t headSize, bool headIsAll, int64_t size)
        : fd_(fd), head_(head), headLeft_(headSize), done_(headIsAll),
          left_(size > 0 ? size - int64_t(headSize) : -1) {}

    size_t read(char* into, size_t size) override {
        size_t given = std::min(size, headLeft_);
        std::memcpy(into, head_, given);
        head_ += given;
        headLeft_ -= given;
        if (headLeft_ == 0 && given < size && !done_) given += readRest(into + given, size - given);
        return given;
    }

private:
    size_t readRest(char* into, size_t size) {
        if (left_ >= 0) size = size_t(std::min<int64_t>(int64_t(size), left_));
        const ssize_t n = size > 0 ? readFully(fd_, into, size) : 0;
        if (n <= 0) {
            done_ = true;
            return 0;
        }
        if (left_ >= 0) left_ -= n;
        done_ = left_ == 0;
        return size_t(n);
    }

    int fd_;
    const char* head_;
    size_t headLeft_;
    bool done_;
    int64_t left_; // bytes still to read; -1 when the size is not known
};

// The bytes after the head, or -1 when the size is not known.
int64_t restSize(int64_t size, size_t headSize) {
    return size > 0 ? size - int64_t(headSize) : -1;
}

} // namespace

FileSearch::FileSearch(std::string pattern, int32_t maxMatchLen, const std::atomic<bool>* canceled)
    : pattern_(std::move(pattern)), maxMatchLen_(maxMatchLen), canceled_(canceled),
      head_(new char[kHeadBytes]) {}

FileOutcome FileSearch::search(const std::string& path, const FileSearchOptions& options) {
    if (canceled()) return {};
    // Never blocks: a FIFO or device that took a regular file's place is
    // refused, and a read that would wait (/proc/kmsg) fails with EAGAIN.
    OpenedFile file;
    file.fd.reset(openWaitingForDescriptor([&] { return openRegularFile(path, file.info); }));
    return searchOpenedOrTell(file, std::string_view(path).substr(path.rfind('/') + 1), options);
}

// A listed file is most often small and in memory: one read settles it, and
// its status is asked only when it makes a row.
FileOutcome FileSearch::searchAt(int dirFd, const char* name, const FileSearchOptions& options,
                                 std::optional<dev_t> folderDevice) {
    if (canceled()) return {};
    OpenedFile file;
    if (!folderDevice || fileSystemOf(*folderDevice, dirFd) != FileSystemKind::Stored) {
        file.fd.reset(
            openWaitingForDescriptor([&] { return openRegularFileAt(dirFd, name, file.info); }));
        return searchOpenedOrTell(file, name, options);
    }
    file.fd.reset(openWaitingForDescriptor([&] { return openEntryAt(dirFd, name); }));
    if (!file.fd && errno == ELOOP) {
        // A link: followed, to a regular file only.
        file.fd.reset(
            openWaitingForDescriptor([&] { return openRegularFileAt(dirFd, name, file.info); }));
    } else if (file.fd && !(!options.archive && readsWhole(file)) && !takeStatus(file)) {
        file.close();
    }
    if (file.statusLater) return searchOpened(file, options); // in a stored folder
    return searchOpenedOrTell(file, name, options);
}

// One read at offset 0 that does not wait. A FIFO or terminal cannot be read
// at an offset and the kernel's files never read without waiting, so nothing
// is taken from them. When the bytes end within a page, short of the head,
// the file ended there: it is read whole. Else the bytes are kept and the
// file is read on after them.
bool FileSearch::readsWhole(OpenedFile& file) {
    iovec part{head_.get(), kHeadBytes};
    const ssize_t n = ::preadv2(file.fd.get(), &part, 1, 0, RWF_NOWAIT);
    file.probed = true;
    file.notInMemory = n < 0 && errno == EAGAIN;
    if (n <= 0) return false;
    if (size_t(n) < kHeadBytes && size_t(n) % pageSize() != 0) {
        file.preRead = size_t(n);
        file.info.st_size = n;
        file.statusLater = true;
        return true;
    }
    if (::lseek(file.fd.get(), n, SEEK_SET) == n) file.preRead = size_t(n);
    return false;
}

// The status of a file opened by openEntryAt: false, with errno set, for
// anything but a regular file.
bool FileSearch::takeStatus(OpenedFile& file) {
    if (::fstat(file.fd.get(), &file.info) != 0) return false;
    if (S_ISREG(file.info.st_mode)) return true;
    errno = EINVAL;
    return false;
}

// Searches a file that was opened, or tells why it could not be (errno) or
// must not be read.
FileOutcome FileSearch::searchOpenedOrTell(OpenedFile& file, std::string_view name,
                                           const FileSearchOptions& options) {
    FileOutcome outcome;
    if (!file.fd) {
        outcome.kind = FileOutcome::Kind::Unreadable;
        outcome.error = errno;
    } else if (isKernelStreamFile(file, name)) {
        outcome.kind = FileOutcome::Kind::StreamFile;
    } else {
        outcome = searchOpened(file, options);
    }
    return outcome;
}

// fd: any descriptor on that device.
FileSystemKind FileSearch::fileSystemOf(dev_t device, int fd) {
    if (!deviceKnown_ || device != device_) {
        device_ = device;
        fileSystem_ = fileSystemKind(fd);
        deviceKnown_ = true;
    }
    return fileSystem_;
}

// Decided before the first read: one read of the kernel log takes its
// messages from everyone else.
bool FileSearch::isKernelStreamFile(const OpenedFile& file, std::string_view name) {
    if (fileSystemOf(file.info.st_dev, file.fd.get()) == FileSystemKind::Stored) return false;
    return isKernelStream({fileSystem_, ::lseek(file.fd.get(), 0, SEEK_CUR) >= 0, name});
}

FileOutcome FileSearch::searchOpened(OpenedFile& file, const FileSearchOptions& options) {
    FileOutcome outcome;
    const bool archive = options.archive;
    const size_t want =
        archive ? 2
                : (file.info.st_size > 0 ? size_t(std::min<int64_t>(file.info.st_size, kHeadBytes))
                                         : kHeadBytes);
    const ssize_t got = readHead(file, want, outcome.fromDisk);
    if (got < 0) {
        outcome.kind = FileOutcome::Kind::Unreadable;
        outcome.error = errno;
        return outcome;
    }
    file.head = head_.get();
    file.headSize = size_t(got);
    if (archive) {
        outcome.kind = FileOutcome::Kind::Archive;
        outcome.queueArchive = got == 2 && file.head[0] == 'P' && file.head[1] == 'K';
        return outcome;
    }
    // A UTF-16 byte-order mark makes a text file, whatever its NULs say.
    file.utf16 = utf16OrderOf({file.head, file.headSize});
    outcome.binary = file.utf16 == Utf16Order::None && looksBinary(file.head, file.headSize);
    if (!(outcome.binary ? options.binaryFiles : options.textFiles)) {
        outcome.kind = FileOutcome::Kind::Filtered;
        return outcome;
    }
    outcome.kind = FileOutcome::Kind::Searched;
    outcome.size = file.info.st_size;
    outcome.modified = file.info.st_mtim.tv_sec;
    // A file cut short by Stop was not searched to its end. Only the count
    // tells: Stop raised after a complete count must not take the row away.
    const std::optional<int64_t> matches = outcome.binary ? countBinary(file, options.caseSensitive)
                                                          : countText(file, options.caseSensitive);
    outcome.cutShort = !matches;
    outcome.matches = matches.value_or(0);
    if (file.statusLater && outcome.matches > 0) {
        // Its row needs its size and time; what is not a regular file (put in
        // the listed file's place) is turned away as when opened.
        if (!takeStatus(file)) return FileOutcome{FileOutcome::Kind::Unreadable, errno};
        outcome.size = file.info.st_size;
        outcome.modified = file.info.st_mtim.tv_sec;
    }
    return outcome;
}

// The first read asks the page cache alone: a file not in memory yet is
// told as coming from the disk, so that the search can read ahead; it is
// then read as usual. Kernel files are read as they are.
ssize_t FileSearch::readHead(OpenedFile& file, size_t want, bool& fromDisk) {
    size_t got = std::min(file.preRead, want);
    fromDisk = file.notInMemory || (got > 0 && got < want); // a part was in memory
    if (got == want) return ssize_t(got);
    if (!file.probed && fileSystem_ == FileSystemKind::Stored) {
        iovec part{head_.get(), want};
        const ssize_t n = ::preadv2(file.fd.get(), &part, 1, -1, RWF_NOWAIT);
        if (n >= 0) got = size_t(n);
        const bool whole = n >= 0 && (got == want || int64_t(got) >= file.info.st_size);
        fromDisk = (n < 0 && errno == EAGAIN) || (n >= 0 && !whole);
        if (whole) return n;
    }
    const ssize_t rest = readFully(file.fd.get(), head_.get() + got, want - got);
    if (rest < 0) return got > 0 ? ssize_t(got) : -1;
    return ssize_t(got) + rest;
}

const engine::PatternHandle& FileSearch::linePattern(bool caseSensitive) {
    const int which = caseSensitive ? 1 : 0;
    if (!compiled_[which]) {
        std::string error;
        linePatterns_[which] = engine::compileForLines(pattern_, caseSensitive, error);
        compiled_[which] = true;
    }
    return linePatterns_[which];
}

std::optional<int64_t> FileSearch::countText(OpenedFile& file, bool caseSensitive) {
    const engine::PatternHandle& pattern = linePattern(caseSensitive);
    if (!pattern) return 0; // a pattern the engine refuses finds nothing
    if (file.utf16 != Utf16Order::None) {
        auto source = std::make_unique<Utf16Source>(
            std::make_unique<HeadThenRest>(file.fd.get(), file.head, file.headSize,
                                           file.headIsAll(), file.info.st_size),
            file.utf16);
        return engine_.searcher().countLines(pattern, std::move(source), canceled_);
    }
    // The head is searched where it lies; only the rest is read.
    std::unique_ptr<engine::ByteSource> rest;
    if (!file.headIsAll())
        rest = std::make_unique<HeadThenRest>(file.fd.get(), file.head + file.headSize, 0, false,
                                              restSize(file.info.st_size, file.headSize));
    return engine_.searcher().countLines(pattern, {file.head, file.headSize}, std::move(rest),
                                         canceled_);
}

std::optional<int64_t> FileSearch::countBinary(OpenedFile& file, bool caseSensitive) {
    HeadThenRest bytes(file.fd.get(), file.head, file.headSize, file.headIsAll(),
                       file.info.st_size);
    return countBinaryMatches(engine_, bytes, pattern_, caseSensitive ? GrepTrue : GrepFalse,
                              maxMatchLen_, canceled_);
}

int defaultSearchThreads() {
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace ferrolux
