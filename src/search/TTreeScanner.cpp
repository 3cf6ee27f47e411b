#include "search/TTreeScanner.h"

#include "platform/posix/Descriptors.h"
#include "platform/posix/OpenPath.h"
#include "search/FileMask.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

enum class EntryKind { File, Directory, Other };

// Regular files and links to them are files; links to directories are not
// entered, so a walk never loops and never leaves the tree.
EntryKind kindOf(int dirFd, const DirectoryEntries::Entry& entry) {
    if (entry.type == DT_REG) return EntryKind::File;
    if (entry.type == DT_DIR) return EntryKind::Directory;
    if (entry.type != DT_LNK && entry.type != DT_UNKNOWN) return EntryKind::Other;
    struct stat st {};
    if (::fstatat(dirFd, entry.name, &st, AT_SYMLINK_NOFOLLOW) != 0) return EntryKind::Other;
    if (S_ISDIR(st.st_mode)) return EntryKind::Directory;
    if (S_ISREG(st.st_mode)) return EntryKind::File;
    if (!S_ISLNK(st.st_mode) || ::fstatat(dirFd, entry.name, &st, 0) != 0) return EntryKind::Other;
    return S_ISREG(st.st_mode) ? EntryKind::File : EntryKind::Other;
}

// A subdirectory was listed as a directory: if a link took its place since,
// it is not followed.
constexpr int kSubdirectoryFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kStartFlags = O_RDONLY | O_DIRECTORY | O_CLOEXEC;

// Folders held open by all walks, for pending files and for the way back up.
std::atomic<int> heldFolders{0};

