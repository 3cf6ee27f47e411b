#include "platform/posix/OpenPath.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// Longest prefix of path[from..] that ends before a "/" and fits the limit.
std::string::size_type stretchEnd(const std::string& path, std::string::size_type from) {
    const std::string::size_type limit = from + PATH_MAX - 1;
    if (path.size() <= limit) return path.size();
    const std::string::size_type slash = path.rfind('/', limit);
    return (slash == std::string::npos || slash <= from) ? std::string::npos : slash;
}

void closeKeepingErrno(int fd) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
}

constexpr int kReadFlags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;

// The descriptor when it is a regular file's, with its status; else closed.
int keepIfRegular(int fd, struct stat& st) {
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0) {
        closeKeepingErrno(fd);
        return -1;
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        return -1;
    }
    return fd;
}

} // namespace

int openPath(const std::string& path, int flags) {
    if (path.size() < PATH_MAX) return ::open(path.c_str(), flags);
    int dirFd = AT_FDCWD;
    std::string::size_type from = 0;
    for (;;) {
        // Past the first stretch a leading "/" would make openat ignore dirFd.
        while (from > 0 && from < path.size() && path[from] == '/')
            ++from;
        const bool trailingSlash = from == path.size();
        const std::string::size_type end = trailingSlash ? from : stretchEnd(path, from);
        if (end == std::string::npos) {
            if (dirFd != AT_FDCWD) closeKeepingErrno(dirFd);
            errno = ENAMETOOLONG;
            return -1;
        }
        // A path ending in "/" names the directory opened last, once more.
        const std::string stretch = trailingSlash ? "." : path.substr(from, end - from);
        const bool last = end == path.size();
        const int fd = ::openat(dirFd, stretch.c_str(),
                                last ? flags | (trailingSlash ? O_DIRECTORY : 0)
                                     : O_PATH | O_DIRECTORY | O_CLOEXEC);
        if (dirFd != AT_FDCWD) closeKeepingErrno(dirFd);
        if (fd < 0 || last) return fd;
        dirFd = fd;
        from = end + 1;
    }
}

int openRegularFile(const std::string& path) {
    struct stat st {};
    return openRegularFile(path, st);
}

int openRegularFile(const std::string& path, struct stat& st) {
    return keepIfRegular(openPath(path, kReadFlags), st);
}

int openRegularFileAt(int dirFd, const char* name, struct stat& st) {
    return keepIfRegular(::openat(dirFd, name, kReadFlags), st);
}

int openEntryAt(int dirFd, const char* name) {
    return ::openat(dirFd, name, kReadFlags | O_NOFOLLOW);
}

} // namespace ferrolux
