#include "MainWindowControls.h"
#include "MessageBoxRecorder.h"
#include "PreferencesControls.h"
#include "ScriptedDialogs.h"
#include "TempDir.h"
#include "app/TfrmMain.h"
#include "platform/registry/Registry.h"
#include "platform/ui/HintSwitch.h"
#include "results/MatchListView.h"
#include "settings/SettingsStore.h"
#include "settings/TfrmPreferences.h"

#include <QApplication>
#include <QCheckBox>
#include <QFontDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace ferrolux {
namespace {

QColor colourAt(const QTextEdit* edit, int position) {
    QTextCursor cursor(edit->document());
    cursor.setPosition(position + 1); // the format of the character before the cursor
    return cursor.charFormat().foreground().color();
}

// What the user sees of a monospaced face: a narrow and a wide letter take
// the same room.
bool monospaced(const QFont& font) {
    const QFontMetrics metrics(font);
    return metrics.horizontalAdvance(QLatin1Char('i')) ==
           metrics.horizontalAdvance(QLatin1Char('W'));
}

// Text in a spin box's edit field, as typed before the box is left.
void typeInto(QSpinBox* box, const QString& text) {
    box->findChild<QLineEdit*>()->setText(text);
}

class PreferencesDialog : public ::testing::Test {
protected:
    test::TempDir store;
    test::MessageBoxRecorder boxes;
    test::ScriptedDialogs dialogs;
    QByteArray previousStore = qgetenv("FERROLUX_REGISTRY");
    std::unique_ptr<TfrmMain> window;
    test::MainWindowControls ui;

    void SetUp() override {
        qputenv("FERROLUX_REGISTRY", QByteArray::fromStdString(store.file("store.reg")));
        window = std::make_unique<TfrmMain>();
        ui = test::MainWindowControls(*window);
    }
    void TearDown() override {
        window.reset();
        HintSwitch::instance().setHintsShown(true);
        qputenv("FERROLUX_REGISTRY", previousStore);
    }

    void storeNumber(const char* name, int32_t number) {
        RegistryKey key;
        ASSERT_TRUE(key.create(RegistryStore::standard(), settingsKeyPath()));
        ASSERT_TRUE(key.writeNumber(QString::fromLatin1(name), number));
    }
    void storeString(const char* name, const QString& text) {
        RegistryKey key;
        ASSERT_TRUE(key.create(RegistryStore::standard(), settingsKeyPath()));
        ASSERT_TRUE(key.writeString(QString::fromLatin1(name), text));
    }
    std::string storeFile() const { return test::readFile(store.file("store.reg")); }

    // The dialog over settings loaded from the store, as File / Preferences shows it.
    std::unique_ptr<TfrmPreferences> open() {
        window->storedSettings().LoadSettings(false);
        auto dialog =
            std::make_unique<TfrmPreferences>(window->settings(), window->storedSettings());
        dialog->show();
        return dialog;
    }

    std::vector<QString> shownTexts() const {
        std::vector<QString> shown;
        for (const auto& box : boxes.boxes())
            shown.push_back(box.text);
        return shown;
    }
};

TEST_F(PreferencesDialog, HasItsTabsControlsCaptionsAndLimits) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Preferences"));
    EXPECT_EQ(dialog->size(), QSize(401, 341));
    ASSERT_EQ(controls.PageControl1->count(), 3);
    EXPECT_EQ(controls.PageControl1->tabText(0), QStringLiteral("General"));
    EXPECT_EQ(controls.PageControl1->tabText(1), QStringLiteral("Fonts"));
    EXPECT_EQ(controls.PageControl1->tabText(2), QStringLiteral("Search"));
    EXPECT_EQ(controls.txtMaxMatchLen->minimum(), 1) << "accepts 1 to 49 despite its label";
    EXPECT_EQ(controls.txtMaxMatchLen->maximum(), 2000);
    EXPECT_EQ(controls.txtMaxMatches->minimum(), 1);
    EXPECT_EQ(controls.txtMaxMatches->maximum(), 5000);
    EXPECT_EQ(controls.chkShowHint->text(), QStringLiteral("&Show tool tip hints"));
    EXPECT_EQ(controls.cmdTextColor->text(), QStringLiteral("&Text"));
    EXPECT_EQ(controls.cmdHighColor->text(), QStringLiteral("&Highlight"));
    EXPECT_EQ(controls.cmdOK->text(), QStringLiteral("&OK"));
    EXPECT_EQ(controls.cmdCancel->text(), QStringLiteral("&Cancel"));
    EXPECT_FALSE(controls.edtSample->isEnabled());
    EXPECT_EQ(controls.edtSample->toPlainText(),
              QStringLiteral("Current Text Color\nCurrent Highlight Color"));

