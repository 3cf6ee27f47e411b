#include "platform/files/SafeDelete.h"

#include "platform/posix/UniqueFd.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

// Names in a folder, read completely before anything in it is removed.
std::vector<std::string> folderEntries(int folderFd) {
    std::vector<std::string> names;
    const int readFd = ::dup(folderFd);
    if (readFd < 0) return names;
    DIR* dir = ::fdopendir(readFd);
    if (!dir) {
        ::close(readFd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..") names.push_back(name);
    }
    ::closedir(dir);
    return names;
}

bool deleteEntry(int parentFd, const std::string& name);

void deleteContents(int folderFd) {
    for (const std::string& name : folderEntries(folderFd))
        deleteEntry(folderFd, name);
}

// Removes one entry of an open folder. A folder is opened with O_NOFOLLOW, so
// if it is swapped for a link after the check, the open fails instead of
// entering the link's target.
bool deleteEntry(int parentFd, const std::string& name) {
    struct stat info {};
    if (::fstatat(parentFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(parentFd, name.c_str(), 0) == 0;
    const UniqueFd folder(
        ::openat(parentFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) return false;
    deleteContents(folder.get());
    return ::unlinkat(parentFd, name.c_str(), AT_REMOVEDIR) == 0;
}

} // namespace

bool deleteTree(const std::string& path) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind('/');
    const std::string parent = slash == std::string::npos ? "." : trimmed.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? trimmed : trimmed.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || name == "/") return false;
    const UniqueFd parentFolder(::open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parentFolder) return errno == ENOENT;
    return deleteEntry(parentFolder.get(), name);
}

} // namespace ferrolux
