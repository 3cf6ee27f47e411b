#pragma once

#include "search/FileResult.h"
#include "settings/Settings.h"

#include <string>

namespace ferrolux {

// What the viewer reads from the main window at the moment it is shown.
class ViewerSource {
public:
    virtual ~ViewerSource() = default;

    // The selected row of the file list, or nullptr.
    virtual const FileResult* selectedFileRow() const = 0;
    // The state of "Case-sensitive search" now, not at the search.
    virtual bool caseSensitive() const = 0;
    // The prepared pattern of the last search.
    virtual const std::string& searchPattern() const = 0;
    virtual const Settings& settings() const = 0;
};

// What the file actions hand to a new viewer.
struct ViewerRequest {
    std::string CurrentFilePath;
    QString caption;
    int32_t TargetMatch = -1;
};

} // namespace ferrolux
