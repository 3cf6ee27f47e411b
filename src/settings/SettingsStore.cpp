#include "settings/SettingsStore.h"

#include "platform/registry/StoreFile.h"
#include "settings/SettingsTarget.h"
#include "settings/SettingsTexts.h"

#include <QFile>
#include <variant>
#include <vector>

namespace ferrolux {
namespace {

const Settings& defaults() {
    static const Settings values = defaultSettings();
    return values;
}

QString name(const char* valueName) {
    return QString::fromLatin1(valueName);
}

// An empty font name or editor is never kept: it reads as the default.
QString nonEmptyString(const RegistryKey& key, const char* valueName, const QString& fallback) {
    const std::optional<QString> text = key.readString(name(valueName));
    return text && !text->isEmpty() ? *text : fallback;
}

// A string of another type falls back like an absent one.
void readStrings(const RegistryKey& key, Settings& settings) {
    settings.MatchFontName = nonEmptyString(key, "MatchFontName", defaults().MatchFontName);
    settings.ViewerFontName = nonEmptyString(key, "ViewerFontName", defaults().ViewerFontName);
    settings.PrintFontName = nonEmptyString(key, "PrintFontName", defaults().PrintFontName);
    settings.Editor = nonEmptyString(key, "Editor", defaults().Editor);
    settings.StartupDir = key.readString(name("StartupDir")).value_or(QString());
    settings.FoldersToSkip = key.readString(name("FoldersToSkip")).value_or(QString());
}

int32_t number(const RegistryKey& key, const char* valueName, int32_t fallback) {
    return key.readNumber(name(valueName)).value_or(fallback);
}

// No range checks: what is stored is used, even outside the dialog's limits.
void readIntegers(const RegistryKey& key, Settings& settings) {
    settings.MatchFontSize = number(key, "MatchFontSize", defaults().MatchFontSize);
    settings.ViewerFontSize = number(key, "ViewerFontSize", defaults().ViewerFontSize);
    settings.PrintFontSize = number(key, "PrintFontSize", defaults().PrintFontSize);
    settings.MaxMatchLen = number(key, "MaxMatchLen", defaults().MaxMatchLen);
    settings.MaxMatches = number(key, "MaxMatches", defaults().MaxMatches);
    settings.ViewerTextColor = number(key, "ViewerTextColor", defaults().ViewerTextColor);
    settings.ViewerHighColor = number(key, "ViewerHighColor", defaults().ViewerHighColor);
}

bool readBool(const RegistryKey& key, const char* valueName, bool fallback) {
    const std::optional<int32_t> stored = key.readNumber(name(valueName));
    return stored ? *stored != 0 : fallback;
}

// A store too large to be read is left as it is; the user is told why
// nothing they keep will stick.
std::optional<UserMessage> storeProblem(const RegistryKey& key, const RegistryStore& store) {
    if (key.storeProblem() != RegistryKey::StoreProblem::TooLarge) return std::nullopt;
    return storeTooLarge(QFile::decodeName(QByteArray::fromStdString(store.path())),
                         key.storeSize(), StoreFile::maxBytes);
}

// False when the start-up directory could not be entered.
bool applyStartupDir(const Settings& settings, SettingsTarget& target) {
    if (!settings.StartupDir.isEmpty() && target.setDirectory(settings.StartupDir)) return true;
    target.setRootDirectory();
    return settings.StartupDir.isEmpty();
}

struct StoredValue {
    const char* name;
    std::variant<int32_t, QString> value;
};

std::vector<StoredValue> inWriteOrder(const Settings& settings) {
    return {
        {"MaxMatchLen", settings.MaxMatchLen},
        {"MaxMatches", settings.MaxMatches},
        {"ShowHint", int32_t(settings.ShowHint ? 1 : 0)},
        {"Editor", settings.Editor},
        {"StartupDir", settings.StartupDir},
        {"MatchFontName", settings.MatchFontName},
        {"MatchFontSize", settings.MatchFontSize},
        {"ViewerFontName", settings.ViewerFontName},
        {"ViewerFontSize", settings.ViewerFontSize},
        {"PrintFontName", settings.PrintFontName},
        {"PrintFontSize", settings.PrintFontSize},
        {"ViewerTextColor", settings.ViewerTextColor},
        {"ViewerHighColor", settings.ViewerHighColor},
    };
}

RegistryKey::NamedValue named(const StoredValue& stored) {
    if (const int32_t* number = std::get_if<int32_t>(&stored.value))
        return {name(stored.name), RegistryValue::dword(uint32_t(*number))};
    return {name(stored.name), RegistryValue::string(std::get<QString>(stored.value))};
}

} // namespace

QString settingsKeyPath() {
    return QStringLiteral("Software\\Ferrolux");
}

std::optional<UserMessage> LoadSettings(Settings& settings, SettingsTarget& target,
                                        const RegistryStore& store, bool applyStartupDirectory) {
    RegistryKey key;
    // A missing key (first run) leaves the key closed: every read gives the default.
    key.open(store, settingsKeyPath(), RegistryKey::Access::Read);
    std::optional<UserMessage> warning;
    if (applyStartupDirectory) warning = storeProblem(key, store);
    readStrings(key, settings);
    const bool entered = !applyStartupDirectory || applyStartupDir(settings, target);
    readIntegers(key, settings);
    settings.ShowHint = readBool(key, "ShowHint", true);
    settings.SearchArchives = readBool(key, "SearchArchives", false);
    target.setShowHint(settings.ShowHint);
    target.setMatchListFont(settings.MatchFontName, settings.MatchFontSize);
    key.close();
    // A store too large leaves StartupDir empty, so only one of them is ever due.
    if (!entered) warning = startupDirectoryInvalid();
    return warning;
}

StoreOutcome SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store) {
    settings.ShowHint = target.showHint();
    RegistryKey key;
    const bool opened = key.create(store, settingsKeyPath());
    std::vector<StoredValue> stored = inWriteOrder(settings);
    // Written only when they read otherwise, so that with the defaults the
    // store holds what it always did.
    if (opened && settings.FoldersToSkip !=
                      key.readString(name("FoldersToSkip")).value_or(settings.FoldersToSkip))
        stored.push_back({"FoldersToSkip", settings.FoldersToSkip});
    if (opened && settings.SearchArchives != readBool(key, "SearchArchives", false))
        stored.push_back({"SearchArchives", int32_t(settings.SearchArchives ? 1 : 0)});
    // All of them in one replacement of the store: on failure none was
    // written, so the first is the one reported.
    std::vector<RegistryKey::NamedValue> values;
    for (const StoredValue& value : stored)
        values.push_back(named(value));
    const bool saved = opened && key.writeValues(values);
    key.close();
    if (!saved) return {false, writeFailure(values.front().name)};
    LoadSettings(settings, target, store, false);
    return {true, std::nullopt};
}

Settings readStoredSettings(const RegistryStore& store, std::optional<UserMessage>* problem) {
    RegistryKey key;
    key.open(store, settingsKeyPath(), RegistryKey::Access::Read);
    if (problem) *problem = storeProblem(key, store);
    Settings settings;
    readStrings(key, settings);
    readIntegers(key, settings);
    settings.ShowHint = readBool(key, "ShowHint", true);
    settings.SearchArchives = readBool(key, "SearchArchives", false);
    return settings;
}

} // namespace ferrolux
