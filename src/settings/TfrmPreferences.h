#pragma once

#include "settings/Settings.h"

#include <QDialog>
#include <QFont>
#include <cstdint>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;
class QTextEdit;
class QToolButton;

namespace ferrolux {

class SettingsTarget;

// The preferences dialog: edits the settings record in place. Fonts, colours
// and the start-up directory change the record as soon as they are chosen;
// OK copies the rest and stores everything; Cancel writes nothing.
class TfrmPreferences : public QDialog {
    Q_OBJECT
public:
    // settings is the main window's record; target applies it after OK.
    TfrmPreferences(::ferrolux::Settings& settings, SettingsTarget& target,
                    QWidget* parent = nullptr);

    // Creates the dialog owned by owner, shows it modally and frees it when
    // it closes.
    static void showModal(::ferrolux::Settings& settings, SettingsTarget& target, QWidget* owner);

    void FormShow();
    void cmdMatchFontClick();
    void cmdViewerFontClick();
    void cmdPrintFontClick();
    void cmdTextColorClick();
    void cmdHighColorClick();
    void cmdBrowseEditorClick();
    void cmdBrowseStartupDirClick();
    void txtEditorExit();
    void txtStartupDirExit();
    void cmdOKClick();
    void cmdCancelClick();
    void ShowColorSample();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One of the three fonts: its two fields, its label and the kind of
    // face that stands in when the named one is not installed.
    struct FontChoice {
        QString& name;
        int32_t& size;
        QLabel* label;
        QFont::StyleHint kind;
    };

    QWidget* createGeneralTab();
    QWidget* createFontsTab();
    QWidget* createSearchTab();
    void createColorGroup(QWidget* tab);
    QLabel* createFontGroup(QWidget* tab, const char* heading, int top, const char* buttonName,
                            QPushButton*& button);
    void connectHandlers();
    FontChoice matchFont();
    FontChoice viewerFont();
    FontChoice printFont();
    void chooseFont(const FontChoice& choice);
    void showFontLabel(const FontChoice& choice);
    void chooseColor(int32_t& colour);

    // Each control carries its name as objectName: others find it by that.
    QTabWidget* PageControl1;
    QWidget* tabGeneral;
    QWidget* tabFonts;
    QWidget* tabSearch; // beyond the designed two: what a search leaves out

    // General tab.
    QSpinBox* txtMaxMatchLen;
    QSpinBox* txtMaxMatches;
    QCheckBox* chkShowHint;
    QLineEdit* txtEditor;
    QToolButton* cmdBrowseEditor;
    QLineEdit* txtStartupDir;
    QToolButton* cmdBrowseStartupDir;
    QGroupBox* grpColors;
    QPushButton* cmdTextColor;
    QPushButton* cmdHighColor;
    QTextEdit* edtSample;

    // Fonts tab.
    QLabel* lblMatchFont;
    QPushButton* cmdMatchFont;
    QLabel* lblViewerFont;
    QPushButton* cmdViewerFont;
    QLabel* lblPrintFont;
    QPushButton* cmdPrintFont;

    // Search tab.
    QLineEdit* txtFoldersToSkip;
    QCheckBox* chkSearchArchives;

    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    ::ferrolux::Settings& settings_;
    SettingsTarget& target_;
    bool shownOnce_ = false;
};

} // namespace ferrolux
