#include "settings/SettingsStore.h"

#include "platform/MessageBoxA.h"
#include "settings/SettingsTarget.h"

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

bool readShowHint(const RegistryKey& key) {
    const std::optional<int32_t> stored = key.readNumber(name("ShowHint"));
    return stored ? *stored != 0 : true;
}

void applyStartupDir(const Settings& settings, SettingsTarget& target) {
    if (settings.StartupDir.isEmpty()) {
        target.setRootDirectory();
        return;
    }
    if (target.setDirectory(settings.StartupDir)) return;
    MessageBoxA(target.messageOwner(),
                QStringLiteral("Default startup directory is invalid - \nstarting in root "
                               "directory\n\nPlease correct this in File/Preferences"),
                QStringLiteral("Warning"), MB_OK | MB_ICONWARNING);
    target.setRootDirectory();
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

bool write(RegistryKey& key, const StoredValue& stored) {
    if (const int32_t* number = std::get_if<int32_t>(&stored.value))
        return key.writeNumber(name(stored.name), *number);
    return key.writeString(name(stored.name), std::get<QString>(stored.value));
}

} // namespace

QString settingsKeyPath() {
    return QStringLiteral("Software\\Ferrolux");
}

void LoadSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store,
                  bool applyStartupDirectory) {
    RegistryKey key;
    // A missing key (first run) leaves the key closed: every read gives the default.
    key.open(store, settingsKeyPath(), RegistryKey::Access::Read);
    readStrings(key, settings);
    if (applyStartupDirectory) applyStartupDir(settings, target);
    readIntegers(key, settings);
    settings.ShowHint = readShowHint(key);
    target.setShowHint(settings.ShowHint);
    target.setMatchListFont(settings.MatchFontName, settings.MatchFontSize);
    key.close();
}

bool SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store) {
    settings.ShowHint = target.showHint();
    RegistryKey key;
    const bool opened = key.create(store, settingsKeyPath());
    std::vector<StoredValue> values = inWriteOrder(settings);
    // Written only when it reads otherwise, so that with the defaults the
    // store holds what it always did.
    if (opened && settings.FoldersToSkip !=
                      key.readString(name("FoldersToSkip")).value_or(settings.FoldersToSkip))
        values.push_back({"FoldersToSkip", settings.FoldersToSkip});
    for (const StoredValue& stored : values) {
        if (opened && write(key, stored)) continue;
        key.close(); // release the lock before the box waits for the user
        showWriteFailure(target.messageOwner(), name(stored.name));
        return false;
    }
    key.close();
    LoadSettings(settings, target, store, false);
    return true;
}

Settings readStoredSettings(const RegistryStore& store) {
    RegistryKey key;
    key.open(store, settingsKeyPath(), RegistryKey::Access::Read);
    Settings settings;
    readStrings(key, settings);
    readIntegers(key, settings);
    settings.ShowHint = readShowHint(key);
    return settings;
}

void showWriteFailure(QObject* owner, const QString& valueName) {
    MessageBoxA(owner, QStringLiteral("Failed to set data for '%1'").arg(valueName),
                QStringLiteral("Error"), MB_OK | MB_ICONHAND);
}

} // namespace ferrolux
