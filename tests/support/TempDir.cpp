#include "TempDir.h"

#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace ferrolux::test {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "ferrolux-test-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern + "/";
}

namespace {

// Deletes everything below the open directory `root` without following links
// and with a bounded number of descriptors, however deep the tree: each
// subdirectory is first moved up to the root level, then emptied.
void emptyDirectory(int root) {
    std::vector<std::string> pending{"."}, emptied;
    int counter = 0;
    while (!pending.empty()) {
        const std::string name = pending.back();
        pending.pop_back();
        ::fchmodat(root, name.c_str(), 0700, 0);
        const int fd = ::openat(root, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
        DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
        if (!listing) continue;
        std::vector<std::string> entries;
        while (const dirent* e = ::readdir(listing))
            if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0)
                entries.push_back(e->d_name);
        for (const std::string& entry : entries) {
            struct stat st {};
            if (::fstatat(fd, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISDIR(st.st_mode)) {
                const std::string flat = ".flat-" + std::to_string(counter++);
                if (::renameat(fd, entry.c_str(), root, flat.c_str()) == 0) pending.push_back(flat);
            } else {
                ::unlinkat(fd, entry.c_str(), 0);
            }
        }
        ::closedir(listing);
        if (name != ".") emptied.push_back(name);
    }
    for (const std::string& name : emptied)
        ::unlinkat(root, name.c_str(), AT_REMOVEDIR);
}

} // namespace

TempDir::~TempDir() {
    const int root = ::open(path_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
    if (root < 0) return;
    emptyDirectory(root);
    ::close(root);
    ::rmdir(path_.c_str());
}

std::string TempDir::file(std::string_view relative) const {
    return path_ + std::string(relative);
}

std::string TempDir::write(std::string_view relative, std::string_view bytes) const {
    const std::string target = file(relative);
    fs::create_directories(fs::path(target).parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + target);
    return target;
}

std::string TempDir::mkdir(std::string_view relative) const {
    const std::string target = file(relative);
    fs::create_directories(target);
    return target;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream buffer;
    buffer << in.rdbuf();
    return buffer.str();
}

} // namespace ferrolux::test
