#include "search/TTreeScanner.h"

#include "platform/posix/OpenPath.h"
#include "search/FileMask.h"

#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

enum class EntryKind { File, Directory, Other };

// Regular files and links to them are files; links to directories are not
// entered, so a walk never loops and never leaves the tree.
EntryKind kindOf(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_REG) return EntryKind::File;
    if (entry.d_type == DT_DIR) return EntryKind::Directory;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return EntryKind::Other;
    struct stat st {};
    if (::fstatat(dirFd, entry.d_name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::Other;
    if (S_ISDIR(st.st_mode)) return EntryKind::Directory;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (!S_ISLNK(st.st_mode) || ::fstatat(dirFd, entry.d_name, &st, 0) != 0)
        return EntryKind::Other;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

// Folders held open for files still waiting to be searched, in all walks: a
// bounded number, so that a tree of one-file folders and a wide window of
// files ahead never run the process out of descriptors. Past it, files are
// opened by their path.
constexpr int kMostSharedFolders = 128;
std::atomic<int> sharedFolders{0};

// A copy of fd that lives as long as its last holder; null past the bound.
std::shared_ptr<const UniqueFd> shareDescriptor(int fd) {
    if (sharedFolders.fetch_add(1) >= kMostSharedFolders) {
        --sharedFolders;
        return nullptr;
    }
    const int copy = ::fcntl(fd, F_DUPFD_CLOEXEC, 0);
    if (copy < 0) {
        --sharedFolders;
        return nullptr;
    }
    return std::shared_ptr<const UniqueFd>(new UniqueFd(copy), [](const UniqueFd* folder) {
        delete folder;
        --sharedFolders;
    });
}

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

std::string currentDirectory() {
    std::vector<char> buffer(4096);
    while (!::getcwd(buffer.data(), buffer.size())) {
        if (errno != ERANGE) return "/";
        buffer.resize(buffer.size() * 2);
    }
    return buffer.data();
}

// One trailing "/" exactly; the root stays "/".
std::string withTrailingSlash(std::string dir) {
    while (dir.size() > 1 && dir.back() == '/')
        dir.pop_back();
    if (dir.empty() || dir.back() != '/') dir += '/';
    return dir;
}

} // namespace

void TTreeScanner::Scan() {
    searchInProgress_ = true;
    fileFound_.clear();
    if (initialDirectory_.empty()) initialDirectory_ = currentDirectory();
    initialDirectory_ = withTrailingSlash(initialDirectory_);
    KeepScanning = true;
    ScanDirectory(initialDirectory_, initialFolder_);
    searchInProgress_ = false;
}

bool TTreeScanner::fits(const char* name) const {
    return ExactFileName ? fileMask_ == name : fitsFileMask(name, fileMask_);
}

// opened: the directory, open, or -1 to open it by its path.
void TTreeScanner::ScanDirectory(const std::string& dir, int opened) {
    if (ProcessMessages) ProcessMessages();
    if (!KeepScanning) return;
    fileFound_ = dir;
    if (OnDirectoryFound) OnDirectoryFound(*this);

    std::vector<std::string> files, subdirectories;
    // A descriptor of its own: one shared with `opened` would share its
    // read position, and every Scan lists the directory from its start.
    const int fd = opened >= 0 ? ::openat(opened, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                               : openPath(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = fd >= 0 ? ::fdopendir(fd) : nullptr;
    if (!listing) {
        if (fd >= 0) ::close(fd);
        if (OnUnreadableDirectory) OnUnreadableDirectory(dir, errno);
    } else {
        while (const dirent* entry = ::readdir(listing)) {
            if (isDotOrDotDot(entry->d_name)) continue;
            const EntryKind kind = kindOf(fd, *entry);
            if (kind == EntryKind::Directory)
                subdirectories.emplace_back(entry->d_name);
            else if (kind == EntryKind::File && fits(entry->d_name))
                files.emplace_back(entry->d_name);
        }
        if (!files.empty()) directory_ = shareDescriptor(fd);
        ::closedir(listing);
    }
    nameOrder_.sort(files);
    nameOrder_.sort(subdirectories);

    for (const std::string& file : files) {
        fileFound_ = dir + file;
        if (OnFileFound) OnFileFound(*this);
    }
    directory_.reset(); // the subdirectories' walk does not need it open
    for (const std::string& subdirectory : subdirectories)
        ScanDirectory(dir + subdirectory + '/', -1);
    if (OnDirectoryDone) OnDirectoryDone(*this);
}

} // namespace ferrolux
