#pragma once

#include "platform/registry/Registry.h"
#include "settings/SettingsStore.h"

#include <QString>
#include <optional>
#include <string>
#include <vector>

namespace ferrolux {

// One stored search, as the value "Searches" holds it.
struct SavedSearch {
    QString directory;
    QString searchText;
    QString fileSpec;
    QString OptionLetters;

    bool operator==(const SavedSearch&) const = default;
};

// The option boxes of the main window that a saved search records.
struct SearchOptionBoxes {
    bool textFiles = false;
    bool binaryFiles = false;
    bool includeSubdirectories = false;
    bool searchZip = false;
    bool caseSensitive = false;
    bool wholeWords = false;
    bool literal = false;
};

// One letter per ticked box, in the order X B I Z C W L.
QString optionLettersFor(const SearchOptionBoxes& boxes);

// The boxes ticked by a stored entry's letters; other characters are ignored.
SearchOptionBoxes optionBoxesFor(const QString& letters);

// The directory list's path (bytes) as the text a saved search stores. A path
// that is not UTF-8 would come back as another name that cannot be entered:
// nothing (see directoryNotUtf8Refusal).
std::optional<QString> directoryForSaving(const std::string& path);

// Each field followed by U+007F, the entry ended by U+0080.
QString encodeSavedSearch(const SavedSearch& search);

// Splits the stored value into entries, newest first. A field missing from a
// hand-edited entry is empty.
std::vector<SavedSearch> parseSavedSearches(const QString& stored);

// Stores a search in front of the others, in one locked read-change-write.
// Refused when the search text or the file masks are empty or a field holds
// a separator character; the message is the refusal, the write failure or
// "Search saved".
StoreOutcome saveSearch(const RegistryStore& store, const SavedSearch& search);

// The stored searches, newest first; none when nothing is stored.
std::vector<SavedSearch> readSavedSearches(const RegistryStore& store);

} // namespace ferrolux
