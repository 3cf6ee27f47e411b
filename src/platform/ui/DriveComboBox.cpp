#include "platform/ui/DriveComboBox.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSet>
#include <QStorageInfo>
#include <algorithm>

namespace ferrolux {
namespace {

// Kernel and virtual file systems hold nothing a user searches.
bool isPseudoFileSystem(const QStorageInfo& volume) {
    static const QSet<QByteArray> pseudo = {
        "proc",      "sysfs",   "devpts",      "devtmpfs", "cgroup",     "cgroup2",  "mqueue",
        "debugfs",   "tracefs", "securityfs",  "pstore",   "bpf",        "configfs", "fusectl",
        "hugetlbfs", "autofs",  "binfmt_misc", "efivarfs", "rpc_pipefs", "nsfs"};
    const QString root = volume.rootPath();
    return pseudo.contains(volume.fileSystemType()) || root.startsWith(QLatin1String("/proc/")) ||
           root.startsWith(QLatin1String("/sys/")) || root.startsWith(QLatin1String("/dev/"));
}

std::string withSlash(const QString& rootPath) {
    std::string path = QFile::encodeName(rootPath).toStdString();
    if (path.empty() || path.back() != '/') path += '/';
    return path;
}

QString volumeCaption(const QStorageInfo& volume) {
    const QString name = volume.name();
    return name.isEmpty() ? volume.rootPath()
                          : volume.rootPath() + QStringLiteral("  [") + name + QLatin1Char(']');
}

} // namespace

DriveComboBox::DriveComboBox(QWidget* parent) : QComboBox(parent) {
    QList<QStorageInfo> volumes;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        // Bind-mounted single files are mounts too, but no place to start.
        if (volume.isValid() && volume.isReady() && !isPseudoFileSystem(volume) &&
            QFileInfo(volume.rootPath()).isDir())
            volumes.push_back(volume);
    }
    std::sort(volumes.begin(), volumes.end(), [](const QStorageInfo& a, const QStorageInfo& b) {
        return a.isRoot() != b.isRoot() ? a.isRoot() : a.rootPath() < b.rootPath();
    });
    if (volumes.isEmpty() || !volumes.front().isRoot())
        addItem(QStringLiteral("/"), QStringLiteral("/"));
    for (const QStorageInfo& volume : volumes)
        addItem(volumeCaption(volume), volume.rootPath());

    setEditable(true);
    setInsertPolicy(NoInsert);
    auto* folders = new QFileSystemModel(this);
    folders->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot | QDir::Hidden);
    folders->setRootPath(QStringLiteral("/"));
    auto* completer = new QCompleter(folders, this);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    lineEdit()->setCompleter(completer);
    connect(lineEdit(), &QLineEdit::returnPressed, this, [this] {
        QString typed = lineEdit()->text().trimmed();
        if (typed == QLatin1String("~") || typed.startsWith(QLatin1String("~/")))
            typed.replace(0, 1, QDir::homePath());
        if (QDir::isRelativePath(typed))
            typed.prepend(QFile::decodeName(QByteArray::fromStdString(shown_)));
        emit folderEntered(QFile::encodeName(typed).toStdString());
    });
    connect(this, &QComboBox::activated, this, [this] { emit Change(); });
}

void DriveComboBox::showCurrentDirectory() {
    setEditText(QFile::decodeName(QByteArray::fromStdString(shown_)));
    setToolTip(lineEdit()->text());
}

void DriveComboBox::focusOutEvent(QFocusEvent* event) {
    QComboBox::focusOutEvent(event);
    // The completer's popup takes the focus while the user is still typing.
    if (!lineEdit()->completer()->popup()->isVisible()) showCurrentDirectory();
}

void DriveComboBox::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape &&
        lineEdit()->text() != QFile::decodeName(QByteArray::fromStdString(shown_))) {
        showCurrentDirectory();
        return;
    }
    QComboBox::keyPressEvent(event);
}

std::string DriveComboBox::Drive() const {
    return withSlash(currentData().toString());
}

void DriveComboBox::showDriveOf(const std::string& path) {
    int best = 0;
    std::size_t bestLength = 0;
    for (int i = 0; i < count(); ++i) {
        const std::string root = withSlash(itemData(i).toString());
        if (path.compare(0, root.size(), root) == 0 && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    setCurrentIndex(best);
    currentDirectories_[Drive()] = path;
    shown_ = path;
    showCurrentDirectory();
}

std::string DriveComboBox::currentDirectory() const {
    const auto found = currentDirectories_.find(Drive());
    return found != currentDirectories_.end() ? found->second : Drive();
}

} // namespace ferrolux
