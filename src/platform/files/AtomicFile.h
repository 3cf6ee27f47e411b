#pragma once

#include "platform/posix/UniqueFd.h"

#include <string>
#include <string_view>

namespace ferrolux {

// A file written under a temporary name in its own folder and renamed over
// the target only when every byte was written and synced: a failure, or a
// crash half-way, never leaves a half-written file in place of the old one.
// A target reached through a symbolic link is replaced where the link
// points, so the link survives.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path);
    // Removes the temporary file unless it was committed.
    ~AtomicFile();
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool open();
    bool write(std::string_view bytes);
    // Syncs the temporary file and renames it over the target.
    bool commit();

    // Why the first failed step failed, as the system words it.
    const std::string& error() const { return error_; }

private:
    bool fail();
    void discard();

    std::string target_;
    std::string temp_;
    UniqueFd fd_;
    std::string error_;
};

} // namespace ferrolux
