#include "settings/PreferenceDialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <utility>

namespace ferrolux {
namespace {

class PlatformDialogs : public PreferenceDialogs {
public:
    std::optional<QFont> chooseFont(QWidget* parent, const QFont& preset) override {
        QFontDialog dialog(preset, parent);
        dialog.setObjectName(QStringLiteral("FontDialog1"));
        // The list may show the preset under another name (its stand-in).
        const QString shownFace = dialog.currentFont().family();
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        QFont chosen = dialog.selectedFont();
        if (chosen.family() == shownFace) chosen.setFamily(preset.family());
        return chosen;
    }

    std::optional<QColor> chooseColor(QWidget* parent, const QColor& preset) override {
        QColorDialog dialog(preset, parent);
        dialog.setObjectName(QStringLiteral("ColorDialog1"));
        if (dialog.exec() != QDialog::Accepted) return std::nullopt;
        return dialog.selectedColor();
    }

    std::optional<QString> chooseEditor(QWidget* parent, const QString& startFolder) override {
        // Linux programs carry no extension: any file may be one.
        QFileDialog dialog(parent, QStringLiteral("Choose an Editor"), startFolder,
                           QStringLiteral("Executable files (*)"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return std::nullopt;
        return dialog.selectedFiles().front();
    }

    std::optional<QString> chooseDirectory(QWidget* parent, const QString& start) override {
        const QString chosen = QFileDialog::getExistingDirectory(
            parent, QStringLiteral("Choose a Startup Directory"), start);
        if (chosen.isEmpty()) return std::nullopt;
        return chosen;
    }
};

PreferenceDialogs*& installed() {
    static PreferenceDialogs* dialogs = nullptr;
    return dialogs;
}

} // namespace

PreferenceDialogs& preferenceDialogs() {
    static PlatformDialogs platform;
    PreferenceDialogs* dialogs = installed();
    return dialogs ? *dialogs : platform;
}

PreferenceDialogs* setPreferenceDialogs(PreferenceDialogs* dialogs) {
    return std::exchange(installed(), dialogs);
}

} // namespace ferrolux
