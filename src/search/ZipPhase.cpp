#include "search/ZipPhase.h"

#include "platform/files/TempFolders.h"
#include "search/FileMask.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/SearchTexts.h"

#include <algorithm>
#include <cstring>

namespace ferrolux {
namespace {

// What the not-searched list says of an archive its extractor refused.
NotSearchedReason refusalReason(int code) {
    switch (code) {
    case ZipEncrypted:
        return NotSearchedReason::ArchiveEncrypted;
    case ZipTooLarge:
        return NotSearchedReason::ArchiveTooLarge;
    case ZipTooManyEntries:
        return NotSearchedReason::ArchiveTooManyEntries;
    case ZipCannotWrite:
        return NotSearchedReason::TempFolderUnwritable;
    default: // cannot be opened, an entry that fails or outgrows its declared size
        return NotSearchedReason::ArchiveDamaged;
    }
}

} // namespace

void cleanupAtSearchStart(SearchState& state, bool listedFilesOnly, SearchHost& host) {
    state.PendingZips.clear();
    state.InZipPass = false;
    if (listedFilesOnly) return;
    if (!state.TempFolders.empty()) {
        host.setStatus(deletingTemporaryFilesStatus());
        for (const std::string& folder : state.TempFolders)
            deleteExtractionFolder(folder);
        host.setStatus(QString());
    }
    state.TempFolders.clear();
}

void deleteTempFolders(SearchState& state) {
    for (const std::string& folder : state.TempFolders)
        deleteExtractionFolder(folder);
    state.TempFolders.clear();
    state.PendingZips.clear();
}

ZipPhase::ZipPhase(SearchState& state, SearchHost& host) : state_(state), host_(host) {
    Zip1.ExtrOptions = ExtrOverWrite;
    Zip1.Verbose = true;
    Zip1.Unattended = false;
    Zip1.OnMessage = [this](TZipMaster& sender, int code, const std::string& message) {
        Zip1Message(sender, code, message);
    };
    Archive1.OnMessage = [this](ArchiveExtractor& sender, int code, const std::string& message) {
        Archive1Message(sender, code, message);
    };
}

void ZipPhase::run(const std::string& fileSpecs, const WalkFileSpecs& walk) {
    if (state_.PendingZips.empty()) return;
    state_.InZipPass = true;
    tempFolderReported_ = false;
    bytesLeft_ = std::min(MaxSearchBytes, tempFolderFreeSpace() / 2);
    const size_t count = state_.PendingZips.size();
    for (size_t i = 0; i < count; ++i) {
        // A copy: the walk may queue more archives and so move the list.
        const std::string archive = state_.PendingZips[i];
        processArchive(archive, fileSpecs, walk);
    }
}

void ZipPhase::processArchive(const std::string& archive, const std::string& specs,
                              const WalkFileSpecs& walk) {
    const bool zip = hasFileExtension(archive, ".zip");
    host_.setStatus(extractingStatus(archive, zip));
    state_.ZipError = false;
    state_.CurrentZip = archive;
    const ExtractionFolder folder = createExtractionFolder(archive);
    if (folder.path.empty()) {
        archiveRefused(archive, ZipCannotWrite, folder.error);
        return tempFolderUnwritable(std::strerror(folder.error));
    }
    state_.TempFolders.push_back(folder.path);
    const uint64_t limit = std::min(MaxArchiveBytes, bytesLeft_);
    const uint64_t written =
        zip ? extractZip(archive, folder, limit) : extractArchive(archive, folder, limit);
    bytesLeft_ -= std::min(bytesLeft_, written);
    if (!state_.ZipError) walk(folder.path, specs);
}

uint64_t ZipPhase::extractZip(const std::string& archive, const ExtractionFolder& folder,
                              uint64_t limit) {
    Zip1.setZipFilename(archive);
    Zip1.ExtrBaseDir = folder.path;
    Zip1.ExtrBaseFolder = folder.folder.get();
    Zip1.Password = ZipPassword;
    Zip1.MaxTotalBytes = limit;
    Zip1.MaxEntries = MaxArchiveEntries;
    Zip1.Extract();
    Zip1.ExtrBaseFolder = -1;
    return Zip1.BytesWritten();
}

uint64_t ZipPhase::extractArchive(const std::string& archive, const ExtractionFolder& folder,
                                  uint64_t limit) {
    Archive1.ArchiveFilename = archive;
    Archive1.ExtrBaseDir = folder.path;
    Archive1.ExtrBaseFolder = folder.folder.get();
    Archive1.MaxTotalBytes = limit;
    Archive1.MaxEntries = MaxArchiveEntries;
    Archive1.Extract();
    Archive1.ExtrBaseFolder = -1;
    return Archive1.BytesWritten();
}

void ZipPhase::Zip1Message(TZipMaster& sender, int ErrCode, const std::string& Message) {
    if (ErrCode == ZipInformation) return;
    sender.Cancel = true;
    archiveRefused(sender.ZipFilename(), ErrCode);
    // The library's own text is not shown, except to tell a folder that
    // cannot be written from a damaged archive.
    if (ErrCode == ZipCannotWrite) return tempFolderUnwritable(Message);
    host_.tell(zipFileError(sender.ZipFilename()));
}

void ZipPhase::Archive1Message(ArchiveExtractor& sender, int ErrCode, const std::string& Message) {
    if (ErrCode == ZipInformation) return;
    sender.Cancel = true;
    archiveRefused(sender.ArchiveFilename, ErrCode);
    if (ErrCode == ZipCannotWrite) return tempFolderUnwritable(Message);
    host_.tell(archiveError(sender.ArchiveFilename));
}

// Once per archive: an extractor may go on to report what followed from
// its first problem.
void ZipPhase::archiveRefused(const std::string& archive, int code, int error) {
    if (state_.ZipError) return;
    state_.ZipError = true;
    host_.notSearched({archive, refusalReason(code), error});
}

// Once per search: every archive after it would meet the same folder.
void ZipPhase::tempFolderUnwritable(const std::string& why) {
    state_.ZipError = true;
    if (tempFolderReported_) return;
    tempFolderReported_ = true;
    host_.tell(tempFolderError(systemTempFolder(), why));
}

} // namespace ferrolux
