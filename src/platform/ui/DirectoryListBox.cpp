#include "platform/ui/DirectoryListBox.h"

#include "platform/DisplayText.h"

#include <QApplication>
#include <QHeaderView>
#include <QStyle>
#include <algorithm>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {

struct DirectoryTreeModel::Node {
    std::string name; // bytes; "/" for the root
    std::string path; // ends in "/"
    Node* parent = nullptr;
    int row = 0;
    bool loaded = false;
    std::vector<std::unique_ptr<Node>> children;
};

namespace {

bool isDirectoryEntry(int dirFd, const dirent* entry) {
    if (entry->d_type == DT_DIR) return true;
    if (entry->d_type != DT_UNKNOWN && entry->d_type != DT_LNK) return false;
    struct stat info {};
    return ::fstatat(dirFd, entry->d_name, &info, 0) == 0 && S_ISDIR(info.st_mode);
}

std::vector<std::string> subdirectoryNames(const std::string& path) {
    std::vector<std::string> names;
    DIR* dir = ::opendir(path.c_str());
    if (!dir) return names;
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (isDirectoryEntry(::dirfd(dir), entry)) names.push_back(name);
    }
    ::closedir(dir);
    // Case-insensitive order, as the search walks them; ties by bytes.
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const int byCase = displayText(a).compare(displayText(b), Qt::CaseInsensitive);
        return byCase != 0 ? byCase < 0 : a < b;
    });
    return names;
}

// parent (ending in "/") + name + "/", built by appending: the chained
// operator+ trips a false -Wrestrict warning in GCC 12.
std::string childPath(const std::string& parent, const std::string& name) {
    std::string path = parent;
    path.append(name).push_back('/');
    return path;
}

std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start < path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        if (end > start) parts.push_back(path.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

} // namespace

std::string normalizedDirectory(const std::string& path) {
    if (path.empty() || path[0] != '/') return {};
    std::vector<std::string> kept;
    for (const std::string& part : components(path)) {
        if (part == ".") continue;
        if (part == "..") {
            if (!kept.empty()) kept.pop_back();
            continue;
        }
        kept.push_back(part);
    }
    std::string result = "/";
    for (const std::string& part : kept)
        result += part + "/";
    return result;
}

bool canEnterDirectory(const std::string& path) {
    struct stat info {};
    return !path.empty() && ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

DirectoryTreeModel::DirectoryTreeModel(QObject* parent)
    : QAbstractItemModel(parent), root_(std::make_unique<Node>()) {
    reload();
}

DirectoryTreeModel::~DirectoryTreeModel() = default;

void DirectoryTreeModel::reload() {
    beginResetModel();
    // An invisible top node holds the one visible root, "/".
    root_ = std::make_unique<Node>();
    root_->loaded = true;
    auto top = std::make_unique<Node>();
    top->name.assign(1, '/');
    top->path = top->name;
    top->parent = root_.get();
    root_->children.push_back(std::move(top));
    endResetModel();
}

DirectoryTreeModel::Node* DirectoryTreeModel::nodeOf(const QModelIndex& index) const {
    return index.isValid() ? static_cast<Node*>(index.internalPointer()) : root_.get();
}

void DirectoryTreeModel::addChild(Node* node, const std::string& name) {
    auto child = std::make_unique<Node>();
    child->name = name;
    child->path = childPath(node->path, name);
    child->parent = node;
    child->row = int(node->children.size());
    node->children.push_back(std::move(child));
}

QModelIndex DirectoryTreeModel::index(int row, int column, const QModelIndex& parent) const {
    Node* node = nodeOf(parent);
    if (column != 0 || row < 0 || row >= int(node->children.size())) return {};
    return createIndex(row, 0, node->children[std::size_t(row)].get());
}

QModelIndex DirectoryTreeModel::parent(const QModelIndex& child) const {
    Node* node = nodeOf(child);
    if (!child.isValid() || node->parent == root_.get()) return {};
    return createIndex(node->parent->row, 0, node->parent);
}

int DirectoryTreeModel::rowCount(const QModelIndex& parent) const {
    return int(nodeOf(parent)->children.size());
}

int DirectoryTreeModel::columnCount(const QModelIndex&) const {
    return 1;
}

QVariant DirectoryTreeModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return displayText(nodeOf(index)->name);
    if (role == Qt::DecorationRole) return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
    return {};
}

