#include "platform/registry/StoreFile.h"

#include "platform/files/FilePaths.h"

#include <QDateTime>
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace ferrolux {
namespace {

// Reads at most `most` bytes.
bool readAll(int fd, std::string& bytes, uint64_t most) {
    char buffer[65536];
    while (bytes.size() < most) {
        const ssize_t got =
            ::read(fd, buffer, size_t(std::min<uint64_t>(sizeof buffer, most - bytes.size())));
        if (got == 0) return true;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.append(buffer, size_t(got));
    }
    return true;
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t put = ::write(fd, bytes.data(), bytes.size());
        if (put < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(size_t(put));
    }
    return true;
}

bool exists(const std::string& path) {
    struct stat info;
    return ::lstat(path.c_str(), &info) == 0;
}

// A store file marked read-only (no write permission for anyone, or none for
// this user) is not to be replaced, even though the folder would allow it.
bool readOnly(const std::string& path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) return false;
    return (info.st_mode & 0222) == 0 || ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0;
}

} // namespace

StoreFile::StoreFile(const std::string& path, bool createFolder)
    : path_(resolveLink(path)), createFolder_(createFolder) {}

StoreFile::~StoreFile() {
    if (lockFd_ >= 0) ::close(lockFd_); // closing releases the flock
}

bool StoreFile::lock() {
    if (locked()) return true;
    if (createFolder_) {
        std::error_code ignored;
        std::filesystem::create_directories(folderOf(path_), ignored);
    }
    const std::string lockPath = path_ + ".lock";
    const int fd = ::open(lockPath.c_str(), O_RDONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    // Polling with a deadline: a writer that hangs must not freeze this one.
    const auto deadline = std::chrono::steady_clock::now() + lockTimeout;
    std::chrono::milliseconds pause{1};
    while (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EINTR) continue;
        if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
            ::close(fd);
            return false;
        }
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, std::chrono::milliseconds{20});
    }
    lockFd_ = fd;
    return true;
}

StoreFile::Contents StoreFile::load() {
    // O_NONBLOCK: a FIFO put in the store's place must not hang the program.
    const int fd = ::open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {errno == ENOENT ? Status::Missing : Status::Unreadable};
    struct stat info {};
    std::string bytes;
    const bool read = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) &&
                      uint64_t(info.st_size) <= maxBytes && readAll(fd, bytes, maxBytes + 1);
    ::close(fd);
    // Also a file that grew past the bound after fstat.
    const uint64_t size = std::max(uint64_t(info.st_size), uint64_t(bytes.size()));
    if (S_ISREG(info.st_mode) && size > maxBytes) {
        size_ = size;
        return {Status::TooLarge};
    }
    if (!read) return {Status::Unreadable};
    if (std::optional<RegistryDocument> document = RegistryDocument::parse(bytes))
        return {Status::Loaded, std::move(*document)};
    // Only a writer may move the file: a reader could otherwise move away a
    // good store that a writer had just put in place.
    if (!locked()) return {Status::Missing};
    return {renameAside() ? Status::Missing : Status::Unreadable};
}

bool StoreFile::renameAside() {
    const std::string stem =
        path_ + ".damaged-" +
        QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss")).toStdString();
    std::string target = stem;
    for (int n = 2; exists(target); ++n)
        target = stem + '-' + std::to_string(n);
    if (::rename(path_.c_str(), target.c_str()) != 0) return false;
    syncFolder(path_);
    return true;
}

bool StoreFile::replace(std::string_view bytes) {
    // The temporary name is fixed, so only the lock holder may use it; a
    // writer killed half-way leaves at most this one file, reused next time.
    if (!locked() || bytes.size() > maxBytes || readOnly(path_)) return false;
    const std::string temp = path_ + ".tmp";
    ::unlink(temp.c_str());
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0) return false;
    struct stat old;
    if (::stat(path_.c_str(), &old) == 0) ::fchmod(fd, old.st_mode & 07777);
    bool written = writeAll(fd, bytes) && ::fsync(fd) == 0;
    written = ::close(fd) == 0 && written;
    if (!written || ::rename(temp.c_str(), path_.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    syncFolder(path_);
    return true;
}

} // namespace ferrolux
