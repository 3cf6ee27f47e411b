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

// Names in a folder, read completely before anything in it is removed. A
// descriptor of its own (not a dup, which would share the read position)
// lists the folder from its start every time.
std::vector<std::string> folderEntries(int folderFd) {
    std::vector<std::string> names;
    const int readFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
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

} // namespace

void deleteContentsAt(int folderFd) {
    for (const std::string& name : folderEntries(folderFd))
        deleteEntryAt(folderFd, name);
}

// A folder is opened with O_NOFOLLOW, so if it is swapped for a link after
// the check, the open fails instead of entering the link's target.
bool deleteEntryAt(int folderFd, const std::string& name) {
    if (name.empty() || name == "." || name == ".." || name.find('/') != std::string::npos)
        return false;
    struct stat info {};
    if (::fstatat(folderFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return errno == ENOENT;
    if (!S_ISDIR(info.st_mode)) return ::unlinkat(folderFd, name.c_str(), 0) == 0;
    const UniqueFd folder(
        ::openat(folderFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder) return false;
    deleteContentsAt(folder.get());
    return ::unlinkat(folderFd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT;
}

} // namespace ferrolux
