#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/registry/Registry.h"
#include "platform/ui/DirectoryListBox.h"
#include "platform/ui/DriveComboBox.h"
#include "settings/SavedSearches.h"
#include "settings/SettingsStore.h"
#include "settings/TfrmSearches.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using Boxes = std::vector<test::MessageBoxRecorder::Box>;

QString text(const std::string& bytes) {
    return QString::fromUtf8(bytes.data(), qsizetype(bytes.size()));
}

class SavedSearchWindow : public ::testing::Test {
protected:
    test::TempDir store;
    test::TempDir tree;
    test::MessageBoxRecorder boxes;
    QByteArray previousStore = qgetenv("FERROLUX_REGISTRY");
    TfrmMain window;
    const test::MainWindowControls ui{window};

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
    }
    void TearDown() override { qputenv("FERROLUX_REGISTRY", previousStore); }

    void fillSearch(const std::string& directory, const QString& searchText,
                    const QString& fileSpec, const SearchOptionBoxes& options) {
        ASSERT_TRUE(ui.Dir1->setDirectory(directory));
        ui.cboSearch->setEditText(searchText);
        ui.txtFilespec->setText(fileSpec);
        window.storedSettings().setOptionBoxes(options);
    }

    std::vector<QString> captionsAndTexts() const {
        std::vector<QString> shown;
        for (const auto& box : boxes.boxes())
            shown.push_back(box.caption + u':' + box.text);
        return shown;
    }

    // A retrieve dialog as the user sees it once it is shown.
    std::unique_ptr<TfrmSearches> openRetrieve() {
        auto dialog = std::make_unique<TfrmSearches>(window.storedSettings());
        dialog->show();
        return dialog;
    }

    static QStringList row(const TfrmSearches& dialog, int index) {
        QStringList cells;
        for (int column = 0; column < 4; ++column)
            cells << dialog.lstSearches->item(index, column)->text();
        return cells;
    }
};

TEST_F(SavedSearchWindow, NonAsciiSearchWithEveryOptionRoundTripsThroughTheDialog) {
    const std::string saved = tree.mkdir("\xc3\xa9l\xc3\xa8ve \xe6\xbc\xa2\xe5\xad\x97") + "/";
    const QString searchText = QStringLiteral("caf\u00e9 \u00c0\u0100|na\u00efve");
    fillSearch(saved, searchText, QStringLiteral("   "),
               {true, true, true, true, true, true, true});
    window.storedSettings().SaveSearch1Click();
    EXPECT_EQ(captionsAndTexts(), std::vector<QString>{QStringLiteral("Message:Search saved")});

    // The window moves on to something else before the search is retrieved.
    fillSearch(tree.path(), QStringLiteral("other"), QStringLiteral("*.c"), {});
    auto dialog = openRetrieve();
    ASSERT_EQ(dialog->lstSearches->rowCount(), 1);
    EXPECT_EQ(row(*dialog, 0),
              (QStringList{text(saved), QStringLiteral("   "), searchText, "XBIZCWL"}));
    EXPECT_TRUE(dialog->cmdRetrieve->isEnabled());
    EXPECT_TRUE(dialog->lstSearches->isEnabled());
    EXPECT_TRUE(dialog->lstSearches->item(0, 0)->isSelected());

    dialog->cmdRetrieveClick();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(ui.Dir1->Directory(), saved);
    EXPECT_EQ(ui.Drive1->currentDirectory(), saved) << "the drive box follows";
    EXPECT_EQ(ui.cboSearch->currentText(), searchText);
    EXPECT_EQ(ui.txtFilespec->text(), QStringLiteral("   "));
    for (QCheckBox* box : {ui.chkTextFiles, ui.chkBinaryFiles, ui.chkInclSub, ui.chkSearchZip,
                           ui.chkCase, ui.chkWord, ui.chkLiteral})
        EXPECT_TRUE(box->isChecked()) << box->objectName().toStdString();
    EXPECT_EQ(boxes.boxes().size(), 1u) << "no further message";
}

TEST_F(SavedSearchWindow, ASearchWithoutOptionsUnticksTheBoxesAndLeavesListedAlone) {
    fillSearch(tree.path(), QStringLiteral("needle"), QStringLiteral("*.txt"), {});
    window.storedSettings().SaveSearch1Click();
    fillSearch("/", QStringLiteral("x"), QStringLiteral("*.*"),
               {true, true, true, true, true, true, true});
    ui.chkSearchListed->setEnabled(true);
    ui.chkSearchListed->setChecked(true);

    auto dialog = openRetrieve();
    ASSERT_EQ(dialog->lstSearches->rowCount(), 1);
    EXPECT_EQ(row(*dialog, 0).at(3), QString());
    dialog->cmdRetrieveClick();
    const SearchOptionBoxes now = window.storedSettings().optionBoxes();
    EXPECT_EQ(optionLettersFor(now), QString());
    EXPECT_TRUE(ui.chkSearchListed->isChecked()) << "not part of a saved search";
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("needle"));
}

