#pragma once

#include "search/FileResult.h"

#include <QString>
#include <string>

class QObject;

namespace ferrolux {

// What a running search needs from whoever runs it: the main window or the
// command line. Calls come from the thread that runs the search.
class SearchHost {
public:
    virtual ~SearchHost() = default;

    // Called before every directory and every file, so that the window can
    // handle Stop and other input. The command line does nothing here.
    virtual void processPendingMessages() {}

    // The status line: " Searching <path>", "Extracting Zip file <path>", ...
    virtual void setStatus(const QString& text) { (void)text; }

    // A file with at least one match, in the order the walk reports it.
    virtual void appendFileRow(const FileResult& row) = 0;

    // A file or directory that could not be opened or read; the search
    // skips it silently, the command line can tell with --verbose.
    virtual void fileSkipped(const std::string& path, int error) {
        (void)path;
        (void)error;
    }

    // Owner of the message boxes the search shows (archive problems).
    virtual QObject* messageOwner() { return nullptr; }
};

} // namespace ferrolux
