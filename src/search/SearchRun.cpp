#include "search/SearchRun.h"

#include "platform/posix/OpenPath.h"
#include "platform/posix/UniqueFd.h"
#include "search/BinaryScan.h"
#include "search/DateDisplay.h"
#include "search/FileMask.h"
#include "search/PatternPreparation.h"
#include "search/SearchHost.h"
#include "search/SearchState.h"
#include "search/TextDecoding.h"
#include "search/ZipPhase.h"

#include <QLocale>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

constexpr size_t kClassifyBytes = 100;

// Codes below 32 other than tab, LF and CR mark a binary file.
bool looksBinary(const unsigned char* bytes, size_t count) {
    for (size_t i = 0; i < count; ++i)
        if (bytes[i] < 32 && bytes[i] != 9 && bytes[i] != 10 && bytes[i] != 13) return true;
    return false;
}

std::string::size_type nameStart(const std::string& path) {
    const std::string::size_type slash = path.rfind('/');
    return slash == std::string::npos ? 0 : slash + 1;
}

bool hasZipExtension(const std::string& path) {
    return hasFileExtension(path, ".zip");
}

bool startsWithPK(int fd) {
    char magic[2] = {};
    return ::pread(fd, magic, 2, 0) == 2 && magic[0] == 'P' && magic[1] == 'K';
}

// The next comma-separated item of specs from pos (0 when none is left), with
// blanks and control characters trimmed from both ends.
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

struct SearchRun::OpenedFile {
    UniqueFd fd;
    bool binary = false;
    int64_t size = 0;
    int64_t modified = 0;
};

SearchRun::SearchRun(SearchState& state, const SearchRequest& request, const Settings& settings,
                     const QString& dateDisplayFormat, SearchHost& host)
    : state_(state), request_(request), settings_(settings), dateDisplayFormat_(dateDisplayFormat),
      host_(host) {
    Tree1.ProcessMessages = [this] { host_.processPendingMessages(); };
    Tree1.OnDirectoryFound = [this](TTreeScanner&) { Tree1DirectoryFound(); };
    Tree1.OnFileFound = [this](TTreeScanner&) { Tree1FileFound(); };
    Tree1.OnUnreadableDirectory = [this](const std::string& path, int error) {
        host_.fileSkipped(path, error);
    };
    engine_.setCancelFlag(&state_.Canceled);
}

void SearchRun::run(const std::vector<FileResult>& listedRows) {
    cleanupAtSearchStart(state_, request_.ListedFilesOnly, host_);
    state_.StartTicks = tickCount();
    if (request_.ListedFilesOnly)
        WalkListedFiles(listedRows);
    else
        WalkFileSpecs(request_.StartDirectory,
                      workingFileSpecs(request_.FileSpecs, request_.live->SearchZipFiles));
    ZipPhase(state_, host_)
        .run(workingFileSpecs(request_.FileSpecs, false),
             [this](const std::string& root, const std::string& specs) {
                 WalkFileSpecs(root, specs);
             });
}

void SearchRun::WalkFileSpecs(const std::string& root, const std::string& specs) {
    Tree1.setInitialDirectory(root);
    Tree1.ExactFileName = false;
    std::string::size_type pos = 0;
    do {
        Tree1.setFileMask(nextSpec(specs, pos));
        Tree1.Scan();
    } while (pos != std::string::npos && pos < specs.size());
}

void SearchRun::WalkListedFiles(const std::vector<FileResult>& rows) {
    // A listed name is a name, not a mask: "a*.txt" must not bring in other files.
    Tree1.ExactFileName = true;
    for (const FileResult& row : rows) {
        const std::string& extracted = row.ExtractedPath;
        Tree1.setInitialDirectory(extracted.empty() ? row.Directory
                                                    : extracted.substr(0, nameStart(extracted)));
        Tree1.setFileMask(row.FileName);
        Tree1.Scan();
    }
    Tree1.ExactFileName = false;
}

