#include "search/ZipPhase.h"

#include "platform/MessageBoxA.h"
#include "platform/files/TempFolders.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/TextDecoding.h"

#include <algorithm>

namespace ferrolux {

QString zipFileErrorText(const std::string& zipFilename) {
    return QStringLiteral("Error in Zip file: ") + displayText(zipFilename) +
           QStringLiteral("\n\nThis file will not be searched, but processing\n"
                          "will continue for other files.");
}

void cleanupAtSearchStart(SearchState& state, bool listedFilesOnly, SearchHost& host) {
    state.PendingZips.clear();
    state.InZipPass = false;
    if (listedFilesOnly) return;
    if (!state.TempFolders.empty()) {
        host.setStatus(QStringLiteral("Deleting temporary files"));
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
}

void ZipPhase::run(const std::string& fileSpecs, const WalkFileSpecs& walk) {
    if (state_.PendingZips.empty()) return;
    state_.InZipPass = true;
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
    host_.setStatus(QStringLiteral("Extracting Zip file ") + displayText(archive));
    state_.ZipError = false;
    state_.CurrentZip = archive;
    // No folder (none could be created) makes the extractor report the
    // archive instead of writing anywhere else.
    const ExtractionFolder folder = createExtractionFolder(archive);
    if (!folder.path.empty()) state_.TempFolders.push_back(folder.path);
    Zip1.setZipFilename(archive);
    Zip1.ExtrBaseDir = folder.path;
    Zip1.ExtrBaseFolder = folder.folder.get();
    Zip1.Password = ZipPassword;
    Zip1.MaxTotalBytes = std::min(MaxArchiveBytes, bytesLeft_);
    Zip1.Extract();
    bytesLeft_ -= std::min(bytesLeft_, Zip1.BytesWritten());
    Zip1.ExtrBaseFolder = -1;
    if (!state_.ZipError) walk(folder.path, specs);
}

void ZipPhase::Zip1Message(TZipMaster& sender, int ErrCode, const std::string& Message) {
    (void)Message; // the library's own text is not shown
    if (ErrCode == ZipInformation) return;
    host_.showMessage(zipFileErrorText(sender.ZipFilename()), QStringLiteral("Zip File Error"),
                      MB_OK | MB_ICONWARNING);
    sender.Cancel = true;
    state_.ZipError = true;
}

} // namespace ferrolux