TEST_F(SavedSearchWindow, IdenticalSavesGiveIdenticalRowsNewestFirst) {
    fillSearch(tree.path(), QStringLiteral("first"), QStringLiteral("*.txt"),
               {.textFiles = true, .binaryFiles = true});
    window.storedSettings().SaveSearch1Click();
    window.storedSettings().SaveSearch1Click();
    ui.cboSearch->setEditText(QStringLiteral("second"));
    window.storedSettings().SaveSearch1Click();

    auto dialog = openRetrieve();
    ASSERT_EQ(dialog->lstSearches->rowCount(), 3);
    EXPECT_EQ(row(*dialog, 0).at(2), QStringLiteral("second"));
    EXPECT_EQ(row(*dialog, 1), row(*dialog, 2));
    EXPECT_EQ(row(*dialog, 1), (QStringList{text(tree.path()), "*.txt", "first", "XB"}));

    // Nothing is kept between activations: the list is read again.
    ui.cboSearch->setEditText(QStringLiteral("third"));
    window.storedSettings().SaveSearch1Click();
    QApplication::setActiveWindow(&window);
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    ASSERT_EQ(dialog->lstSearches->rowCount(), 4);
    EXPECT_EQ(row(*dialog, 0).at(2), QStringLiteral("third"));
}

TEST_F(SavedSearchWindow, ADirectoryNamedInAnotherEncodingIsNotSaved) {
    fillSearch(tree.mkdir("caf\xe9"), QStringLiteral("x"), QStringLiteral("*.txt"), {});
    window.storedSettings().SaveSearch1Click();
    EXPECT_EQ(captionsAndTexts(),
              std::vector<QString>{QStringLiteral(
                  "Error:The directory name is not valid UTF-8 text and could not be found "
                  "again - cannot save")});
    EXPECT_TRUE(readSavedSearches(RegistryStore::standard()).empty());
}

TEST_F(SavedSearchWindow, BlankSearchTextOrFileSpecIsNotSaved) {
    const QString refusal =
        QStringLiteral("Error:Search text and/ or file specification is blank - cannot save");
    fillSearch(tree.path(), QString(), QStringLiteral("*.txt"), {});
    window.storedSettings().SaveSearch1Click();
    fillSearch(tree.path(), QStringLiteral("x"), QString(), {});
    window.storedSettings().SaveSearch1Click();
    EXPECT_EQ(captionsAndTexts(), (std::vector<QString>{refusal, refusal}));
    EXPECT_TRUE(readSavedSearches(RegistryStore::standard()).empty());
}

TEST_F(SavedSearchWindow, ADirectoryWhoseNameIsNotTextIsNotSaved) {
    const std::string odd = tree.mkdir("caf\xe9") + "/";
    fillSearch(odd, QStringLiteral("x"), QStringLiteral("*.txt"), {});
    window.storedSettings().SaveSearch1Click();
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
    EXPECT_TRUE(readSavedSearches(RegistryStore::standard()).empty());
}

TEST_F(SavedSearchWindow, AStoreThatRefusesTheWriteKeepsTheOldList) {
    fillSearch(tree.path(), QStringLiteral("kept"), QStringLiteral("*.txt"), {});
    window.storedSettings().SaveSearch1Click();
    boxes.clear();
    // The store is replaced through a temporary file beside it; a folder in
    // its place makes every write fail.
    store.mkdir("store.reg.tmp");
    ui.cboSearch->setEditText(QStringLiteral("lost"));
    window.storedSettings().SaveSearch1Click();
    EXPECT_EQ(captionsAndTexts(),
              std::vector<QString>{QStringLiteral("Error:Failed to set data for 'Searches'")});
    const std::vector<SavedSearch> stored = readSavedSearches(RegistryStore::standard());
    ASSERT_EQ(stored.size(), 1u);
    EXPECT_EQ(stored[0].searchText, QStringLiteral("kept"));
}