std::shared_ptr<const UniqueFd> holdFolder(int fd) {
    ++heldFolders;
    return std::shared_ptr<const UniqueFd>(new UniqueFd(fd), [](const UniqueFd* folder) {
        delete folder;
        --heldFolders;
        descriptorReturned();
    });
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

// A folder whose subdirectories are being walked.
struct TTreeScanner::Level {
    std::shared_ptr<const UniqueFd> folder; // null once not needed, or closed for the budget
    std::string::size_type pathLength = 0;  // its path's length in fileFound_, with the "/"
    std::vector<std::string> subdirectories;
    size_t next = 0; // the subdirectory to enter next
    dev_t device = 0;
    ino_t inode = 0; // with the device: the same folder, when it is opened again by path
};

TTreeScanner::TTreeScanner() : folderBudget_(folderDescriptorBudget(1)) {}

TTreeScanner::~TTreeScanner() = default;

void TTreeScanner::Scan() {
    searchInProgress_ = true;
    if (initialDirectory_.empty()) initialDirectory_ = currentDirectory();
    initialDirectory_ = withTrailingSlash(initialDirectory_);
    KeepScanning = true;
    levels_.clear();
    closedBelow_ = 0;
    fileFound_ = initialDirectory_;
    if (announce()) enter(openStart());
    while (!levels_.empty()) {
        if (levels_.back().next < levels_.back().subdirectories.size())
            enterNext();
        else
            leave();
    }
    searchInProgress_ = false;
}

bool TTreeScanner::fits(const char* name) const {
    return ExactFileName ? fileMask_ == name : fitsFileMask(name, fileMask_);
}

bool TTreeScanner::skipped(const char* folder) const {
    return std::any_of(FoldersToSkip.begin(), FoldersToSkip.end(),
                       [&](const std::string& mask) { return fitsFileMask(folder, mask); });
}

// Pending input first; then, unless the walk was stopped, the directory in
// fileFound_ is announced.
bool TTreeScanner::announce() {
    if (ProcessMessages) ProcessMessages();
    if (!KeepScanning) return false;
    if (OnDirectoryFound) OnDirectoryFound(*this);
    return true;
}

void TTreeScanner::enterNext() {
    Level& parent = levels_.back();
    const std::string& name = parent.subdirectories[parent.next++];
    fileFound_.resize(parent.pathLength);
    fileFound_ += name;
    fileFound_ += '/';
    if (!announce()) return;
    const int fd = openSubdirectory(parent, name);
    const int error = errno;
    if (parent.next == parent.subdirectories.size()) parent.folder.reset(); // done with it
    errno = error;
    enter(fd);
}

// Lists the folder in fileFound_, open as fd (-1: it could not be opened,
// errno tells why), reports its files and, when it has subdirectories, makes
// it the deepest level.
void TTreeScanner::enter(int fd) {
    struct stat info {};
    const bool opened = fd >= 0 && ::fstat(fd, &info) == 0;
    if (opened && isVirtualMountPoint(info, fd)) {
        ::close(fd);
        if (OnDirectoryDone) OnDirectoryDone(*this);
        return;
    }
    std::vector<std::string> files, subdirectories;
    const bool listed = opened && entries_.read(fd, [&](const DirectoryEntries::Entry& entry) {
        const EntryKind kind = kindOf(fd, entry);
        if (kind == EntryKind::Directory) {
            if (!skipped(entry.name)) subdirectories.emplace_back(entry.name);
        } else if (kind == EntryKind::File && fits(entry.name))
            files.emplace_back(entry.name);
    });
    std::shared_ptr<const UniqueFd> folder;
    if (listed) {
        folder = holdFolder(fd);
    } else {
        // What was read before an error is walked all the same.
        const int error = errno;
        if (fd >= 0) ::close(fd);
        if (OnUnreadableDirectory) OnUnreadableDirectory(fileFound_, error);
    }
    nameOrder_.sort(files);
    nameOrder_.sort(subdirectories);

    const std::string::size_type pathLength = fileFound_.size();
    if (heldFolders.load() <= folderBudget_) directory_ = folder;
    directoryDevice_ = info.st_dev;
    for (const std::string& file : files) {
        fileFound_ += file;
        if (OnFileFound) OnFileFound(*this);
        fileFound_.resize(pathLength);
    }
    directory_.reset(); // the subdirectories' walk does not need it shared

    if (subdirectories.empty()) {
        if (OnDirectoryDone) OnDirectoryDone(*this);
        return;
    }
    if (OnSubdirectoriesListed) OnSubdirectoriesListed(folder, subdirectories);
    levels_.push_back(Level{std::move(folder), pathLength, std::move(subdirectories), 0,
                            info.st_dev, info.st_ino});
    keepWithinBudget();
}

// A folder on another device than its parent's is a mount point. The start
// folder decides whether the virtual ones are walked.
bool TTreeScanner::isVirtualMountPoint(const struct ::stat& folder, int fd) {
    if (levels_.empty()) {
        startIsVirtual_ = virtualMounts_.isVirtual(folder.st_dev, fd);
        return false;
    }
    return !startIsVirtual_ && folder.st_dev != levels_.back().device &&
           virtualMounts_.isVirtual(folder.st_dev, fd);
}

void TTreeScanner::leave() {
    fileFound_.resize(levels_.back().pathLength);
    levels_.pop_back();
    closedBelow_ = std::min(closedBelow_, levels_.size());
    if (OnDirectoryDone) OnDirectoryDone(*this);
}

int TTreeScanner::openSubdirectory(Level& parent, const std::string& name) {
    if (!parent.folder && !reopen(parent)) return -1;
    const int fd = ::openat(parent.folder->get(), name.c_str(), kSubdirectoryFlags);
    if (fd >= 0 || !outOfDescriptors(errno)) return fd;
    // Out of descriptors: the levels above can be opened again by path later.
    closeHeldLevels();
    return openWaitingForDescriptor(
        [&] { return ::openat(parent.folder->get(), name.c_str(), kSubdirectoryFlags); });
}

// A descriptor of its own, also when the start folder is open already: each
// Scan lists it from its start.
int TTreeScanner::openStart() {
    return openWaitingForDescriptor([&] {
        return initialFolder_ >= 0 ? ::openat(initialFolder_, ".", kStartFlags)
                                   : openPath(initialDirectory_, kStartFlags);
    });
}

// Opens a level closed for the budget again by its path; it must still be
// the folder it was.
bool TTreeScanner::reopen(Level& level) {
    const bool start = &level == &levels_.front();
    // Without the "/", a link that took the folder's place is not followed.
    const std::string path = fileFound_.substr(0, level.pathLength - (start ? 0 : 1));
    const int fd =
        start ? openStart()
              : openWaitingForDescriptor([&] { return openPath(path, kSubdirectoryFlags); });
    if (fd < 0) return false;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || info.st_dev != level.device || info.st_ino != level.inode) {
        ::close(fd);
        errno = ENOENT;
        return false;
    }
    level.folder = holdFolder(fd);
    closedBelow_ = std::min(closedBelow_, size_t(&level - levels_.data()));
    return true;
}

// Past the budget, the levels nearest the top give up their folders: the
// walk comes back to them last.
void TTreeScanner::keepWithinBudget() {
    while (heldFolders.load() > folderBudget_ && closedBelow_ + 1 < levels_.size())
        levels_[closedBelow_++].folder.reset();
}

void TTreeScanner::closeHeldLevels() {
    for (; closedBelow_ + 1 < levels_.size(); ++closedBelow_)
        levels_[closedBelow_].folder.reset();
}

} // namespace ferrolux
