#pragma once

#include "platform/registry/RegistryDocument.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

// Where the registry lives: one file holding the keys of HKEY_LOCAL_MACHINE.
class RegistryStore {
public:
    // createFolder: the folder of the file may be created on the first write.
    explicit RegistryStore(std::string path, bool createFolder = false)
        : path_(std::move(path)), createFolder_(createFolder) {}

    // The file named by $FERROLUX_REGISTRY, else registry.reg in the user's
    // configuration folder (created when first written). A folder named in
    // the variable is never created: a typing error there should fail loudly.
    static RegistryStore standard();

    const std::string& path() const { return path_; }
    bool createsFolder() const { return createFolder_; }

private:
    std::string path_;
    bool createFolder_;
};

// An open key under HKEY_LOCAL_MACHINE. A key opened for writing holds the
// writers' lock of the store until it is closed, and every write re-reads
// the store under that lock and replaces it atomically, so values written by
// another process in the meantime are never lost.
class RegistryKey {
public:
    enum class Access { Read, Write };
    // What the last open or create found: a store that could not be read at
    // all, or one too large to be read (see storeSize()).
    enum class StoreProblem { None, Unreadable, TooLarge };

    struct NamedValue {
        QString name;
        RegistryValue value;
    };

    RegistryKey();
    ~RegistryKey();
    RegistryKey(RegistryKey&&) noexcept;
    RegistryKey& operator=(RegistryKey&&) noexcept;

    // Opens an existing key, e.g. "Software\\Ferrolux"; false when the key is
    // missing, the store cannot be read, or (Write) the lock is not had.
    bool open(const RegistryStore& store, const QString& path, Access access);
    // Opens a key for writing, creating it when it is missing.
    bool create(const RegistryStore& store, const QString& path);
    void close();
    bool isOpen() const { return session_ != nullptr; }

    StoreProblem storeProblem() const { return problem_; }
    // The size of a store that was TooLarge.
    uint64_t storeSize() const { return storeSize_; }

    // An absent string reads as empty; nullopt when the value has another
    // type or the key is not open.
    std::optional<QString> readString(const QString& name) const;
    // nullopt when the value is absent, has another type or the key is not open.
    std::optional<int32_t> readNumber(const QString& name) const;

    // false when the key is not open for writing or the store cannot be
    // replaced; the store then keeps its previous contents.
    bool writeString(const QString& name, const QString& text);
    bool writeNumber(const QString& name, int32_t number);
    // Writes several values in one replacement of the store: all of them,
    // or (on failure) none.
    bool writeValues(const std::vector<NamedValue>& values);

private:
    struct Session;
    bool begin(const RegistryStore& store, const QString& path, Access access);

    std::unique_ptr<Session> session_;
    StoreProblem problem_ = StoreProblem::None;
    uint64_t storeSize_ = 0;
};

} // namespace ferrolux
