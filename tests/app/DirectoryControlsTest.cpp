#include "TempDir.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "platform/ui/FolderDrop.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QSignalSpy>
#include <QTest>
#include <QUrl>
#include <filesystem>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

TEST(DirectoryPaths, NormalisedLexically) {
    EXPECT_EQ(normalizedDirectory("/a/b/../c/./"), "/a/c/");
    EXPECT_EQ(normalizedDirectory("/a//b"), "/a/b/");
    EXPECT_EQ(normalizedDirectory("/.."), "/");
    EXPECT_EQ(normalizedDirectory("relative/dir"), "");
}

TEST(DirectoryListBox, EntersAFolderAndSignalsTheChange) {
    test::TempDir tree;
    const std::string inner = tree.mkdir("one/two");
    DirectoryListBox box;
    QSignalSpy changes(&box, &DirectoryListBox::Change);
    ASSERT_TRUE(box.setDirectory(inner));
    EXPECT_EQ(box.Directory(), inner + "/");
    EXPECT_EQ(changes.count(), 1);
    // Without the trailing slash, with dots: the same folder, no new change.
    EXPECT_TRUE(box.setDirectory(tree.path() + "one/./two/../two"));
    EXPECT_EQ(changes.count(), 1);
}

TEST(DirectoryListBox, RefusesWhatCannotBeEntered) {
    test::TempDir tree;
    const std::string file = tree.write("plain.txt", "x");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(tree.path()));
    EXPECT_FALSE(box.setDirectory(tree.path() + "missing"));
    EXPECT_FALSE(box.setDirectory(file));
    EXPECT_FALSE(box.setDirectory(""));
    EXPECT_EQ(box.Directory(), tree.path());
}

TEST(DirectoryListBox, ShowsAndEntersFolderNamesThatAreNotUtf8) {
    test::TempDir tree;
    const std::string odd = tree.mkdir("caf\xe9");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(odd));
    EXPECT_EQ(box.Directory(), odd + "/");
    EXPECT_EQ(box.currentIndex().data().toString(), QStringLiteral("caf\u00e9"));
}

TEST(DirectoryListBox, UpdateSeesNewFoldersAndFallsBackWhenTheCurrentOneIsGone) {
    test::TempDir tree;
    const std::string gone = tree.mkdir("parent/gone");
    DirectoryListBox box;
    ASSERT_TRUE(box.setDirectory(tree.path() + "parent"));
    const QModelIndex parent = box.currentIndex();
    box.model()->fetchMore(parent);
    EXPECT_EQ(box.model()->rowCount(parent), 1);

    tree.mkdir("parent/fresh");
    box.Update();
    box.model()->fetchMore(box.currentIndex());
    EXPECT_EQ(box.model()->rowCount(box.currentIndex()), 2);

    ASSERT_TRUE(box.setDirectory(gone));
    std::filesystem::remove(gone);
    QSignalSpy changes(&box, &DirectoryListBox::Change);
    box.Update();
    EXPECT_EQ(box.Directory(), tree.path() + "parent/");
    EXPECT_EQ(changes.count(), 1);
}

// Opening a folder at the bottom of the tree brings its folders into sight.
TEST(DirectoryListBox, OpeningAFolderScrollsItsFoldersIntoView) {
    test::TempDir tree;
    for (char name = 'a'; name <= 'z'; ++name)
        tree.mkdir(std::string(1, name));
    for (int i = 0; i < 4; ++i)
        tree.mkdir("z/inner" + std::to_string(i));
    DirectoryListBox box;
    box.resize(220, 148);
    box.show();
    ASSERT_TRUE(box.setDirectory(tree.path() + "z"));
    const QModelIndex folder = box.currentIndex();
    ASSERT_TRUE(box.viewport()->rect().contains(box.visualRect(folder)));

    box.expand(folder);
    const QRect inSight = box.viewport()->rect();
    EXPECT_TRUE(inSight.contains(box.visualRect(folder)));
    ASSERT_EQ(box.model()->rowCount(folder), 4);
    for (int row = 0; row < 4; ++row)
        EXPECT_TRUE(inSight.contains(box.visualRect(box.model()->index(row, 0, folder)))) << row;
}

TEST(DriveComboBox, ListsTheRootFirstAndFollowsTheDirectory) {
    DriveComboBox drives;
    ASSERT_GT(drives.count(), 0);
    EXPECT_TRUE(drives.itemData(0).toString() == QStringLiteral("/"));
    QSignalSpy changes(&drives, &DriveComboBox::Change);
    drives.showDriveOf("/");
    EXPECT_EQ(drives.Drive(), "/");
    EXPECT_EQ(drives.currentDirectory(), "/");
    EXPECT_EQ(changes.count(), 0);
}

TEST(DriveComboBox, RemembersTheCurrentDirectoryOfADrive) {
    test::TempDir tree;
    DriveComboBox drives;
    drives.showDriveOf(tree.path());
    EXPECT_EQ(drives.currentDirectory(), tree.path());
    EXPECT_EQ(tree.path().rfind(drives.Drive(), 0), 0u);
}