    // Every label's access key leads to the control it names.
    std::map<QString, QWidget*> buddies;
    for (const QLabel* label : dialog->findChildren<QLabel*>())
        if (label->buddy()) buddies[label->text()] = label->buddy();
    EXPECT_EQ(buddies[QStringLiteral("&Maximum length of matched text")], controls.txtMaxMatchLen);
    EXPECT_EQ(buddies[QStringLiteral("Ma&ximum  matches displayed per file")],
              controls.txtMaxMatches);
    EXPECT_EQ(buddies[QStringLiteral("Default file &editor")], controls.txtEditor);
    EXPECT_EQ(buddies[QStringLiteral("Default &startup directory")], controls.txtStartupDir);
    EXPECT_EQ(buddies[QStringLiteral("Folders to s&kip")], controls.txtFoldersToSkip);
    for (const char* name : {"cmdMatchFont", "cmdViewerFont", "cmdPrintFont"})
        EXPECT_EQ(dialog->findChild<QPushButton*>(QString::fromLatin1(name))->text(),
                  QStringLiteral("Change"));
}

TEST_F(PreferencesDialog, DefaultsShowTheStoredFontNamesInTheirClosestFaces) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    EXPECT_EQ(controls.lblMatchFont->text(), QStringLiteral("Fixedsys, 11 points"));
    EXPECT_EQ(controls.lblViewerFont->text(), QStringLiteral("Fixedsys, 11 points"));
    EXPECT_EQ(controls.lblPrintFont->text(), QStringLiteral("Arial, 10 points"));
    EXPECT_EQ(controls.lblMatchFont->font().pointSize(), 11);
    EXPECT_EQ(controls.lblPrintFont->font().pointSize(), 10);
    EXPECT_TRUE(monospaced(controls.lblMatchFont->font()));
    EXPECT_TRUE(monospaced(controls.lblViewerFont->font()));
    EXPECT_FALSE(monospaced(controls.lblPrintFont->font()));
    EXPECT_EQ(controls.txtMaxMatchLen->value(), 300);
    EXPECT_EQ(controls.txtMaxMatches->value(), 500);
    EXPECT_TRUE(controls.chkShowHint->isChecked());
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("notepad.exe"));
    EXPECT_EQ(colourAt(controls.edtSample, 0), QColor(0, 0, 0));
    EXPECT_EQ(colourAt(controls.edtSample, 19), QColor(255, 0, 0));
}

TEST_F(PreferencesDialog, AFontLabelTooWideForOneLineShowsWhole) {
    storeString("MatchFontName", QStringLiteral("DejaVu Sans Mono Book"));
    storeNumber("MatchFontSize", 12);
    auto dialog = open();
    const QLabel* label = dialog->findChild<QLabel*>(QStringLiteral("lblMatchFont"));
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    ASSERT_GT(metrics.horizontalAdvance(label->text()), label->width()) << "one line is too wide";
    const QRect needed =
        metrics.boundingRect(QRect(0, 0, label->width(), 1000), Qt::TextWordWrap, label->text());
    EXPECT_TRUE(label->wordWrap());
    EXPECT_LE(needed.width(), label->width());
    EXPECT_LE(needed.height(), label->height());
}

