#pragma once

#include "platform/registry/Registry.h"
#include "settings/Settings.h"

#include <QString>

class QObject;

namespace ferrolux {

class SettingsTarget;

// The key that holds the preferences and the saved searches.
QString settingsKeyPath();

// Reads every preference into settings (defaults for what is absent or of
// the wrong type), applies the tool tip switch and the match-list font, and
// with applyStartupDir moves the directory list to StartupDir, warning and
// falling back to the root when it cannot be entered. At start-up
// (applyStartupDir) a store too large to be read is reported; it is left
// as it is and every preference takes its default.
void LoadSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store,
                  bool applyStartupDir);

// Writes every value (ShowHint from the tool tip switch) in one atomic
// replacement of the store, then reloads them with LoadSettings(false). If
// the store cannot be written, the failure is shown (naming the first value),
// nothing is written, nothing is reloaded, and the result is false.
bool SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store);

// The stored preferences for a caller without a window; a store too large
// to be read is reported (through MessageBoxA: on stderr without a window).
Settings readStoredSettings(const RegistryStore& store = RegistryStore::standard());

// "Failed to set data for '<name>'".
void showWriteFailure(QObject* owner, const QString& valueName);

} // namespace ferrolux
