#include "app/TfrmMain.h"
#include "platform/registry/Registry.h"
#include "platform/ui/DirectoryListBox.h"
#include "settings/SavedSearches.h"
#include "settings/TfrmPreferences.h"
#include "settings/TfrmSearches.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

namespace ferrolux {

void TfrmMain::SaveSearch1Click() {
    const std::optional<QString> directory = directoryForSaving(Dir1->Directory(), this);
    if (!directory) return;
    saveSearch(RegistryStore::standard(),
               {*directory, cboSearch->currentText(), txtFilespec->text(),
                optionLettersFor(optionBoxes())},
               this);
}

void TfrmMain::RetrieveSearch1Click() {
    TfrmSearches::showModal(*this, this);
}

void TfrmMain::Preferences1Click() {
    TfrmPreferences::showModal(Settings, *this, this);
}

SearchOptionBoxes TfrmMain::optionBoxes() const {
    return {chkTextFiles->isChecked(), chkBinaryFiles->isChecked(), chkInclSub->isChecked(),
            chkSearchZip->isChecked(), chkCase->isChecked(),        chkWord->isChecked(),
            chkLiteral->isChecked()};
}

void TfrmMain::setSearchText(const QString& text) {
    cboSearch->setEditText(text);
}

void TfrmMain::setFileSpec(const QString& fileSpec) {
    txtFilespec->setText(fileSpec);
}

void TfrmMain::setOptionBoxes(const SearchOptionBoxes& boxes) {
    chkTextFiles->setChecked(boxes.textFiles);
    chkBinaryFiles->setChecked(boxes.binaryFiles);
    chkInclSub->setChecked(boxes.includeSubdirectories);
    chkSearchZip->setChecked(boxes.searchZip);
    chkCase->setChecked(boxes.caseSensitive);
    chkWord->setChecked(boxes.wholeWords);
    chkLiteral->setChecked(boxes.literal);
}

} // namespace ferrolux