TEST_F(PreferencesDialog, IsFilledFromTheSettingsRecord) {
    storeNumber("MaxMatchLen", 20);
    storeNumber("MaxMatches", 42);
    storeNumber("ShowHint", 0);
    storeString("Editor", QStringLiteral("/usr/bin/vi -p"));
    storeString("StartupDir", QStringLiteral("/no/such/place"));
    storeString("ViewerFontName", QStringLiteral("DejaVu Sans Mono"));
    storeNumber("ViewerFontSize", 9);
    storeNumber("ViewerTextColor", 0x00FF0000); // blue
    storeNumber("ViewerHighColor", 0x0000FF00); // green
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    EXPECT_EQ(controls.txtMaxMatchLen->value(), 20);
    EXPECT_EQ(controls.txtMaxMatches->value(), 42);
    EXPECT_FALSE(controls.chkShowHint->isChecked());
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("/usr/bin/vi -p"));
    EXPECT_EQ(controls.txtStartupDir->text(), QStringLiteral("/no/such/place"));
    EXPECT_EQ(controls.lblViewerFont->text(), QStringLiteral("DejaVu Sans Mono, 9 points"));
    EXPECT_EQ(controls.lblViewerFont->font().family(), QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(colourAt(controls.edtSample, 0), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(controls.edtSample, 17), QColor(0, 0, 255));
    EXPECT_EQ(colourAt(controls.edtSample, 19), QColor(0, 255, 0));
    EXPECT_EQ(colourAt(controls.edtSample, 41), QColor(0, 255, 0));
}

TEST_F(PreferencesDialog, OkStoresAllThirteenValuesWithLimitsClampedAndAppliesThem) {
    storeNumber("MaxMatchLen", 0);
    storeNumber("MaxMatches", 9000);
    storeString("MatchFontName", QStringLiteral("DejaVu Sans Mono"));
    storeNumber("MatchFontSize", 9);
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    controls.chkShowHint->setChecked(false);
    controls.cmdOK->click();

    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    Settings expected = defaultSettings();
    expected.MaxMatchLen = 1;
    expected.MaxMatches = 5000;
    expected.ShowHint = false;
    expected.MatchFontName = QStringLiteral("DejaVu Sans Mono");
    expected.MatchFontSize = 9;
    EXPECT_EQ(readStoredSettings(), expected);
    EXPECT_EQ(window->settings(), expected);
    EXPECT_FALSE(HintSwitch::instance().hintsShown());
    EXPECT_EQ(ui.lstLines1->font().family(), QStringLiteral("DejaVu Sans Mono"));
    // All thirteen are written, the unchanged defaults too.
    for (const char* name :
         {"MaxMatchLen", "MaxMatches", "ShowHint", "Editor", "StartupDir", "MatchFontName",
          "MatchFontSize", "ViewerFontName", "ViewerFontSize", "PrintFontName", "PrintFontSize",
          "ViewerTextColor", "ViewerHighColor"})
        EXPECT_NE(storeFile().find(std::string("\"") + name + "\"="), std::string::npos) << name;
}

TEST_F(PreferencesDialog, OkTakesTypedLimitsWithinTheSpinRange) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    typeInto(controls.txtMaxMatchLen, QStringLiteral("9999"));
    typeInto(controls.txtMaxMatches, QString()); // not a number
    controls.cmdOK->click();
    EXPECT_EQ(window->settings().MaxMatchLen, 2000);
    EXPECT_EQ(window->settings().MaxMatches, 1);

    auto again = open();
    test::PreferencesControls(*again).txtMaxMatchLen->setValue(49);
    again->cmdOKClick();
    EXPECT_EQ(readStoredSettings().MaxMatchLen, 49);
}

// Typed key by key, as a user does: no digit is refused, and the number is
// put into its limits when the box is left and when OK reads it.
TEST_F(PreferencesDialog, TypedNumbersAreTakenAndClampedOnLeavingTheBoxAndOnOk) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
    const auto retype = [](QSpinBox* box, const char* keys) {
        box->setFocus();
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, QString::fromLatin1(keys));
    };

    retype(controls.txtMaxMatchLen, "9999");
    EXPECT_EQ(controls.txtMaxMatchLen->text(), QStringLiteral("9999")) << "no digit refused";
    controls.txtMaxMatches->setFocus(); // leaves the box
    EXPECT_EQ(controls.txtMaxMatchLen->text(), QStringLiteral("2000"));

    retype(controls.txtMaxMatches, "0");
    controls.txtMaxMatchLen->setFocus();
    EXPECT_EQ(controls.txtMaxMatches->text(), QStringLiteral("1"));
    retype(controls.txtMaxMatches, "");
    controls.txtMaxMatchLen->setFocus();
    EXPECT_EQ(controls.txtMaxMatches->text(), QStringLiteral("1"));

    // OK while the focus is still in the box.
    retype(controls.txtMaxMatches, "9999");
    EXPECT_EQ(controls.txtMaxMatches->text(), QStringLiteral("9999"));
    controls.cmdOK->click();
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(readStoredSettings().MaxMatchLen, 2000);
    EXPECT_EQ(readStoredSettings().MaxMatches, 5000);

    auto again = open();
    retype(test::PreferencesControls(*again).txtMaxMatchLen, "");
    again->cmdOKClick();
    EXPECT_EQ(readStoredSettings().MaxMatchLen, 1);
}

