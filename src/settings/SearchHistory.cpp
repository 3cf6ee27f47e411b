#include "settings/SearchHistory.h"

#include "platform/registry/Registry.h"
#include "settings/SettingsStore.h"

#include <vector>

namespace ferrolux {
namespace {

// One value per entry, numbered from 1, as lists of recent entries are
// usually kept: a text may hold any character, so none can separate them.
const QString SearchTextValue = QStringLiteral("SearchHistory%1");
const QString FileSpecValue = QStringLiteral("FileSpecHistory%1");

QStringList readList(const RegistryKey& key, const QString& name) {
    QStringList entries;
    for (int i = 1; i <= SearchHistory::MaxEntries; ++i) {
        const std::optional<QString> entry = key.readString(name.arg(i));
        if (!entry || entry->isEmpty()) break;
        entries.append(*entry);
    }
    return entries;
}

void addList(std::vector<RegistryKey::NamedValue>& values, const QString& name,
             const QStringList& entries) {
    for (qsizetype i = 0; i < entries.size() && i < SearchHistory::MaxEntries; ++i)
        values.push_back({name.arg(i + 1), RegistryValue::string(entries[i])});
}

} // namespace

QStringList rememberEntry(QStringList entries, const QString& entry) {
    if (entry.isEmpty()) return entries;
    entries.removeAll(entry);
    entries.prepend(entry);
    while (entries.size() > SearchHistory::MaxEntries)
        entries.removeLast();
    return entries;
}

SearchHistory readSearchHistory(const RegistryStore& store) {
    RegistryKey key;
    if (!key.open(store, settingsKeyPath(), RegistryKey::Access::Read)) return {};
    return {readList(key, SearchTextValue), readList(key, FileSpecValue)};
}

bool writeSearchHistory(const RegistryStore& store, const SearchHistory& history) {
    std::vector<RegistryKey::NamedValue> values;
    addList(values, SearchTextValue, history.searchTexts);
    addList(values, FileSpecValue, history.fileSpecs);
    RegistryKey key;
    return key.create(store, settingsKeyPath()) && key.writeValues(values);
}

} // namespace ferrolux