bool DirectoryTreeModel::hasChildren(const QModelIndex& parent) const {
    const Node* node = nodeOf(parent);
    return !node->loaded || !node->children.empty();
}

bool DirectoryTreeModel::canFetchMore(const QModelIndex& parent) const {
    return !nodeOf(parent)->loaded;
}

void DirectoryTreeModel::fetchMore(const QModelIndex& parent) {
    Node* node = nodeOf(parent);
    if (node->loaded) return;
    node->loaded = true;
    const std::vector<std::string> names = subdirectoryNames(node->path);
    if (names.empty()) return;
    beginInsertRows(parent, 0, int(names.size()) - 1);
    for (const std::string& name : names)
        addChild(node, name);
    endInsertRows();
}

std::string DirectoryTreeModel::pathOf(const QModelIndex& index) const {
    return index.isValid() ? nodeOf(index)->path : std::string();
}

QModelIndex DirectoryTreeModel::indexOf(const std::string& path) {
    QModelIndex current = index(0, 0);
    for (const std::string& part : components(path)) {
        fetchMore(current);
        Node* node = nodeOf(current);
        auto found = std::find_if(node->children.begin(), node->children.end(),
                                  [&](const auto& child) { return child->name == part; });
        if (found != node->children.end()) {
            current = createIndex((*found)->row, 0, found->get());
            continue;
        }
        // A folder that may be entered inside one that may not be listed.
        if (!canEnterDirectory(childPath(node->path, part))) return {};
        const int row = int(node->children.size());
        beginInsertRows(current, row, row);
        addChild(node, part);
        endInsertRows();
        current = createIndex(row, 0, node->children.back().get());
    }
    return current;
}

DirectoryListBox::DirectoryListBox(QWidget* parent)
    : QTreeView(parent), model_(new DirectoryTreeModel(this)) {
    setModel(model_);
    header()->hide();
    setUniformRowHeights(true);
    setEditTriggers(NoEditTriggers);
    setSelectionMode(SingleSelection);
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { currentItemChanged(current); });
    connect(this, &QTreeView::expanded, this, &DirectoryListBox::showChildren);
}

// An opened folder shows as many of its folders as fit, and stays in sight.
void DirectoryListBox::showChildren(const QModelIndex& folder) {
    if (showingDirectory_) return;
    const int children = model_->rowCount(folder);
    if (children == 0) return;
    scrollTo(model_->index(children - 1, 0, folder), EnsureVisible);
    scrollTo(folder, EnsureVisible);
}

bool DirectoryListBox::setDirectory(const std::string& path) {
    const std::string wanted = normalizedDirectory(path);
    if (!canEnterDirectory(wanted)) return false;
    const QModelIndex index = model_->indexOf(wanted);
    if (!index.isValid()) return false;
    showDirectory(index);
    return true;
}

void DirectoryListBox::showDirectory(const QModelIndex& index) {
    showingDirectory_ = true;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    showingDirectory_ = false;
    setCurrentIndex(index);
    scrollTo(index);
}

void DirectoryListBox::currentItemChanged(const QModelIndex& current) {
    const std::string path = model_->pathOf(current);
    if (path.empty() || path == directory_) return;
    directory_ = path;
    emit Change();
}

void DirectoryListBox::Update() {
    std::string keep = directory_.empty() ? std::string("/") : directory_;
    directory_.clear();
    model_->reload();
    while (keep != "/" && !canEnterDirectory(keep))
        keep = normalizedDirectory(keep + "..");
    QModelIndex index = model_->indexOf(keep);
    if (!index.isValid()) index = model_->index(0, 0);
    // The reset cleared the current item, so this signals a change.
    showDirectory(index);
}

} // namespace ferrolux
