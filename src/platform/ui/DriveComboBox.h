#pragma once

#include <QComboBox>
#include <map>
#include <string>

namespace ferrolux {

// The mounted file systems a search can start in, "/" first. Each remembers
// the directory last shown on it, as a drive keeps its current directory.
// Its edit field shows the current directory, and a folder path typed or
// pasted there (completed from the disk) is told by folderEntered.
class DriveComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit DriveComboBox(QWidget* parent = nullptr);

    // Root path of the selected file system, ending in "/".
    std::string Drive() const;
    // Selects the file system that holds path, remembers path as its current
    // directory and shows it in the edit field; does not signal a change.
    void showDriveOf(const std::string& path);
    // The directory last shown on the selected file system, else its root.
    std::string currentDirectory() const;

signals:
    void Change();
    // Enter in the edit field: the absolute path typed ("~" is the home
    // folder), as bytes; whether it is a folder is the receiver's to tell.
    void folderEntered(const std::string& path);

protected:
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    // Shows the current directory again in place of what was typed.
    void showCurrentDirectory();

    std::map<std::string, std::string> currentDirectories_;
    std::string shown_;
};

} // namespace ferrolux
