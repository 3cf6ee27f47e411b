#pragma once

#include <QAbstractItemModel>
#include <QTreeView>
#include <memory>
#include <string>
#include <vector>

namespace ferrolux {

// The directory tree from "/" down, read lazily with POSIX calls on byte
// paths, so that folder names that are not valid UTF-8 are still shown and
// can be entered (Qt's own file-system model leaves them out).
class DirectoryTreeModel : public QAbstractItemModel {
    Q_OBJECT
public:
    explicit DirectoryTreeModel(QObject* parent = nullptr);
    ~DirectoryTreeModel() override;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

    // The folder's path, ending in "/".
    std::string pathOf(const QModelIndex& index) const;
    // The index of a folder (an absolute path ending in "/"), reading every
    // level on the way; invalid when a level is missing.
    QModelIndex indexOf(const std::string& path);
    // Forgets everything read so far; the next look reads the disk again.
    void reload();

private:
    struct Node;
    Node* nodeOf(const QModelIndex& index) const;
    static void addChild(Node* node, const std::string& name);

    std::unique_ptr<Node> root_;
};

// The start directory of a search, picked from a tree of folders. The
// current directory is the tree's current item.
class DirectoryListBox : public QTreeView {
    Q_OBJECT
public:
    explicit DirectoryListBox(QWidget* parent = nullptr);

    // The current directory, ending in "/".
    const std::string& Directory() const { return directory_; }
    // Makes path (absolute) the current directory. False, with nothing
    // changed, when it is not a directory that can be entered.
    bool setDirectory(const std::string& path);
    // Reads the tree from the disk again, keeping the current directory (or
    // its nearest ancestor that still exists), and signals a change.
    void Update();

signals:
    void Change();

private:
    void currentItemChanged(const QModelIndex& current);
    void showDirectory(const QModelIndex& index);
    void showChildren(const QModelIndex& folder);

    DirectoryTreeModel* model_;
    std::string directory_;
    // Opening the way to a directory scrolls to that directory only.
    bool showingDirectory_ = false;
};

// Lexically normalised absolute directory path ending in "/" ("." and ".."
// resolved, repeated slashes merged); empty for a relative path.
std::string normalizedDirectory(const std::string& path);

// True when path is a directory the user may enter.
bool canEnterDirectory(const std::string& path);

} // namespace ferrolux
