#pragma once

#include <cstdint>
#include <ctime>
#include <string>

namespace ferrolux {

// A file being extracted, under a temporary name inside the extraction
// folder. It is removed again unless committed under its real name, so an
// entry that fails never leaves a file behind.
class PartialFile {
public:
    explicit PartialFile(int folderFd) : folderFd_(folderFd) {}
    ~PartialFile() { discard(); }
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    // Always a new regular file: O_EXCL and O_NOFOLLOW refuse anything that
    // is already there, links included. index keeps the names of entries apart.
    bool create(uint64_t index);
    bool write(const char* data, size_t size);
    void setModificationTime(time_t time);

    // Closes the file and gives it its real name, replacing a file of that
    // name (renaming replaces a link itself, never its target).
    bool commit(const std::string& finalName);
    void discard();

private:
    int folderFd_;
    int fd_ = -1;
    std::string name_;
};

} // namespace ferrolux
