#pragma once

#include "app/MainControls.h"
#include "settings/SearchForm.h"
#include "settings/SettingsTarget.h"

class QWidget;

namespace ferrolux {

struct Settings;

// The main window as the stored settings and the saved searches see it:
// loading the preferences into the window, the Preferences dialog, and
// saving and retrieving searches.
class MainSettings : public SettingsTarget, public SearchForm {
public:
    MainSettings(QWidget* window, ::ferrolux::Settings& settings, const SearchControls& controls,
                 const ResultControls& results);

    // Reads the stored preferences into the settings record and applies the
    // tool tip switch, the match-list font and (with applyStartupDir) the
    // start-up directory.
    void LoadSettings(bool applyStartupDir);
    void SaveSearch1Click();
    void RetrieveSearch1Click();
    void Preferences1Click();
    SearchOptionBoxes optionBoxes() const;

    bool showHint() const override;
    void setShowHint(bool on) override;
    void setMatchListFont(const QString& name, int32_t size) override;
    bool setDirectory(const QString& directory) override;
    void setRootDirectory() override;
    void setSearchText(const QString& text) override;
    void setFileSpec(const QString& fileSpec) override;
    void setOptionBoxes(const SearchOptionBoxes& boxes) override;

private:
    QWidget* window_;
    ::ferrolux::Settings& settings_;
    const SearchControls& controls_;
    const ResultControls& results_;
};

} // namespace ferrolux
