#pragma once

#include "platform/registry/RegistryDocument.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace ferrolux {

// The file behind the registry: reading it, replacing it atomically, the
// lock that writers hold, and keeping a damaged file aside.
//
// Readers need no lock: the file is only ever replaced by rename, so a
// reader sees the old or the new file whole. Writers serialise on a lock
// file beside the store (the store itself is replaced, so it cannot carry
// the lock).
class StoreFile {
public:
    enum class Status { Loaded, Missing, Unreadable, TooLarge };
    struct Contents {
        Status status = Status::Missing;
        RegistryDocument document = RegistryDocument::fresh();
    };

    // createFolder: the store's folder may be created (the default location);
    // a folder named by the user must exist.
    StoreFile(const std::string& path, bool createFolder);
    ~StoreFile();
    StoreFile(const StoreFile&) = delete;
    StoreFile& operator=(const StoreFile&) = delete;

    // Takes the writers' lock, waiting at most lockTimeout for another writer.
    bool lock();
    bool locked() const { return lockFd_ >= 0; }

    // Missing: no file yet (an empty store). Unreadable: the file exists but
    // cannot be read; it must not be overwritten. TooLarge: the file is
    // larger than maxBytes and is neither read nor overwritten. A file that
    // is not a store at all is renamed aside when the lock is held, and then
    // reads as Missing; without the lock it is left alone and reads as
    // Missing too.
    Contents load();

    // Writes a temporary file beside the store, syncs it and renames it over
    // the store. On failure the old store is untouched. Fails for more than
    // maxBytes, and for a store file that is read-only: renaming over it
    // would replace it all the same.
    bool replace(std::string_view bytes);

    // The size of the file when load() found it TooLarge.
    uint64_t size() const { return size_; }

    static constexpr std::chrono::milliseconds lockTimeout{10000};
    // A store holds a few kilobytes of preferences and the saved searches;
    // one of many megabytes would cost seconds and hundreds of megabytes at
    // every start, for a value that only grows.
    static constexpr uint64_t maxBytes = uint64_t{4} << 20;

private:
    bool renameAside();

    std::string path_;
    bool createFolder_;
    int lockFd_ = -1;
    uint64_t size_ = 0;
};

} // namespace ferrolux
