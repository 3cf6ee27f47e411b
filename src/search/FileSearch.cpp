#include "search/FileSearch.h"

#include "engine/ByteSource.h"
#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/BinaryScan.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {

// What the first read of a file showed.
struct FirstLook {
    bool done = false;
    bool binary = false;
    int error = 0; // the first read failed
};

namespace {

constexpr size_t kClassifyBytes = 100;
// The first read of a file: most files are read whole by it, and a binary
// file costs no more than this before the binary search takes over.
constexpr size_t kFirstRead = size_t(64) << 10;

// Codes below 32 other than tab, LF and CR mark a binary file.
bool looksBinary(const char* bytes, size_t count) {
    for (size_t i = 0; i < std::min(count, kClassifyBytes); ++i) {
        const auto b = static_cast<unsigned char>(bytes[i]);
        if (b < 32 && b != 9 && b != 10 && b != 13) return true;
    }
    return false;
}

// read(2) until `size` bytes, the end of the file or an error (-1).
ssize_t readFully(int fd, char* into, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t n = ::read(fd, into + total, size - total);
        if (n < 0 && errno == EINTR) continue;
        // Files are opened without blocking, which Linux ignores for regular
        // files; should a file system heed it, reads block from then on.
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK) &&
            ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) == 0)
            continue;
        if (n < 0) return total > 0 ? ssize_t(total) : -1;
        if (n == 0) break;
        total += size_t(n);
    }
    return ssize_t(total);
}

// The bytes of a file for the line search, read straight into the search's
// buffer. The first read also tells text from binary: a binary file, or a
// text file the type filter leaves out, ends there (the binary search reads
// the file again from its start). A file is read up to the size it had when
// it was opened, so that no read is spent on finding its end.
class ClassifyingSource : public engine::ByteSource {
public:
    ClassifyingSource(int fd, int64_t size, bool searchText, FirstLook& look)
        : fd_(fd), left_(size > 0 ? size : -1), searchText_(searchText), look_(look) {}

    size_t read(char* into, size_t size) override {
        if (look_.done) return readOn(into, size);
        const size_t first = readOn(into, std::min(size, kFirstRead));
        look_.done = true;
        if (look_.error) return 0;
        look_.binary = looksBinary(into, first);
        if (look_.binary || !searchText_) {
            ended_ = true;
            return 0;
        }
        return first == std::min(size, kFirstRead) ? first + readOn(into + first, size - first)
                                                   : first;
    }

private:
    size_t readOn(char* into, size_t size) {
        if (left_ >= 0) size = size_t(std::min<int64_t>(int64_t(size), left_));
        if (size == 0 || ended_) return 0;
        const ssize_t n = readFully(fd_, into, size);
        if (n < 0 && !look_.done) look_.error = errno;
        if (n <= 0) {
            ended_ = true;
            return 0;
        }
        if (left_ >= 0) left_ -= n;
        return size_t(n);
    }

    int fd_;
    int64_t left_; // bytes still to read; -1 when the size is not known
    bool ended_ = false;
    bool searchText_;
    FirstLook& look_;
};

} // namespace

FileSearch::FileSearch(std::string pattern, int32_t maxMatchLen, const std::atomic<bool>* canceled)
    : pattern_(std::move(pattern)), maxMatchLen_(maxMatchLen), canceled_(canceled) {}

FileOutcome FileSearch::search(const std::string& path, const FileSearchOptions& options) {
    FileOutcome outcome;
    if (canceled()) return outcome;
    // Never blocks on a FIFO or device that took a regular file's place.
    const UniqueFd fd(openPath(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (!fd || ::fstat(fd.get(), &info) != 0) return unreadable(errno);
    if (!S_ISREG(info.st_mode)) return unreadable(EINVAL);
    if (options.archive) return recogniseArchive(fd.get());

    outcome.size = info.st_size;
    outcome.modified = info.st_mtim.tv_sec;
    FirstLook look;
    const int32_t textMatches = countText(fd.get(), info.st_size, options, look);
    if (look.error) return unreadable(look.error);
    outcome.binary = look.binary;
    if (!(outcome.binary ? options.binaryFiles : options.textFiles)) {
        outcome.kind = FileOutcome::Kind::Filtered;
        return outcome;
    }
    outcome.kind = FileOutcome::Kind::Searched;
    outcome.matches = outcome.binary ? countBinary(fd.get(), options.caseSensitive) : textMatches;
    // A file cut short by Stop was not searched to its end.
    outcome.cutShort = canceled();
    return outcome;
}

FileOutcome FileSearch::unreadable(int error) {
    FileOutcome outcome;
    outcome.kind = FileOutcome::Kind::Unreadable;
    outcome.error = error;
    return outcome;
}

// An archive is queued for the Zip phase when it starts with "PK".
FileOutcome FileSearch::recogniseArchive(int fd) {
    FileOutcome outcome;
    char magic[2] = {};
    const ssize_t got = readFully(fd, magic, sizeof magic);
    if (got < 0) return unreadable(errno);
    outcome.kind = FileOutcome::Kind::Archive;
    outcome.queueArchive = got == 2 && magic[0] == 'P' && magic[1] == 'K';
    return outcome;
}

// Counts the matching lines while the first read classifies the file; a
// binary or filtered file yields no count here.
int32_t FileSearch::countText(int fd, int64_t size, const FileSearchOptions& options,
                              FirstLook& look) {
    const engine::PatternHandle& pattern = linePattern(options.caseSensitive);
    auto source = std::make_unique<ClassifyingSource>(fd, size, options.textFiles, look);
    if (!pattern) { // a pattern the engine refuses finds nothing
        char head[kClassifyBytes];
        source->read(head, sizeof head);
        return 0;
    }
    return engine_.searcher().countLines(pattern, std::move(source), canceled_).value_or(0);
}

int32_t FileSearch::countBinary(int fd, bool caseSensitive) {
    ::fcntl(fd, F_SETFL, 0); // the binary search reads without retrying
    return countBinaryMatches(engine_, fd, pattern_, caseSensitive ? GrepTrue : GrepFalse,
                              maxMatchLen_, canceled_);
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

int defaultSearchThreads() {
    return int(std::max(1u, std::thread::hardware_concurrency()));
}

} // namespace ferrolux
