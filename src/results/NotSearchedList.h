#pragma once

#include "search/NotSearched.h"

#include <QString>
#include <string>
#include <vector>

namespace ferrolux {

// One file or folder a search met and could not search, and why, in plain
// words.
struct NotSearchedEntry {
    std::string path; // bytes, as the file system has them
    QString reason;
};

// The records of a search as the list shows them, in the search's order.
std::vector<NotSearchedEntry> notSearchedEntries(const std::vector<NotSearched>& records);

// The list as text to copy or save, as ferrolux-search writes paths: one
// line per entry, the path (a byte that is not text as \xHH, a backslash
// doubled), a tab and the reason; UTF-8 throughout.
std::string notSearchedText(const std::vector<NotSearchedEntry>& entries);

// The line above the list: how many were not searched, or that nothing was
// left out; and that a stopped search did not reach every file.
QString notSearchedSummary(std::size_t count, bool stopped);

// The status line's link to the list: "3 not searched".
QString notSearchedLink(std::size_t count);

} // namespace ferrolux
