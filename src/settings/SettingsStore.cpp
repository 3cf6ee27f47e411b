#include "settings/SettingsStore.h"

#include "platform/MessageBoxA.h"
#include "platform/registry/StoreFile.h"
#include "settings/SettingsTarget.h"

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

// A store too large to be read is left as it is, and said so once.
void tellIfTooLarge(const RegistryKey& key, const RegistryStore& store, QObject* owner) {
    if (key.storeProblem() != RegistryKey::StoreProblem::TooLarge) return;
    const auto megabytes = [](uint64_t bytes) {
        return QString::number(double(bytes) / (1 << 20), 'f', 1);
    };
    MessageBoxA(owner,
                QStringLiteral("The settings file\n%1\nis %2 MB, more than the %3 MB a settings "
                               "file may hold: it was not read, and it will not be changed.\n\n"
                               "Ferrolux uses its default preferences, and cannot keep new ones "
                               "or saved searches, until the file is moved away or made smaller.")
                    .arg(QFile::decodeName(QByteArray::fromStdString(store.path())),
                         megabytes(key.storeSize()), megabytes(StoreFile::maxBytes)),
                QStringLiteral("Warning"), MB_OK | MB_ICONWARNING);
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

RegistryKey::NamedValue named(const StoredValue& stored) {
    if (const int32_t* number = std::get_if<int32_t>(&stored.value))
        return {name(stored.name), RegistryValue::dword(uint32_t(*number))};
    return {name(stored.name), RegistryValue::string(std::get<QString>(stored.value))};
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
    if (applyStartupDirectory) tellIfTooLarge(key, store, target.messageOwner());
    readStrings(key, settings);
    if (applyStartupDirectory) applyStartupDir(settings, target);
    readIntegers(key, settings);
    settings.ShowHint = readBool(key, "ShowHint", true);
    settings.SearchArchives = readBool(key, "SearchArchives", false);
    target.setShowHint(settings.ShowHint);
    target.setMatchListFont(settings.MatchFontName, settings.MatchFontSize);
    key.close();
}

bool SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store) {
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
    key.close(); // release the lock before the box waits for the user
    if (!saved) {
        showWriteFailure(target.messageOwner(), values.front().name);
        return false;
    }
    LoadSettings(settings, target, store, false);
    return true;
}

Settings readStoredSettings(const RegistryStore& store) {
    RegistryKey key;
    key.open(store, settingsKeyPath(), RegistryKey::Access::Read);
    tellIfTooLarge(key, store, nullptr);
    Settings settings;
    readStrings(key, settings);
    readIntegers(key, settings);
    settings.ShowHint = readBool(key, "ShowHint", true);
    settings.SearchArchives = readBool(key, "SearchArchives", false);
    return settings;
}

void showWriteFailure(QObject* owner, const QString& valueName) {
    MessageBoxA(owner, QStringLiteral("Failed to set data for '%1'").arg(valueName),
                QStringLiteral("Error"), MB_OK | MB_ICONHAND);
}

} // namespace ferrolux
