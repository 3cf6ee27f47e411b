#include "platform/ui/FolderDrop.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <sys/stat.h>

namespace ferrolux {

std::optional<std::string> folderOfDrop(const QMimeData& data) {
    for (const QUrl& url : data.urls()) {
        if (!url.isLocalFile()) continue;
        std::string path = QFile::encodeName(url.toLocalFile()).toStdString();
        struct stat info {};
        if (path.empty() || ::stat(path.c_str(), &info) != 0) continue;
        if (!S_ISDIR(info.st_mode)) path.erase(path.rfind('/') + 1);
        if (path.back() != '/') path += '/';
        return path;
    }
    return std::nullopt;
}

FolderDrop::FolderDrop(QWidget* window) : QObject(window) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool FolderDrop::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDropEvent*>(event);
        if (!drag->mimeData() || !folderOfDrop(*drag->mimeData())) return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const std::optional<std::string> folder =
            drop->mimeData() ? folderOfDrop(*drop->mimeData()) : std::nullopt;
        if (!folder) return false;
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        emit dropped(*folder);
        return true;
    }
    default:
        return QObject::eventFilter(watched, event);
    }
}

} // namespace ferrolux