// A path typed into the drive box is told on Enter; the box shows the
// current directory again when the user leaves or presses Esc.
TEST(DriveComboBox, TellsAFolderTypedIntoIt) {
    test::TempDir tree;
    tree.write("sub folder/a.txt", "x");
    DriveComboBox drives;
    drives.show();
    drives.showDriveOf(tree.path());
    EXPECT_EQ(drives.currentText(), QString::fromStdString(tree.path()));
    QSignalSpy entered(&drives, &DriveComboBox::folderEntered);
    const QString home = QDir::homePath();
    const struct {
        QString typed;
        std::string told;
    } cases[] = {
        {QString::fromStdString(tree.path()) + QStringLiteral("sub folder"),
         tree.path() + "sub folder"},
        {QStringLiteral("  /usr/share  "), "/usr/share"},
        {QStringLiteral("~/Documents"), QFile::encodeName(home).toStdString() + "/Documents"},
        {QStringLiteral("sub folder"), tree.path() + "sub folder"}, // from the current one
    };
    for (const auto& c : cases) {
        drives.lineEdit()->setText(c.typed);
        QTest::keyClick(drives.lineEdit(), Qt::Key_Return);
        ASSERT_FALSE(entered.isEmpty()) << c.typed.toStdString();
        EXPECT_EQ(entered.takeLast().at(0).value<std::string>(), c.told);
    }
    drives.lineEdit()->setText(QStringLiteral("/somewhere/else"));
    QTest::keyClick(drives.lineEdit(), Qt::Key_Escape);
    EXPECT_EQ(drives.currentText(), QString::fromStdString(tree.path()));
}

TEST(DriveComboBox, CompletesFoldersFromTheDisk) {
    test::TempDir tree;
    tree.write("alpha/a.txt", "x");
    tree.write("alps/b.txt", "x");
    tree.write("alpine.txt", "x"); // a file: not offered
    DriveComboBox drives;
    QCompleter* completer = drives.lineEdit()->completer();
    ASSERT_NE(completer, nullptr);
    // Typed a folder at a time, as a user does: the folder model reads each
    // level from the disk in the background.
    const QString typed = QString::fromStdString(tree.path()) + QStringLiteral("al");
    for (qsizetype slash = typed.indexOf(QLatin1Char('/'), 1); slash >= 0;
         slash = typed.indexOf(QLatin1Char('/'), slash + 1)) {
        const QString level = typed.left(slash + 1);
        EXPECT_TRUE(QTest::qWaitFor([&] {
            completer->setCompletionPrefix(level);
            return completer->completionCount() > 0;
        })) << level.toStdString();
    }
    EXPECT_TRUE(QTest::qWaitFor([&] {
        completer->setCompletionPrefix(typed);
        return completer->completionCount() == 2;
    }));
    QStringList offered;
    for (int i = 0; completer->setCurrentRow(i); ++i)
        offered << completer->currentCompletion();
    offered.sort();
    EXPECT_EQ(offered, (QStringList{QString::fromStdString(tree.path()) + QStringLiteral("alpha"),
                                    QString::fromStdString(tree.path()) + QStringLiteral("alps")}));
}

TEST(FolderDrop, TakesTheFolderOfWhatAFileManagerDrops) {
    test::TempDir tree;
    const std::string file = tree.write("docs/a.txt", "x");
    const auto urls = [](std::initializer_list<QString> items) {
        auto* data = new QMimeData;
        QList<QUrl> list;
        for (const QString& item : items)
            list << (item.contains(QLatin1String("://")) ? QUrl(item) : QUrl::fromLocalFile(item));
        data->setUrls(list);
        return std::unique_ptr<QMimeData>(data);
    };
    const QString docs = QString::fromStdString(tree.path()) + QStringLiteral("docs");
    const struct {
        const char* name;
        std::unique_ptr<QMimeData> data;
        std::optional<std::string> folder;
    } cases[] = {
        {"a folder", urls({docs}), tree.path() + "docs/"},
        {"a file", urls({QString::fromStdString(file)}), tree.path() + "docs/"},
        {"a web address", urls({QStringLiteral("https://example.org/x")}), std::nullopt},
        {"a vanished item, then a folder", urls({docs + QStringLiteral("/gone"), docs}),
         tree.path() + "docs/"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(folderOfDrop(*c.data), c.folder) << c.name;

    QWidget window;
    FolderDrop drop(&window);
    QSignalSpy dropped(&drop, &FolderDrop::dropped);
    const auto data = urls({docs});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&window, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent release(QPointF(5, 5), Qt::CopyAction, data.get(), Qt::LeftButton, {});
    QApplication::sendEvent(&window, &release);
    ASSERT_EQ(dropped.count(), 1);
    EXPECT_EQ(dropped.at(0).at(0).value<std::string>(), tree.path() + "docs/");
}

} // namespace
} // namespace ferrolux
