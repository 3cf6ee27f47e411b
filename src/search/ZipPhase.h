#pragma once

#include "platform/archive/ArchiveExtractor.h"
#include "platform/files/TempFolders.h"
#include "platform/zip/TZipMaster.h"

#include <functional>
#include <string>

namespace ferrolux {

class SearchHost;
struct SearchState;

// The password tried on every encrypted archive entry.
inline constexpr char ZipPassword[] = "qorvantelbismu";

// Start of a search: forgets the archives queued by the last walk and, unless
// only the listed files are searched again (their rows may point into the
// extraction folders), deletes the extraction folders of earlier searches.
void cleanupAtSearchStart(SearchState& state, bool listedFilesOnly, SearchHost& host);

// Deletes every extraction folder in TempFolders and forgets both archive
// lists: the cleanup when the main window closes. Only folders this process
// created inside its private temporary folder are ever deleted.
void deleteTempFolders(SearchState& state);

// After the walk: extracts each archive the walk queued into a folder of its
// own and walks that folder with the user's file specifications, so that its
// files are listed under the archive. Zip archives go through TZipMaster,
// tar, 7z and RAR archives through libarchive. The user is told of each
// problem an archive reports, and the archive is not searched; the next
// archive is processed all the same. A temporary folder that cannot be
// written is told once, as what it is. Every archive not searched is also
// recorded as not searched, with the reason its extractor gave.
class ZipPhase {
public:
    using WalkFileSpecs = std::function<void(const std::string& root, const std::string& specs)>;

    ZipPhase(SearchState& state, SearchHost& host);

    // fileSpecs: the file specifications as typed, upper-cased, without the
    // ",*.ZIP" the ordinary walk added. Archives queued while this runs
    // (archives inside archives) wait for a later search.
    void run(const std::string& fileSpecs, const WalkFileSpecs& walk);

    // The extractors' message handlers.
    void Zip1Message(TZipMaster& sender, int ErrCode, const std::string& Message);
    void Archive1Message(ArchiveExtractor& sender, int ErrCode, const std::string& Message);

    // What one search may extract: each archive at most MaxArchiveBytes, all
    // of them together at most MaxSearchBytes and never more than half of
    // the temporary folder's free space when the phase starts. An archive
    // past what is left is refused like any other archive problem.
    uint64_t MaxArchiveBytes = uint64_t{4} << 30;
    uint64_t MaxSearchBytes = uint64_t{8} << 30;
    // Entries of any kind one archive may have.
    int64_t MaxArchiveEntries = 100000;

private:
    void processArchive(const std::string& archive, const std::string& specs,
                        const WalkFileSpecs& walk);
    // Both return the bytes written.
    uint64_t extractZip(const std::string& archive, const ExtractionFolder& folder, uint64_t limit);
    uint64_t extractArchive(const std::string& archive, const ExtractionFolder& folder,
                            uint64_t limit);
    void archiveRefused(const std::string& archive, int code, int error = 0);
    void tempFolderUnwritable(const std::string& why);

    SearchState& state_;
    SearchHost& host_;
    TZipMaster Zip1;
    ArchiveExtractor Archive1;
    uint64_t bytesLeft_ = 0;
    bool tempFolderReported_ = false;
};

} // namespace ferrolux
