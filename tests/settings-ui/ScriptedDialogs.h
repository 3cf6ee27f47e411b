#pragma once

#include "settings/PreferenceDialogs.h"

#include <vector>

namespace ferrolux::test {

// Answers the preferences dialog's common dialogs as a test prepared them
// (nullopt: cancelled) and records what each was preset to. Installed while
// it lives.
class ScriptedDialogs : public PreferenceDialogs {
public:
    ScriptedDialogs();
    ~ScriptedDialogs() override;
    ScriptedDialogs(const ScriptedDialogs&) = delete;
    ScriptedDialogs& operator=(const ScriptedDialogs&) = delete;

    std::optional<QFont> fontAnswer;
    std::optional<QColor> colorAnswer;
    std::optional<QString> editorAnswer;
    std::optional<QString> directoryAnswer;

    std::vector<QFont> fontPresets;
    std::vector<QColor> colorPresets;
    std::vector<QString> editorFolders;

    std::optional<QFont> chooseFont(QWidget* parent, const QFont& preset) override;
    std::optional<QColor> chooseColor(QWidget* parent, const QColor& preset) override;
    std::optional<QString> chooseEditor(QWidget* parent, const QString& startFolder) override;
    std::optional<QString> chooseDirectory(QWidget* parent, const QString& start) override;

private:
    PreferenceDialogs* previous_;
};

} // namespace ferrolux::test
