// Loaded into ferrolux-search with LD_PRELOAD, this makes one file behave
// like /proc/kmsg with no message pending: a read of it waits for ever. On a
// non-blocking descriptor the read fails with EAGAIN, as the kernel's does;
// on a blocking one the process ends at once with status 97 instead of
// hanging the test. The file is named by FERROLUX_TEST_BLOCKING_FILE.
#include <cerrno>
#include <cstdlib>
#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool readsBlock(int fd) {
    static struct stat target {};
    static const bool known = [] {
        const char* path = std::getenv("FERROLUX_TEST_BLOCKING_FILE");
        return path && ::stat(path, &target) == 0;
    }();
    struct stat st {};
    return known && ::fstat(fd, &st) == 0 && st.st_dev == target.st_dev &&
           st.st_ino == target.st_ino;
}

ssize_t wouldBlock(int fd) {
    if (!(::fcntl(fd, F_GETFL) & O_NONBLOCK)) ::_exit(97);
    errno = EAGAIN;
    return -1;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t size) {
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    return readsBlock(fd) ? wouldBlock(fd) : real(fd, buffer, size);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    return readsBlock(fd) ? wouldBlock(fd) : real(fd, buffer, size, offset);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    return readsBlock(fd) ? wouldBlock(fd) : real(fd, buffer, size, offset);
}
}
