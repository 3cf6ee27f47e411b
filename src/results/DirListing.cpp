#include "results/DirListing.h"

#include "platform/posix/OpenPath.h"
#include "search/FileMask.h"
#include "search/NameOrder.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>

namespace ferrolux {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

bool isRegularFile(int dirFd, const dirent& entry) {
    if (entry.d_type == DT_REG) return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN) return false;
    struct stat info {};
    return ::fstatat(dirFd, entry.d_name, &info, 0) == 0 && S_ISREG(info.st_mode);
}

} // namespace

std::vector<std::string> listDirectoryFiles(const std::string& directory) {
    std::vector<std::string> names;
    const int fd = openPath(directory, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return names;
    std::unique_ptr<DIR, DirCloser> dir(::fdopendir(fd));
    if (!dir) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.' || !fitsFileMask(entry->d_name, "*.*")) continue;
        if (isRegularFile(::dirfd(dir.get()), *entry)) names.emplace_back(entry->d_name);
    }
    NameOrder().sort(names);
    return names;
}

PathLines splitPathForLabels(const QString& path, int labelWidth,
                             const std::function<int(const QString&)>& textWidth) {
    if (textWidth(path) <= labelWidth) return {path, {}};
    qsizetype length = 1;
    while (length < path.size() - 1 && textWidth(path.left(length)) < labelWidth - 2)
        ++length;
    const qsizetype separator = path.lastIndexOf(QLatin1Char('/'), length - 1);
    if (separator < 0) return {path.left(length), path.mid(length)};
    return {path.left(separator + 1), path.mid(separator + 1)};
}

QString appendFileNames(QString fileSpec, const QStringList& names) {
    for (const QString& name : names) {
        if (!fileSpec.isEmpty()) fileSpec += QLatin1Char(',');
        fileSpec += name;
    }
    return fileSpec;
}

QPoint listingPosition(const ListingAnchor& anchor, int clientHeight) {
    return {anchor.mainLeft + anchor.filespecLeft,
            anchor.mainTop + anchor.mainHeight - anchor.statusHeight - clientHeight};
}

} // namespace ferrolux
