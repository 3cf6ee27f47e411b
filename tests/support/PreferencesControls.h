#pragma once

#include "WindowDriver.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolButton>

namespace ferrolux::test {

// The controls of a preferences dialog, found by their names as a test (or
// a person) reaches them; a missing name fails the test.
struct PreferencesControls {
    explicit PreferencesControls(const QWidget& dialog)
        : PageControl1(named<QTabWidget>(dialog, "PageControl1")),
          tabGeneral(named<QWidget>(dialog, "tabGeneral")),
          tabFonts(named<QWidget>(dialog, "tabFonts")),
          tabSearch(named<QWidget>(dialog, "tabSearch")),
          txtMaxMatchLen(named<QSpinBox>(dialog, "txtMaxMatchLen")),
          txtMaxMatches(named<QSpinBox>(dialog, "txtMaxMatches")),
          chkShowHint(named<QCheckBox>(dialog, "chkShowHint")),
          txtEditor(named<QLineEdit>(dialog, "txtEditor")),
          cmdBrowseEditor(named<QToolButton>(dialog, "cmdBrowseEditor")),
          txtStartupDir(named<QLineEdit>(dialog, "txtStartupDir")),
          cmdBrowseStartupDir(named<QToolButton>(dialog, "cmdBrowseStartupDir")),
          grpColors(named<QGroupBox>(dialog, "grpColors")),
          cmdTextColor(named<QPushButton>(dialog, "cmdTextColor")),
          cmdHighColor(named<QPushButton>(dialog, "cmdHighColor")),
          edtSample(named<QTextEdit>(dialog, "edtSample")),
          lblMatchFont(named<QLabel>(dialog, "lblMatchFont")),
          cmdMatchFont(named<QPushButton>(dialog, "cmdMatchFont")),
          lblViewerFont(named<QLabel>(dialog, "lblViewerFont")),
          cmdViewerFont(named<QPushButton>(dialog, "cmdViewerFont")),
          lblPrintFont(named<QLabel>(dialog, "lblPrintFont")),
          cmdPrintFont(named<QPushButton>(dialog, "cmdPrintFont")),
          txtFoldersToSkip(named<QLineEdit>(dialog, "txtFoldersToSkip")),
          chkSearchArchives(named<QCheckBox>(dialog, "chkSearchArchives")),
          cmdOK(named<QPushButton>(dialog, "cmdOK")),
          cmdCancel(named<QPushButton>(dialog, "cmdCancel")) {}

    QTabWidget* PageControl1;
    QWidget* tabGeneral;
    QWidget* tabFonts;
    QWidget* tabSearch;
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
    QLabel* lblMatchFont;
    QPushButton* cmdMatchFont;
    QLabel* lblViewerFont;
    QPushButton* cmdViewerFont;
    QLabel* lblPrintFont;
    QPushButton* cmdPrintFont;
    QLineEdit* txtFoldersToSkip;
    QCheckBox* chkSearchArchives;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};

} // namespace ferrolux::test
