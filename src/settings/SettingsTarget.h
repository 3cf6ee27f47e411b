#pragma once

#include <QString>
#include <cstdint>

namespace ferrolux {

// The part of the main window that the stored settings act on.
class SettingsTarget {
public:
    virtual ~SettingsTarget() = default;

    // The application-wide tool tip switch, which itself holds ShowHint.
    virtual bool showHint() const = 0;
    virtual void setShowHint(bool on) = 0;

    // Font of the match-line list.
    virtual void setMatchListFont(const QString& name, int32_t size) = 0;

    // Moves the directory list (and the drive box) to a directory; false
    // when the directory does not exist or cannot be entered.
    virtual bool setDirectory(const QString& directory) = 0;
    // Moves the directory list to the root of the current drive.
    virtual void setRootDirectory() = 0;
};

} // namespace ferrolux
