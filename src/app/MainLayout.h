#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

namespace ferrolux {

// Where the main window's areas lie in its client area.
struct MainAreas {
    QRect files;        // lstFiles1
    QPoint matchLabel;  // lblMatches
    QRect lines;        // lstLines1
    QRect bottom;       // pnlBottom
    QRect status;       // pnlStatus
    int directoryExtra; // width added to the file list's Directory column
};

// The areas for a client size, from the areas at a base size (the designed
// or the compact layout): at the base size exactly those; a larger client
// gives its extra width to the lists, the panels and the Directory column,
// and its extra height to the two lists, half each. The bottom panel and
// the status line keep their heights at the foot. Smaller than the base
// counts as the base.
MainAreas mainAreasFor(const MainAreas& base, QSize baseClient, QSize client);

} // namespace ferrolux