TEST_F(PreferencesDialog, AFailedWriteKeepsTheDialogOpenAndTheStoreAsItWas) {
    storeNumber("MaxMatchLen", 300);
    const std::string before = storeFile();
    store.mkdir("store.reg.tmp"); // the store cannot be replaced
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    controls.txtMaxMatchLen->setValue(777);
    controls.chkShowHint->setChecked(false);
    controls.cmdOK->click();

    EXPECT_EQ(shownTexts(), std::vector<QString>{QStringLiteral("Failed to set data for "
                                                                "'MaxMatchLen'")});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(storeFile(), before);
    EXPECT_EQ(window->settings().MaxMatchLen, 777) << "kept in memory for this run";
    EXPECT_FALSE(HintSwitch::instance().hintsShown());
}

TEST_F(PreferencesDialog, EditorCheckWarnsButKeepsWhatWasTyped) {
    test::TempDir programs;
    const std::string runnable = programs.write("ed", "#!/bin/sh\n");
    ::chmod(runnable.c_str(), 0755);
    const std::string document = programs.write("notes.com", "text");
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);

    const std::vector<std::pair<QString, QString>> cases = {
        {QString::fromStdString(runnable), QString()},
        {QString::fromStdString(document),
         QStringLiteral("The specified file is not an executable program file")},
        {QString::fromStdString(programs.file("gone")),
         QStringLiteral("The specified editor was not found")},
        {QStringLiteral("NOTEPAD.EXE"), QString()},
    };
    for (const auto& [typed, warning] : cases) {
        boxes.clear();
        controls.txtEditor->setText(typed);
        dialog->txtEditorExit();
        EXPECT_EQ(shownTexts(),
                  warning.isEmpty() ? std::vector<QString>{} : std::vector<QString>{warning})
            << typed.toStdString();
        if (!boxes.boxes().empty()) {
            EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
            EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
        }
        EXPECT_EQ(controls.txtEditor->text(), typed);
    }

    boxes.clear();
    controls.txtEditor->clear();
    dialog->txtEditorExit();
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("notepad.exe"));
    EXPECT_TRUE(boxes.boxes().empty());

    // The warning never blocks OK, which stores the box as it stands.
    controls.txtEditor->setText(QString::fromStdString(document));
    controls.cmdOK->click();
    EXPECT_EQ(readStoredSettings().Editor, QString::fromStdString(document));
}

TEST_F(PreferencesDialog, LeavingTheBoxesRunsTheirChecks) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    QApplication::setActiveWindow(dialog.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(dialog.get()));

    controls.txtStartupDir->setFocus();
    controls.txtStartupDir->setText(QStringLiteral("/typed/start"));
    controls.txtEditor->setFocus(); // leaves the directory box
    EXPECT_EQ(window->settings().StartupDir, QStringLiteral("/typed/start"));

    controls.txtEditor->clear();
    controls.chkShowHint->setFocus(); // leaves the editor box
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("notepad.exe"));
}

