#include "viewer/ViewerText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace ferrolux {
namespace {

// Reads a file from an offset on, stopping at a limit.
class FileFrom : public engine::ByteSource {
public:
    FileFrom(const FileText& file, int64_t offset) : file_(file), offset_(offset) {}

    size_t read(char* into, size_t size) override {
        const size_t n = file_.readAt(offset_, into, size);
        offset_ += int64_t(n);
        return n;
    }

private:
    const FileText& file_;
    int64_t offset_;
};

} // namespace

FileText::FileText(UniqueFd fd, int64_t limit) : fd_(std::move(fd)), limit_(limit) {}

size_t FileText::readAt(int64_t offset, char* into, size_t size) const {
    if (offset < 0) return 0;
    if (limit_ >= 0) size = size_t(std::clamp<int64_t>(limit_ - offset, 0, int64_t(size)));
    size_t total = 0;
    while (total < size) {
        const ssize_t n = ::pread(fd_.get(), into + total, size - total, offset + int64_t(total));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        total += size_t(n);
    }
    return total;
}

std::unique_ptr<engine::ByteSource> FileText::readFromStart(Pass) const {
    return readFrom(0);
}

std::unique_ptr<engine::ByteSource> FileText::readFrom(int64_t offset) const {
    return std::make_unique<FileFrom>(*this, offset);
}

size_t MemoryText::readAt(int64_t offset, char* into, size_t size) const {
    if (offset < 0 || offset >= int64_t(text_.size())) return 0;
    const size_t n = std::min(size, text_.size() - size_t(offset));
    std::memcpy(into, text_.data() + offset, n);
    return n;
}

std::unique_ptr<engine::ByteSource> MemoryText::readFromStart(Pass) const {
    return std::make_unique<engine::MemorySource>(text_);
}

} // namespace ferrolux
