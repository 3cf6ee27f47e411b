#include "search/SearchHost.h"

#include "search/SearchTexts.h"

namespace ferrolux {

void SearchHost::searchingFile(const std::string& path) {
    setStatus(searchingStatus(path));
}

} // namespace ferrolux
