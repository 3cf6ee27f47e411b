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
// falling back to the root when it cannot be entered.
void LoadSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store,
                  bool applyStartupDir);

// Writes all thirteen values (ShowHint from the tool tip switch), then
// reloads them with LoadSettings(false). On the first failed write the
// failure is shown, nothing more is written, nothing is reloaded, and the
// result is false.
bool SaveSettings(Settings& settings, SettingsTarget& target, const RegistryStore& store);

// The stored preferences for a caller without a window.
Settings readStoredSettings(const RegistryStore& store = RegistryStore::standard());

// "Failed to set data for '<name>'".
void showWriteFailure(QObject* owner, const QString& valueName);

} // namespace ferrolux
