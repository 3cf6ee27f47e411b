#include "platform/files/TempFolders.h"

#include "platform/files/SafeDelete.h"
#include "platform/posix/TerminationSignals.h"
#include "platform/posix/UniqueFd.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

namespace ferrolux {
namespace {

// A private folder is made under the first name, locked (flock on the
// folder itself, held for the owner's whole life) and only then given the
// second: a folder under that name whose lock is free has lost its owner.
constexpr char kNewPrefix[] = ".ferrolux-new-";
constexpr char kPrefix[] = "ferrolux-";
constexpr size_t kRandomLength = 6;
// Generous bound on same-named archives in one search; past it the archive
// simply gets no folder.
constexpr int maxNameSuffix = 100000;
constexpr size_t maxNameBytes = 255;
// Files still being written when the folder is removed (a signal during an
// extraction) can need another pass.
constexpr int removalPasses = 3;
// A final name taken meanwhile (a one in 56 billion chance) means another try.
constexpr int makeAttempts = 3;

struct PrivateFolder {
    std::string path; // ends in "/"
    std::string name; // its name in the system temporary folder
    UniqueFd parent;  // the system temporary folder
    UniqueFd folder;  // held open, and locked, while the process lives
    pid_t owner = 0;
};

std::mutex privateFolderMutex;

// Guarded by privateFolderMutex; never destroyed, so that exit handlers and
// the termination cleanup can always reach it. A forked child inherits it but
// not the folder: it makes its own, and never deletes its parent's.
PrivateFolder& privateFolder() {
    static auto* folder = new PrivateFolder;
    return *folder;
}

bool sameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// Removes the folder `name` of `parent` when it still is the folder held
// open as `folder`, with everything in it.
bool removeHeldFolder(int parent, const std::string& name, int folder) {
    struct stat held {};
    struct stat named {};
    if (::fstat(folder, &held) != 0) return false;
    for (int pass = 0; pass < removalPasses; ++pass) {
        deleteContentsAt(folder);
        if (::fstatat(parent, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0)
            return errno == ENOENT;
        if (!sameFile(held, named)) return false;
        if (::unlinkat(parent, name.c_str(), AT_REMOVEDIR) == 0) return true;
    }
    return false;
}

// Set when the process ends: no folder is made after its folder was removed.
bool ending = false;

// At exit and on a termination signal: the folder goes, with everything in it.
void removePrivateFolder() {
    const std::lock_guard lock(privateFolderMutex);
    PrivateFolder& folder = privateFolder();
    if (folder.folder && folder.owner == ::getpid())
        removeHeldFolder(folder.parent.get(), folder.name, folder.folder.get());
    folder = PrivateFolder();
    ending = true;
}

std::string joined(const std::string& folder, const std::string& name) {
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

// Gives the locked folder its final name, never replacing anything there.
bool giveFinalName(int parent, const std::string& from, const std::string& to) {
    if (::renameat2(parent, from.c_str(), parent, to.c_str(), RENAME_NOREPLACE) == 0) return true;
    return errno == EINVAL && ::renameat(parent, from.c_str(), parent, to.c_str()) == 0;
}

// 0, or why the folder could not be made (errno).
int makePrivateFolder(PrivateFolder& made) {
    const std::string base = systemTempFolder();
    made.parent.reset(::open(base.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!made.parent) return errno;
    std::string staging = joined(base, std::string(kNewPrefix) + "XXXXXX");
    if (!::mkdtemp(staging.data())) return errno; // mkdtemp creates it with mode 0700
    const std::string stagingName = staging.substr(staging.rfind('/') + 1);
    made.name = kPrefix + stagingName.substr(sizeof(kNewPrefix) - 1);
    made.folder.reset(::openat(made.parent.get(), stagingName.c_str(),
                               O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!made.folder || ::flock(made.folder.get(), LOCK_EX) != 0 ||
        !giveFinalName(made.parent.get(), stagingName, made.name)) {
        const int error = errno;
        ::unlinkat(made.parent.get(), stagingName.c_str(), AT_REMOVEDIR);
        return error;
    }
    made.path = joined(base, made.name) + "/";
    made.owner = ::getpid();
    static const bool removalRegistered = std::atexit(removePrivateFolder) == 0;
    (void)removalRegistered;
    return 0;
}

// Why the private folder could not be made, the last time it was tried.
int makeError = 0;

// The held private folder of this process, made on first use.
PrivateFolder& currentFolder() {
    PrivateFolder& folder = privateFolder();
    if (folder.owner != ::getpid() && !ending) {
        // Inherited from the parent process: closed, never deleted.
        folder = PrivateFolder();
        for (int attempt = 0; attempt < makeAttempts && !folder.folder; ++attempt)
            if ((makeError = makePrivateFolder(folder)) != 0) folder = PrivateFolder();
    }
    return folder;
}

// The private folder when this process made one; never makes it.
const PrivateFolder* existingFolder() {
    const PrivateFolder& folder = privateFolder();
    return folder.owner == ::getpid() && folder.folder ? &folder : nullptr;
}

std::string archiveFileName(const std::string& archivePath) {
    const size_t slash = archivePath.rfind('/');
    std::string name = slash == std::string::npos ? archivePath : archivePath.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") name = "archive";
    return name;
}

// The folder name for one attempt, the archive's name cut (at a character
// boundary) where the suffix would make it longer than a file name may be.
std::string folderName(const std::string& name, int suffix) {
    const std::string tail = suffix > 1 ? " (" + std::to_string(suffix) + ")" : std::string();
    size_t keep = std::min(name.size(), maxNameBytes - tail.size());
    while (keep > 0 && keep < name.size() &&
           (static_cast<unsigned char>(name[keep]) & 0xC0) == 0x80)
        --keep;
    return name.substr(0, keep) + tail;
}

bool looksLikePrivateFolder(const std::string& name) {
    return name.size() == sizeof(kPrefix) - 1 + kRandomLength &&
           name.compare(0, sizeof(kPrefix) - 1, kPrefix) == 0;
}

std::vector<std::string> namesIn(int folder) {
    std::vector<std::string> names;
    DIR* listing = ::fdopendir(::openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!listing) return names;
    while (const dirent* entry = ::readdir(listing))
        names.emplace_back(entry->d_name);
    ::closedir(listing);
    return names;
}

// Reclaims one folder of the system temporary folder when it is a private
// folder of this user whose lock nobody holds.
bool reclaim(int parent, const std::string& name) {
    struct stat named {
    }, opened{};
    if (::fstatat(parent, name.c_str(), &named, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISDIR(named.st_mode) || named.st_uid != ::geteuid() || (named.st_mode & 0777) != 0700)
        return false;
    const UniqueFd folder(
        ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!folder || ::fstat(folder.get(), &opened) != 0 || !sameFile(named, opened)) return false;
    if (::flock(folder.get(), LOCK_EX | LOCK_NB) != 0) return false; // its owner still runs
    return removeHeldFolder(parent, name, folder.get());
}

} // namespace

std::string systemTempFolder() {
    // Empty when TMPDIR names nothing; a folder made there would land in "/".
    const std::string path = QFile::encodeName(QDir::tempPath()).toStdString();
    struct stat info {};
    if (!path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) return path;
    return P_tmpdir;
}

std::string TempFolderPath() {
    const std::lock_guard lock(privateFolderMutex);
    return currentFolder().path;
}

void preparePrivateFolders() {
    runOnTerminationSignals(removePrivateFolder);
    reclaimAbandonedFolders();
}

int reclaimAbandonedFolders() {
    const UniqueFd parent(::open(systemTempFolder().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!parent) return 0;
    std::string own;
    {
        const std::lock_guard lock(privateFolderMutex);
        if (privateFolder().owner == ::getpid()) own = privateFolder().name;
    }
    int reclaimed = 0;
    for (const std::string& name : namesIn(parent.get()))
        if (looksLikePrivateFolder(name) && name != own && reclaim(parent.get(), name)) ++reclaimed;
    return reclaimed;
}

ExtractionFolder createExtractionFolder(const std::string& archivePath) {
    const std::lock_guard lock(privateFolderMutex);
    PrivateFolder& root = currentFolder();
    if (!root.folder) return {{}, {}, ending ? ENOENT : makeError};
    const std::string name = archiveFileName(archivePath);
    for (int suffix = 1; suffix <= maxNameSuffix; ++suffix) {
        const std::string folder = folderName(name, suffix);
        if (::mkdirat(root.folder.get(), folder.c_str(), 0700) == 0) {
            UniqueFd opened(::openat(root.folder.get(), folder.c_str(),
                                     O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!opened) return {{}, {}, errno};
            return {root.path + folder, std::move(opened), 0};
        }
        if (errno != EEXIST) return {{}, {}, errno};
    }
    return {{}, {}, EEXIST};
}

uint64_t tempFolderFreeSpace() {
    const std::lock_guard lock(privateFolderMutex);
    const PrivateFolder& root = currentFolder();
    struct statvfs space {};
    if (!root.folder || ::fstatvfs(root.folder.get(), &space) != 0) return 0;
    return uint64_t{space.f_bavail} * space.f_frsize;
}

namespace {

// The name of an extraction folder inside the private folder (root), or
// empty when path is no extraction folder.
std::string extractionFolderName(const PrivateFolder* root, const std::string& path) {
    if (!root || path.size() <= root->path.size() ||
        path.compare(0, root->path.size(), root->path) != 0)
        return {};
    std::string name = path.substr(root->path.size());
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    if (name == "." || name == ".." || name.find('/') != std::string::npos) return {};
    return name;
}

} // namespace

bool isExtractionFolder(const std::string& path) {
    const std::lock_guard lock(privateFolderMutex);
    return !extractionFolderName(existingFolder(), path).empty();
}

int openExtractionFolder(const std::string& path) {
    const std::lock_guard lock(privateFolderMutex);
    const PrivateFolder* root = existingFolder();
    const std::string name = extractionFolderName(root, path);
    if (name.empty()) {
        errno = EINVAL;
        return -1;
    }
    return ::openat(root->folder.get(), name.c_str(),
                    O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

bool deleteExtractionFolder(const std::string& path) {
    const std::lock_guard lock(privateFolderMutex);
    const PrivateFolder* root = existingFolder();
    const std::string name = extractionFolderName(root, path);
    return !name.empty() && deleteEntryAt(root->folder.get(), name);
}

} // namespace ferrolux
