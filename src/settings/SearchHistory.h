#pragma once

#include <QString>
#include <QStringList>

namespace ferrolux {

class RegistryStore;

// What the user searched for and in which files, most recent first, kept
// across runs in the store.
struct SearchHistory {
    QStringList searchTexts;
    QStringList fileSpecs;

    // The entries a box remembers.
    static constexpr int MaxEntries = 20;
};

// entries with `entry` first: an equal older entry gives up its place and
// only the newest MaxEntries stay. An empty entry is not remembered.
QStringList rememberEntry(QStringList entries, const QString& entry);

// Absent values read as an empty history.
SearchHistory readSearchHistory(const RegistryStore& store);
// Both lists in one replacement of the store; false when it failed.
bool writeSearchHistory(const RegistryStore& store, const SearchHistory& history);

} // namespace ferrolux
