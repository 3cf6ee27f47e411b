#pragma once

#include "platform/UserMessage.h"
#include "viewer/ViewerSource.h"

#include <QString>
#include <optional>
#include <string>

class QObject;

namespace ferrolux {

// The selected row of the match list.
struct SelectedMatch {
    int index = -1;         // 0-based position in the list
    std::string LineNumber; // empty for a binary file
};

// Where the directory listing window is placed, in screen pixels.
struct ListingAnchor {
    int mainLeft = 0;     // the main window's left edge
    int mainTop = 0;      // the main window's top edge
    int mainHeight = 0;   // the main window's height
    int filespecLeft = 0; // the left of the file masks box in the main window
    int statusHeight = 0; // the height of the status line
};

// The little the file actions, the token list and the directory listing need
// from the main window.
class FileActionHost : public ViewerSource {
public:
    virtual std::optional<SelectedMatch> selectedMatch() const = 0;
    // The editor command of the preferences.
    virtual QString editor() const = 0;
    // Shows the user a message; ask: a question, true for Yes.
    virtual void tell(const UserMessage& message) = 0;
    virtual bool ask(const UserMessage& question) = 0;
    // The window the messages belong to: once it is gone, a late message
    // (a program that failed long after it started) is dropped.
    virtual QObject* messageOwner() = 0;
    // Creates the viewer and shows it modally.
    virtual void showViewer(const ViewerRequest& request) = 0;

    virtual QString searchText() const = 0; // "Search for"
    virtual void setSearchText(const QString& text) = 0;
    virtual QString fileSpec() const = 0; // "Files to search"
    virtual void setFileSpec(const QString& text) = 0;
    // The directory selected in the directory tree (bytes).
    virtual std::string currentDirectory() const = 0;
    virtual ListingAnchor listingAnchor() const = 0;
};

} // namespace ferrolux
