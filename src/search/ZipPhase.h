#pragma once

#include "platform/zip/TZipMaster.h"

#include <QString>
#include <functional>
#include <string>

namespace ferrolux {

class SearchHost;
struct SearchState;

// The password tried on every encrypted archive entry.
inline constexpr char ZipPassword[] = "qorvantelbismu";

// The text of the "Zip File Error" box for an archive.
QString zipFileErrorText(const std::string& zipFilename);

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
// files are listed under the archive. An archive that reports a problem gets
// one "Zip File Error" box per problem and is not searched; the next archive
// is processed all the same.
class ZipPhase {
public:
    using WalkFileSpecs = std::function<void(const std::string& root, const std::string& specs)>;

    ZipPhase(SearchState& state, SearchHost& host);

    // fileSpecs: the file specifications as typed, upper-cased, without the
    // ",*.ZIP" the ordinary walk added. Archives queued while this runs
    // (archives inside archives) wait for a later search.
    void run(const std::string& fileSpecs, const WalkFileSpecs& walk);

    // The extractor's message handler.
    void Zip1Message(TZipMaster& sender, int ErrCode, const std::string& Message);

    // What one search may extract: each archive at most MaxArchiveBytes, all
    // of them together at most MaxSearchBytes and never more than half of
    // the temporary folder's free space when the phase starts. An archive
    // past what is left is refused like any other archive problem.
    uint64_t MaxArchiveBytes = uint64_t{4} << 30;
    uint64_t MaxSearchBytes = uint64_t{8} << 30;

private:
    void processArchive(const std::string& archive, const std::string& specs,
                        const WalkFileSpecs& walk);

    SearchState& state_;
    SearchHost& host_;
    TZipMaster Zip1;
    uint64_t bytesLeft_ = 0;
};

} // namespace ferrolux