TEST_F(PreferencesDialog, FontChoiceTakesFaceAndSizeAndCancelChangesNothing) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    dialogs.fontAnswer = std::nullopt;
    controls.cmdMatchFont->click();
    ASSERT_EQ(dialogs.fontPresets.size(), 1u);
    EXPECT_EQ(dialogs.fontPresets[0].pointSize(), 11);
    EXPECT_EQ(window->settings().MatchFontName, QStringLiteral("Fixedsys"))
        << "the stored name stays, though the preset showed a stand-in face";
    EXPECT_EQ(window->settings().MatchFontSize, 11);
    EXPECT_EQ(controls.lblMatchFont->text(), QStringLiteral("Fixedsys, 11 points"));

    QFont chosen(QStringLiteral("DejaVu Serif"), 20);
    chosen.setBold(true);
    dialogs.fontAnswer = chosen;
    controls.cmdPrintFont->click();
    EXPECT_EQ(window->settings().PrintFontName, QStringLiteral("DejaVu Serif"));
    EXPECT_EQ(window->settings().PrintFontSize, 12) << "sizes stop at 12";
    EXPECT_EQ(controls.lblPrintFont->text(), QStringLiteral("DejaVu Serif, 12 points"));
    EXPECT_EQ(controls.lblPrintFont->font().family(), QStringLiteral("DejaVu Serif"));
    EXPECT_FALSE(controls.lblPrintFont->font().bold()) << "only face and size are taken";

    dialogs.fontAnswer = QFont(QStringLiteral("DejaVu Sans Mono"), 6);
    controls.cmdViewerFont->click();
    EXPECT_EQ(window->settings().ViewerFontSize, 8);
    EXPECT_EQ(window->settings().MatchFontName, QStringLiteral("Fixedsys")) << "other pairs stay";
}

// The platform's font dialog, confirmed as it opened: the stored face is not
// installed, so it shows a stand-in, whose name must not replace the stored one.
TEST_F(PreferencesDialog, OkInTheFontDialogWithoutChoosingKeepsTheStoredName) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    PreferenceDialogs* scripted = setPreferenceDialogs(nullptr);
    QString shownFace;
    QTimer::singleShot(0, [&shownFace] {
        auto* fonts = qobject_cast<QFontDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(fonts, nullptr);
        shownFace = fonts->currentFont().family();
        fonts->accept();
    });
    controls.cmdViewerFont->click();
    setPreferenceDialogs(scripted);
    EXPECT_FALSE(shownFace.isEmpty());
    EXPECT_EQ(window->settings().ViewerFontName, QStringLiteral("Fixedsys"))
        << "shown as " << shownFace.toStdString();
    EXPECT_EQ(window->settings().ViewerFontSize, 11);
    EXPECT_EQ(controls.lblViewerFont->text(), QStringLiteral("Fixedsys, 11 points"));

    // A face picked in the dialog is taken by its name.
    dialogs.fontAnswer = QFont(QStringLiteral("DejaVu Serif"), 11);
    controls.cmdViewerFont->click();
    EXPECT_EQ(window->settings().ViewerFontName, QStringLiteral("DejaVu Serif"));
}

TEST_F(PreferencesDialog, ColourChoiceIsStoredAsRedGreenBlueAndCancelChangesNothing) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    dialogs.colorAnswer = std::nullopt;
    controls.cmdHighColor->click();
    ASSERT_EQ(dialogs.colorPresets.size(), 1u);
    EXPECT_EQ(dialogs.colorPresets[0], QColor(255, 0, 0));
    EXPECT_EQ(window->settings().ViewerHighColor, 255);

    dialogs.colorAnswer = QColor(0x12, 0x34, 0x56);
    controls.cmdTextColor->click();
    EXPECT_EQ(window->settings().ViewerTextColor, 0x00563412);
    EXPECT_EQ(colourAt(controls.edtSample, 0), QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(colourAt(controls.edtSample, 19), QColor(255, 0, 0));
}

TEST_F(PreferencesDialog, CancelKeepsInMemoryChoicesWithoutWriting) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    dialogs.fontAnswer = QFont(QStringLiteral("DejaVu Sans Mono"), 10);
    controls.cmdViewerFont->click();
    dialogs.colorAnswer = QColor(0, 0, 255);
    controls.cmdHighColor->click();
    controls.txtStartupDir->setText(QStringLiteral("/new/start"));
    dialog->txtStartupDirExit();
    controls.txtMaxMatches->setValue(7); // only OK takes this one
    controls.cmdCancel->click();

    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(storeFile(), std::string()) << "nothing written";
    EXPECT_EQ(window->settings().ViewerFontName, QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(window->settings().ViewerHighColor, 0x00FF0000);
    EXPECT_EQ(window->settings().StartupDir, QStringLiteral("/new/start"));
    EXPECT_EQ(window->settings().MaxMatches, 500);

    // The next dialog shows the choices and OK stores them.
    auto next = std::make_unique<TfrmPreferences>(window->settings(), window->storedSettings());
    next->show();
    EXPECT_EQ(test::PreferencesControls(*next).lblViewerFont->text(),
              QStringLiteral("DejaVu Sans Mono, 10 points"));
    next->cmdOKClick();
    EXPECT_EQ(readStoredSettings().ViewerFontName, QStringLiteral("DejaVu Sans Mono"));
    EXPECT_EQ(readStoredSettings().StartupDir, QStringLiteral("/new/start"));
}

