#include "platform/registry/Registry.h"

#include "platform/registry/RegistryDocument.h"
#include "platform/registry/StoreFile.h"

#include <QFile>
#include <QStandardPaths>

namespace ferrolux {
namespace {

QString fullKeyName(QString path) {
    while (path.startsWith(u'\\'))
        path.remove(0, 1);
    while (path.endsWith(u'\\'))
        path.chop(1);
    return QStringLiteral("HKEY_LOCAL_MACHINE\\") + path;
}

} // namespace

RegistryStore RegistryStore::standard() {
    const QByteArray chosen = qgetenv("FERROLUX_REGISTRY");
    if (!chosen.isEmpty()) return RegistryStore(chosen.toStdString());
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return RegistryStore(
        QFile::encodeName(folder + QStringLiteral("/ferrolux/registry.reg")).toStdString(), true);
}

struct RegistryKey::Session {
    explicit Session(const RegistryStore& store) : file(store.path(), store.createsFolder()) {}

    StoreFile file;
    RegistryDocument document = RegistryDocument::fresh();
    QString key;
};

RegistryKey::RegistryKey() = default;
RegistryKey::~RegistryKey() = default;
RegistryKey::RegistryKey(RegistryKey&&) noexcept = default;
RegistryKey& RegistryKey::operator=(RegistryKey&&) noexcept = default;

bool RegistryKey::begin(const RegistryStore& store, const QString& path, Access access) {
    close();
    auto session = std::make_unique<Session>(store);
    session->key = fullKeyName(path);
    problem_ = StoreProblem::None;
    if (access == Access::Write && !session->file.lock()) return false;
    StoreFile::Contents contents = session->file.load();
    if (contents.status == StoreFile::Status::TooLarge) {
        problem_ = StoreProblem::TooLarge;
        storeSize_ = session->file.size();
        return false;
    }
    if (contents.status == StoreFile::Status::Unreadable) {
        problem_ = StoreProblem::Unreadable;
        return false;
    }
    session->document = std::move(contents.document);
    session_ = std::move(session);
    return true;
}

bool RegistryKey::open(const RegistryStore& store, const QString& path, Access access) {
    if (!begin(store, path, access)) return false;
    if (session_->document.hasKey(session_->key)) return true;
    close();
    return false;
}

bool RegistryKey::create(const RegistryStore& store, const QString& path) {
    if (!begin(store, path, Access::Write)) return false;
    if (session_->document.hasKey(session_->key)) return true;
    RegistryDocument grown = session_->document;
    grown.addKey(session_->key);
    if (!session_->file.replace(grown.serialize())) {
        close();
        return false;
    }
    session_->document = std::move(grown);
    return true;
}

void RegistryKey::close() {
    session_.reset();
}

std::optional<QString> RegistryKey::readString(const QString& name) const {
    if (!session_) return std::nullopt;
    const std::optional<RegistryValue> value = session_->document.value(session_->key, name);
    if (!value) return QString();
    if (value->type != RegistryType::String) return std::nullopt;
    return value->text;
}

std::optional<int32_t> RegistryKey::readNumber(const QString& name) const {
    if (!session_) return std::nullopt;
    const std::optional<RegistryValue> value = session_->document.value(session_->key, name);
    if (!value || value->type != RegistryType::Number) return std::nullopt;
    return int32_t(value->number);
}

bool RegistryKey::writeString(const QString& name, const QString& text) {
    return writeValues({{name, RegistryValue::string(text)}});
}

bool RegistryKey::writeNumber(const QString& name, int32_t number) {
    return writeValues({{name, RegistryValue::dword(uint32_t(number))}});
}

bool RegistryKey::writeValues(const std::vector<NamedValue>& values) {
    if (!session_ || !session_->file.locked()) return false;
    // Re-read under the lock: the file may have been mended by hand since.
    StoreFile::Contents current = session_->file.load();
    if (current.status == StoreFile::Status::Unreadable ||
        current.status == StoreFile::Status::TooLarge)
        return false;
    for (const NamedValue& named : values)
        current.document.setValue(session_->key, named.name, named.value);
    if (!session_->file.replace(current.document.serialize())) return false;
    session_->document = std::move(current.document);
    return true;
}

} // namespace ferrolux
