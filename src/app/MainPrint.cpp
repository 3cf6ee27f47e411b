#include "app/MainPrint.h"

#include "platform/MessageBoxA.h"
#include "platform/ui/DirectoryListBox.h"
#include "print/PrintTexts.h"
#include "print/TfrmPrint.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"
#include "settings/Settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

namespace ferrolux {

MainPrint::MainPrint(QWidget* window, SearchSession& session, const Settings& settings,
                     const SearchControls& controls, const ResultControls& results,
                     std::function<void()> finishListing)
    : window_(window), session_(session), settings_(settings), controls_(controls),
      results_(results), finishListing_(std::move(finishListing)) {}

void MainPrint::cmdPrintClick() {
    reports_.setPrintFont(settings_.PrintFontName, settings_.PrintFontSize);
    if (!frmPrint_) return;
    const std::optional<PrintRequest> request = frmPrint_->choosePrint();
    if (!request) return;
    if (finishListing_) finishListing_();
    const int selected = results_.lstFiles1->selectedRow();
    const PrintSource source{
        session_,
        selected < 0 ? nullptr : &results_.lstFiles1->row(selected),
        results_.lstLines1->lines(),
        controls_.chkCase->isChecked(),
        {settings_.MaxMatches, settings_.MaxMatchLen},
        // The directory and masks of now; the search text of the last search.
        pageHeaderText(session_.state().TypedSearchText, controls_.Dir1->Directory(),
                       controls_.txtFilespec->text()),
    };
    // The status line counts the pages of a long print; the summary is back after.
    const QString summary = results_.pnlStatus->text();
    reports_.pageDone = [this](int page) {
        results_.pnlStatus->setText(printingPageStatus(page));
        results_.pnlStatus->repaint();
    };
    const QString failure = reports_.print(source, request->choice, request->target);
    results_.pnlStatus->setText(summary);
    if (!failure.isEmpty())
        MessageBoxA(window_, failure, QStringLiteral("Error"), MB_OK | MB_ICONWARNING);
}

} // namespace ferrolux
