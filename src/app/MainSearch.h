#pragma once

#include "app/MainControls.h"
#include "search/SearchRequest.h"
#include "settings/SearchHistory.h"

#include <QString>
#include <functional>
#include <memory>

class QStringListModel;
class QWidget;

namespace ferrolux {

class SearchController;
class SearchSession;
struct Settings;

// The main window's side of a search: it reads the request from the
// controls, shows the busy state, runs the search of the window's session
// through its controller and shows the outcome.
class MainSearch {
public:
    // dateDisplayFormat is read at every search; ended runs once a search
    // from cmdSearchClick has ended and its outcome was shown.
    MainSearch(QWidget* window, SearchSession& session, const Settings& settings,
               const QString& dateDisplayFormat, const SearchControls& controls,
               const ResultControls& results, std::function<void()> ended);
    ~MainSearch();

    void cmdSearchClick();
    void cmdStopClick();
    bool searchRunning() const;
    // Ends a running search at once, before the window closes.
    void stopForClose();

private:
    SearchRequest readRequest() const;
    void showBusyState();
    void resetForSearch();
    // "Search for" lists the history; "Files to search" offers it as the
    // user types.
    void showHistory();
    void endSearch();
    // The status line's link and the menu item to what was not searched.
    void showNotSearched();
    void showOutcome();

    QWidget* window_;
    SearchSession& session_;
    const Settings& settings_;
    const QString& dateDisplayFormat_;
    const SearchControls& controls_;
    const ResultControls& results_;
    std::function<void()> ended_;
    // Boxes a running search reads at every directory or file.
    std::shared_ptr<LiveOptions> liveOptions_;
    SearchController* controller_;
    SearchHistory history_;
    QStringListModel* fileSpecHistory_;
};

} // namespace ferrolux
