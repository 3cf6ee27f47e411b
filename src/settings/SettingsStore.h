#pragma once

#include "platform/UserMessage.h"
#include "platform/registry/Registry.h"
#include "settings/Settings.h"

#include <QString>
#include <optional>

namespace ferrolux {

class SettingsTarget;

// What became of a write to the store: whether it was done, and what the
// user is to be told of it (why not, or that it was).
struct StoreOutcome {
    bool done = false;
    std::optional<UserMessage> message;

    explicit operator bool() const { return done; }
};

// The key that holds the preferences and the saved searches.
QString settingsKeyPath();

// Reads every preference into settings (defaults for what is absent or of
// the wrong type), applies the tool tip switch and the match-list font, and
// with applyStartupDir moves the directory list to StartupDir, falling back
// to the root when it cannot be entered. With applyStartupDir the warning to
// show at start-up is returned: a store too large to be read (it is left as
// it is and every preference takes its default), or a start-up directory
// that could not be entered.
std::optional<UserMessage> LoadSettings(Settings& settings, SettingsTarget& target,
                                        const RegistryStore& store, bool applyStartupDir);

// Writes every value (ShowHint from the tool tip switch) in one atomic
// replacement of the store, then reloads them with LoadSettings(false). If
// the store cannot be written, nothing is written and nothing is reloaded:
// not done, with the failure (naming the first value).
StoreOutcome SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store);

// The stored preferences for a caller without a window. A store too large to
// be read gives the defaults, and *problem (when asked for) says so.
Settings readStoredSettings(const RegistryStore& store = RegistryStore::standard(),
                            std::optional<UserMessage>* problem = nullptr);

} // namespace ferrolux
