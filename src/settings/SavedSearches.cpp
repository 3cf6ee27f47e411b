#include "settings/SavedSearches.h"

#include "platform/MessageBoxA.h"
#include "settings/SettingsStore.h"

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

void refuse(QObject* owner, const QString& text) {
    MessageBoxA(owner, text, QStringLiteral("Error"), MB_OK | MB_ICONWARNING);
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

std::optional<QString> directoryForSaving(const std::string& path, QObject* owner) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(QByteArrayView(path.data(), qsizetype(path.size())));
    if (!utf8.hasError()) return text;
    refuse(owner, QStringLiteral("The directory name is not valid UTF-8 text and could not be "
                                 "found again - cannot save"));
    return std::nullopt;
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

bool saveSearch(const RegistryStore& store, const SavedSearch& search, QObject* owner) {
    if (search.searchText.isEmpty() || search.fileSpec.isEmpty()) {
        refuse(owner,
               QStringLiteral("Search text and/ or file specification is blank - cannot save"));
        return false;
    }
    if (holdsSeparator(search)) {
        refuse(owner,
               QStringLiteral("The directory, search text or files to search contain a "
                              "reserved control character (U+007F or U+0080) - cannot save"));
        return false;
    }
    RegistryKey key;
    bool saved = key.create(store, settingsKeyPath());
    if (saved) {
        // A value of another type is not ours to overwrite.
        const std::optional<QString> older = key.readString(searchesName());
        saved = older && key.writeString(searchesName(), encodeSavedSearch(search) + *older);
    }
    key.close(); // release the lock before any box waits for the user
    if (!saved) {
        showWriteFailure(owner, searchesName());
        return false;
    }
    MessageBoxA(owner, QStringLiteral("Search saved"), QStringLiteral("Message"),
                MB_OK | MB_ICONINFORMATION);
    return true;
}

std::vector<SavedSearch> readSavedSearches(const RegistryStore& store) {
    RegistryKey key;
    if (!key.open(store, settingsKeyPath(), RegistryKey::Access::Read)) return {};
    return parseSavedSearches(key.readString(searchesName()).value_or(QString()));
}

} // namespace ferrolux
