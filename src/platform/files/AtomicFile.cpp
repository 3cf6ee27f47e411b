#include "platform/files/AtomicFile.h"

#include "platform/files/FilePaths.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>

namespace ferrolux {
namespace {

// Beside the target, hidden, and unique to this process and attempt.
std::string temporaryName(const std::string& target, int attempt) {
    const std::filesystem::path path(target);
    std::string name = folderOf(target) + "/." + path.filename().string() + ".tmp-";
    name.append(std::to_string(::getpid())).append("-").append(std::to_string(attempt));
    return name;
}

} // namespace

AtomicFile::AtomicFile(const std::string& path) : target_(resolveLink(path)) {}

AtomicFile::~AtomicFile() {
    discard();
}

bool AtomicFile::open() {
    constexpr int attempts = 100;
    for (int attempt = 0; attempt < attempts && !fd_; ++attempt) {
        temp_ = temporaryName(target_, attempt);
        fd_.reset(
            ::open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666));
        if (!fd_ && errno != EEXIST) break;
    }
    if (!fd_) {
        temp_.clear();
        return fail();
    }
    // A replaced file keeps its permissions.
    struct stat old;
    if (::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd_.get(), old.st_mode & 07777);
    return true;
}

bool AtomicFile::write(std::string_view bytes) {
    if (!fd_) return false;
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd_.get(), bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return fail();
        }
        bytes.remove_prefix(size_t(put));
    }
    return true;
}

bool AtomicFile::commit() {
    if (!fd_) return false;
    if (::fsync(fd_.get()) != 0) return fail();
    if (::close(fd_.release()) != 0) return fail();
    if (::rename(temp_.c_str(), target_.c_str()) != 0) return fail();
    temp_.clear();
    syncFolder(target_);
    return true;
}

bool AtomicFile::fail() {
    if (error_.empty()) error_ = std::strerror(errno);
    discard();
    return false;
}

void AtomicFile::discard() {
    fd_.reset();
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
}

} // namespace ferrolux
