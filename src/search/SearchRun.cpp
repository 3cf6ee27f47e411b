#include "search/SearchRun.h"

#include "platform/archive/ArchiveFormats.h"
#include "platform/files/TempFolders.h"
#include "platform/posix/Descriptors.h"
#include "search/DateDisplay.h"
#include "search/FileMask.h"
#include "search/PatternPreparation.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/ZipPhase.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <optional>

namespace ferrolux {
namespace {

// Room for the files searched ahead of the oldest one still being searched.
constexpr size_t kFilesAheadPerThread = 256;

std::string::size_type nameStart(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool hasZipExtension(const std::string& path) {
    return hasFileExtension(path, ".zip");
}

// The next comma-separated item of specs from pos (npos when none is left),
// with blanks and control characters trimmed from both ends.
std::string nextSpec(const std::string& specs, std::string::size_type& pos) {
    std::string item;
    if (pos < specs.size()) {
        const std::string::size_type comma = specs.find(',', pos);
        item = specs.substr(pos, comma == std::string::npos ? std::string::npos : comma - pos);
        pos = comma == std::string::npos ? std::string::npos : comma + 1;
    } else {
        pos = std::string::npos;
    }
    const auto blank = [](char c) { return (unsigned char)c <= ' '; };
    while (!item.empty() && blank(item.back()))
        item.pop_back();
    std::string::size_type first = 0;
    while (first < item.size() && blank(item[first]))
        ++first;
    return item.substr(first);
}

} // namespace

// One entry of the walk: a file to search, or something to tell the host in
// its turn (a note).
struct SearchRun::WalkItem {
    uint64_t sequence = 0; // of the files, in walk order
    std::string path;
    std::shared_ptr<const UniqueFd> directory; // the open folder of path, if shared
    dev_t folderDevice = 0;                    // that folder's device
    FileSearchOptions options;
    std::string archive; // the archive the file was extracted from, in the Zip phase
    FileOutcome outcome;
    std::optional<FileResult> row; // built where the file was searched
    std::function<void()> note;
};

// What the walk and the Zip phase tell the host goes through here, so that it
// reaches the host in walk order, after everything about the files before.
class SearchRun::WalkOrderHost : public SearchHost {
public:
    explicit WalkOrderHost(SearchRun& run) : run_(run) {}

    void processPendingMessages() override { run_.host_.processPendingMessages(); }
    void setStatus(const QString& text) override {
        inTurn([this, text] { run_.host_.setStatus(text); });
    }
    void appendFileRow(const FileResult& row) override {
        inTurn([this, row] { run_.host_.appendFileRow(row); });
    }
    void notSearched(const NotSearched& record) override {
        inTurn([this, record] { run_.recordNotSearched(record); });
    }
    // The search waits until the user was told: everything before is told first.
    void tell(const UserMessage& message) override {
        run_.pool_->drain();
        run_.host_.tell(message);
    }

private:
    void inTurn(std::function<void()> action) {
        WalkItem item;
        item.note = std::move(action);
        run_.pool_->note(std::move(item));
    }

