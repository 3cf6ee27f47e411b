#include "app/MainResultLists.h"

#include "platform/ui/ColorRef.h"
#include "platform/ui/ElidedLabel.h"
#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/RowDisplay.h"
#include "search/MatchListing.h"
#include "search/SearchSession.h"
#include "platform/DisplayText.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QLabel>

namespace ferrolux {
namespace {

QString matchesIn() {
    return QStringLiteral("Matches in: ");
}

} // namespace

MainResultLists::MainResultLists(SearchSession& session, const Settings& settings,
                                 const SearchControls& controls, const ResultControls& results,
                                 std::function<void()> listed)
    : session_(session), settings_(settings), controls_(controls), results_(results),
      listed_(std::move(listed)) {}

int MainResultLists::selectedRow() const {
    return results_.lstFiles1->selectedRow();
}

void MainResultLists::lstFiles1Click() {
    ListFileMatches();
}

void MainResultLists::lstFiles1KeyUp(int key) {
    if (key != Qt::Key_Delete) return ListFileMatches();
    const int selected = results_.lstFiles1->selectedRow();
    if (selected < 0) return;
    listing_.cancel();
    results_.lstLines1->unsetCursor();
    results_.lstFiles1->removeRowAt(selected);
    // Nothing else is picked in its place.
    results_.lstFiles1->clearSelection();
    results_.lstLines1->clearLines();
}

void MainResultLists::lstFiles1ColumnClick(int column) {
    results_.lstFiles1->sortRows(column, sortDirection_);
    sortDirection_ = -sortDirection_;
}

void MainResultLists::ListFileMatches() {
    const int selected = results_.lstFiles1->selectedRow();
    if (selected < 0) return;
    MatchListView* lines = results_.lstLines1;
    lines->clearLines();
    listedRow_ = results_.lstFiles1->row(selected);
    results_.lblMatches->setParts(matchesIn(), displayText(displayName(listedRow_)));
    results_.lblMatches->show();
    // Only the match list is busy: the window goes on taking clicks.
    lines->setCursor(Qt::BusyCursor);
    // The listing works on copies with an engine of its own: the session's
    // engine serves the window's thread.
    work_ = [row = listedRow_, pattern = session_.state().SearchPattern,
             caseFlag = controls_.chkCase->isChecked() ? GrepTrue : GrepFalse,
             limits = MatchLimits{settings_.MaxMatches, settings_.MaxMatchLen}](
                const std::atomic<bool>& stop) {
        GrepEngine engine;
        return listFileMatches(engine, row, pattern, caseFlag, limits.MaxMatches,
                               limits.MaxMatchLen, &stop);
    };
    listing_.start(work_, [this, row = listedRow_](std::vector<MatchLine> found) {
        showLines(row, std::move(found));
    });
}

void MainResultLists::finishListing() {
    if (!listing_.pending()) return;
    listing_.cancel();
    const std::atomic<bool> goOn = false;
    showLines(listedRow_, work_(goOn));
}

void MainResultLists::showLines(const FileResult& row, std::vector<MatchLine> found) {
    MatchListView* lines = results_.lstLines1;
    lines->unsetCursor();
    // Lines of a row no longer picked (a new search, Delete) are not shown.
    const int selected = results_.lstFiles1->selectedRow();
    if (selected < 0 || results_.lstFiles1->row(selected).fullPath() != row.fullPath()) return;
    const QString cut = listedOfTotal(found.size(), row.Matches, row.Type == QLatin1String("B"));
    if (!cut.isEmpty())
        results_.lblMatches->setParts(matchesIn(), displayText(displayName(row)),
                                      QStringLiteral("  (") + cut + QStringLiteral(")"));
    lines->setHighlightColor(fromColorRef(settings_.ViewerHighColor));
    lines->setLines(std::move(found));
    const int numberWidth = row.Type == QLatin1String("B")      ? 0
                            : primaryScreenSize().width() > 800 ? 60
                                                                : 45;
    lines->fitColumns(numberWidth);
    lines->setEnabled(true);
    if (listed_) listed_();
}

} // namespace ferrolux