void SearchRun::Tree1DirectoryFound() {
    if (!request_.live->IncludeSubdirectories) Tree1.KeepScanning = false;
}

void SearchRun::Tree1FileFound() {
    host_.processPendingMessages();
    if (state_.Canceled) {
        Tree1.KeepScanning = false;
        return;
    }
    const std::string path = Tree1.FileFound();
    std::optional<OpenedFile> file = openForSearch(path);
    if (!file || !passesTypeFilter(file->binary)) return;

    host_.setStatus(QStringLiteral(" Searching ") + displayText(path));
    ++state_.FilesSearched;
    const int32_t count = countMatches(*file);
    // A file cut short by Stop was not searched to its end: no row for it.
    if (count > 0 && !state_.Canceled) appendRow(path, *file, count);
}

// Opens and classifies a reported file; archives are queued for the Zip
// phase and, like unreadable files, go no further.
std::optional<SearchRun::OpenedFile> SearchRun::openForSearch(const std::string& path) {
    const bool archive = hasZipExtension(path);
    const bool searchArchives = request_.live->SearchZipFiles;
    if (archive && !searchArchives) return std::nullopt;

    OpenedFile file;
    file.fd.reset(openRegularFile(path));
    struct stat st {};
    if (!file.fd || ::fstat(file.fd.get(), &st) != 0) {
        host_.fileSkipped(path, errno);
        return std::nullopt;
    }
    if (archive) {
        if (startsWithPK(file.fd.get())) state_.PendingZips.push_back(path);
        return std::nullopt;
    }
    unsigned char head[kClassifyBytes];
    const ssize_t got = ::pread(file.fd.get(), head, sizeof head, 0);
    if (got < 0) {
        host_.fileSkipped(path, errno);
        return std::nullopt;
    }
    file.binary = looksBinary(head, size_t(got));
    file.size = st.st_size;
    file.modified = st.st_mtim.tv_sec;
    return file;
}

bool SearchRun::passesTypeFilter(bool binary) const {
    return binary ? request_.live->BinaryFiles.load() : request_.live->TextFiles.load();
}

int SearchRun::caseFlag() const {
    return request_.live->CaseSensitive ? GrepTrue : GrepFalse;
}

int32_t SearchRun::countMatches(OpenedFile& file) {
    if (file.binary)
        return countBinaryMatches(engine_, file.fd.get(), state_.SearchPattern, caseFlag(),
                                  settings_.MaxMatchLen, &state_.Canceled);
    engine_.SCompileRGrep(state_.SearchPattern, caseFlag());
    engine_.SFileSetFlags(GrepFalse, GrepFalse, GrepFalse, GrepTrue, GrepFalse, GrepTrue);
    engine_.SFileOpenDescriptor(file.fd.release());
    while (engine_.SFileRGrep()) {
    }
    return engine_.SFileClose();
}

void SearchRun::appendRow(const std::string& path, const OpenedFile& file, int32_t count) {
    FileResult row;
    const std::string::size_type name = nameStart(path);
    row.FileName = path.substr(name);
    row.Directory = state_.InZipPass ? state_.CurrentZip : path.substr(0, name);
    row.Matches = count;
    row.Type = file.binary ? QStringLiteral("B") : QStringLiteral("T");
    row.Size = file.size;
    row.ModifiedTime = file.modified;
    row.DateTime = formatDateTime(file.modified, dateDisplayFormat_, QLocale::system());
    if (state_.InZipPass) row.ExtractedPath = path;
    host_.appendFileRow(row);
    ++state_.FilesWithMatches;
    state_.TotalMatches += count;
}

void beginSearch(SearchState& state, const SearchRequest& request) {
    state.InZipPass = false;
    state.Canceled = false;
    state.FilesSearched = 0;
    state.FilesWithMatches = 0;
    state.TotalMatches = 0;
    state.SearchPattern =
        prepareSearchPattern(request.SearchText, request.Literal, request.WholeWords);
}

} // namespace ferrolux
