#pragma once

#include "platform/UserMessage.h"
#include "search/FileResult.h"
#include "search/NotSearched.h"

#include <QString>
#include <string>

namespace ferrolux {

// What a running search needs from whoever runs it: the main window or the
// command line. Every call comes from the thread that runs the search (the
// one that called SearchRun::run), in the order the walk reported the files,
// whatever the number of threads that search them.
class SearchHost {
public:
    virtual ~SearchHost() = default;

    // Called before every directory and every file, so that a host running
    // the search on its own thread can handle Stop and other input.
    virtual void processPendingMessages() {}

    // The status line: "Extracting Zip file <path>", "Deleting temporary files", ...
    virtual void setStatus(const QString& text) { (void)text; }

    // A file passed the type filter and is counted as searched. The status
    // line shows " Searching <path>"; a host that shows no status skips the
    // text conversion.
    virtual void searchingFile(const std::string& path);

    // The search waits for this file before it can report more (a large
    // file, searched while the files after it are done already). A window
    // shows it in the status line; the order of these calls is not fixed.
    virtual void stillSearching(const std::string& path) { (void)path; }

    // A file with at least one match, in the order the walk reports it.
    virtual void appendFileRow(const FileResult& row) = 0;

    // A file or folder that could not be searched; the session keeps it in
    // its list, the command line tells it with --verbose.
    virtual void notSearched(const NotSearched& record) { (void)record; }

    // Something the user must be told before the search goes on (an archive
    // that cannot be searched); the search waits until this returns.
    virtual void tell(const UserMessage& message) = 0;
};

} // namespace ferrolux
