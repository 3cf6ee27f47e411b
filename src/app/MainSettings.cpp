#include "app/MainSettings.h"

#include "platform/MessageBoxA.h"
#include "platform/registry/Registry.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/HintSwitch.h"
#include "platform/ui/ScreenFonts.h"
#include "results/MatchListView.h"
#include "settings/SavedSearches.h"
#include "settings/SettingsStore.h"
#include "settings/SettingsTexts.h"
#include "settings/TfrmPreferences.h"
#include "settings/TfrmSearches.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>

namespace ferrolux {

MainSettings::MainSettings(QWidget* window, ::ferrolux::Settings& settings,
                           const SearchControls& controls, const ResultControls& results)
    : window_(window), settings_(settings), controls_(controls), results_(results) {}

void MainSettings::LoadSettings(bool applyStartupDir) {
    if (const std::optional<UserMessage> warning =
            ::ferrolux::LoadSettings(settings_, *this, RegistryStore::standard(), applyStartupDir))
        MessageBoxA(window_, *warning);
}

void MainSettings::SaveSearch1Click() {
    const std::optional<QString> directory = directoryForSaving(controls_.Dir1->Directory());
    if (!directory) {
        MessageBoxA(window_, directoryNotUtf8Refusal());
        return;
    }
    const StoreOutcome saved =
        saveSearch(RegistryStore::standard(),
                   {*directory, controls_.cboSearch->currentText(), controls_.txtFilespec->text(),
                    optionLettersFor(optionBoxes())});
    if (saved.message) MessageBoxA(window_, *saved.message);
}

void MainSettings::RetrieveSearch1Click() {
    TfrmSearches::showModal(*this, window_);
}

void MainSettings::Preferences1Click() {
    TfrmPreferences::showModal(settings_, *this, window_);
}

SearchOptionBoxes MainSettings::optionBoxes() const {
    return {controls_.chkTextFiles->isChecked(), controls_.chkBinaryFiles->isChecked(),
            controls_.chkInclSub->isChecked(),   controls_.chkSearchZip->isChecked(),
            controls_.chkCase->isChecked(),      controls_.chkWord->isChecked(),
            controls_.chkLiteral->isChecked()};
}

bool MainSettings::showHint() const {
    return HintSwitch::instance().hintsShown();
}

void MainSettings::setShowHint(bool on) {
    HintSwitch::instance().setHintsShown(on);
}

void MainSettings::setMatchListFont(const QString& name, int32_t size) {
    results_.lstLines1->setListFont(screenFont(name, size, QFont::Monospace));
}

bool MainSettings::setDirectory(const QString& directory) {
    return controls_.Dir1->setDirectory(QFile::encodeName(directory).toStdString());
}

void MainSettings::setRootDirectory() {
    controls_.Dir1->setDirectory(controls_.Drive1->Drive());
}

void MainSettings::setSearchText(const QString& text) {
    controls_.cboSearch->setEditText(text);
}

void MainSettings::setFileSpec(const QString& fileSpec) {
    controls_.txtFilespec->setText(fileSpec);
}

void MainSettings::setOptionBoxes(const SearchOptionBoxes& boxes) {
    controls_.chkTextFiles->setChecked(boxes.textFiles);
    controls_.chkBinaryFiles->setChecked(boxes.binaryFiles);
    controls_.chkInclSub->setChecked(boxes.includeSubdirectories);
    controls_.chkSearchZip->setChecked(boxes.searchZip);
    controls_.chkCase->setChecked(boxes.caseSensitive);
    controls_.chkWord->setChecked(boxes.wholeWords);
    controls_.chkLiteral->setChecked(boxes.literal);
}

} // namespace ferrolux
