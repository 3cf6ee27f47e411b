#pragma once

#include "results/FileActionHost.h"

#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <vector>

namespace ferrolux {

// The names of the files in a directory as the listing window shows them:
// regular files (and links to them), hidden ones left out, sorted without
// regard to letter case. Empty when the directory cannot be read.
std::vector<std::string> listDirectoryFiles(const std::string& directory);

// A path on the listing window's two labels: whole on the first when it fits,
// else broken after the last separator that still fits on the first line.
struct PathLines {
    QString first;
    QString second;
};
PathLines splitPathForLabels(const QString& path, int labelWidth,
                             const std::function<int(const QString&)>& textWidth);

// The file masks with each name appended, separated by commas.
QString appendFileNames(QString fileSpec, const QStringList& names);

// The listing window's top-left: under the file masks box, its bottom on the
// main window's status line.
QPoint listingPosition(const ListingAnchor& anchor, int clientHeight);

} // namespace ferrolux