    SearchRun& run_;
};

SearchRun::SearchRun(SearchState& state, const SearchRequest& request, int32_t maxMatchLen,
                     const QString& dateDisplayFormat, SearchHost& host, int threads)
    : state_(state), request_(request), dateDisplayFormat_(dateDisplayFormat),
      locale_(QLocale::system()), host_(host),
      walkOrderHost_(std::make_unique<WalkOrderHost>(*this)), readAhead_(threads) {
    threads = std::max(threads, 1);
    for (int i = 0; i < threads; ++i)
        searches_.push_back(
            std::make_unique<FileSearch>(state_.SearchPattern, maxMatchLen, &state_.Canceled));
    Tree1.setFolderBudget(folderDescriptorBudget(threads));
    Tree1.FoldersToSkip = maskList(request_.FoldersToSkip);
    Tree1.ProcessMessages = [this] {
        pool_->wakeIdle(); // the files found so far are searched while the next folder is listed
        host_.processPendingMessages();
    };
    Tree1.OnDirectoryFound = [this](TTreeScanner&) { Tree1DirectoryFound(); };
    Tree1.OnFileFound = [this](TTreeScanner&) { Tree1FileFound(); };
    Tree1.OnSubdirectoriesListed = [this](const std::shared_ptr<const UniqueFd>& folder,
                                          const std::vector<std::string>& subdirectories) {
        readAhead_.offerFolders(folder, subdirectories);
    };
    Tree1.OnUnreadableDirectory = [this](const std::string& path, int error) {
        walkOrderHost_->notSearched({path, notSearchedReasonFor(error), error});
    };
    pool_ = std::make_unique<OrderedPool<WalkItem>>(
        threads, kFilesAheadPerThread * size_t(threads),
        [this](int worker, WalkItem& item) { search(worker, item); },
        [this](WalkItem& item) { release(item); },
        [this](const WalkItem& item) { host_.stillSearching(item.path); });
}

SearchRun::~SearchRun() = default;

void SearchRun::run(const std::vector<FileResult>& listedRows) {
    cleanupAtSearchStart(state_, request_.ListedFilesOnly, host_);
    state_.StartTicks = tickCount();
    if (request_.ListedFilesOnly)
        WalkListedFiles(listedRows);
    else
        WalkFileSpecs(request_.StartDirectory,
                      workingFileSpecs(request_.FileSpecs, request_.live->SearchZipFiles,
                                       request_.SearchArchives));
    pool_->drain(); // the Zip phase needs every archive the walk found
    ZipPhase(state_, *walkOrderHost_)
        .run(workingFileSpecs(request_.FileSpecs, false),
             [this](const std::string& root, const std::string& specs) {
                 WalkFileSpecs(root, specs);
             });
    pool_->drain();
}

void SearchRun::WalkFileSpecs(const std::string& root, const std::string& specs) {
    std::string::size_type pos = 0;
    scanFrom(root, [&] {
        Tree1.ExactFileName = false;
        do {
            Tree1.setFileMask(nextSpec(specs, pos));
            Tree1.Scan();
        } while (pos != std::string::npos && pos < specs.size());
    });
}

void SearchRun::WalkListedFiles(const std::vector<FileResult>& rows) {
    for (const FileResult& row : rows) {
        const std::string& extracted = row.ExtractedPath;
        scanFrom(extracted.empty() ? row.Directory : extracted.substr(0, nameStart(extracted)),
                 [&] {
                     // A listed name is a name, not a mask: "a*.txt" must not bring in other files.
                     Tree1.ExactFileName = true;
                     Tree1.setFileMask(row.FileName);
                     Tree1.Scan();
                 });
    }
    Tree1.ExactFileName = false;
}

// An extraction folder is walked from the private folder held open, never
// along its path: a folder above the private one may have been swapped for
// a link, and another folder's files must never be listed as an archive's.
void SearchRun::scanFrom(const std::string& root, const std::function<void()>& scan) {
    if (!isExtractionFolder(root)) {
        Tree1.setInitialDirectory(root);
        return scan();
    }
    const UniqueFd folder(openExtractionFolder(root));
    if (!folder) {
        const int error = errno;
        return walkOrderHost_->notSearched({root, notSearchedReasonFor(error), error});
    }
    Tree1.setInitialDirectory(root, folder.get());
    scan();
    Tree1.setInitialDirectory(root);
}

void SearchRun::Tree1DirectoryFound() {
    if (!request_.live->IncludeSubdirectories) Tree1.KeepScanning = false;
}

// The walk's side of a file: Stop, archives left out, and the options in
// force now; opening, classifying and counting happen in the pool.
void SearchRun::Tree1FileFound() {
    host_.processPendingMessages();
    if (state_.Canceled) {
        Tree1.KeepScanning = false;
        return;
    }
    const LiveOptions& live = *request_.live;
    WalkItem item;
    item.path = Tree1.FileFound();
    item.directory = Tree1.Directory();
    item.folderDevice = Tree1.DirectoryDevice();
    item.options.archive = hasZipExtension(item.path);
    if (item.options.archive && !live.SearchZipFiles) return;
    if (request_.SearchArchives && live.SearchZipFiles && isReadableArchiveName(item.path)) {
        // Read by libarchive, which tells the format from the bytes: queued
        // in walk order, never searched as a file.
        item.note = [this, path = item.path] { state_.PendingZips.push_back(path); };
        return pool_->note(std::move(item));
    }
    item.options.textFiles = live.TextFiles;
    item.options.binaryFiles = live.BinaryFiles;
    item.options.caseSensitive = live.CaseSensitive;
    if (state_.InZipPass) item.archive = state_.CurrentZip;
    item.sequence = filesReported_++;
    readAhead_.offer(item.sequence, item.directory, item.path);
    pool_->submit(std::move(item));
}

void SearchRun::search(int worker, WalkItem& item) {
    readAhead_.reached(item.sequence);
    FileSearch& files = *searches_[size_t(worker)];
    const char* name = item.path.c_str() + nameStart(item.path);
    if (item.directory) {
        item.outcome = files.searchAt(item.directory->get(), name, item.options, item.folderDevice);
    } else if (const std::string folder = item.path.substr(0, nameStart(item.path));
               isExtractionFolder(folder)) {
        // Never along the path of an extracted copy (see scanFrom).
        const UniqueFd opened(
            openWaitingForDescriptor([&] { return openExtractionFolder(folder); }));
        item.outcome = opened ? files.searchAt(opened.get(), name, item.options)
                              : FileOutcome{FileOutcome::Kind::Unreadable, errno};
    } else {
        item.outcome = files.search(item.path, item.options);
    }
    item.directory.reset(); // not held open until the file's turn comes
    const FileOutcome& outcome = item.outcome;
    if (outcome.fromDisk) readAhead_.fromDisk();
    if (outcome.kind == FileOutcome::Kind::Searched && outcome.matches > 0 && !outcome.cutShort)
        item.row = makeRow(item);
}

// Applies what was learnt about a file, in walk order.
void SearchRun::release(WalkItem& item) {
    if (item.note) return item.note();
    const FileOutcome& outcome = item.outcome;
    switch (outcome.kind) {
    case FileOutcome::Kind::Canceled:
    case FileOutcome::Kind::Filtered:
        return;
    case FileOutcome::Kind::Unreadable:
        return recordNotSearched({item.path, notSearchedReasonFor(outcome.error), outcome.error});
    case FileOutcome::Kind::StreamFile:
        return recordNotSearched({item.path, NotSearchedReason::StreamFile, ESPIPE});
    case FileOutcome::Kind::Archive:
        if (outcome.queueArchive) state_.PendingZips.push_back(item.path);
        return;
    case FileOutcome::Kind::Searched:
        host_.searchingFile(item.path);
        ++state_.FilesSearched;
        if (!item.row) return;
        host_.appendFileRow(*item.row);
        ++state_.FilesWithMatches;
        state_.TotalMatches += outcome.matches;
    }
}

void SearchRun::recordNotSearched(const NotSearched& record) {
    state_.NotSearchedFiles.push_back(record);
    host_.notSearched(record);
}

FileResult SearchRun::makeRow(const WalkItem& item) const {
    FileResult row;
    const std::string& path = item.path;
    const std::string::size_type name = nameStart(path);
    const bool fromArchive = !item.archive.empty();
    row.FileName = path.substr(name);
    row.Directory = fromArchive ? item.archive : path.substr(0, name);
    row.Matches = item.outcome.matches;
    row.Type = item.outcome.binary ? QStringLiteral("B") : QStringLiteral("T");
    row.Size = item.outcome.size;
    row.ModifiedTime = item.outcome.modified;
    row.DateTime = formatDateTime(item.outcome.modified, dateDisplayFormat_, locale_);
    if (fromArchive) row.ExtractedPath = path;
    return row;
}

int64_t tickCount() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

} // namespace ferrolux
