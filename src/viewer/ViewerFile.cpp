#include "viewer/ViewerFile.h"

#include "engine/Searcher.h"
#include "platform/posix/OpenPath.h"
#include "search/BinaryScan.h"
#include "search/TextDecoding.h"
#include "viewer/BinaryText.h"
#include "viewer/Utf16Text.h"
#include "viewer/ViewerMatchTable.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

constexpr size_t IndexChunk = size_t(1) << 20;

// A line longer than a few megabytes is searched in windows, so memory does
// not grow with the line (the viewer colours the whole line anyway).
constexpr GrepLimits ViewerGrepLimits{size_t(1) << 20, size_t(8) << 20, size_t(1) << 20,
                                      size_t(64) << 10};

} // namespace

ViewerFile::ViewerFile(std::shared_ptr<const ViewerText> text, bool binary,
                       std::function<void()> notify)
    : text_(std::move(text)), index_(std::make_shared<RowIndex>()),
      reader_(std::make_shared<RowReader>(text_, index_)), binary_(binary),
      notify_(std::move(notify)) {}

std::unique_ptr<ViewerFile> ViewerFile::open(const ViewerJob& job, std::function<void()> notify,
                                             int& error) {
    UniqueFd fd(openRegularFile(job.path));
    if (!fd) {
        error = errno;
        return nullptr;
    }
    error = 0;
    struct stat info {};
    ::fstat(fd.get(), &info);
    UniqueFd watched(::dup(fd.get()));
    const int searchFd = ::dup(fd.get()); // the engine's file search owns its own
    std::shared_ptr<const ViewerText> text;
    if (job.binary) {
        // The bytes the search recorded, or what is left of them.
        auto file = std::make_shared<const FileText>(std::move(fd), std::max<int64_t>(job.size, 0));
        text = std::make_shared<const BinaryShownText>(std::move(file));
    } else {
        text = textFileText(std::move(fd));
    }
    std::unique_ptr<ViewerFile> viewed(
        new ViewerFile(std::move(text), job.binary, std::move(notify)));
    viewed->watched_ = std::move(watched);
    viewed->openedSize_ = info.st_size;
    viewed->openedTime_ = info.st_mtim;
    viewed->start(job, searchFd);
    return viewed;
}

std::unique_ptr<ViewerFile> ViewerFile::showText(std::string text) {
    std::unique_ptr<ViewerFile> shown(
        new ViewerFile(std::make_shared<const MemoryText>(text), false, [] {}));
    RowIndexBuilder builder(*shown->index_);
    builder.feed(text);
    builder.finish();
    shown->matchesDone_ = true;
    return shown;
}

ViewerFile::~ViewerFile() {
    cancel_ = true;
    if (indexThread_.joinable()) indexThread_.join();
    if (matchThread_.joinable()) matchThread_.join();
}

void ViewerFile::start(const ViewerJob& job, int fd) {
    indexThread_ = std::thread([this] { indexRows(); });
    matchThread_ = std::thread([this, job, fd] {
        if (binary_) {
            if (fd >= 0) ::close(fd);
            findBinaryMatches(job);
        } else {
            findTextMatches(job, fd);
        }
        {
            std::lock_guard lock(mutex_);
            matchesDone_ = true;
        }
        signal();
    });
}

void ViewerFile::indexRows() {
    RowIndexBuilder builder(*index_);
    const std::unique_ptr<engine::ByteSource> source =
        text_->readFromStart(ViewerText::Pass::Index);
    std::string chunk(IndexChunk, '\0');
    while (!cancel_) {
        const size_t n = source->read(chunk.data(), chunk.size());
        if (n == 0) break;
        builder.feed(std::string_view(chunk.data(), n));
        signal();
    }
    builder.finish();
    signal();
}

// The matching lines, as the engine numbers them (UTF-16 decoded as
// counting does), up to MaxMatches.
void ViewerFile::findTextMatches(const ViewerJob& job, int fd) {
    std::string error;
    const engine::PatternHandle pattern =
        engine::compileForLines(job.pattern, job.caseSensitive, error);
    const int32_t limit = viewerMatchLimit(job.maxMatches);
    if (!pattern || limit <= 0 || fd < 0) {
        if (fd >= 0) ::close(fd);
        return;
    }
    engine::Searcher searcher(ViewerGrepLimits);
    int32_t count = 0;
    searcher.forEachLine(pattern, textSourceOf(fd), &cancel_, [&](const engine::LineMatch& line) {
        addMatch({line.number - 1, 0});
        return ++count < limit;
    });
}

// Exactly the ranges the engine reports in the shown text, by the scanner
// that counts binary files; a match longer than MaxMatchLen is skipped.
void ViewerFile::findBinaryMatches(const ViewerJob& job) {
    std::string error;
    const engine::PatternHandle pattern =
        engine::compileForMemory(job.pattern, job.caseSensitive, error);
    const int32_t limit = viewerMatchLimit(job.maxMatches);
    if (!pattern || limit <= 0) return;
    const std::unique_ptr<engine::ByteSource> shown =
        text_->readFromStart(ViewerText::Pass::Search);
    engine::ReadBuffer buffer;
    int32_t count = 0;
    scanBinaryText(
        *pattern, *shown, job.maxMatchLen, buffer, {}, &cancel_, [&](const BinaryMatch& match) {
            addMatch({match.windowOffset + int64_t(match.start), int64_t(match.end - match.start)});
            return ++count < limit;
        });
}

bool ViewerFile::changedOnDisk() const {
    struct stat info {};
    if (!watched_ || ::fstat(watched_.get(), &info) != 0) return false;
    return info.st_size != openedSize_ || info.st_mtim.tv_sec != openedTime_.tv_sec ||
           info.st_mtim.tv_nsec != openedTime_.tv_nsec;
}

void ViewerFile::addMatch(const FoundMatch& match) {
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(match);
    }
    signal();
}

void ViewerFile::signal() {
    if (!notified_.exchange(true)) notify_();
}

bool ViewerFile::indexed(const FoundMatch& match, const RowIndex::State& state) const {
    if (binary_) return match.position < state.knownEnd.offset;
    return match.position < state.knownEnd.line ||
           (match.position == state.knownEnd.line && state.midLine);
}

ViewerFile::Progress ViewerFile::takeProgress() {
    notified_ = false;
    Progress progress;
    progress.index = index_->state();
    std::lock_guard lock(mutex_);
    const RowIndex::State& state = progress.index;
    while (handed_ < pending_.size() && (state.complete || indexed(pending_[handed_], state))) {
        const FoundMatch& match = pending_[handed_++];
        // A match past the end: the file changed between the two reads.
        const bool inText = binary_ ? match.position <= state.knownEnd.offset
                                    : match.position <= state.knownEnd.line;
        if (inText) progress.matches.push_back(match);
    }
    progress.finished = state.complete && matchesDone_ && handed_ == pending_.size();
    return progress;
}

} // namespace ferrolux
