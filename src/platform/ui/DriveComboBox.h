#pragma once

#include <QComboBox>
#include <map>
#include <string>

namespace ferrolux {

// The mounted file systems a search can start in, "/" first. Each remembers
// the directory last shown on it, as a drive keeps its current directory.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Root path of the selected file system, ending in "/".
    std::string Drive() const;
    // Selects the file system that holds path and remembers path as its
    // current directory; does not signal a change.
    void showDriveOf(const std::string& path);
    // The directory last shown on the selected file system, else its root.
    std::string currentDirectory() const;

signals:
    void Change();

private:
    std::map<std::string, std::string> currentDirectories_;
};

} // namespace ferrolux
