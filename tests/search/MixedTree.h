#pragma once

#include "TempDir.h"

#include <functional>
#include <string>

namespace ferrolux::test {

// A tree with every kind of file a search meets: text files of many sizes
// (some across the boundaries of the search's reads), binary files, files
// whose names differ only in case, files that cannot be read, files deleted
// after the walk listed them, an unreadable folder (unless run as root),
// and Zip archives good and bad. The needle is "needle".
class MixedTree {
public:
    MixedTree();

    const std::string& path() const { return dir_.path(); }

    // Call before every directory and file of the walk (the host's
    // processPendingMessages): deletes the vanishing files once the walk
    // has listed them, so that they are gone when their turn comes.
    std::function<void()> vanisher();

    // Puts the vanishing files back, for the next search.
    void restore();

private:
    TempDir dir_;
};

} // namespace ferrolux::test
