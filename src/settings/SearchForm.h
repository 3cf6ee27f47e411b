#pragma once

#include "settings/SavedSearches.h"

#include <QString>

namespace ferrolux {

// The search controls of the main window that a retrieved search fills.
class SearchForm {
public:
    virtual ~SearchForm() = default;

    // Moves the directory list and the drive box to a directory; false, with
    // nothing changed, when it does not exist or cannot be entered.
    virtual bool setDirectory(const QString& directory) = 0;
    virtual void setSearchText(const QString& text) = 0;
    virtual void setFileSpec(const QString& fileSpec) = 0;
    virtual void setOptionBoxes(const SearchOptionBoxes& boxes) = 0;
};

} // namespace ferrolux