TEST_F(SavedSearchWindow, AVanishedDirectoryOrNoSelectionChangesNothing) {
    const std::string gone = tree.mkdir("gone") + "/";
    fillSearch(gone, QStringLiteral("old"), QStringLiteral("*.log"), {.literal = true});
    window.storedSettings().SaveSearch1Click();
    std::filesystem::remove(gone);
    fillSearch(tree.path(), QStringLiteral("current"), QStringLiteral("*.txt"),
               {.caseSensitive = true});
    boxes.clear();

    auto dialog = openRetrieve();
    dialog->cmdRetrieveClick();
    dialog->lstSearches->clearSelection();
    dialog->cmdRetrieveClick();
    const QString notSelected = QStringLiteral("Error:No search is selected");
    EXPECT_EQ(captionsAndTexts(), (std::vector<QString>{notSelected, notSelected}));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->lstSearches->isEnabled());
    EXPECT_EQ(ui.Dir1->Directory(), tree.path());
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("current"));
    EXPECT_EQ(ui.txtFilespec->text(), QStringLiteral("*.txt"));
    EXPECT_EQ(optionLettersFor(window.storedSettings().optionBoxes()), QStringLiteral("C"));
}

TEST_F(SavedSearchWindow, DoubleClickingARowRetrievesIt) {
    fillSearch(tree.path(), QStringLiteral("older"), QStringLiteral("*.a"), {});
    window.storedSettings().SaveSearch1Click();
    fillSearch(tree.path(), QStringLiteral("newer"), QStringLiteral("*.b"), {});
    window.storedSettings().SaveSearch1Click();
    ui.cboSearch->setEditText(QString());

    auto dialog = openRetrieve();
    QTableWidget* list = dialog->lstSearches;
    const QRect second = list->visualItemRect(list->item(1, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(ui.cboSearch->currentText(), QStringLiteral("older"));
    EXPECT_EQ(ui.txtFilespec->text(), QStringLiteral("*.a"));
    EXPECT_FALSE(dialog->isVisible());
}

TEST_F(SavedSearchWindow, AnEmptyListDisablesRetrieveAndEscOrCancelCloses) {
    RegistryKey key;
    ASSERT_TRUE(key.create(RegistryStore::standard(), settingsKeyPath()));
    ASSERT_TRUE(key.writeString(QStringLiteral("Searches"), QString()));
    key.close();

    auto dialog = openRetrieve();
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Retrieve Search"));
    EXPECT_EQ(dialog->size(), QSize(787, 256));
    EXPECT_EQ(dialog->lstSearches->rowCount(), 0);
    EXPECT_FALSE(dialog->lstSearches->isEnabled());
    EXPECT_FALSE(dialog->cmdRetrieve->isEnabled());
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Rejected);

    auto second = openRetrieve();
    second->cmdCancel->click();
    EXPECT_FALSE(second->isVisible());
}

TEST_F(SavedSearchWindow, ListShowsItsColumnsAndHidesTheLetters) {
    auto dialog = openRetrieve();
    const QTableWidget* list = dialog->lstSearches;
    const std::vector<std::pair<QString, int>> columns = {
        {"Directory", 325}, {"Files", 125}, {"Search Text", 300}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->horizontalHeaderItem(i)->text(), columns[std::size_t(i)].first);
        EXPECT_EQ(list->columnWidth(i), columns[std::size_t(i)].second);
    }
    EXPECT_TRUE(list->isColumnHidden(3));
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(dialog->cmdRetrieve->text(), QStringLiteral("&Retrieve"));
    EXPECT_EQ(dialog->cmdCancel->text(), QStringLiteral("&Cancel"));
}

TEST_F(SavedSearchWindow, MenuItemsOpenModalDialogsThatFreeThemselves) {
    const auto closeFromInside = [this](const char* className, QPointer<QWidget>& seen) {
        QTimer::singleShot(0, &window, [&seen, className] {
            seen = QApplication::activeModalWidget();
            if (seen && seen->inherits(className)) {
                seen->close();
            } else {
                ADD_FAILURE() << "no modal " << className;
                QApplication::exit(1); // never leave the test waiting
            }
        });
    };
    QPointer<QWidget> retrieve;
    closeFromInside("ferrolux::TfrmSearches", retrieve);
    ui.action("RetrieveSearch1")->trigger();
    QPointer<QWidget> preferences;
    closeFromInside("ferrolux::TfrmPreferences", preferences);
    ui.action("Preferences1")->trigger();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(retrieve.isNull());
    EXPECT_TRUE(preferences.isNull());
    EXPECT_EQ(window.findChildren<QDialog*>().size(), 0);
}

} // namespace
} // namespace ferrolux
