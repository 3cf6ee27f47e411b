#include "platform/zip/PartialFile.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace ferrolux {
namespace {

constexpr int maxTempNameAttempts = 100;

} // namespace

bool PartialFile::create(uint64_t index) {
    for (int attempt = 0; attempt < maxTempNameAttempts; ++attempt) {
        name_ = ".ferrolux-partial-" + std::to_string(index) + "-" + std::to_string(attempt);
        fd_ = ::openat(folderFd_, name_.c_str(),
                       O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd_ >= 0 || errno != EEXIST) break;
    }
    if (fd_ < 0) name_.clear();
    return fd_ >= 0;
}

bool PartialFile::write(const char* data, size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void PartialFile::setModificationTime(time_t time) {
    const timespec times[2] = {{time, 0}, {time, 0}};
    ::futimens(fd_, times);
}

bool PartialFile::commit(const std::string& finalName) {
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0) return false;
    if (::renameat(folderFd_, name_.c_str(), folderFd_, finalName.c_str()) != 0) return false;
    name_.clear();
    return true;
}

void PartialFile::discard() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
    if (!name_.empty()) ::unlinkat(folderFd_, name_.c_str(), 0);
    name_.clear();
}

} // namespace ferrolux
