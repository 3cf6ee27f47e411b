#pragma once

#include "platform/ui/DesktopShell.h"
#include "results/FileActions.h"

#include <QObject>

namespace ferrolux {

class TfrmMain;

// The main window as the file actions, the token list and the directory
// listing see it; also catches the right button in the directory tree.
class MainFileActions : public QObject, public FileActionHost {
    Q_OBJECT
public:
    explicit MainFileActions(TfrmMain& main);

    FileActions& actions() { return actions_; }
    const FileActions& actions() const { return actions_; }

    const FileResult* selectedFileRow() const override;
    bool caseSensitive() const override;
    const std::string& searchPattern() const override;
    const Settings& settings() const override;
    std::optional<SelectedMatch> selectedMatch() const override;
    QObject* messageOwner() override;
    void showViewer(const ViewerRequest& request) override;
    QString searchText() const override;
    void setSearchText(const QString& text) override;
    QString fileSpec() const override;
    void setFileSpec(const QString& text) override;
    std::string currentDirectory() const override;
    ListingAnchor listingAnchor() const override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TfrmMain& main_;
    DesktopShell shell_;
    FileActions actions_;
};

} // namespace ferrolux
