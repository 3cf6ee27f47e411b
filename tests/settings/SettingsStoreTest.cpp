#include "settings/SettingsStore.h"

#include "MessageBoxRecorder.h"
#include "StoreTesting.h"
#include "settings/SettingsTarget.h"

#include <QDir>
#include <gtest/gtest.h>

namespace ferrolux {
namespace {

using test::storeText;

// Stands in for the main window: records what the settings do to it.
class FakeWindow : public SettingsTarget {
public:
    bool hint = false;
    QString fontName;
    int32_t fontSize = 0;
    QString directory;
    std::vector<std::string> calls;

    bool showHint() const override { return hint; }
    void setShowHint(bool on) override {
        hint = on;
        calls.push_back("hint");
    }
    void setMatchListFont(const QString& name, int32_t size) override {
        fontName = name;
        fontSize = size;
        calls.push_back("font");
    }
    bool setDirectory(const QString& wanted) override {
        calls.push_back("directory");
        if (!QDir(wanted).exists()) return false;
        directory = wanted;
        return true;
    }
    void setRootDirectory() override {
        calls.push_back("root");
        directory = QStringLiteral("/");
    }
};

class SettingsStoreTest : public test::StoreTest {
protected:
    Settings settings;
    FakeWindow window;
    test::MessageBoxRecorder boxes;
};

TEST_F(SettingsStoreTest, FirstRunGivesTheDefaultsSilently) {
    LoadSettings(settings, window, store, true);
    EXPECT_EQ(settings, defaultSettings());
    EXPECT_TRUE(window.hint);
    EXPECT_EQ(window.fontName, QStringLiteral("Fixedsys"));
    EXPECT_EQ(window.fontSize, 11);
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_EQ(folderEntries(), std::vector<std::string>{}) << "loading must not write";
}

TEST_F(SettingsStoreTest, StoredValuesFollowTheLoadingRules) {
    seed(storeText("\"Editor\"=\"\"\n"
                   "\"MatchFontName\"=\"\"\n"
                   "\"ViewerFontName\"=\"DejaVu Sans Mono\"\n"
                   "\"PrintFontName\"=dword:00000001\n"
                   "\"StartupDir\"=\"\"\n"
                   "\"ShowHint\"=dword:00000007\n"
                   "\"MaxMatches\"=\"200\"\n"
                   "\"MaxMatchLen\"=dword:0000270f\n"
                   "\"MatchFontSize\"=dword:00000014\n"
                   "\"ViewerTextColor\"=dword:00ff8000\n"));
    LoadSettings(settings, window, store, true);
    Settings expected = defaultSettings();
    expected.ViewerFontName = QStringLiteral("DejaVu Sans Mono");
    expected.MaxMatchLen = 9999; // no range check on loading
    expected.MatchFontSize = 20;
    expected.ViewerTextColor = 0x00ff8000;
    EXPECT_EQ(settings, expected);
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_EQ(window.fontSize, 20);
    EXPECT_TRUE(window.hint);
    EXPECT_TRUE(boxes.boxes().empty());

    seed(storeText("\"ShowHint\"=dword:00000000\n\"MaxMatchLen\"=dword:00000000\n"));
    LoadSettings(settings, window, store, false);
    EXPECT_FALSE(settings.ShowHint);
    EXPECT_FALSE(window.hint);
    EXPECT_EQ(settings.MaxMatchLen, 0);
}

TEST_F(SettingsStoreTest, StartupDirectoryIsAppliedOnlyWhenAsked) {
    const std::string good = dir.mkdir("start");
    seed(storeText("\"StartupDir\"=\"" + good + "\"\n"));
    LoadSettings(settings, window, store, true);
    EXPECT_EQ(window.directory, QString::fromStdString(good));
    EXPECT_TRUE(boxes.boxes().empty());

    window.calls.clear();
    seed(storeText("\"StartupDir\"=\"" + dir.file("removed") + "\"\n"));
    LoadSettings(settings, window, store, false);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"hint", "font"}));

    LoadSettings(settings, window, store, true);
    ASSERT_EQ(boxes.boxes().size(), 1u);
    EXPECT_EQ(boxes.boxes()[0].text,
              QStringLiteral("Default startup directory is invalid - \nstarting "
                             "in root directory\n\nPlease correct this in "
                             "File/Preferences"));
    EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Warning"));
    EXPECT_EQ(boxes.boxes()[0].flags, unsigned(MB_OK | MB_ICONWARNING));
    EXPECT_EQ(window.directory, QStringLiteral("/"));
    EXPECT_EQ(settings.StartupDir, QString::fromStdString(dir.file("removed")))
        << "kept for correction";
}

