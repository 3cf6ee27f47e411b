#pragma once

#include "platform/posix/UniqueFd.h"
#include "search/NameOrder.h"

#include <functional>
#include <memory>
#include <string>

namespace ferrolux {

// Walks a directory tree depth-first: every directory is reported before its
// contents, the files of a directory (fitting FileMask, in the locale's
// collation without regard to case) before its subdirectories. Paths are
// bytes; only regular files (or links to them) are reported and links to
// directories are never entered.
class TTreeScanner {
public:
    using NotifyEvent = std::function<void(TTreeScanner& sender)>;

    NotifyEvent OnDirectoryFound; // FileFound() holds the directory, ending in "/"
    NotifyEvent OnDirectoryDone;
    NotifyEvent OnFileFound; // FileFound() holds the file's full path

    // Called before each directory so the owner can handle pending input.
    std::function<void()> ProcessMessages;

    // Told about a directory that cannot be listed (path, errno).
    std::function<void(const std::string& path, int error)> OnUnreadableDirectory;

    // The walk goes on while true; Scan sets it, handlers may clear it.
    bool KeepScanning = false;

    // When set, FileMask is a file name that must be equal byte for byte
    // (walking the files of earlier results), not a wildcard mask.
    bool ExactFileName = false;

    void Scan();

    // The collation that orders the names of a directory (the user's locale
    // unless told otherwise).
    void setCollationLocale(const QLocale& locale) { nameOrder_ = NameOrder(locale); }

    const std::string& FileFound() const { return fileFound_; }
    // While a file is reported: its directory, open, so that the file can be
    // opened by name; whoever keeps a share keeps it open. Null when the
    // descriptor could not be shared, or when 128 folders are held open
    // already (by all walks together).
    const std::shared_ptr<const UniqueFd>& Directory() const { return directory_; }
    bool SearchInProgress() const { return searchInProgress_; }
    const std::string& InitialDirectory() const { return initialDirectory_; }
    // opened: when not -1, that directory already open, where the walk then
    // starts instead of looking the path up again (an extraction folder,
    // whose path may lead elsewhere by now). The caller keeps it open while
    // Scan runs.
    void setInitialDirectory(std::string dir, int opened = -1) {
        initialDirectory_ = std::move(dir);
        initialFolder_ = opened;
    }
    const std::string& FileMask() const { return fileMask_; }
    void setFileMask(std::string mask) { fileMask_ = std::move(mask); }

private:
    void ScanDirectory(const std::string& dir, int opened);
    bool fits(const char* name) const;

    std::string fileFound_;
    std::shared_ptr<const UniqueFd> directory_;
    std::string initialDirectory_;
    int initialFolder_ = -1;
    std::string fileMask_;
    bool searchInProgress_ = false;
    NameOrder nameOrder_;
};

} // namespace ferrolux
