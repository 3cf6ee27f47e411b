#include "DeepPath.h"

#include <fcntl.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux::test {
namespace {

// Enters the folders of an absolute path one name at a time; returns the
// descriptor of the folder that holds its last name.
int openParent(const std::string& path, std::string& lastName) {
    int fd = ::open("/", O_PATH | O_DIRECTORY | O_CLOEXEC);
    size_t from = 1;
    for (;;) {
        const size_t slash = path.find('/', from);
        if (slash == std::string::npos || slash + 1 == path.size()) {
            lastName = path.substr(from, slash == std::string::npos ? slash : slash - from);
            return fd;
        }
        const std::string name = path.substr(from, slash - from);
        const int next = ::openat(fd, name.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        ::close(fd);
        if (next < 0) throw std::runtime_error("cannot enter " + name);
        fd = next;
        from = slash + 1;
    }
}

} // namespace

std::string makeDirectoryOfLength(const std::string& root, size_t length) {
    std::string path = root;
    if (path.size() + 2 > length) throw std::invalid_argument("root is too long");
    while (path.size() < length) {
        const size_t left = length - path.size();
        // A name and its "/"; never leave less than two bytes for the next.
        const size_t name = left <= 201 ? left - 1 : std::min<size_t>(200, left - 3);
        path += std::string(name, 'd') + '/';
        std::string last;
        const int parent = openParent(path, last);
        const int made = ::mkdirat(parent, last.c_str(), 0700);
        ::close(parent);
        if (made != 0) throw std::runtime_error("cannot make a folder at depth " + path);
    }
    return path;
}

std::string writeDeepFile(const std::string& path, std::string_view bytes) {
    std::string name;
    const int parent = openParent(path, name);
    const int fd = ::openat(parent, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    ::close(parent);
    const bool written =
        fd >= 0 && ::write(fd, bytes.data(), bytes.size()) == ssize_t(bytes.size());
    if (fd >= 0) ::close(fd);
    if (!written) throw std::runtime_error("cannot write a deep file");
    return path;
}

} // namespace ferrolux::test
