#pragma once

#include "app/MainControls.h"
#include "platform/ui/DesktopShell.h"
#include "results/FileActions.h"

#include <QObject>

class QWidget;

namespace ferrolux {

class SearchSession;
struct Settings;

// The main window as the file actions, the token list and the directory
// listing see it; also catches the right button in the directory tree.
class MainFileActions : public QObject, public FileActionHost {
    Q_OBJECT
public:
    MainFileActions(QWidget* window, const SearchSession& session, const Settings& settings,
                    const SearchControls& controls, const ResultControls& results);

    // View, Open, Edit, a double-click on a match and the token list.
    FileActions& actions() { return actions_; }
    const FileActions& actions() const { return actions_; }
    // A mouse button pressed in the directory tree: the right one lists the
    // current directory's files.
    void Dir1MouseDown(Qt::MouseButton button);

    const FileResult* selectedFileRow() const override;
    bool caseSensitive() const override;
    const std::string& searchPattern() const override;
    ViewerSettings viewerSettings() const override;
    QString editor() const override;
    std::optional<SelectedMatch> selectedMatch() const override;
    void tell(const UserMessage& message) override;
    bool ask(const UserMessage& question) override;
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
    QWidget* window_;
    const SearchSession& session_;
    const Settings& settings_;
    const SearchControls& controls_;
    const ResultControls& results_;
    DesktopShell shell_;
    FileActions actions_;
};

} // namespace ferrolux
