#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "results/TfrmNotSearched.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

template <typename T>
T* named(const QWidget& window, const char* name) {
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    EXPECT_NE(found, nullptr) << name;
    return found;
}

std::vector<NotSearchedEntry> twoEntries() {
    return {{"/data/locked.txt", QStringLiteral("cannot be read: permission denied")},
            {"/data/pack.zip", QStringLiteral("a damaged archive")}};
}

TEST(NotSearchedWindow, ListsEachEntryWithItsReason) {
    TfrmNotSearched window(nullptr, twoEntries(), false);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Not Searched"));
    EXPECT_EQ(named<QLabel>(window, "lblSummary")->text(),
              QStringLiteral("2 files or folders were not searched."));
    const QAbstractItemModel* rows = named<QTableView>(window, "lstNotSearched")->model();
    ASSERT_EQ(rows->rowCount(), 2);
    EXPECT_EQ(rows->index(1, 0).data().toString(), QStringLiteral("/data/pack.zip"));
    EXPECT_EQ(rows->index(1, 1).data().toString(), QStringLiteral("a damaged archive"));
}

TEST(NotSearchedWindow, AnEmptyListSaysSo) {
    TfrmNotSearched window(nullptr, {}, true);
    window.show();
    EXPECT_TRUE(
        named<QLabel>(window, "lblSummary")
            ->text()
            .startsWith(QStringLiteral("Every file and folder the search met was searched.")));
    EXPECT_FALSE(named<QTableView>(window, "lstNotSearched")->isVisible());
    EXPECT_FALSE(named<QPushButton>(window, "cmdCopy")->isEnabled());
    EXPECT_FALSE(named<QPushButton>(window, "cmdSave")->isEnabled());
}

TEST(NotSearchedWindow, CopiesTheWholeListOrTheSelectedRows) {
    TfrmNotSearched window(nullptr, twoEntries(), false);
    named<QPushButton>(window, "cmdCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("/data/locked.txt\tcannot be read: permission denied\n"
                             "/data/pack.zip\ta damaged archive\n"));
    named<QTableView>(window, "lstNotSearched")->selectRow(1);
    named<QPushButton>(window, "cmdCopy")->click();
    EXPECT_EQ(QApplication::clipboard()->text(),
              QStringLiteral("/data/pack.zip\ta damaged archive\n"));
}

TEST(NotSearchedWindow, SavesTheListAsTextAndTellsAFailedWrite) {
    test::TempDir folder;
    test::MessageBoxRecorder boxes;
    TfrmNotSearched window(nullptr, twoEntries(), false);
    QString answer = QString::fromStdString(folder.file("list.txt"));
    window.showSaveDialog = [&](QFileDialog& dialog) -> std::optional<QString> {
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("txt"));
        return answer;
    };
    named<QPushButton>(window, "cmdSave")->click();
    EXPECT_EQ(test::readFile(folder.file("list.txt")),
              "/data/locked.txt\tcannot be read: permission denied\n"
              "/data/pack.zip\ta damaged archive\n");
    EXPECT_TRUE(boxes.boxes().empty());

    answer = QString::fromStdString(folder.file("no-such-folder/list.txt"));
    named<QPushButton>(window, "cmdSave")->click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(boxes.boxes()[0].text.startsWith(
        QStringLiteral("The list could not be written to ") + answer))
        << boxes.boxes()[0].text.toStdString();
}

} // namespace
} // namespace ferrolux
