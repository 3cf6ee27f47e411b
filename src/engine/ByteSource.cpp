#include "engine/ByteSource.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux::engine {

FileSource::~FileSource() {
    if (owned_ && fd_ >= 0) ::close(fd_);
}

size_t FileSource::read(char* into, size_t size) {
    size_t total = 0;
    while (total < size) {
        const ssize_t n = ::pread(fd_, into + total, size - total, offset_);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += static_cast<size_t>(n);
        offset_ += n;
    }
    return total;
}

size_t MemorySource::read(char* into, size_t size) {
    const size_t n = std::min(size, data_.size() - pos_);
    std::memcpy(into, data_.data() + pos_, n);
    pos_ += n;
    return n;
}

void ReadBuffer::resize(size_t size, size_t keep) {
    if (size == size_) return;
    std::unique_ptr<char[]> grown(new char[size]);
    if (keep > 0) std::memcpy(grown.get(), data_.get(), std::min({keep, size, size_}));
    data_ = std::move(grown);
    size_ = size;
}

int64_t fileSize(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

bool isRegularFile(int fd) {
    struct stat st {};
    return ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
}

} // namespace ferrolux::engine
