#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <optional>

class QWidget;

namespace ferrolux {

// The common dialogs that the preferences dialog opens. Each returns what the
// user confirmed, or nullopt when the dialog was cancelled. Replaceable, so
// that tests answer them instead of a user.
class PreferenceDialogs {
public:
    virtual ~PreferenceDialogs() = default;

    // A face left as the dialog showed the preset comes back as the preset's.
    virtual std::optional<QFont> chooseFont(QWidget* parent, const QFont& preset) = 0;
    // Solid colours only.
    virtual std::optional<QColor> chooseColor(QWidget* parent, const QColor& preset) = 0;
    // An existing program file.
    virtual std::optional<QString> chooseEditor(QWidget* parent, const QString& startFolder) = 0;
    virtual std::optional<QString> chooseDirectory(QWidget* parent, const QString& start) = 0;
};

// The dialogs in use: the platform's unless others were installed.
PreferenceDialogs& preferenceDialogs();

// Installs dialogs (nullptr: the platform's again) and returns the previous
// ones (nullptr when those were the platform's).
PreferenceDialogs* setPreferenceDialogs(PreferenceDialogs* dialogs);

} // namespace ferrolux
