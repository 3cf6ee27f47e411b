#pragma once

#include "app/MainControls.h"

namespace ferrolux {

class SearchSession;
struct Settings;

// The main window's result lists: picking a file lists its matches, Delete
// prunes the file list, a header click sorts it.
class MainResultLists {
public:
    MainResultLists(SearchSession& session, const Settings& settings,
                    const SearchControls& controls, const ResultControls& results);

    void lstFiles1Click();
    void lstFiles1KeyUp(int key);
    void lstFiles1ColumnClick(int column);
    // Lists the matches of the selected file row, searching its file again.
    void ListFileMatches();

    // The selected row of the file list, or -1.
    int selectedRow() const;
    // +1 or -1: the direction of the next sort, flipped by every header click.
    int SortDirection() const { return sortDirection_; }

private:
    SearchSession& session_;
    const Settings& settings_;
    const SearchControls& controls_;
    const ResultControls& results_;
    int sortDirection_ = 1;
};

} // namespace ferrolux
