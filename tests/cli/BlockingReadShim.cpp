// Loaded into ferrolux-search with LD_PRELOAD, this makes files behave like
// kernel files whose reads wait:
// - FERROLUX_TEST_BLOCKING_FILE names a file that acts like /proc/kmsg with
//   no message pending: on a non-blocking descriptor a read fails with
//   EAGAIN, as the kernel's does; on a blocking one the process ends at once
//   with status 97 instead of hanging the test.
// - FERROLUX_TEST_HANG_NAME is a file name: the first read of any file of
//   that name writes "hanging" to stderr and then waits for ever (until a
//   signal ends the process), so a test can act on a search in progress.
// - FERROLUX_TEST_SLOW_READ_US makes every read of a regular file take that
//   many microseconds longer, as from a slow disk: the walk runs far ahead
//   of the threads that search.
// - FERROLUX_TEST_PROC_FOLDER names a folder whose files act like proc's:
//   fstatfs says proc, a file named by FERROLUX_TEST_NO_SEEK_NAME cannot
//   seek, and reading "kmsg" or that file ends the process at once with
//   status 96 (it would have taken data from the kernel's other readers).
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <string>
#include <sys/stat.h>
#include <sys/uio.h>
#include <sys/vfs.h>
#include <unistd.h>

namespace {

bool isTheBlockingFile(int fd) {
    static struct stat target {};
    static const bool known = [] {
        const char* path = std::getenv("FERROLUX_TEST_BLOCKING_FILE");
        return path && ::stat(path, &target) == 0;
    }();
    struct stat st {};
    return known && ::fstat(fd, &st) == 0 && st.st_dev == target.st_dev &&
           st.st_ino == target.st_ino;
}

bool hasTheHangingName(int fd) {
    static const char* name = std::getenv("FERROLUX_TEST_HANG_NAME");
    if (!name) return false;
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
    const std::string tail = std::string("/") + name;
    return length > ssize_t(tail.size()) &&
           std::string(path + length - tail.size(), tail.size()) == tail;
}

ssize_t wouldBlock(int fd) {
    if (!(::fcntl(fd, F_GETFL) & O_NONBLOCK)) ::_exit(97);
    errno = EAGAIN;
    return -1;
}

[[noreturn]] void hang() {
    static const char said[] = "hanging\n";
    [[maybe_unused]] const ssize_t written = ::write(2, said, sizeof said - 1);
    for (;;)
        ::pause();
}

void slowDown(int fd) {
    static const char* const delay = std::getenv("FERROLUX_TEST_SLOW_READ_US");
    struct stat st {};
    if (delay && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode))
        ::usleep(useconds_t(std::atol(delay)));
}

std::string pathOf(int fd) {
    char path[PATH_MAX];
    const std::string link = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(link.c_str(), path, sizeof path);
    return length > 0 ? std::string(path, size_t(length)) : std::string();
}

// The name of fd's file when it is the folder acting as proc or lies in it.
bool inProcFolder(int fd, std::string& name) {
    static const char* folder = std::getenv("FERROLUX_TEST_PROC_FOLDER");
    if (!folder) return false;
    const std::string path = pathOf(fd);
    const std::string prefix = std::string(folder) + "/";
    if (path != folder && path.compare(0, prefix.size(), prefix) != 0) return false;
    name = path.substr(path.rfind('/') + 1);
    return true;
}

bool cannotSeek(int fd) {
    static const char* noSeek = std::getenv("FERROLUX_TEST_NO_SEEK_NAME");
    std::string name;
    return noSeek && inProcFolder(fd, name) && name == noSeek;
}

void neverReadKernelStreams(int fd) {
    std::string name;
    if (inProcFolder(fd, name) && (name == "kmsg" || cannotSeek(fd))) ::_exit(96);
}

// Whether a read of fd is answered here instead, and with what.
bool interferes(int fd, ssize_t& result) {
    if (hasTheHangingName(fd)) hang();
    neverReadKernelStreams(fd);
    slowDown(fd);
    if (!isTheBlockingFile(fd)) return false;
    result = wouldBlock(fd);
    return true;
}

template <typename Function>
Function next(const char* name) {
    return reinterpret_cast<Function>(::dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

ssize_t read(int fd, void* buffer, size_t size) {
    static const auto real = next<ssize_t (*)(int, void*, size_t)>("read");
    ssize_t result = 0;
    return interferes(fd, result) ? result : real(fd, buffer, size);
}

ssize_t pread(int fd, void* buffer, size_t size, off_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off_t)>("pread");
    ssize_t result = 0;
    return interferes(fd, result) ? result : real(fd, buffer, size, offset);
}

ssize_t pread64(int fd, void* buffer, size_t size, off64_t offset) {
    static const auto real = next<ssize_t (*)(int, void*, size_t, off64_t)>("pread64");
    ssize_t result = 0;
    return interferes(fd, result) ? result : real(fd, buffer, size, offset);
}

ssize_t preadv2(int fd, const struct iovec* parts, int count, off_t offset, int flags) {
    static const auto real = next<ssize_t (*)(int, const iovec*, int, off_t, int)>("preadv2");
    ssize_t result = 0;
    return interferes(fd, result) ? result : real(fd, parts, count, offset, flags);
}

ssize_t preadv64v2(int fd, const struct iovec* parts, int count, off64_t offset, int flags) {
    static const auto real = next<ssize_t (*)(int, const iovec*, int, off64_t, int)>("preadv64v2");
    ssize_t result = 0;
    return interferes(fd, result) ? result : real(fd, parts, count, offset, flags);
}
}

extern "C" {

int fstatfs(int fd, struct statfs* info) {
    static const auto real = next<int (*)(int, struct statfs*)>("fstatfs");
    const int result = real(fd, info);
    std::string name;
    if (result == 0 && inProcFolder(fd, name)) info->f_type = PROC_SUPER_MAGIC;
    return result;
}

int fstatfs64(int fd, struct statfs64* info) {
    static const auto real = next<int (*)(int, struct statfs64*)>("fstatfs64");
    const int result = real(fd, info);
    std::string name;
    if (result == 0 && inProcFolder(fd, name)) info->f_type = PROC_SUPER_MAGIC;
    return result;
}

off_t lseek(int fd, off_t offset, int whence) {
    static const auto real = next<off_t (*)(int, off_t, int)>("lseek");
    if (!cannotSeek(fd)) return real(fd, offset, whence);
    errno = ESPIPE;
    return -1;
}

off64_t lseek64(int fd, off64_t offset, int whence) {
    static const auto real = next<off64_t (*)(int, off64_t, int)>("lseek64");
    if (!cannotSeek(fd)) return real(fd, offset, whence);
    errno = ESPIPE;
    return -1;
}
}
