#include "search/SearchSession.h"

#include "search/MatchListing.h"
#include "search/SearchRun.h"
#include "search/SearchTexts.h"
#include "search/ZipPhase.h"

namespace ferrolux {

SearchSession::SearchSession() = default;

SearchSession::~SearchSession() {
    deleteExtractionFolders();
}

std::optional<Refusal> SearchSession::begin(const SearchRequest& request) {
    state_.SearchPattern = state_.TypedSearchText = request.SearchText;
    if (std::optional<Refusal> refusal = validateRequest(request, listing_)) return refusal;
    request_ = request;
    state_.InZipPass = false;
    state_.Canceled = false;
    state_.FilesSearched = 0;
    state_.FilesWithMatches = 0;
    state_.TotalMatches = 0;
    state_.NotSearchedFiles.clear();
    state_.SearchPattern =
        prepareSearchPattern(request.SearchText, request.Literal, request.WholeWords);
    changeRows(SessionRowsObserver::Change::Reset, 0, 0, {}, [this] {
        listedRows_.clear();
        if (request_.ListedFilesOnly) listedRows_.swap(rows_);
        rows_.clear();
    });
    return std::nullopt;
}

void SearchSession::run(SearchHost& host, int32_t maxMatchLen, const QString& dateDisplayFormat,
                        int threads) {
    SearchRun(state_, request_, maxMatchLen, dateDisplayFormat, host, threads).run(listedRows_);
    listedRows_.clear();
    state_.ElapsedMs = tickCount() - state_.StartTicks;
}

SearchOutcome SearchSession::outcome() const {
    if (state_.FilesSearched == 0) return SearchOutcome::NoFilesFound;
    if (state_.TotalMatches <= 0) return SearchOutcome::NoMatchesFound;
    return SearchOutcome::MatchesFound;
}

QString SearchSession::summary(const QLocale& locale) const {
    return searchSummary(state_, state_.ElapsedMs, locale);
}

void SearchSession::appendRows(std::vector<FileResult> rows) {
    if (rows.empty()) return;
    changeRows(SessionRowsObserver::Change::Append, rows_.size(), rows.size(), {}, [&] {
        rows_.insert(rows_.end(), std::make_move_iterator(rows.begin()),
                     std::make_move_iterator(rows.end()));
    });
}

void SearchSession::removeRow(std::size_t index) {
    if (index >= rows_.size()) return;
    changeRows(SessionRowsObserver::Change::Remove, index, 1, {},
               [&] { rows_.erase(rows_.begin() + std::ptrdiff_t(index)); });
}

void SearchSession::reorderRows(const std::vector<std::size_t>& order) {
    changeRows(SessionRowsObserver::Change::Reorder, 0, rows_.size(), order, [&] {
        std::vector<FileResult> sorted;
        sorted.reserve(order.size());
        for (const std::size_t from : order)
            sorted.push_back(std::move(rows_[from]));
        rows_ = std::move(sorted);
    });
}

void SearchSession::changeRows(SessionRowsObserver::Change change, std::size_t first,
                               std::size_t count, const std::vector<std::size_t>& order,
                               const std::function<void()>& apply) {
    if (observer_) observer_->rowsChanging(change, first, count);
    apply();
    if (observer_) observer_->rowsChanged(change, order);
}

std::vector<MatchLine> SearchSession::lines(const FileResult& row, bool caseSensitive,
                                            const MatchLimits& limits) {
    return listFileMatches(listing_, row, state_.SearchPattern,
                           caseSensitive ? GrepTrue : GrepFalse, limits.MaxMatches,
                           limits.MaxMatchLen);
}

void SearchSession::deleteExtractionFolders() {
    deleteTempFolders(state_);
}

} // namespace ferrolux
