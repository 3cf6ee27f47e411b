#include "results/TfrmDirListing.h"

#include "FakeHost.h"
#include "TempDir.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::FakeHost;
using test::TempDir;

class DirListingWindowTest : public ::testing::Test {
protected:
    TempDir dir;
    FakeHost host;

    DirListingWindowTest() {
        dir.write("b.txt", "");
        dir.write("a.txt", "");
        dir.write("c.log", "");
        host.directory = dir.path().substr(0, dir.path().size() - 1);
    }

    static void select(TfrmDirListing& window, const QStringList& names) {
        for (const QString& name : names)
            window.File1->findItems(name, Qt::MatchExactly).front()->setSelected(true);
    }
};

TEST_F(DirListingWindowTest, ListsTheSelectedDirectoryInAFixedWindow) {
    TfrmDirListing window(nullptr, host);
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Files in Directory"));
    EXPECT_EQ(window.size(), QSize(249, 354));
    QStringList names;
    for (int i = 0; i < window.File1->count(); ++i)
        names << window.File1->item(i)->text();
    EXPECT_EQ(names, (QStringList{"a.txt", "b.txt", "c.log"}));
    EXPECT_EQ(window.File1->selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(window.cmdSelect->text(), QStringLiteral("&Select"));
    EXPECT_EQ(window.cmdClose->text(), QStringLiteral("&Close"));
    EXPECT_EQ(window.findChild<QLabel*>(QStringLiteral("lblDirName1")), window.lblDirName1);
}

TEST_F(DirListingWindowTest, SelectAppendsTheSelectedNamesEachTimeItIsPressed) {
    TfrmDirListing window(nullptr, host);
    select(window, {QStringLiteral("b.txt"), QStringLiteral("a.txt")});
    window.cmdSelectClick();
    EXPECT_EQ(host.spec, QStringLiteral("*.*,a.txt,b.txt"));
    window.cmdSelectClick();
    EXPECT_EQ(host.spec, QStringLiteral("*.*,a.txt,b.txt,a.txt,b.txt"));
    host.spec.clear();
    window.cmdSelectClick();
    EXPECT_EQ(host.spec, QStringLiteral("a.txt,b.txt"));
}

TEST_F(DirListingWindowTest, AShortPathTakesOneLineALongOneTwo) {
    host.directory = "/";
    TfrmDirListing shortPath(nullptr, host);
    EXPECT_EQ(shortPath.lblDirName1->text(), QStringLiteral("/"));
    EXPECT_EQ(shortPath.lblDirName2->text(), QString());

    const std::string deep =
        dir.mkdir(std::string(40, 'a') + "/" + std::string(40, 'b') + "/" + std::string(40, 'c'));
    host.directory = deep.substr(0, deep.size() - 1);
    TfrmDirListing longPath(nullptr, host);
    const QString first = longPath.lblDirName1->text();
    EXPECT_TRUE(first.endsWith(QLatin1Char('/'))) << first.toStdString();
    EXPECT_FALSE(longPath.lblDirName2->text().isEmpty());
    EXPECT_EQ(first + longPath.lblDirName2->text(), QString::fromStdString(host.directory));
    EXPECT_LE(QFontMetrics(longPath.font()).horizontalAdvance(first.chopped(1)), 249);
}

TEST_F(DirListingWindowTest, OpensUnderTheFileMasksBox) {
    host.anchor = {5, 0, 651, 230, 30};
    TfrmDirListing window(nullptr, host);
    EXPECT_EQ(window.pos(), QPoint(235, 651 - 30 - 354));
}

} // namespace
} // namespace ferrolux
