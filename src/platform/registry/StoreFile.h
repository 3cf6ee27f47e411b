#pragma once

#include "platform/registry/RegistryDocument.h"

#include <chrono>
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
    enum class Status { Loaded, Missing, Unreadable };
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
    // cannot be read; it must not be overwritten. A file that is not a store
    // at all is renamed aside when the lock is held, and then reads as
    // Missing; without the lock it is left alone and reads as Missing too.
    Contents load();

    // Writes a temporary file beside the store, syncs it and renames it over
    // the store. On failure the old store is untouched.
    bool replace(std::string_view bytes);

    static constexpr std::chrono::milliseconds lockTimeout{10000};

private:
    bool renameAside();

    std::string path_;
    bool createFolder_;
    int lockFd_ = -1;
};

} // namespace ferrolux
