#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "WindowDriver.h"
#include "app/TfrmMain.h"
#include "results/TfrmNotSearched.h"

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace ferrolux {
namespace {

// While it lives, files of mode 0 cannot be read by this thread and the
// threads it starts, also under root: a file system user other than 0 loses
// the capabilities that override permissions.
class WithoutReadOverride {
public:
    WithoutReadOverride() : wasRoot_(::geteuid() == 0) {
        if (wasRoot_) ::setfsuid(65534);
    }
    ~WithoutReadOverride() {
        if (wasRoot_) ::setfsuid(0);
    }

private:
    bool wasRoot_;
};

struct ListSeen {
    QString summary;
    std::vector<std::pair<QString, QString>> rows;
};

// Runs act; the "Not Searched" window it opens is read and closed. Nothing
// when none opened.
std::optional<ListSeen> listOpenedBy(const std::function<void()>& act) {
    std::optional<ListSeen> seen;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        auto* window = qobject_cast<TfrmNotSearched*>(QApplication::activeModalWidget());
        if (!window) return;
        ListSeen list{test::named<QLabel>(*window, "lblSummary")->text(), {}};
        const QAbstractItemModel* rows =
            test::named<QTableView>(*window, "lstNotSearched")->model();
        for (int row = 0; row < rows->rowCount(); ++row)
            list.rows.emplace_back(rows->index(row, 0).data().toString(),
                                   rows->index(row, 1).data().toString());
        seen = list;
        window->close();
    });
    closer.start(10);
    act();
    return seen;
}

class NotSearchedLink : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::MessageBoxRecorder boxes;
    std::unique_ptr<TfrmMain> window;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        window->show();
        // Readable to whoever searches; one file of it is not.
        ::chmod(tree.path().c_str(), 0755);
        ::chmod(tree.write("open.txt", "needle\n").c_str(), 0644);
        boxes.clear();
    }

    QLabel* link() const { return test::named<QLabel>(*window, "lblNotSearched"); }
    QAction* menuItem() const { return test::named<QAction>(*window, "NotSearched1"); }

    void clickLink() const {
        const QLabel* label = link();
        QTest::mouseClick(const_cast<QLabel*>(label), Qt::LeftButton, {},
                          label->contentsRect().center());
    }
};

TEST_F(NotSearchedLink, AfterASearchLinkAndMenuItemListWhatWasNotSearched) {
    EXPECT_FALSE(menuItem()->isEnabled()) << "no search yet";
    EXPECT_FALSE(link()->isVisible());
    const std::string locked = tree.write("locked.txt", "needle\n");
    ::chmod(locked.c_str(), 0);
    {
        WithoutReadOverride unprivileged;
        ASSERT_TRUE(test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(), "needle"));
    }
    ASSERT_TRUE(link()->isVisible());
    EXPECT_TRUE(link()->text().contains(QStringLiteral("1 not searched")));
    EXPECT_TRUE(menuItem()->isEnabled());

    const std::pair<QString, QString> expected{QString::fromStdString(locked),
                                               QStringLiteral("No permission to read it")};
    for (const auto& [way, open] : std::vector<std::pair<const char*, std::function<void()>>>{
             {"link", [this] { clickLink(); }}, {"menu", [this] { menuItem()->trigger(); }}}) {
        const std::optional<ListSeen> list = listOpenedBy(open);
        ASSERT_TRUE(list) << way;
        EXPECT_EQ(list->summary, QStringLiteral("1 file or folder was not searched.")) << way;
        EXPECT_EQ(list->rows, (std::vector{expected})) << way;
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(NotSearchedLink, WhenEverythingWasSearchedOnlyTheMenuItemSaysSo) {
    ASSERT_TRUE(test::searchFolder(*window, &TfrmMain::searchFinished, tree.path(), "needle"));
    EXPECT_FALSE(link()->isVisible());
    ASSERT_TRUE(menuItem()->isEnabled());
    const std::optional<ListSeen> list = listOpenedBy([this] { menuItem()->trigger(); });
    ASSERT_TRUE(list);
    EXPECT_EQ(list->summary, QStringLiteral("Every file and folder the search met was searched."));
    EXPECT_TRUE(list->rows.empty());
}

} // namespace
} // namespace ferrolux
