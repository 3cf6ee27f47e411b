#pragma once

#include <QObject>
#include <optional>
#include <string>

class QMimeData;
class QWidget;

namespace ferrolux {

// The folder a drop from a file manager names: the first local item, a
// folder itself or the folder a file lies in (a byte path ending in "/").
std::optional<std::string> folderOfDrop(const QMimeData& data);

// Lets a window take a folder dropped anywhere on it that does not take the
// drop itself (a text box takes text); the folder is told by dropped.
class FolderDrop : public QObject {
    Q_OBJECT
public:
    explicit FolderDrop(QWidget* window);

signals:
    void dropped(const std::string& folder);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace ferrolux
