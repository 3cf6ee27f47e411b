#pragma once

#include "app/MainControls.h"
#include "app/MainFileActions.h"
#include "app/MainPrint.h"
#include "app/MainResultLists.h"
#include "app/MainSearch.h"
#include "app/MainSettings.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/ElidedLabel.h"
#include "results/FileListView.h"
#include "results/MatchListView.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <gtest/gtest.h>

namespace ferrolux::test {

// The controls of a main window, found by their names as a test (or a
// person) reaches them; a missing name fails the test.
struct MainWindowControls : ResultControls, SearchControls {
    MainWindowControls() = default;
    explicit MainWindowControls(const QWidget& window) : window_(&window) {
        lstFiles1 = find<FileListView>("lstFiles1");
        lblMatches = find<ElidedLabel>("lblMatches");
        lstLines1 = find<MatchListView>("lstLines1");
        pnlStatus = find<QLabel>("pnlStatus");
        pnlBottom = find<QFrame>("pnlBottom");
        Dir1 = find<DirectoryListBox>("Dir1");
        Drive1 = find<DriveComboBox>("Drive1");
        cboSearch = find<QComboBox>("cboSearch");
        txtFilespec = find<QLineEdit>("txtFilespec");
        chkTextFiles = find<QCheckBox>("chkTextFiles");
        chkBinaryFiles = find<QCheckBox>("chkBinaryFiles");
        cboRegExp = find<QComboBox>("cboRegExp");
        chkInclSub = find<QCheckBox>("chkInclSub");
        chkSearchListed = find<QCheckBox>("chkSearchListed");
        chkSearchZip = find<QCheckBox>("chkSearchZip");
        chkCase = find<QCheckBox>("chkCase");
        chkWord = find<QCheckBox>("chkWord");
        chkLiteral = find<QCheckBox>("chkLiteral");
        cmdSearch = find<QPushButton>("cmdSearch");
        cmdPrint = find<QPushButton>("cmdPrint");
        cmdStop = find<QPushButton>("cmdStop");
        File1 = find<QMenu>("File1");
        Help1 = find<QMenu>("Help1");
        mnuFilesPopup = find<QMenu>("mnuFilesPopup");
    }

    // A menu item by its name ("SaveSearch1", "View1", ...).
    QAction* action(const char* name) const { return find<QAction>(name); }

    QFrame* pnlBottom = nullptr;
    QMenu* File1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* mnuFilesPopup = nullptr;

private:
    template <typename T>
    T* find(const char* name) const {
        T* found = window_->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    const QWidget* window_ = nullptr;
};

} // namespace ferrolux::test
