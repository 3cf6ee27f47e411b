#include "platform/files/TempFolders.h"

#include "platform/files/SafeDelete.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// Generous bound on same-named archives in one search; past it the archive
// simply gets no folder.
constexpr int maxNameSuffix = 100000;

std::mutex privateFolderMutex;
// Guarded by privateFolderMutex. A forked child inherits these but not the
// folder: it makes its own, and never deletes its parent's at its exit.
std::string privateFolder;
pid_t privateFolderOwner = 0;

void removePrivateFolder() {
    const std::lock_guard lock(privateFolderMutex);
    if (!privateFolder.empty() && privateFolderOwner == ::getpid()) deleteTree(privateFolder);
    privateFolder.clear();
}

std::string makePrivateFolder() {
    const QByteArray base = QFile::encodeName(QDir::tempPath());
    std::string pattern = base.toStdString() + "/ferrolux-XXXXXX";
    if (!::mkdtemp(pattern.data())) return {}; // mkdtemp creates it with mode 0700
    static const bool removalRegistered = std::atexit(removePrivateFolder) == 0;
    (void)removalRegistered;
    return pattern + "/";
}

constexpr size_t maxNameBytes = 255;

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

} // namespace

std::string TempFolderPath() {
    const std::lock_guard lock(privateFolderMutex);
    if (privateFolder.empty() || privateFolderOwner != ::getpid()) {
        privateFolder = makePrivateFolder();
        privateFolderOwner = ::getpid();
    }
    return privateFolder;
}

std::string createExtractionFolder(const std::string& archivePath) {
    const std::string root = TempFolderPath();
    if (root.empty()) return {};
    const std::string name = archiveFileName(archivePath);
    for (int suffix = 1; suffix <= maxNameSuffix; ++suffix) {
        const std::string folder = root + folderName(name, suffix);
        if (::mkdir(folder.c_str(), 0700) == 0) return folder;
        if (errno != EEXIST) return {};
    }
    return {};
}

bool isExtractionFolder(const std::string& path) {
    const std::string root = TempFolderPath();
    if (root.empty() || path.size() <= root.size() || path.compare(0, root.size(), root) != 0)
        return false;
    std::string name = path.substr(root.size());
    while (!name.empty() && name.back() == '/')
        name.pop_back();
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

} // namespace ferrolux
