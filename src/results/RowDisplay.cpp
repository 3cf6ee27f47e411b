#include "results/RowDisplay.h"

namespace ferrolux {

std::string displayName(const FileResult& row) {
    if (row.ExtractedPath.empty()) return row.Directory + row.FileName;
    return row.FileName + " (in " + row.Directory + ")";
}

} // namespace ferrolux