TEST_F(PreferencesDialog, EnterAndEscDoNothingSpecial) {
    auto dialog = open();
    QTest::keyClick(dialog.get(), Qt::Key_Escape);
    QTest::keyClick(dialog.get(), Qt::Key_Return);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_EQ(storeFile(), std::string());
}

TEST_F(PreferencesDialog, BrowsingFillsTheBoxes) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    dialogs.directoryAnswer = QStringLiteral("/picked/dir");
    controls.cmdBrowseStartupDir->click();
    EXPECT_EQ(controls.txtStartupDir->text(), QStringLiteral("/picked/dir"));
    EXPECT_EQ(window->settings().StartupDir, QStringLiteral("/picked/dir")) << "counts at once";

    controls.txtEditor->setText(QStringLiteral("/usr/bin/vi -p"));
    dialogs.editorAnswer = QStringLiteral("/opt/My Editor/ed");
    controls.cmdBrowseEditor->click();
    EXPECT_EQ(dialogs.editorFolders, std::vector<QString>{QStringLiteral("/usr/bin")});
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("\"/opt/My Editor/ed\""));

    dialogs.editorAnswer = std::nullopt;
    dialogs.directoryAnswer = std::nullopt;
    controls.cmdBrowseEditor->click();
    controls.cmdBrowseStartupDir->click();
    EXPECT_EQ(controls.txtEditor->text(), QStringLiteral("\"/opt/My Editor/ed\""));
    EXPECT_EQ(controls.txtStartupDir->text(), QStringLiteral("/picked/dir"));
}

// Folders to skip: shown from the record, stored on OK, and left out of the
// store for as long as it was never set.
TEST_F(PreferencesDialog, FoldersToSkipAreShownAndStoredOnOk) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    EXPECT_EQ(controls.txtFoldersToSkip->text(), QString());
    controls.cmdOK->click();
    EXPECT_EQ(storeFile().find("FoldersToSkip"), std::string::npos);

    auto again = open();
    test::PreferencesControls(*again).txtFoldersToSkip->setText(QStringLiteral(".git, build*"));
    again->cmdOKClick();
    EXPECT_EQ(readStoredSettings().FoldersToSkip, QStringLiteral(".git, build*"));
    EXPECT_EQ(window->settings().FoldersToSkip, QStringLiteral(".git, build*"));

    auto third = open();
    const test::PreferencesControls thirdControls(*third);
    EXPECT_EQ(thirdControls.txtFoldersToSkip->text(), QStringLiteral(".git, build*"));
    thirdControls.txtFoldersToSkip->clear();
    third->cmdOKClick();
    EXPECT_EQ(readStoredSettings().FoldersToSkip, QString()) << "cleared, not left as it was";
}

// The archives box sits on the Search tab, unticked by default and not
// written until it is changed; ticking and unticking both reach the store.
TEST_F(PreferencesDialog, SearchArchivesIsShownAndStoredOnOk) {
    auto dialog = open();
    const test::PreferencesControls controls(*dialog);
    auto* box = dialog->findChild<QCheckBox*>(QStringLiteral("chkSearchArchives"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->parentWidget(), controls.tabSearch);
    EXPECT_EQ(box->text().remove(QLatin1Char('&')),
              QStringLiteral("Also search tar, 7z and RAR archives"));
    EXPECT_FALSE(box->isChecked());
    controls.cmdOK->click();
    EXPECT_EQ(storeFile().find("SearchArchives"), std::string::npos);

    for (const bool ticked : {true, false}) {
        auto again = open();
        auto* shown = again->findChild<QCheckBox*>(QStringLiteral("chkSearchArchives"));
        EXPECT_EQ(shown->isChecked(), !ticked) << "shows what is stored";
        shown->setChecked(ticked);
        again->cmdOKClick();
        EXPECT_EQ(readStoredSettings().SearchArchives, ticked);
        EXPECT_EQ(window->settings().SearchArchives, ticked);
    }
}

} // namespace
} // namespace ferrolux
