#pragma once

#include "search/FileResult.h"

#include <QString>
#include <cstdint>
#include <string>

namespace ferrolux {

// The preferences the viewer works with.
struct ViewerSettings {
    QString ViewerFontName;
    int32_t ViewerFontSize = 0;
    int32_t ViewerTextColor = 0; // 0x00BBGGRR
    int32_t ViewerHighColor = 0; // 0x00BBGGRR
    int32_t MaxMatches = 0;
    int32_t MaxMatchLen = 0;
};

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
    virtual ViewerSettings viewerSettings() const = 0;
};

// What the file actions hand to a new viewer.
struct ViewerRequest {
    std::string CurrentFilePath;
    QString caption;
    int32_t TargetMatch = -1;
};

} // namespace ferrolux
