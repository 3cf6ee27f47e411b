#pragma once

#include "platform/UserMessage.h"
#include "search/FileResult.h"

#include <QString>
#include <string>

namespace ferrolux {

// The page header of a print: the search text as typed for the last search,
// then the directory and file masks shown now.
QString pageHeaderText(const std::string& typedSearchText, const std::string& directory,
                       const QString& fileSpec);

// "<file> - 3 matches", "<file> - 1 match"; an archive member reads
// "<name> (in <archive>) - ...".
QString fileHeading(const FileResult& row);

// Matches of the selected file asked for, and no file selected.
UserMessage noFileSelected();
// "<name> already exists. Do you want to replace it?"
UserMessage replaceFileQuestion(const QString& name, const QString& caption);

// "The report could not be written to <path>." and the system's reason.
QString reportWriteFailureText(const std::string& path, const std::string& reason);

// The status line while a report is put out: " Printing page 3".
QString printingPageStatus(int page);

// A file name typed without an extension gets ".<extension>".
QString withDefaultExtension(const QString& path, const QString& extension);

} // namespace ferrolux
