#pragma once

#include "app/MainControls.h"
#include "results/BackgroundListing.h"

#include <functional>

namespace ferrolux {

class SearchSession;
struct Settings;

// The main window's result lists: picking a file lists its matches, Delete
// prunes the file list, a header click sorts it. A file's lines are listed
// off the window's thread, so that a large file never freezes the window.
class MainResultLists {
public:
    // listed: told each time the match list is filled.
    MainResultLists(SearchSession& session, const Settings& settings,
                    const SearchControls& controls, const ResultControls& results,
                    std::function<void()> listed = {});

    void lstFiles1Click();
    void lstFiles1KeyUp(int key);
    void lstFiles1ColumnClick(int column);
    // Lists the matches of the selected file row, searching its file again:
    // the list fills when they are found; a newer listing wins.
    void ListFileMatches();
    // Whether lines are still being listed.
    bool listing() const { return listing_.pending(); }
    // Lists at once, on the window's thread, what is still being listed
    // (printing the selected file's lines needs them now).
    void finishListing();

    // The selected row of the file list, or -1.
    int selectedRow() const;
    // +1 or -1: the direction of the next sort, flipped by every header click.
    int SortDirection() const { return sortDirection_; }

private:
    void showLines(const FileResult& row, std::vector<MatchLine> lines);

    SearchSession& session_;
    const Settings& settings_;
    const SearchControls& controls_;
    const ResultControls& results_;
    int sortDirection_ = 1;
    std::function<void()> listed_;
    BackgroundListing listing_;
    std::function<std::vector<MatchLine>(const std::atomic<bool>& stop)> work_; // the last one
    FileResult listedRow_;
};

} // namespace ferrolux