TEST_F(SettingsStoreTest, SaveWritesAllThirteenInOrderThenReloads) {
    settings = defaultSettings();
    settings.MaxMatchLen = 2000;
    settings.Editor = QStringLiteral("kate -n");
    settings.StartupDir = QStringLiteral("/home/\u00e9");
    settings.ViewerHighColor = 0x00ff00;
    window.hint = false; // the switch holds ShowHint

    ASSERT_TRUE(SaveSettings(settings, window, store));
    EXPECT_EQ(contents(), storeText("\"MaxMatchLen\"=dword:000007d0\n"
                                    "\"MaxMatches\"=dword:000001f4\n"
                                    "\"ShowHint\"=dword:00000000\n"
                                    "\"Editor\"=\"kate -n\"\n"
                                    "\"StartupDir\"=\"/home/\u00e9\"\n"
                                    "\"MatchFontName\"=\"Fixedsys\"\n"
                                    "\"MatchFontSize\"=dword:0000000b\n"
                                    "\"ViewerFontName\"=\"Fixedsys\"\n"
                                    "\"ViewerFontSize\"=dword:0000000b\n"
                                    "\"PrintFontName\"=\"Arial\"\n"
                                    "\"PrintFontSize\"=dword:0000000a\n"
                                    "\"ViewerTextColor\"=dword:00000000\n"
                                    "\"ViewerHighColor\"=dword:0000ff00\n"));
    EXPECT_FALSE(settings.ShowHint);
    EXPECT_EQ(window.calls, (std::vector<std::string>{"hint", "font"}))
        << "reloaded, directory untouched";
    EXPECT_EQ(readStoredSettings(store), settings);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST_F(SettingsStoreTest, FoldersToSkipAreStoredOnceSet) {
    seed(storeText("\"FoldersToSkip\"=\".git,build*\"\n"));
    LoadSettings(settings, window, store, false);
    EXPECT_EQ(settings.FoldersToSkip, QStringLiteral(".git,build*"));
    settings.FoldersToSkip.clear();
    ASSERT_TRUE(SaveSettings(settings, window, store));
    EXPECT_NE(contents().find("\"FoldersToSkip\"=\"\"\n"), std::string::npos) << contents();
    EXPECT_EQ(readStoredSettings(store).FoldersToSkip, QString());
}

TEST_F(SettingsStoreTest, FailedSaveReportsTheValueAndStops) {
    RegistryStore nowhere(dir.file("missing/registry.reg"));
    seed(storeText(""));
    dir.write("registry.reg.tmp/blocker", "x"); // the key opens, the first write cannot
    for (const RegistryStore* failing : {&nowhere, &store}) {
        boxes.clear();
        window.calls.clear();
        settings = defaultSettings();
        settings.MaxMatches = 77;
        EXPECT_FALSE(SaveSettings(settings, window, *failing));
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].text, QStringLiteral("Failed to set data for 'MaxMatchLen'"));
        EXPECT_EQ(boxes.boxes()[0].caption, QStringLiteral("Error"));
        EXPECT_TRUE(window.calls.empty()) << "no reload after a failed save";
        EXPECT_EQ(settings.MaxMatches, 77) << "the new values stay in memory";
    }
    EXPECT_EQ(contents(), storeText(""));
}

} // namespace
} // namespace ferrolux
