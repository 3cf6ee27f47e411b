#pragma once

#include "platform/posix/DirectoryEntries.h"
#include "platform/posix/FileSystems.h"
#include "platform/posix/UniqueFd.h"
#include "search/NameOrder.h"

#include <functional>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace ferrolux {

// Walks a directory tree depth-first: every directory is reported before its
// contents, the files of a directory (fitting FileMask, in the locale's
// collation without regard to case) before its subdirectories. Paths are
// bytes; only regular files (or links to them) are reported and links to
// directories are never entered. Each folder is opened from its parent's
// descriptor, so a level costs the same at any depth. The mount points of
// the kernel's virtual file systems (proc, sysfs, devtmpfs, ...) are not
// entered unless the walk started inside one.
class TTreeScanner {
public:
    using NotifyEvent = std::function<void(TTreeScanner& sender)>;

    TTreeScanner();
    ~TTreeScanner();

    NotifyEvent OnDirectoryFound; // FileFound() holds the directory, ending in "/"
    NotifyEvent OnDirectoryDone;  // FileFound() holds the directory again
    NotifyEvent OnFileFound;      // FileFound() holds the file's full path

    // Called before each directory so the owner can handle pending input.
    std::function<void()> ProcessMessages;

    // A folder was listed, open as `folder`; these subdirectories of it are
    // walked next, in this order (so that they can be read ahead).
    std::function<void(const std::shared_ptr<const UniqueFd>& folder,
                       const std::vector<std::string>& subdirectories)>
        OnSubdirectoriesListed;

    // Told about a directory that cannot be listed (path, errno).
    std::function<void(const std::string& path, int error)> OnUnreadableDirectory;

    // The walk goes on while true; Scan sets it, handlers may clear it.
    bool KeepScanning = false;

    // Folders whose names fit one of these masks are not entered, at any
    // depth below the start folder; nothing is told about them.
    std::vector<std::string> FoldersToSkip;

    // When set, FileMask is a file name that must be equal byte for byte
    // (walking the files of earlier results), not a wildcard mask.
    bool ExactFileName = false;

    void Scan();

    // The collation that orders the names of a directory (the user's locale
    // unless told otherwise).
    void setCollationLocale(const QLocale& locale) { nameOrder_ = NameOrder(locale); }

    // How many folders may be open at once, by all walks together: for the
    // files waiting to be searched in them and for the way back up. Past it
    // files are opened by their path, and a folder left open for its
    // remaining subdirectories is closed and opened by path again when the
    // walk comes back to it. By default sized from the limit on open files.
    void setFolderBudget(int folders) { folderBudget_ = folders; }

    const std::string& FileFound() const { return fileFound_; }
    // While a file is reported: its directory, open, so that the file can be
    // opened by name; whoever keeps a share keeps it open. Null when the
    // folders open already use up the budget.
    const std::shared_ptr<const UniqueFd>& Directory() const { return directory_; }
    // While a file is reported: the device of its directory.
    dev_t DirectoryDevice() const { return directoryDevice_; }
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
    struct Level;

    bool announce();
    void enterNext();
    void enter(int fd);
    bool isVirtualMountPoint(const struct ::stat& folder, int fd);
    void leave();
    int openStart();
    int openSubdirectory(Level& parent, const std::string& name);
    bool reopen(Level& level);
    void keepWithinBudget();
    void closeHeldLevels();
    bool fits(const char* name) const;
    bool skipped(const char* folder) const;

    std::string fileFound_; // the folder being walked; a file's name is added while it is reported
    std::vector<Level> levels_; // the folders whose subdirectories are being walked
    size_t closedBelow_ = 0;    // levels under this index hold no folder open
    std::shared_ptr<const UniqueFd> directory_;
    dev_t directoryDevice_ = 0;
    std::string initialDirectory_;
    int initialFolder_ = -1;
    std::string fileMask_;
    bool searchInProgress_ = false;
    bool startIsVirtual_ = false;
    VirtualMounts virtualMounts_;
    int folderBudget_;
    NameOrder nameOrder_;
    DirectoryEntries entries_;
};

} // namespace ferrolux
