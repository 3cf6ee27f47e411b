#include "settings/SavedSearches.h"

#include "settings/SettingsStore.h"
#include "settings/SettingsTexts.h"

#include <QStringDecoder>
#include <QStringList>
#include <optional>

namespace ferrolux {
namespace {

constexpr QChar fieldEnd(0x7F);
constexpr QChar entryEnd(0x80);

QString searchesName() {
    return QStringLiteral("Searches");
}

QString fieldOrEmpty(const QStringList& fields, qsizetype index) {
    return index < fields.size() ? fields[index] : QString();
}

// The separators are not escaped in the stored format, so text holding them
// would split into wrong fields or entries.
bool holdsSeparator(const SavedSearch& search) {
    for (const QString* field :
         {&search.directory, &search.searchText, &search.fileSpec, &search.OptionLetters})
        if (field->contains(fieldEnd) || field->contains(entryEnd)) return true;
    return false;
}

} // namespace

QString optionLettersFor(const SearchOptionBoxes& boxes) {
    QString letters;
    const std::pair<bool, char16_t> order[] = {
        {boxes.textFiles, u'X'}, {boxes.binaryFiles, u'B'},   {boxes.includeSubdirectories, u'I'},
        {boxes.searchZip, u'Z'}, {boxes.caseSensitive, u'C'}, {boxes.wholeWords, u'W'},
        {boxes.literal, u'L'},
    };
    for (const auto& [ticked, letter] : order)
        if (ticked) letters += QChar(letter);
    return letters;
}

SearchOptionBoxes optionBoxesFor(const QString& letters) {
    const auto has = [&letters](char16_t letter) { return letters.contains(QChar(letter)); };
    return {has(u'X'), has(u'B'), has(u'I'), has(u'Z'), has(u'C'), has(u'W'), has(u'L')};
}

std::optional<QString> directoryForSaving(const std::string& path) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(path.data(), qsizetype(path.size())));
    if (utf8.hasError()) return std::nullopt;
    return text;
}

QString encodeSavedSearch(const SavedSearch& search) {
    return search.directory + fieldEnd + search.searchText + fieldEnd + search.fileSpec + fieldEnd +
           search.OptionLetters + fieldEnd + entryEnd;
}

std::vector<SavedSearch> parseSavedSearches(const QString& stored) {
    QStringList pieces = stored.split(entryEnd);
    // A separator at the very end (or an empty value) starts no entry.
    if (pieces.back().isEmpty()) pieces.removeLast();
    std::vector<SavedSearch> searches;
    for (const QString& piece : pieces) {
        const QStringList fields = piece.split(fieldEnd);
        searches.push_back({fieldOrEmpty(fields, 0), fieldOrEmpty(fields, 1),
                            fieldOrEmpty(fields, 2), fieldOrEmpty(fields, 3)});
    }
    return searches;
}

StoreOutcome saveSearch(const RegistryStore& store, const SavedSearch& search) {
    if (search.searchText.isEmpty() || search.fileSpec.isEmpty())
        return {false, blankSearchRefusal()};
    if (holdsSeparator(search)) return {false, reservedCharacterRefusal()};
    RegistryKey key;
    bool saved = key.create(store, settingsKeyPath());
    if (saved) {
        // A value of another type is not ours to overwrite.
        const std::optional<QString> older = key.readString(searchesName());
        saved = older && key.writeString(searchesName(), encodeSavedSearch(search) + *older);
    }
    if (!saved) return {false, writeFailure(searchesName())};
    return {true, searchSaved()};
}

std::vector<SavedSearch> readSavedSearches(const RegistryStore& store) {
    RegistryKey key;
    if (!key.open(store, settingsKeyPath(), RegistryKey::Access::Read)) return {};
    return parseSavedSearches(key.readString(searchesName()).value_or(QString()));
}

} // namespace ferrolux
