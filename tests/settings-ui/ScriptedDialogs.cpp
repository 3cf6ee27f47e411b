#include "ScriptedDialogs.h"

namespace ferrolux::test {

ScriptedDialogs::ScriptedDialogs() : previous_(setPreferenceDialogs(this)) {}

ScriptedDialogs::~ScriptedDialogs() {
    setPreferenceDialogs(previous_);
}

std::optional<QFont> ScriptedDialogs::chooseFont(QWidget*, const QFont& preset) {
    fontPresets.push_back(preset);
    return fontAnswer;
}

std::optional<QColor> ScriptedDialogs::chooseColor(QWidget*, const QColor& preset) {
    colorPresets.push_back(preset);
    return colorAnswer;
}

std::optional<QString> ScriptedDialogs::chooseEditor(QWidget*, const QString& startFolder) {
    editorFolders.push_back(startFolder);
    return editorAnswer;
}

std::optional<QString> ScriptedDialogs::chooseDirectory(QWidget*, const QString&) {
    return directoryAnswer;
}

} // namespace ferrolux::test
