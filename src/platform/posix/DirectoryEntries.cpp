#include "platform/posix/DirectoryEntries.h"

#include <cerrno>
#include <cstddef>
#include <dirent.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// Large enough that most folders take one call.
constexpr size_t kBufferBytes = size_t(32) << 10;

} // namespace

DirectoryEntries::DirectoryEntries() : buffer_(new char[kBufferBytes]) {}

long DirectoryEntries::fill(int fd) {
    for (;;) {
        const ssize_t got = ::getdents64(fd, buffer_.get(), kBufferBytes);
        if (got >= 0 || errno != EINTR) return long(got);
    }
}

DirectoryEntries::Entry DirectoryEntries::entryAt(long& at) const {
    const auto* record = reinterpret_cast<const dirent64*>(buffer_.get() + at);
    at += record->d_reclen;
    return {record->d_name, record->d_type};
}

} // namespace ferrolux
