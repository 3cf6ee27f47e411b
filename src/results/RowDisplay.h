#pragma once

#include "search/FileResult.h"

#include <QLocale>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>

namespace ferrolux {

// How a row names its file to the user: the full path, or for a file from a
// Zip archive its name followed by " (in " + the archive's path + ")".
std::string displayName(const FileResult& row);

// When the match list holds fewer of a file's lines than it has (the
// preference MaxMatches cut them): "500 of 10,000 matching lines", for a
// binary file "500 of 10,000 matches". Empty when every one is listed.
QString listedOfTotal(std::size_t listed, int64_t total, bool binary,
                      const QLocale& locale = QLocale());

} // namespace ferrolux
