#include "app/MainResultLists.h"

#include "platform/ui/ColorRef.h"
#include "platform/ui/ScreenFonts.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "results/RowDisplay.h"
#include "search/SearchSession.h"
#include "search/TextDecoding.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>

namespace ferrolux {

MainResultLists::MainResultLists(SearchSession& session, const Settings& settings,
                                 const SearchControls& controls, const ResultControls& results)
    : session_(session), settings_(settings), controls_(controls), results_(results) {}

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
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    MatchListView* lines = results_.lstLines1;
    lines->clearLines();
    const FileResult row = results_.lstFiles1->row(selected);
    lines->setHighlightColor(fromColorRef(settings_.ViewerHighColor));
    lines->setLines(session_.lines(row, controls_.chkCase->isChecked(),
                                   {settings_.MaxMatches, settings_.MaxMatchLen}));
    const int numberWidth = row.Type == QLatin1String("B")      ? 0
                            : primaryScreenSize().width() > 800 ? 60
                                                                : 45;
    lines->fitColumns(numberWidth);
    results_.lblMatches->setText(QStringLiteral("Matches in: ") + displayText(displayName(row)));
    results_.lblMatches->adjustSize();
    results_.lblMatches->show();
    lines->setEnabled(true);
    QGuiApplication::restoreOverrideCursor();
}

} // namespace ferrolux
